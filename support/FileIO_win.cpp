#include <windows.h>

#include <algorithm>

#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/TextWork.h"

namespace {

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(ToWide(path).c_str()); }

bool WriteAll(HANDLE file, const std::string& content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        left -= written;
    }
    return true;
}

bool MoveReplacing(const std::wstring& source, const std::wstring& target) {
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// A virus scanner, a backup or an editor may hold the target open for a moment: the move is
// tried again for about a second before it counts as failed.
bool MoveReplacingWithRetries(const std::wstring& source, const std::wstring& target) {
    constexpr int kAttempts = 10;
    for (int attempt = 1;; ++attempt) {
        if (MoveReplacing(source, target)) return true;
        const DWORD error = GetLastError();
        const bool held =
            error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == kAttempts) return false;
        Sleep(100);
    }
}

}  // namespace

// Empty for a link whose end cannot be reached.
std::string FileBehind(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return path;  // a new file
    // Every existing file is asked for its final name: links kept by the file system below
    // (a share's, or Wine's) do not show as reparse points.
    const HANDLE file = CreateFileW(ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return attributes & FILE_ATTRIBUTE_REPARSE_POINT ? std::string() : path;
    std::wstring final(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        const bool fits = n < final.size();
        final.resize(n == 0 ? 0 : fits ? n : n + 1);
        if (n == 0 || fits) break;
    }
    CloseHandle(file);
    // "\\?\C:\..." and "\\?\UNC\server\..." as the rest of the program writes them.
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
        final.replace(0, 8, L"\\\\");
    else if (final.rfind(L"\\\\?\\", 0) == 0)
        final.erase(0, 4);
    if (final.empty()) return path;
    std::string narrow = FromWide(final);
    if (ToWide(narrow) == final) return narrow;
    // A folder the code page cannot name is reached by its short 8.3 form; the file keeps its
    // own name, which a move to its short one would replace. Without them, a link fails the
    // save, as one leading nowhere does; a file of its own takes the path as given.
    const std::size_t cut = final.rfind(L'\\');
    const std::wstring folder = final.substr(0, cut + 1), name = final.substr(cut + 1);
    const DWORD size = cut == std::wstring::npos ? 0 : GetShortPathNameW(folder.c_str(), nullptr, 0);
    std::wstring shortFolder(size, L'\0');
    shortFolder.resize(size == 0 ? 0 : GetShortPathNameW(folder.c_str(), shortFolder.data(), size));
    if (!shortFolder.empty() && shortFolder.size() < size) {
        if (shortFolder.back() != L'\\') shortFolder += L'\\';
        narrow = FromWide(shortFolder + name);
        if (ToWide(narrow) == shortFolder + name) return narrow;
    }
    return attributes & FILE_ATTRIBUTE_REPARSE_POINT ? std::string() : path;
}

bool FileExists(const std::string& path) {
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool GetFileStamp(const std::string& path, TFileStamp& stamp) {
    const std::wstring name = ToWide(path);
    // Opened for nothing but its information, beside whoever holds it; a file that cannot be
    // opened so still has a size and a time.
    const HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool opened = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!opened) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return false;
        info.dwFileAttributes = data.dwFileAttributes;
        info.ftLastWriteTime = data.ftLastWriteTime;
        info.nFileSizeHigh = data.nFileSizeHigh;
        info.nFileSizeLow = data.nFileSizeLow;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified =
        (static_cast<std::int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.identity = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool StampSettled(const TFileStamp& stamp) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::int64_t clock = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return SettledAt(stamp.modified, clock, 10000000);  // in 100 ns
}

std::int64_t SteadyMilliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

bool FolderExists(const std::string& path) {
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const std::string& path) { return CreateDirectoryW(ToWide(path).c_str(), nullptr) != FALSE; }

bool CanWriteInFolder(const std::string& folder) {
    if (!FolderExists(folder)) return false;
    std::string stem = folder;
    if (!EndsWithChar(stem, '\\')) stem += '\\';  // "表" ends in a backslash byte too
    stem += "memorail-" + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 10; ++attempt) {
        HANDLE probe = CreateFileW(ToWide(stem + std::to_string(attempt) + ".tmp").c_str(), GENERIC_WRITE | DELETE, 0,
                                   nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);  // and with it the file
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

void AppendToFile(const std::string& path, const std::string& text) {
    // Write access as well as appending, so that a write cut short (a full disk) can take its
    // part line away again; no other program writes meanwhile.
    HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EFileError(CannotWriteMessage(path));
    LARGE_INTEGER end{};
    const bool atEnd = SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END) != FALSE;
    bool ok = atEnd && WriteAll(file, text);
    if (!ok && atEnd && SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
    ok = CloseHandle(file) && ok;
    if (!ok) throw EFileError(CannotWriteMessage(path));
}

TFileReader::~TFileReader() {
    if (file_ != -1) CloseHandle(reinterpret_cast<HANDLE>(file_));
}

bool TFileReader::Open(const std::string& path) {
    path_ = path;
    HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
        throw EFileError(CannotReadMessage(path));
    }
    file_ = reinterpret_cast<std::intptr_t>(file);
    LARGE_INTEGER size{};
    size_ = GetFileSizeEx(file, &size) && size.QuadPart > 0 ? static_cast<std::size_t>(size.QuadPart) : 0;
    return true;
}

std::size_t TFileReader::Read(char* into, std::size_t most) {
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file_), into, static_cast<DWORD>(std::min<std::size_t>(most, 1u << 30)),
                  &got, nullptr))
        throw EFileError(CannotReadMessage(path_));
    return got;
}

