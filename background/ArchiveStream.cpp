#include "background/ArchiveStream.h"

#include <algorithm>
#include <cstring>

#include "support/TextWork.h"

namespace {

void Put(std::uint8_t* out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t Get(const std::uint8_t* in, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | in[i];
    return v;
}

std::string ReadMagic(TStream& s) {
    char magic[4] = {};
    std::size_t n = s.Read(magic, 4);
    return std::string(magic, n);
}

}  // namespace

void TFileRecord::Pack(std::uint8_t* out) const {
    Put(out, static_cast<std::uint32_t>(Id), 4);
    Put(out + 4, static_cast<std::uint32_t>(NameLength), 4);
    Put(out + 8, static_cast<std::uint64_t>(DataOffset), 8);
    out[16] = Flag;
    Put(out + 17, static_cast<std::uint64_t>(DataSize), 8);
    std::memcpy(out + 25, Unused, 12);
}

void TFileRecord::Unpack(const std::uint8_t* in) {
    Id = static_cast<std::int32_t>(Get(in, 4));
    NameLength = static_cast<std::int32_t>(Get(in + 4, 4));
    DataOffset = static_cast<std::int64_t>(Get(in + 8, 8));
    Flag = in[16];
    DataSize = static_cast<std::int64_t>(Get(in + 17, 8));
    std::memcpy(Unused, in + 25, 12);
}

int TfilesList::Add(const std::string& name) {
    TFileRecord record;
    for (const TFileRecord& r : records_) record.Id = std::max(record.Id, r.Id + 1);
    if (records_.empty()) record.Id = 1;
    record.NameLength = static_cast<std::int32_t>(name.size());
    return Add(name, record);
}

int TfilesList::Add(const std::string& name, const TFileRecord& record) {
    names_.push_back(name);
    records_.push_back(record);
    return Count() - 1;
}

void TfilesList::Insert(int index, const std::string& name) {
    Add(name);
    std::rotate(names_.begin() + index, names_.end() - 1, names_.end());
    std::rotate(records_.begin() + index, records_.end() - 1, records_.end());
}

void TfilesList::SetName(int index, const std::string& name) {
    names_.at(static_cast<std::size_t>(index)) = name;
    records_[static_cast<std::size_t>(index)].NameLength = static_cast<std::int32_t>(name.size());
}

int TfilesList::IndexOf(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameTextSjis(names_[static_cast<std::size_t>(i)], name)) return i;
    return -1;
}

void TfilesList::Clear() {
    names_.clear();
    records_.clear();
}

std::string TfilesList::Pack() const {
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        std::uint8_t raw[TFileRecord::kSize];
        records_[static_cast<std::size_t>(i)].Pack(raw);
        out.append(reinterpret_cast<const char*>(raw), TFileRecord::kSize);
        out += names_[static_cast<std::size_t>(i)];
    }
    return out;
}

void TfilesList::Unpack(const std::string& packed) {
    Clear();
    std::size_t at = 0;
    while (at + TFileRecord::kSize <= packed.size()) {
        TFileRecord record;
        record.Unpack(reinterpret_cast<const std::uint8_t*>(packed.data() + at));
        at += TFileRecord::kSize;
        if (record.NameLength < 0 || packed.size() - at < static_cast<std::size_t>(record.NameLength)) break;
        Add(packed.substr(at, static_cast<std::size_t>(record.NameLength)), record);
        at += static_cast<std::size_t>(record.NameLength);
    }
}

TArchiveStream::TArchiveStream(const std::string& fileName) : TArchiveStream(std::make_unique<TFileStream>(fileName)) {}

TArchiveStream::TArchiveStream(std::unique_ptr<TStream> file) : file_(std::move(file)) { Reload(); }

