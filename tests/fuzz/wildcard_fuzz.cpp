// ctest-labels: encodings-files
// Any pattern against any name: the bytes before the first NUL are the pattern, the rest the name.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/core/linux_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 4096) return 0;
    std::string bytes(reinterpret_cast<const char *>(data), size);
    size_t split = bytes.find('\0');
    std::string pattern = bytes.substr(0, split);
    std::string name = split == std::string::npos ? std::string() : bytes.substr(split + 1);
    name = name.substr(0, name.find('\0'));
    OrvaWildcardMatch(pattern.c_str(), name.c_str());
    OrvaWildcardMatch(name.c_str(), pattern.c_str());
    return 0;
}
