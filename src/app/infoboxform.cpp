#include "infoboxform.h"
