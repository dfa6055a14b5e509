#include "oledate.h"
