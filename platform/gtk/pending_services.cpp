// Services the event pump calls whose work comes later: the single-instance message queue.
// It does nothing yet.
#include "platform/gtk/event_pump.h"

void GTKCheckIPCQueue() {}
