#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "support/Errors.h"
#include "support/FileIO.h"

namespace {

bool WriteAll(int fd, const std::string& content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// Case-insensitive wildcard match, as the Windows file system does it.
bool MatchesMask(const char* name, const char* mask) {
    if (*mask == '\0') return *name == '\0';
    if (*mask == '*') return MatchesMask(name, mask + 1) || (*name && MatchesMask(name + 1, mask));
    if (*name == '\0') return false;
    if (*mask != '?' && std::tolower(static_cast<unsigned char>(*mask)) != std::tolower(static_cast<unsigned char>(*name)))
        return false;
    return MatchesMask(name + 1, mask + 1);
}

}  // namespace

// Through links to links, even when the file at the end is missing.
std::string FileBehind(const std::string& path) {
    std::string target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        char to[4096];
        const ssize_t n = ::readlink(target.c_str(), to, sizeof to);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof to)) return target;
        const std::string next(to, static_cast<std::size_t>(n));
        target = next[0] == '/' ? next : FolderOf(target) + "/" + next;
    }
    return target;  // a ring of links: the save fails at the file, as a read of it does
}

std::vector<FolderEntry> ReadFolder(const std::string& folder, const std::string& mask) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    const std::string pattern = mask == "*.*" ? "*" : mask;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == ".." || !MatchesMask(name.c_str(), pattern.c_str())) continue;
        struct stat st;
        const bool link = ::lstat((folder + "/" + name).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        entries.push_back({name, FolderExists(folder + "/" + name), name[0] == '.', link});
    }
    ::closedir(dir);
    return entries;
}

bool CopyFileRaw(const std::string& source, const std::string& target) {
    std::string content;
    try {
        if (!ReadWholeFile(source, content)) return false;
    } catch (const EFileError&) {
        return false;
    }
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, content);
    return (::close(fd) == 0) && ok;
}

bool MoveFileReplacing(const std::string& source, const std::string& target) {
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool DeleteFileAt(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool GetFileStamp(const std::string& path, TFileStamp& stamp) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp.size = st.st_size;
    stamp.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.identity = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool StampSettled(const TFileStamp& stamp) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t clock = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return SettledAt(stamp.modified, clock, 1000000000);
}

std::int64_t SteadyMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool CanWriteInFolder(const std::string& folder) {
    if (!FolderExists(folder)) return false;
    std::string probe = folder + "/mrlXXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void AppendToFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (fd < 0) throw EFileError(CannotWriteMessage(path));
    struct stat st;
    const bool sized = ::fstat(fd, &st) == 0;
    bool ok = sized && WriteAll(fd, text);
    // A write cut short (a full disk) takes its part line away again.
    if (!ok && sized) (void)!::ftruncate(fd, st.st_size);
    ok = (::close(fd) == 0) && ok;
    if (!ok) throw EFileError(CannotWriteMessage(path));
}

TFileReader::~TFileReader() {
    if (file_ >= 0) ::close(static_cast<int>(file_));
}

bool TFileReader::Open(const std::string& path) {
    path_ = path;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        throw EFileError(CannotReadMessage(path));
    }
    file_ = fd;
    struct stat st;
    size_ = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    return true;
}

std::size_t TFileReader::Read(char* into, std::size_t most) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(file_), into, most);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw EFileError(CannotReadMessage(path_));
    }
}

TSafeFileWriter::TSafeFileWriter(const std::string& path) : path_(path), target_(FileBehind(path)) {
    // A temporary file left by an interrupted save is overwritten; whatever cannot be
    // (a folder, a file we may not write) is stepped over for the next name.
    for (int attempt = 0; attempt < kTemporaryNameCount && file_ < 0; ++attempt) {
        temp_ = TemporaryNameFor(target_, attempt);
        file_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    }
    if (file_ < 0) throw EFileError(CannotWriteMessage(path));
}

TSafeFileWriter::~TSafeFileWriter() {
    if (file_ >= 0) ::close(static_cast<int>(file_));
    if (file_ >= 0 || finished_) ::unlink(temp_.c_str());
}

void TSafeFileWriter::Fail() {
    if (file_ >= 0) ::close(static_cast<int>(file_));
    file_ = -1;
    finished_ = false;
    ::unlink(temp_.c_str());
    throw EFileError(CannotWriteMessage(path_));
}

void TSafeFileWriter::Write(const char* data, std::size_t size) {
    if (file_ < 0) Fail();
    while (size > 0) {
        ssize_t n = ::write(static_cast<int>(file_), data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail();
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

TFileStamp TSafeFileWriter::Finish(bool flush) {
    if (file_ < 0) Fail();
    const int fd = static_cast<int>(file_);
    file_ = -1;
    finished_ = true;
    flushed_ = flush;
    bool ok = !flush || ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) Fail();
    TFileStamp written{};
    GetFileStamp(temp_, written);
    return written;
}

void TSafeFileWriter::Swap() {
    if (!finished_ || ::rename(temp_.c_str(), target_.c_str()) != 0) Fail();
    finished_ = false;
    if (flushed_) {  // make the rename itself durable
        int dir = ::open(FolderOf(target_).c_str(), O_RDONLY);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}

TFileStamp ReplaceFileSafely(const std::string& path, const std::string& content, bool flush) {
    TSafeFileWriter writer(path);
    writer.Write(content.data(), content.size());
    return writer.Commit(flush);
}
