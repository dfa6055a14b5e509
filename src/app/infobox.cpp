#include "infobox.h"
