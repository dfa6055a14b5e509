#include "randomgenerator.h"
