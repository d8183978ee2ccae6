#include "background/kvneGraphicSource.h"

#include "background/GraphicWork.h"
#include "background/ImageLoad.h"
#include "support/FileIO.h"
#include "support/Functions.h"
#include "support/TextWork.h"

void MakePlainBitmap(TBitmap& bitmap, const std::string& description) {
    std::string text;
    for (std::size_t i = 0; i < description.size(); i += CharLength(description, i))
        if (description[i] != '\\') text.append(description, i, CharLength(description, i));
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(text.substr(start, comma - start));
    fields.push_back(text.substr(start));
    fields.resize(4);
    auto number = [](const std::string& field) {
        std::int32_t v = 0;
        return TryStrToInt(field, v) ? v : 0;
    };
    const int width = number(fields[0]), height = number(fields[1]);
    const std::int32_t color = number(fields[2]);
    const bool alpha = fields[3] == "32";
    if (width > 0 && height > 0) CheckImageSize(width, height);
    bitmap.Allocate(std::max(width, 0), std::max(height, 0), alpha ? 32 : 24);
    const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
                                   static_cast<std::uint8_t>(color), 255};
    const int n = alpha ? 4 : 3;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) std::copy(pixel, pixel + n, bitmap.ScanLine(y) + x * n);
}

TGraphicSource::TGraphicSource(const std::string& programFolder) {
    const std::string archive = programFolder + "graphic";
    if (!programFolder.empty() && FileExists(archive))
        AddArchive("graphic", std::make_unique<TArchiveStream>(archive));
}

void TGraphicSource::AddArchive(const std::string& name, std::unique_ptr<TArchiveStream> archive) {
    archives_.emplace_back(name, std::move(archive));
}

std::shared_ptr<TGraphic4> TGraphicSource::LoadGraphic(const std::string& name, int archiveIndex) {
    auto bitmap = std::make_shared<TGraphic4>();
    if (!name.empty() && name[0] == '\\') {
        MakePlainBitmap(*bitmap, name);
        return bitmap;
    }
    if (!searchFolder_.empty() && FileExists(searchFolder_ + name)) {
        TFileStream file(searchFolder_ + name);
        LoadImageStream(*bitmap, name, file);
    } else if (archiveIndex == -1) {
        std::size_t dot = name.find_last_of('.');
        std::vector<std::uint8_t> bytes;
        if (ReadProgramResource(dot == std::string::npos ? name : name.substr(0, dot), bytes)) {
            TMemoryStream stream(std::move(bytes));
            LoadImageStream(*bitmap, name, stream);
        }
    } else if (archiveIndex >= 0 && archiveIndex < ArchiveCount()) {
        TArchiveStream& archive = *archives_[static_cast<std::size_t>(archiveIndex)].second;
        if (archive.SelectName(name)) LoadImageStream(*bitmap, name, archive);
    }
    return bitmap;
}

std::shared_ptr<TGraphic4> TGraphicSource::GetGraphic(const std::string& name, int mode, int archiveIndex) {
    if (mode != 3)
        for (Entry& entry : cache_)
            if (SameTextSjis(entry.name, name)) {
                ++entry.bitmap->UsageCount;
                if (entry.bitmap->Kind == 0 && mode == 1) entry.bitmap->Kind = 1;
                return entry.bitmap;
            }
    auto bitmap = LoadGraphic(name, archiveIndex);
    if (mode == 2) return bitmap;
    bitmap->Kind = static_cast<std::uint8_t>(mode == 3 ? 0 : mode);
    bitmap->UsageCount = 1;
    cache_.push_back({name, bitmap});
    return bitmap;
}
