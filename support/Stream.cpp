#include "support/Stream.h"

#include <algorithm>
#include <cstring>

#include "support/Errors.h"

#ifdef _WIN32
#include <share.h>

#include "support/Encoding_win.h"
#endif

std::int64_t TStream::Size() {
    std::int64_t here = Seek(0, soCurrent);
    std::int64_t size = Seek(0, soEnd);
    Seek(here, soBeginning);
    return size;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    std::size_t n = position_ < bytes_.size() ? std::min(count, bytes_.size() - position_) : 0;
    if (n) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? static_cast<std::int64_t>(position_)
                                                                        : static_cast<std::int64_t>(bytes_.size());
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

TFileStream::TFileStream(const std::string& path) {
#ifdef _WIN32
    file_ = _wfsopen(ToWide(path).c_str(), L"rb", _SH_DENYWR);
#else
    file_ = std::fopen(path.c_str(), "rb");
#endif
    if (!file_) throw EFileError(path + " を開けません");
}

TFileStream::~TFileStream() { std::fclose(file_); }

std::size_t TFileStream::Read(void* buffer, std::size_t count) { return std::fread(buffer, 1, count, file_); }

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
#ifdef _WIN32
    _fseeki64(file_, offset, whence);
    return _ftelli64(file_);
#else
    fseeko(file_, offset, whence);
    return ftello(file_);
#endif
}

bool ReadRest(TStream& stream, std::vector<std::uint8_t>& bytes, std::size_t limit) {
    std::int64_t left = stream.Size() - stream.Position();
    if (left < 0) left = 0;
    if (static_cast<std::uint64_t>(left) > limit) return false;
    bytes.resize(static_cast<std::size_t>(left));
    bytes.resize(stream.Read(bytes.data(), bytes.size()));
    return true;
}
