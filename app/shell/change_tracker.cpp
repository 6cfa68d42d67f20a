#include "shell/change_tracker.h"

namespace tessel {

void ChangeTracker::Saved(int serial) {
  saved_ = serial_ = serial;
  lost_ = false;
}

void ChangeTracker::Unsaved(int serial) {
  saved_ = serial_ = serial;
  lost_ = true;
}

void ChangeTracker::Observe(int serial, bool byRedo) {
  if (serial > serial_ && !byRedo && serial_ < saved_) lost_ = true;
  serial_ = serial;
}

}  // namespace tessel
