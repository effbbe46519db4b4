// Interim error sink and main-thread identity, until the runtime core lands.
#include <cstdarg>
#include <cstdio>
#include <pthread.h>

#include "platform/core/runtime.h"

static pthread_t gMainThread = pthread_self();
static void (*gErrorHook)(const char *message);
void OrvaErreur(const char *message) {
    if (gErrorHook) gErrorHook(message);
    else fprintf(stderr, "%s\n", message);
}
void OrvaErreurF(const char *format, ...) {
    char message[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    OrvaErreur(message);
}
void OrvaSetErrorHook(void (*hook)(const char *message)) { gErrorHook = hook; }
void OrvaSetMainThread() { gMainThread = pthread_self(); }
Boolean OrvaIsMainThread() { return pthread_equal(gMainThread, pthread_self()); }
Boolean OrvaIsPlugin() { return orvaSettings.pluginFlag; }
