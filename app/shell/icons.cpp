#include "shell/icons.h"
