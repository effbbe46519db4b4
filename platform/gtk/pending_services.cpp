// Services the event pump calls whose work comes later: the single-instance message queue
// and the synchronisation of the system clipboard with the scrap. They do nothing yet.
#include "platform/gtk/event_pump.h"

void GTKCheckIPCQueue() {}
void SystemDependantCvtScrapToOrva() {}
void SystemDependantCvtScrapFromOrva() {}