void TArchiveStream::Reload() {
    index_.Clear();
    selected_ = -1;
    const std::int64_t size = file_->Size();
    file_->Seek(0, soBeginning);
    if (size == 0) return;
    std::string magic = ReadMagic(*file_);
    if (magic != "FARC") throw EarcSTreamError("[Reload]ファイルが不正[" + magic + "]です");
    std::uint8_t raw[8] = {};
    file_->Read(raw, 8);
    const std::uint64_t reserved = Get(raw, 8);
    // Lengths, counts and sizes are checked against the file, so that a broken archive
    // raises instead of seeking, allocating or looping without end.
    if (reserved > static_cast<std::uint64_t>(size)) throw EarcSTreamError("[Reload]ファイルヘッダが不正[長さ]です");
    file_->Seek(static_cast<std::int64_t>(reserved), soCurrent);
    magic = ReadMagic(*file_);
    if (magic != "AHDR") throw EarcSTreamError("[Reload]ファイルヘッダが不正[" + magic + "]です");
    std::memset(raw, 0, 8);
    file_->Read(raw, 8);
    const std::uint64_t headerLength = Get(raw, 8);
    countPosition_ = file_->Position();
    if (headerLength < 4 || headerLength > static_cast<std::uint64_t>(size - countPosition_))
        throw EarcSTreamError("[Reload]ファイルヘッダが不正[長さ]です");
    std::uint8_t countRaw[4] = {};
    file_->Read(countRaw, 4);
    const std::int32_t count = static_cast<std::int32_t>(Get(countRaw, 4));
    file_->Seek(countPosition_ + static_cast<std::int64_t>(headerLength), soBeginning);
    magic = ReadMagic(*file_);
    if (magic != "ADAT") throw EarcSTreamError("[Reload]ファイルデータが不正[" + magic + "]です");
    if (count < 0 || static_cast<std::int64_t>(count) * static_cast<std::int64_t>(TFileRecord::kSize) > size)
        throw EarcSTreamError("[Reload]エントリ数が不正[" + std::to_string(count) + "]です");
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint8_t rec[TFileRecord::kSize];
        if (!file_->ReadExact(rec, TFileRecord::kSize)) throw EarcSTreamError("[Reload]エントリが不正[途中で終了]です");
        TFileRecord record;
        record.Unpack(rec);
        const std::int64_t left = size - file_->Position();
        if (record.NameLength < 0 || record.NameLength > left || record.DataSize < 0 ||
            record.DataSize > left - record.NameLength || record.DataOffset < 0 || record.DataOffset > size ||
            record.DataSize > size - record.DataOffset)
            throw EarcSTreamError("[Reload]エントリが不正[" + std::to_string(i) + "]です");
        std::string name(static_cast<std::size_t>(record.NameLength), '\0');
        file_->Read(name.data(), name.size());
        index_.Add(name, record);
        file_->Seek(record.DataSize, soCurrent);
    }
}

bool TArchiveStream::SelectIndex(int index) {
    if (index < 0 || index >= index_.Count()) return false;
    selected_ = index;
    file_->Seek(index_.Records(index).DataOffset, soBeginning);
    return true;
}

std::size_t TArchiveStream::Read(void* buffer, std::int64_t count) {
    if (count < 0) throw EarcSTreamError("[Read]Countが負です(" + std::to_string(count) + ")");
    return Read(buffer, static_cast<std::size_t>(count));
}

std::size_t TArchiveStream::Read(void* buffer, std::size_t count) {
    if (selected_ < 0) throw EarcSTreamError("[Read]読み込みINDEXが指定されていません");
    return file_->Read(buffer, count);
}

std::int64_t TArchiveStream::TargetPosition(std::int64_t offset, TSeekOrigin origin, std::int64_t& start,
                                            std::int64_t& end) {
    const TFileRecord& r = index_.Records(selected_);
    start = r.DataOffset;
    end = start + r.DataSize;
    switch (origin) {
    case soBeginning: return start + offset;
    case soCurrent: return file_->Position() + offset;
    case soEnd: return end + offset;
    }
    return 0;
}

std::int64_t TArchiveStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (selected_ < 0) throw EarcSTreamError("[Seek]読み込みINDEXが指定されていません");
    std::int64_t start, end;
    const std::int64_t p = TargetPosition(offset, origin, start, end);
    if (p < start || p > end) throw EarcSTreamError("[Seek]格納ファイルの範囲外を指定しました");
    if (p != file_->Position()) file_->Seek(p, soBeginning);
    return p - start;
}

std::int32_t TArchiveStream::Seek32(std::int32_t offset, TSeekOrigin origin) {
    if (selected_ < 0) throw EarcSTreamError("[Seek]読み込みINDEXが指定されていません");
    std::int64_t start, end;
    const std::int64_t p = std::clamp(TargetPosition(offset, origin, start, end), start, end);
    if (p != file_->Position()) file_->Seek(p, soBeginning);
    return static_cast<std::int32_t>(p - start);
}

void TArchiveStream::Write(const void*, std::size_t) { throw EarcSTreamError("[Write]対応していません"); }

std::vector<std::uint8_t> PackArchive(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& files,
                                      std::int64_t reservedLength) {
    std::string out;
    auto append = [&](const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); };
    auto append64 = [&](std::uint64_t v) {
        std::uint8_t raw[8];
        Put(raw, v, 8);
        append(raw, 8);
    };
    append("FARC", 4);
    append64(static_cast<std::uint64_t>(reservedLength));
    out.append(static_cast<std::size_t>(reservedLength), '\0');
    append("AHDR", 4);
    append64(4);
    std::uint8_t count[4];
    Put(count, files.size(), 4);
    append(count, 4);
    append("ADAT", 4);
    TfilesList index;
    for (const auto& [name, data] : files) {
        TFileRecord& record = index.Records(index.Add(name));
        record.DataOffset = static_cast<std::int64_t>(out.size() + TFileRecord::kSize + name.size());
        record.DataSize = static_cast<std::int64_t>(data.size());
        std::uint8_t raw[TFileRecord::kSize];
        record.Pack(raw);
        append(raw, TFileRecord::kSize);
        append(name.data(), name.size());
        append(data.data(), data.size());
    }
    return std::vector<std::uint8_t>(out.begin(), out.end());
}
