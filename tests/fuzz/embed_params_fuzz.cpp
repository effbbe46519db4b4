// ctest-labels: plugin-shell
// Bytes as an embed element's parameters: lines alternate names and values (a value line of
// one byte 0x01 is a missing value). Each input makes one instance through the test host's
// browser in this process and destroys it. Every instance is made, its names stay within
// their fields, the values its users read stay in range, and nothing is left behind.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "browser_host.h"
#include "fuzz_support.h"
#include "plugin/glue.h"
#include "plugin/host_services.h"
#include "plugin/instance.h"

namespace {

constexpr size_t kMaxInput = 1 << 16;
constexpr size_t kMaxParams = 600;

bool Started() {
    static bool started = [] {
        FuzzFolder();
        char here[4096];
        if (!getcwd(here, sizeof here)) return false;
        NpHostOptions options;
        if (!NpHostStart(options)) return false;
        NpHostPlugin plugin = {NP_GetMIMEDescription, NP_GetValue, NP_Initialize, NP_Shutdown};
        bool ok = NpHostInitialize(plugin) == NPERR_NO_ERROR;
        // NP_Initialize made the plug-in's folder current; the fuzzer's (with its corpus) is given back.
        return chdir(here) == 0 && ok;
    }();
    return started;
}

bool Terminated(const char *text, size_t size) { return memchr(text, 0, size) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > kMaxInput || !Started()) return 0;
    NpHostParams params;
    std::string text(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    for (bool name = true; start <= text.size() && params.size() < kMaxParams; name = !name) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (name) {
            params.push_back(NpHostParam{line, "", false});
        } else if (line != "\x01") {
            params.back().value = line;
            params.back().hasValue = true;
        }
        start = end + 1;
    }
    long blocks = NpHostBlocksAlive(), objects = NpHostObjectsAlive();
    NPError result = NPERR_GENERIC_ERROR;
    int index = NpHostNew(params, NpHostElement(), &result);
    if (result != NPERR_NO_ERROR) __builtin_trap();
    NpHostSetWindow(index);
    const PlugInInstance *p = PlugInFromNPP(NpHostInstance(index));
    if (!p || !Terminated(p->docName, sizeof p->docName) || !Terminated(p->pluginsPage, sizeof p->pluginsPage))
        __builtin_trap();
    if (!(p->zoom == 1.0f || (p->zoom >= 0.5f && p->zoom <= 4.0f))) __builtin_trap();
    if (PlugInQuarterTurns(p) < 0 || PlugInQuarterTurns(p) > 3 || PlugInKeyboardOctaves(p) < 1 ||
        PlugInKeyboardOctaves(p) > 9 || PlugInKeyboardFirstOctave(p) < 0 || PlugInKeyboardFirstOctave(p) > 10 ||
        PlugInCurrentPage(p) < 1 || !(PlugInLyricsScale(p) >= 0.1f) || PlugInListPlayMode(p) < 0 ||
        PlugInListPlayMode(p) > 5 || PlugInPaperMargin(p) < 0 || PlugInPosSplit(p) < 0 || PlugInTitleHeight(p) < 1)
        __builtin_trap();
    NpHostRunQueued();
    NpHostDestroy(index);
    NpHostRunQueued();
    if (plugInState.premiereInstance || NpHostBlocksAlive() != blocks || NpHostObjectsAlive() != objects)
        __builtin_trap();
    PlugSetTrace(kFalse);  // DEBUG may have turned it on
    return 0;
}
