#include "uistyle.h"
