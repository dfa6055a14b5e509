#include "desktopservices.h"
