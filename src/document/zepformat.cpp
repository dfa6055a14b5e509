#include "zepformat.h"
