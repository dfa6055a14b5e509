#include "pause.h"