TSafeFileWriter::TSafeFileWriter(const std::string& path) : path_(path), target_(FileBehind(path)) {
    if (target_.empty()) throw EFileError(CannotWriteMessage(path));
    // A temporary file left by an interrupted save is overwritten; whatever cannot be (a
    // folder, a read-only file, one another program holds open) is stepped over for the next name.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTemporaryNameCount && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp_ = TemporaryNameFor(target_, attempt);
        file = CreateFileW(ToWide(temp_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) throw EFileError(CannotWriteMessage(path));
    file_ = reinterpret_cast<std::intptr_t>(file);
}

TSafeFileWriter::~TSafeFileWriter() {
    if (file_ != -1) CloseHandle(reinterpret_cast<HANDLE>(file_));
    if (file_ != -1 || finished_) DeleteFileW(ToWide(temp_).c_str());
}

void TSafeFileWriter::Fail() {
    if (file_ != -1) CloseHandle(reinterpret_cast<HANDLE>(file_));
    file_ = -1;
    finished_ = false;
    DeleteFileW(ToWide(temp_).c_str());
    throw EFileError(CannotWriteMessage(path_));
}

void TSafeFileWriter::Write(const char* data, std::size_t size) {
    if (file_ == -1) Fail();
    const HANDLE file = reinterpret_cast<HANDLE>(file_);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) Fail();
        data += written;
        size -= written;
    }
}

TFileStamp TSafeFileWriter::Finish(bool flush) {
    if (file_ == -1) Fail();
    const HANDLE file = reinterpret_cast<HANDLE>(file_);
    file_ = -1;
    finished_ = true;
    bool ok = !flush || FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok) Fail();
    TFileStamp written{};
    GetFileStamp(temp_, written);
    return written;
}

void TSafeFileWriter::Swap() {
    // The move goes to the disk before it answers (MOVEFILE_WRITE_THROUGH).
    if (!finished_ || !MoveReplacingWithRetries(ToWide(temp_), ToWide(target_))) Fail();
    finished_ = false;
}

TFileStamp ReplaceFileSafely(const std::string& path, const std::string& content, bool flush) {
    TSafeFileWriter writer(path);
    writer.Write(content.data(), content.size());
    return writer.Commit(flush);
}

std::vector<FolderEntry> ReadFolder(const std::string& folder, const std::string& mask) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(ToWide(folder + "\\" + mask).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        // A name outside code page 932 is reached through its short 8.3 name.
        std::string narrow = FromWide(name);
        if (ToWide(narrow) != name && data.cAlternateFileName[0]) narrow = FromWide(data.cAlternateFileName);
        // Links only; other reparse points (a synced folder's files kept online) are the folder's own.
        const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                          (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
        entries.push_back({narrow, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0, link});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}

bool CopyFileRaw(const std::string& source, const std::string& target) {
    return CopyFileW(ToWide(source).c_str(), ToWide(target).c_str(), FALSE) != FALSE;
}

bool MoveFileReplacing(const std::string& source, const std::string& target) {
    return MoveReplacing(ToWide(source), ToWide(target));
}

bool DeleteFileAt(const std::string& path) { return DeleteFileW(ToWide(path).c_str()) != FALSE; }
