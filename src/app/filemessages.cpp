#include "filemessages.h"
