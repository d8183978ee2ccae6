#include "FuzzTargets.h"

#include <vector>

#include "background/ArchiveStream.h"
#include "background/ImageLoad.h"
#include "background/RowPipe.h"
#include "background/kvneColors.h"
#include "settings/ProfileList.h"
#include "support/Errors.h"
#include "support/TextWork.h"
#include "todo/ArchivedItems.h"
#include "todo/CategoryList.h"

namespace {

void Load(const char* name, const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    TBitmap bitmap;
    try {
        LoadImageStream(bitmap, name, stream);
    } catch (const EError&) {
    }
}

}  // namespace

// The rows a rendering reads: through a pipe, made from the decoder's planes where it can.
void ReadThroughPipe(const char* name, const std::uint8_t* data, std::size_t size) {
    try {
        auto rows = OpenPictureRows(name, std::make_shared<const std::vector<std::uint8_t>>(data, data + size), nullptr, true);
        if (!rows || static_cast<std::int64_t>(rows->Width()) * rows->Height() > 4 * 1024 * 1024) return;
        std::atomic<bool> stop{false};
        TRowPipe pipe(*rows, stop);
        for (int y = 0; y < rows->Height(); ++y) {
            pipe.Release(y);
            if (!pipe.Row(y)) return;
        }
        pipe.Finish();
    } catch (const EError&) {
    }
}

void FuzzPng(const std::uint8_t* data, std::size_t size) {
    Load("f.png", data, size);
    ReadThroughPipe("f.png", data, size);
}

void FuzzBmp(const std::uint8_t* data, std::size_t size) {
    Load("f.bmp", data, size);
    ReadThroughPipe("f.bmp", data, size);
}

void FuzzJpeg(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    const char* name = data[0] & 1 ? "f.jpx" : "f.jpg";
    Load(name, data + 1, size - 1);
    ReadThroughPipe(name, data + 1, size - 1);
}

void FuzzFarc(const std::uint8_t* data, std::size_t size) {
    try {
        TArchiveStream archive(std::make_unique<TMemoryStream>(std::vector<std::uint8_t>(data, data + size)));
        std::uint8_t buffer[256];
        for (int i = 0; i < archive.Index().Count(); ++i) {
            archive.SelectIndex(i);
            archive.SelectName(archive.Index().Names(i));
            const std::int64_t entrySize = archive.Size();
            archive.Read(buffer, static_cast<std::size_t>(std::min<std::int64_t>(entrySize, sizeof buffer)));
            archive.Seek32(-1, soEnd);
            archive.Seek(entrySize / 2, soBeginning);
        }
    } catch (const EError&) {
    }
}

void FuzzClr(const std::uint8_t* data, std::size_t size) {
    TColorsList colors;
    colors.LoadFromText(std::string(reinterpret_cast<const char*>(data), size));
    colors.GetColor(kColorWindowBackground);
    colors.LoadFromText(colors.GetText());
}

void FuzzIni(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TprofileList list;
    list.ParseLines(SplitLines(SkipUtf8Mark(text)));
    TFontSpec font;
    list.ReadFont("SCREENFONT", font);
    list.WriteInteger("SORT", "auto", 1);
    list.UpdatedText(text);
    CategoryLines(text);
}

void FuzzItems(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TTodoData items;
    items.LoadFromText(text);
    TTodoData again;
    again.LoadFromText(items.SaveToText());
    if (again.SaveToText() != items.SaveToText()) __builtin_trap();
    // Every line taken out, one at a time, leaves the bytes of every other.
    TArchivedItem line;
    std::vector<TArchivedItem> wanted;
    for (int i = 0; i < 4; ++i) {
        line.line = i;
        line.text = text.substr(0, text.find_first_of("\r\n"));
        wanted.push_back(line);
    }
    const std::vector<int> found = LocateLines(text, wanted);
    const std::string kept = RemoveLines(text, found);
    if (kept.size() > text.size() || RemoveLines(text, {}) != text) __builtin_trap();
}
