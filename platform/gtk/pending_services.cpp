// Services the event pump calls whose work comes later: the synchronisation of the system
// clipboard with the scrap. They do nothing yet.
#include "platform/gtk/event_pump.h"

void SystemDependantCvtScrapToOrva() {}
void SystemDependantCvtScrapFromOrva() {}
