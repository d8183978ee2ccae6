#include <cstring>

#include "background/EmbeddedResources.h"
#include "background/kvneGraphicSource.h"

// The native build has no resources of its own; the background's are embedded at build time.
bool ReadProgramResource(const std::string& name, std::vector<std::uint8_t>& bytes) {
    for (int i = 0; i < kEmbeddedResourceCount; ++i)
        if (name == kEmbeddedResources[i].name) {
            bytes.assign(kEmbeddedResources[i].bytes, kEmbeddedResources[i].bytes + kEmbeddedResources[i].size);
            return true;
        }
    return false;
}
