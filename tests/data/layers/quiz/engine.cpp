// A core that keeps to its layers.
#include "common/pause.h"
#include "document/topicdocument.h"
#include "quiz/quizsession.h"
