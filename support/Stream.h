// Byte streams: memory, files, and (in background/) the archive stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; answers how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    std::int64_t Size();
    // Reads exactly count bytes or answers false (the stream is then at its end).
    bool ReadExact(void* buffer, std::size_t count) { return Read(buffer, count) == count; }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A file opened for reading (others may read too). Raises EFileError "<path> を開けません".
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

private:
    std::FILE* file_ = nullptr;
};

// The whole rest of a stream, at most limit bytes; false when the stream holds more.
bool ReadRest(TStream& stream, std::vector<std::uint8_t>& bytes, std::size_t limit);
