#include "dialogservice.h"
