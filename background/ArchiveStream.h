// FARC archives: several named files in one, each behind a 37-byte index record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/Errors.h"
#include "support/Stream.h"

class EarcSTreamError : public EError {
public:
    explicit EarcSTreamError(const std::string& text) : EError("TArchiveStream:\r\n" + text) {}
};

// The packed 37-byte index record of one entry.
struct TFileRecord {
    std::int32_t Id = 0;
    std::int32_t NameLength = 0;
    std::int64_t DataOffset = 0;
    std::uint8_t Flag = 1;
    std::int64_t DataSize = 0;
    std::uint8_t Unused[12] = {};

    static constexpr std::size_t kSize = 37;
    void Pack(std::uint8_t* out) const;
    void Unpack(const std::uint8_t* in);
};

// Entry names (found without regard to case) with their records.
class TfilesList {
public:
    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& Names(int index) const { return names_.at(static_cast<std::size_t>(index)); }
    TFileRecord& Records(int index) { return records_.at(static_cast<std::size_t>(index)); }
    const TFileRecord& Records(int index) const { return records_.at(static_cast<std::size_t>(index)); }

    // A name without a record gets the next id, its name length and flag 1.
    int Add(const std::string& name);
    int Add(const std::string& name, const TFileRecord& record);
    void Insert(int index, const std::string& name);
    void SetName(int index, const std::string& name);
    int IndexOf(const std::string& name) const;
    void Clear();

    // For each entry its record, then its name.
    std::string Pack() const;
    void Unpack(const std::string& packed);

private:
    std::vector<std::string> names_;
    std::vector<TFileRecord> records_;
};

class TArchiveStream : public TStream {
public:
    explicit TArchiveStream(const std::string& fileName);
    // Over a stream of its own (tests, memory); owns it.
    explicit TArchiveStream(std::unique_ptr<TStream> file);

    void Reload();
    bool SelectIndex(int index);
    bool SelectName(const std::string& name) { return SelectIndex(index_.IndexOf(name)); }
    int SelectedIndex() const { return selected_; }
    const TfilesList& Index() const { return index_; }

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Read(void* buffer, std::int64_t count);
    // Positions run from 0 to the selected entry's size; outside raises.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // The same, clamped to the entry instead of raising.
    std::int32_t Seek32(std::int32_t offset, TSeekOrigin origin);
    [[noreturn]] void Write(const void* buffer, std::size_t count);

private:
    std::int64_t TargetPosition(std::int64_t offset, TSeekOrigin origin, std::int64_t& start, std::int64_t& end);

    std::int64_t countPosition_ = 0;
    std::unique_ptr<TStream> file_;
    int selected_ = -1;
    TfilesList index_;
};

// Builds an archive of named files (tests and tools make archives with it).
std::vector<std::uint8_t> PackArchive(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files,
                                      std::int64_t reservedLength = 56);
