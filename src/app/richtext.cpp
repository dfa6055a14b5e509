#include "richtext.h"
