#include "topicdocument.h"
