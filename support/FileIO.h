// The few file operations the portable core needs. Paths are Shift-JIS; on Windows
// they are converted with code page 932, elsewhere they are used as bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
constexpr char kPathDelimiter = '\\';
#else
constexpr char kPathDelimiter = '/';
#endif

bool FileExists(const std::string& path);
// Size, last-write time and identity of a file, together telling whether it changed; false
// when it does not exist. The identity tells a file put in its place (as sync clients deliver)
// even with the same size and time.
struct TFileStamp {
    std::int64_t size = 0;
    std::int64_t modified = 0;    // the system's own unit
    std::uint64_t identity = 0;  // the file's number on its volume; 0 where it could not be had
    bool operator==(const TFileStamp&) const = default;
};
bool GetFileStamp(const std::string& path, TFileStamp& stamp);
// Whether any later rewrite of the file must show in this stamp: its time lies further back
// than the resolution of its file times and a margin. Until then a rewrite of the same size in
// place may leave the stamp as it was.
bool StampSettled(const TFileStamp& stamp);
// The rule, with clock and modified in the same unit, perSecond of them a second: a time on a
// whole second comes from coarse file times (2 s on FAT, 1 s on some shares) and needs 3 s;
// finer times move at least with the system clock's tick, and 0.1 s covers it.
inline bool SettledAt(std::int64_t modified, std::int64_t clock, std::int64_t perSecond) {
    return clock - modified >= (modified % perSecond == 0 ? 3 * perSecond : perSecond / 10);
}
// Milliseconds of a clock that only moves forward, for how long something has been seen.
std::int64_t SteadyMilliseconds();
bool FolderExists(const std::string& path);
// The file a path leads to: where a symbolic link ends (on Windows any reparse point that leads
// on), else the path itself; saves replace that file, and the link stays. A folder code page 932
// cannot name comes in its short 8.3 form. Empty for a link that leads nowhere reachable on
// Windows (a drive that is gone), or to a name without such a form: replacing it would cut
// the list off from where it is kept.
std::string FileBehind(const std::string& path);
// Creates one folder whose parent exists; false if it could not be created.
bool MakeFolder(const std::string& path);
// Whether files can be made in the folder, found by making and deleting one: neither a
// folder's read-only mark nor a look at its access rights tells it on Windows.
bool CanWriteInFolder(const std::string& folder);

// Reads the whole file into content. False when the file does not exist; EFileError when it
// exists but cannot be read, or is larger than memory can hold. spare: room for that many bytes
// more, so that content can be written again a little longer without moving. arrived, when
// given, sees the content read so far after each piece (the file's expected size beside it):
// the file is then read a piece at a time, so that each can be worked on while in the cache.
bool ReadWholeFile(const std::string& path, std::string& content, std::size_t spare = 0,
                   const std::function<void(std::string_view, std::size_t)>& arrived = {});
// Whether the file holds exactly these bytes, then those of more, read a piece at a time
// without a copy of it all. False when it does not exist or is a folder; EFileError when it
// cannot be read.
bool FileHolds(const std::string& path, std::string_view bytes, std::string_view more = {});
// Raise EFileError naming the file as not Shift-JIS when it (or its content, as read) is in
// UTF-16, as an editor may have saved it: read as Shift-JIS it gives NULs, and Shift-JIS
// lines written into it or over it would ruin what it holds.
void RefuseUtf16(const std::string& path, std::string_view content);
void RefuseUtf16File(const std::string& path);

// A file read from its start, as much as asked at a time.
class TFileReader {
public:
    TFileReader() = default;
    ~TFileReader();
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;

    // False when the file does not exist; EFileError when it cannot be opened.
    bool Open(const std::string& path);
    // The size when opened, as a guide: the file may grow meanwhile.
    std::size_t Size() const { return size_; }
    // Up to most bytes into `into`; 0 at the end. EFileError when reading fails.
    std::size_t Read(char* into, std::size_t most);

private:
    std::string path_;
    std::intptr_t file_ = -1;  // the system's handle; -1 when closed (also Windows' invalid handle)
    std::size_t size_ = 0;
};

