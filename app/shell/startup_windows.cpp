#include "shell/startup_windows.h"
