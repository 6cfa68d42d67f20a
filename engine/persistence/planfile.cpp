// Plan files. Until the file format is in place every load reports the file as not
// readable and every save fails, so no caller ever takes a plan for saved.
#include "persistence/persistence.h"

namespace vrx {

long LoadLayoutFile(const char* name) { return name ? TR_FileUnreadable : -1; }
long LoadDesignFile(const char* name) { return name ? TR_FileUnreadable : -1; }
long SaveLayoutFile(const char*) { return -1; }
long SaveDesignFile(const char*) { return -1; }

}  // namespace vrx