// Where the text's last line break (CR or LF) ends, looked for from its end back to `from`;
// `from` when there is none there.
std::size_t PastLastBreak(std::string_view text, std::size_t from);

// Reads the rest of an open file a piece at a time, into one buffer used again and again:
// take gets whole lines, each piece ending after a CR or LF (the last where the file ends;
// a line longer than a piece comes whole). EFileError when reading fails.
void ReadInLines(TFileReader& file, const std::function<void(std::string_view)>& take);

// Replaces the file by content in one step: the text goes to a temporary file in the
// same folder, is flushed to disk (unless flush is false), and then takes the old file's
// place. On any failure the old file stays as it was, no temporary file is left, and
// EFileError names the file. Answers the stamp of the file written, taken before it took the
// old file's place: a file put there after it is then seen as a change. A path that is a
// symbolic link replaces the file it leads to, and the link stays (a list kept in a synced
// folder through a link keeps syncing).
TFileStamp ReplaceFileSafely(const std::string& path, const std::string& content, bool flush = true);

// ReplaceFileSafely for text written in pieces, so that a large file needs no buffer of its
// size: the pieces go to the temporary file, and only Commit puts it in the old file's place.
// Any failure, or a writer destroyed before Commit, removes the temporary file and leaves the
// old file as it was; failures throw EFileError naming the file.
class TSafeFileWriter {
public:
    explicit TSafeFileWriter(const std::string& path);
    ~TSafeFileWriter();
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    void Write(const char* data, std::size_t size);
    // Answers the stamp of the file written (see ReplaceFileSafely).
    TFileStamp Commit(bool flush = true) {
        const TFileStamp written = Finish(flush);
        Swap();
        return written;
    }
    // Commit in two steps: the written file closed (flushed first) with its stamp, then put
    // in the file's place. A writer destroyed between them leaves the file as it was.
    TFileStamp Finish(bool flush = true);
    void Swap();

private:
    void Fail();
    std::string path_, target_, temp_;  // target_: the file replaced, path_ or where its link leads
    std::intptr_t file_ = -1;  // the system's handle; -1 when closed (also Windows' invalid handle)
    bool finished_ = false;    // closed and whole, waiting for Swap
    bool flushed_ = false;     // the swap is made durable too (where the system does not)
};

// The temporary files ReplaceFileSafely may write before the swap: "<name>.tmp" and, while a
// leftover one is in the way and cannot be overwritten, "<name>.1.tmp" and so on.
constexpr int kTemporaryNameCount = 10;
inline std::string TemporaryNameFor(const std::string& path, int attempt = 0) {
    return attempt == 0 ? path + ".tmp" : path + "." + std::to_string(attempt) + ".tmp";
}

// Adds text at the end of the file (made when missing) in one write; EFileError names the
// file when it cannot be opened or written, and a write cut short is taken back, so the file
// never ends in part of the text.
void AppendToFile(const std::string& path, const std::string& text);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
    bool hiddenOrSystem = false;  // dot-names count as hidden where the system has no such mark
    bool isLink = false;          // a symbolic link or junction: what it names lies elsewhere
};

// The entries of a folder whose names match the mask ("*" and "?"; "*.*" is everything),
// in the system's order, without "." and "..".
std::vector<FolderEntry> ReadFolder(const std::string& folder, const std::string& mask);

// Copies over an existing target without deleting it first.
bool CopyFileRaw(const std::string& source, const std::string& target);
// Moves the file in one step, replacing an existing target; when the move fails the target
// stays as it was. Windows moves across drives by copying; elsewhere that move fails.
bool MoveFileReplacing(const std::string& source, const std::string& target);
bool DeleteFileAt(const std::string& path);
