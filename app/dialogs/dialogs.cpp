#include "dialogs/dialogs.h"
