#include "kennzinfobox.h"
