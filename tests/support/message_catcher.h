// The runtime's message routines caught for a test: while a catcher lives, every Collapse,
// Message, warning code and trace line of every floor is kept in it instead of going to the
// error sink or the trace log, just as the plug-in's own record receives them. One catcher at
// a time; any thread may deliver (read the lists once the threads that deliver have stopped).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/core/mac_types.h"

class MessageCatcher {
public:
    MessageCatcher();   // installs its record in the runtime
    ~MessageCatcher();  // leaves no record installed
    MessageCatcher(const MessageCatcher &) = delete;
    MessageCatcher &operator=(const MessageCatcher &) = delete;

    static MessageCatcher *Current();  // the catcher alive, or null

    // Lines of the trace that hold text.
    size_t Count(const std::string &text) const;
    void Clear();

    std::vector<std::string> traces;     // PlugTrace, in order
    std::vector<std::string> collapses;  // Collapse
    std::vector<std::string> messages;   // Message
    std::vector<SInt16> warnings;        // AvertissementVrac
    std::mutex lock;                     // taken by the deliveries
};
