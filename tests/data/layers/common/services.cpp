// A widget-free service that reaches up into the main window: the layer check must refuse it.
#include "platform/tick.h"
#include "app/mainwindow.h"
