#include "displaycheck.h"
