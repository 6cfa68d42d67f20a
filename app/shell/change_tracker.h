// Whether the plan differs from what was last saved or opened, from the engine's
// history serial: it rises with every change and redo, and falls with every undo.
#pragma once

namespace tessel {

class ChangeTracker {
 public:
  // The plan as it is now is what the file holds.
  void Saved(int serial);
  // The plan as it is now is in no file of the user's (a recovered plan).
  void Unsaved(int serial);
  // The serial after a command; byRedo when the command was a redo.
  void Observe(int serial, bool byRedo);
  bool Changed() const { return lost_ || serial_ != saved_; }

 private:
  int saved_ = 0;
  int serial_ = 0;
  // A change made after undoing past the saved state cuts that state off: the serial
  // can come back to the saved number with a different plan.
  bool lost_ = false;
};

}  // namespace tessel
