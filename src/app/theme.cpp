#include "theme.h"
