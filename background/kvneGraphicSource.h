// The image source cache: named bitmaps shared by the flat buttons, loaded from a search
// folder, the program's resources or an archive, or made as plain filled bitmaps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "background/ArchiveStream.h"
#include "background/Bitmap.h"

class TGraphic4 : public TBitmap {
public:
    TGraphic4() { Allocate(0, 0, 24); }
    std::uint8_t Kind = 0;
    std::int32_t UsageCount = 0;
};

// Bytes of the program's RC_DATA resource of that name; false when there is none.
bool ReadProgramResource(const std::string& name, std::vector<std::uint8_t>& bytes);

class TGraphicSource {
public:
    // Opens "graphic" in the program's folder as archive 0 when it exists.
    explicit TGraphicSource(const std::string& programFolder = {});

    // Mode 0 and 1 share cached bitmaps (1 marks them), 2 loads a fresh uncached one,
    // 3 always adds a new cache entry.
    std::shared_ptr<TGraphic4> GetGraphic(const std::string& name, int mode, int archiveIndex);
    std::shared_ptr<TGraphic4> LoadGraphic(const std::string& name, int archiveIndex);

    void SetSearchFolder(const std::string& folder) { searchFolder_ = folder; }
    void AddArchive(const std::string& name, std::unique_ptr<TArchiveStream> archive);
    int ArchiveCount() const { return static_cast<int>(archives_.size()); }
    int Count() const { return static_cast<int>(cache_.size()); }

private:
    struct Entry {
        std::string name;
        std::shared_ptr<TGraphic4> bitmap;
    };
    std::vector<Entry> cache_;
    std::vector<std::pair<std::string, std::unique_ptr<TArchiveStream>>> archives_;
    std::string searchFolder_;
};

// "\16,8,$0000FF,32": a width × height bitmap filled with the colour, 32-bit with alpha 255
// when the fourth field is "32".
void MakePlainBitmap(TBitmap& bitmap, const std::string& description);

// The program's image source, for the whole run: "graphic" in the program's folder as archive 0.
TGraphicSource& GraphicSource();
