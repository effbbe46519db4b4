// The text description of a resource file that orva-rsrc builds from and dumps to: one block
// per resource (type, id, optional name) of typed items. The format is documented in
// docs/resource-description.md.
#pragma once

#include <string>
#include <vector>

#include "platform/core/mac_types.h"

// One resource of a description, its data already laid out.
struct DescribedResource {
    ResType type;
    SInt16 id;
    bool hasName;
    std::string name;               // MacRoman bytes, at most 255
    std::vector<UInt8> data;
    int line;                       // where its block starts, for messages
};

// Reads a description (UTF-8 text) and appends its resources; those already in resources (from
// descriptions read before) may be copied and may not be defined again. On failure answers
// false with "LINE: message" in error. Relative paths of `file` and `cicn` start at baseFolder.
bool ParseDescription(const std::string &text, const std::string &baseFolder,
                      std::vector<DescribedResource> *resources, std::string *error);
// Writes the description of resources (in the order given) that ParseDescription turns back
// into the same resources.
std::string DescribeResources(const std::vector<DescribedResource> &resources);
// A type or name as the list and dump commands show it, quoted and escaped.
std::string QuoteBytes(const std::string &bytes, char quote);
