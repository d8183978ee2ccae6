#include <windows.h>

#include "background/kvneGraphicSource.h"
#include "support/Encoding_win.h"

bool ReadProgramResource(const std::string& name, std::vector<std::uint8_t>& bytes) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, ToWide(name).c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes.assign(begin, begin + SizeofResource(module, resource));
    return true;
}
