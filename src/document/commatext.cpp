#include "commatext.h"
