// Reading files, whole or a piece at a time, on top of the system's TFileReader.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/TextWork.h"

namespace {

// A piece of a file read at a time, when it is worked on as it arrives: small enough to stay in the cache.
constexpr std::size_t kReadPiece = 256 * 1024;

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& content, std::size_t spare,
                   const std::function<void(std::string_view, std::size_t)>& arrived) {
    content.clear();
    TFileReader file;
    if (!file.Open(path)) return false;
    // A file larger than memory can hold cannot be read either: callers leave it as it is. What
    // arrived raises goes on as it is.
    const auto grow = [&](auto step) {
        try {
            step();
        } catch (const std::bad_alloc&) {
            throw EFileError(CannotReadMessage(path));
        } catch (const std::length_error&) {
            throw EFileError(CannotReadMessage(path));
        }
    };
    std::size_t used = 0;
    try {
        const std::size_t whole = file.Size() + 1;  // a byte more tells the end without growing
        grow([&] { content.reserve(std::max(whole, file.Size() + spare)); });
        for (;;) {
            if (used == content.size()) {
                // Straight into the string, sized from the file; a file that grows meanwhile is
                // read to its end. Read a piece at a time, each piece's memory is touched first
                // just before it is read into.
                std::size_t size = used < whole ? whole : 2 * used;
                if (arrived) size = std::min(size, used + kReadPiece);
                grow([&] { content.resize(size); });
            }
            const std::size_t got = file.Read(content.data() + used, content.size() - used);
            if (got == 0) break;
            used += got;
            if (arrived) arrived(std::string_view(content.data(), used), file.Size());
        }
    } catch (...) {
        content = std::string();
        throw;
    }
    content.resize(used);
    return true;
}

bool FileHolds(const std::string& path, std::string_view bytes, std::string_view more) {
    TFileReader file;
    const std::size_t size = bytes.size() + more.size();
    if (FolderExists(path) || !file.Open(path) || file.Size() != size) return false;
    constexpr std::size_t kPiece = 64 * 1024;
    std::unique_ptr<char[]> piece(new char[kPiece]);
    // Whether got bytes read at used are the same as those of text that starts at `from`.
    const auto same = [&](std::string_view text, std::size_t from, std::size_t used, std::size_t got) {
        const std::size_t start = std::clamp(used, from, from + text.size()), end = std::clamp(used + got, from, from + text.size());
        return end == start || std::memcmp(piece.get() + (start - used), text.data() + (start - from), end - start) == 0;
    };
    for (std::size_t used = 0;;) {
        const std::size_t got = file.Read(piece.get(), kPiece);
        if (got == 0) return used == size;
        if (got > size - used || !same(bytes, 0, used, got) || !same(more, bytes.size(), used, got)) return false;
        used += got;
    }
}

void RefuseUtf16(const std::string& path, std::string_view content) {
    if (LooksLikeUtf16(content)) throw EFileError(NotShiftJisMessage(path));
}

void RefuseUtf16File(const std::string& path) {
    std::string content;
    if (ReadWholeFile(path, content)) RefuseUtf16(path, content);
}

std::size_t PastLastBreak(std::string_view text, std::size_t from) {
    std::size_t cut = text.size();
    while (cut > from && text[cut - 1] != '\r' && text[cut - 1] != '\n') --cut;
    return cut;
}

void ReadInLines(TFileReader& file, const std::function<void(std::string_view)>& take) {
    // Memory of the file's size would cost the system a fresh page for every 4 KB read.
    std::string buffer(kReadPiece, '\0');
    std::size_t held = 0;  // the start of a line, at the buffer's start, with no line break in it
    for (;;) {
        if (held == buffer.size()) buffer.resize(buffer.size() * 2);
        const std::size_t got = file.Read(buffer.data() + held, buffer.size() - held);
        if (got == 0) break;
        const std::size_t end = held + got;
        const std::size_t cut = PastLastBreak(std::string_view(buffer.data(), end), held);
        if (cut == held) {
            held = end;
            continue;
        }
        take(std::string_view(buffer.data(), cut));
        std::memmove(buffer.data(), buffer.data() + cut, end - cut);
        held = end - cut;
    }
    if (held > 0) take(std::string_view(buffer.data(), held));
}
