// The message routines' record of the tests.
#include "support/message_catcher.h"

#include "platform/core/runtime.h"

namespace {

MessageCatcher *gCatcher;  // main thread installs and removes; deliveries read it

template <typename T>
void Keep(std::vector<T> MessageCatcher::*list, const T &item) {
    MessageCatcher *catcher = gCatcher;
    if (!catcher) return;
    std::lock_guard<std::mutex> hold(catcher->lock);
    (catcher->*list).push_back(item);
}

void CatchCollapse(const char *message) { Keep(&MessageCatcher::collapses, std::string(message)); }
void CatchMessage(const char *message) { Keep(&MessageCatcher::messages, std::string(message)); }
void CatchWarning(SInt16 code) { Keep(&MessageCatcher::warnings, code); }
void CatchTrace(const char *message) { Keep(&MessageCatcher::traces, std::string(message)); }

const OrvaMessageHooks kCatchingRoutines = {CatchCollapse, CatchMessage, CatchWarning, CatchTrace};

}  // namespace

MessageCatcher::MessageCatcher() {
    gCatcher = this;
    OrvaSetMessageHooks(&kCatchingRoutines);
}

MessageCatcher::~MessageCatcher() {
    OrvaSetMessageHooks(nullptr);
    gCatcher = nullptr;
}

MessageCatcher *MessageCatcher::Current() { return gCatcher; }

size_t MessageCatcher::Count(const std::string &text) const {
    size_t n = 0;
    for (const std::string &line : traces) n += line.find(text) != std::string::npos;
    return n;
}

void MessageCatcher::Clear() {
    std::lock_guard<std::mutex> hold(lock);
    traces.clear();
    collapses.clear();
    messages.clear();
    warnings.clear();
}
