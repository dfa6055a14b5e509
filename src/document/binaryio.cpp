#include "binaryio.h"
