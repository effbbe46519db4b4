// Interim error sink and main-thread identity, until the runtime core lands.
#include <cstdio>
#include <pthread.h>

#include "platform/core/runtime.h"

static pthread_t gMainThread = pthread_self();
void OrvaErreur(const char *message) { fprintf(stderr, "%s\n", message); }
void OrvaSetMainThread() { gMainThread = pthread_self(); }
Boolean OrvaIsMainThread() { return pthread_equal(gMainThread, pthread_self()); }
