#include "pngcodec.h"
