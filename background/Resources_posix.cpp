#include "background/kvneGraphicSource.h"

// Only the Windows program carries resources.
bool ReadProgramResource(const std::string&, std::vector<std::uint8_t>&) { return false; }
