#include "cursors.h"
