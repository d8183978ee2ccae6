#include "todo/TodoData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <tuple>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "support/FileIO.h"
#include "support/SecondCore.h"
#include "support/TextWork.h"
#include "todo/CsvLine.h"

const char* const kNoCategory = "　";

namespace {

// Each byte's value as a hex digit, -1 for other bytes: a table, since colours are random
// mixes of digits and letters that defeat branch prediction.
struct HexDigits {
    signed char of[256] = {};
    constexpr HexDigits() {
        for (int c = 0; c < 256; ++c) of[c] = -1;
        for (int d = 0; d < 10; ++d) of['0' + d] = static_cast<signed char>(d);
        for (int d = 0; d < 6; ++d) of['A' + d] = of['a' + d] = static_cast<signed char>(10 + d);
    }
    int operator()(char c) const { return of[static_cast<unsigned char>(c)]; }
};
constexpr HexDigits kHexDigit;

// Hex digits without prefix or sign; anything else, or more than 32 bits, gives 0.
std::int32_t ParseColor(std::string_view field) {
    std::uint64_t value = 0;
    for (char c : field) {
        const int digit = kHexDigit(c);
        if (digit < 0) return 0;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The first quote, backslash, CR or LF at or after i, n when there is none; sixteen bytes at
// a time, since most fields hold none of them.
std::size_t FindQuoteBackslashOrBreak(std::string_view line, std::size_t i) {
    const std::size_t n = line.size();
#ifdef __SSE2__
    const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, quote), _mm_cmpeq_epi8(x, backslash)),
                                         _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)));
        if (const int hits = _mm_movemask_epi8(hit)) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    while (i < n && line[i] != '"' && line[i] != '\\' && line[i] != '\r' && line[i] != '\n') ++i;
    return i;
}

bool IsLineEnd(std::string_view text, std::size_t k) { return k == text.size() || text[k] == '\r' || text[k] == '\n'; }

// The end of a quoted field's text that starts at i: its closing quote when a comma or the
// line's end follows it. npos for anything SplitCsvLine reads otherwise (a quote inside the
// text, a backslash at the line's end, no closing quote). The line ends at the text's end or
// its next CR or LF. hasBackslash tells whether the text needs UnescapeText.
std::size_t ClosingQuote(std::string_view text, std::size_t i, bool& hasBackslash) {
    while (true) {
        const std::size_t k = FindQuoteBackslashOrBreak(text, i);
        if (IsLineEnd(text, k)) return std::string_view::npos;  // the line ends inside the field
        if (!StartsCharacter(text, i, k)) {  // a two-byte character's second byte
            i = k + 1;
        } else if (text[k] == '"') {
            return IsLineEnd(text, k + 1) || text[k + 1] == ',' ? k : std::string_view::npos;
        } else {
            if (IsLineEnd(text, k + 1)) return std::string_view::npos;
            hasBackslash = true;
            // The escaped character, which a line end cuts short.
            i = k + 1 + (IsLeadByte(static_cast<unsigned char>(text[k + 1])) && !IsLineEnd(text, k + 2) ? 2 : 1);
        }
    }
}

// A field's text unescaped into target, reusing its memory.
void TakeText(std::string& target, std::string_view raw, bool hasBackslash) {
    if (!hasBackslash) {
        target.assign(raw);
        return;
    }
    target.resize(raw.size());  // unescaping never lengthens a text
    target.resize(static_cast<std::size_t>(WriteUnescaped(target.data(), raw) - target.data()));
}

// Where the next line break (CR or LF) is at or after `from`; sixteen bytes at a time.
class LineBreaks {
public:
    explicit LineBreaks(std::string_view text) : text_(text) {}
    std::size_t Next(std::size_t from) const {
        const std::size_t n = text_.size();
#ifdef __SSE2__
        const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
        for (; from + 16 <= n; from += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + from));
            const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)));
            if (hits != 0) return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
        }
#endif
        while (from < n && text_[from] != '\r' && text_[from] != '\n') ++from;
        return from;
    }

private:
    std::string_view text_;
};

// The dates read lately, by their text: a list spans a few hundred days at most, and
// working a date out takes longer than reading the rest of its line.
class DateMemo {
public:
    TDateTime Read(std::string_view text) {
        std::uint64_t key;
        std::memcpy(&key, text.data(), sizeof key);
        // By day, month and year's last two bits, so that two years' days never push each
        // other out; anything else merely lands somewhere.
        const auto digit = [&](int k) { return static_cast<unsigned>(text[k]) & 15; };
        const unsigned day = (digit(6) & 3) * 10 + digit(7), month = (digit(4) & 1) * 10 + digit(5);
        Entry& entry = entries_[(day + 32 * month + 384 * (digit(3) & 3)) & 1023];
        if (entry.key != key) {
            entry.value = DateFromText(text.substr(0, 8));
            entry.key = key;
        }
        return entry.value;
    }

private:
    struct Entry {  // an empty one stands for eight NULs, which are no date either
        std::uint64_t key = 0;
        TDateTime value = 0;
    };
    Entry entries_[1024];
};

// The usual line at the start of text, read in place: an eight-digit date, hex digits, then
// two quoted fields without quotes inside, then the line's end (the text's end, CR or LF).
// Answers where the line ends, or npos, leaving the item as it was, for any other line,
// which FillFromLine then reads the general way.
std::size_t FillFromPlainItemLine(Tdata& item, std::string_view text, DateMemo& memo) {
    constexpr std::size_t no = std::string_view::npos;
    const std::size_t n = text.size();
    if (n < 9 || text[8] != ',') return no;
    const TDateTime date = memo.Read(text);
    if (date == 0) return no;
    // The colour's digits are worked out as they are found; past 32 bits it is no colour (0).
    constexpr std::uint64_t kTooLarge = 0x100000000ull;
    std::uint64_t color = 0;
    std::size_t i = 9;
    for (int digit; i < n && (digit = kHexDigit(text[i])) >= 0; ++i)
        color = std::min(color * 16 + static_cast<std::uint64_t>(digit), kTooLarge);
    if (i + 1 >= n || text[i] != ',' || text[i + 1] != '"') return no;
    const std::size_t textStart = i + 2;
    bool textEscaped = false, markEscaped = false;
    const std::size_t textEnd = ClosingQuote(text, textStart, textEscaped);
    if (textEnd == no || textEnd + 2 >= n || text[textEnd + 1] != ',' || text[textEnd + 2] != '"') return no;
    const std::size_t markStart = textEnd + 3;
    // The usual mark, one two-byte character, is seen at once.
    const bool usualMark = markStart + 2 < n && IsLeadByte(static_cast<unsigned char>(text[markStart])) &&
                           IsTrailByte(static_cast<unsigned char>(text[markStart + 1])) && text[markStart + 2] == '"';
    const std::size_t markEnd = usualMark ? markStart + 2 : ClosingQuote(text, markStart, markEscaped);
    if (markEnd == no || !IsLineEnd(text, markEnd + 1)) return no;  // more fields: the general way
    item.Date = date;
    item.Color = color == kTooLarge ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(color));
    TakeText(item.Text, text.substr(textStart, textEnd - textStart), textEscaped);
    TakeText(item.Category, text.substr(markStart, markEnd - markStart), markEscaped);
    return markEnd + 1;
}

// The texts of the dates written lately, by day: a list spans a few hundred days at most,
// and working a date out takes longer than writing the rest of its line.
class DateTexts {
public:
    void Write(char* out, TDateTime date) {
        std::uint64_t bits;
        std::memcpy(&bits, &date, sizeof bits);
        // By day, so that the days of nearly three years never push each other out.
        const std::size_t slot = std::fabs(date) < 1e9
                                     ? static_cast<std::size_t>(static_cast<std::int64_t>(date) & 1023)
                                     : static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 54);
        Entry& entry = entries_[slot];
        if (!entry.used || entry.bits != bits) {
            WriteDateText(entry.text, date);
            entry.bits = bits;
            entry.used = true;
        }
        std::memcpy(out, entry.text, 8);
    }

private:
    struct Entry {
        std::uint64_t bits = 0;
        char text[8] = {};
        bool used = false;
    };
    Entry entries_[1024];
};

// The most bytes WriteItemLine may write for the item: the line, escaped at worst, and its end.
std::size_t ItemLineBound(const Tdata& item) {
    return 32 + 2 * kEscapedSlack + kMaxEscapedGrowth * (item.Text.size() + std::max(item.Category.size(), std::size_t{2}));
}

// One line without its line end, written at out (room for ItemLineBound); answers its end.
char* WriteItemLine(char* out, const Tdata& item, DateTexts* dates) {
    static const char kHex[] = "0123456789ABCDEF";
    const std::uint32_t color = static_cast<std::uint32_t>(item.Color) & 0xFFFFFF;
    // yyyymmdd,RRGGBB," (the date field stays empty for an item without one)
    if (HasDate(item.Date)) {
        if (dates)
            dates->Write(out, item.Date);
        else
            WriteDateText(out, item.Date);
        out += 8;
    }
    out[0] = ',';
    for (int k = 0; k < 6; ++k) out[1 + k] = kHex[(color >> (20 - 4 * k)) & 0xF];
    out[7] = ',';
    out[8] = '"';
    out = WriteEscaped(out + 9, item.Text);
    const std::string_view mark =
        item.Category.empty() ? std::string_view(kNoCategory) : std::string_view(item.Category);
    out[0] = '"', out[1] = ',', out[2] = '"';
    // The usual mark, one two-byte character, needs no escaping.
    if (mark.size() == 2 && IsLeadByte(static_cast<unsigned char>(mark[0])) &&
        IsTrailByte(static_cast<unsigned char>(mark[1]))) {
        out[3] = mark[0], out[4] = mark[1];
        out += 5;
    } else {
        out = WriteEscaped(out + 3, mark);
    }
    *out++ = '"';
    return out;
}

void AppendItemLine(std::string& out, const Tdata& item) {
    const std::size_t old = out.size();
    out.resize(old + ItemLineBound(item));
    out.resize(static_cast<std::size_t>(WriteItemLine(out.data() + old, item, nullptr) - out.data()));
}

// The line of items[i] with its CR LF at `at` (room for ItemLineBound + 2); answers its end.
// The records and their texts lie all over the heap: those a few items ahead are asked for.
template <typename Items>
char* WriteListedLine(char* at, const Items& items, std::size_t i, DateTexts& dates) {
    const std::size_t count = items.size();
    if (i + 8 < count) __builtin_prefetch(items[i + 8].get());
    if (i + 4 < count) __builtin_prefetch(items[i + 4]->Text.data());
    at = WriteItemLine(at, *items[i], &dates);
    at[0] = '\r', at[1] = '\n';
    return at + 2;
}

constexpr std::size_t kFormatPiece = 256 * 1024;

// A stretch of lines this long, of a text this long, is read in two parts at once, and a list
// of this many items (about as many bytes) formatted so: the work taken over then outweighs
// making the thread.
constexpr std::size_t kHalvesFrom = 64 * 1024, kHalvesFromText = 512 * 1024;
constexpr std::size_t kHalvesFromItems = 16000;

// Makes room bytes at used writable within the memory out has, a piece at a time, so that the
// bytes resize clears are still in the cache when the lines are written over them; false when
// that memory cannot hold them.
bool TakeRoom(std::string& out, std::size_t used, std::size_t room) {
    const std::size_t piece = std::min(out.capacity(), std::max(out.size() + kFormatPiece, used + room));
    if (used + room > piece) return false;
    out.resize(piece);
    return true;
}

// Lines of items with their CR LFs, appended to out, whose memory is used again (see
// TakeRoom). Each stretch of kFormatPiece bytes or more goes on to finished(data, size) once
// written, and so does the rest at Finish. ids, when given, receives the items' ids.
template <typename Items>
class TLineWriter {
public:
    TLineWriter(std::string& out, const Items& items, const std::function<void(const char*, std::size_t)>& finished,
                std::vector<std::uint64_t>* ids)
        : out_(out), items_(items), finished_(finished), ids_(ids), used_(out.size()), handed_(used_) {}

    // The lines of items [from, to).
    void Add(std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const std::size_t room = ItemLineBound(*items_[i]) + 2;
            if (room <= out_.size() - used_ || TakeRoom(out_, used_, room)) {
                used_ = static_cast<std::size_t>(WriteListedLine(out_.data() + used_, items_, i, dates_) - out_.data());
            } else {  // formatted apart, so that only a line that really does not fit grows the string
                out_.resize(used_);
                line_.clear();
                AppendItemLine(line_, *items_[i]);
                out_.append(line_).append("\r\n", 2);
                used_ = out_.size();
            }
            if (ids_) ids_->push_back(items_[i]->Id);
            if (finished_ && used_ - handed_ >= kFormatPiece) {
                finished_(out_.data() + handed_, used_ - handed_);
                handed_ = used_;
            }
        }
    }
    void Finish() {
        out_.resize(used_);
        if (finished_ && used_ > handed_) finished_(out_.data() + handed_, used_ - handed_);
    }

private:
    std::string& out_;
    const Items& items_;
    const std::function<void(const char*, std::size_t)> finished_;
    std::vector<std::uint64_t>* ids_;
    std::size_t used_, handed_;
    DateTexts dates_;
    std::string line_;
};

// About the bytes of the lines of items [from, to), judged by a few of them, with room to spare.
template <typename Items>
std::size_t LinesSizeGuess(const Items& items, std::size_t from, std::size_t to) {
    const std::size_t step = std::max<std::size_t>((to - from) / 32, 1);
    std::size_t bytes = 0, looked = 0;
    for (std::size_t i = from; i < to; i += step, ++looked) bytes += items[i]->Text.size() + items[i]->Category.size() + 24;
    return looked == 0 ? 0 : bytes / looked * (to - from) / 4 * 5 + kFormatPiece;
}

// Every item's line with CR LF, formatted into a buffer that stays in the cache and goes on
// to flush(data, size) whenever it fills: a string of the whole file built piece by piece
// would cost a call for every piece of every line.
template <typename Items, typename Flush>
void FormatItemLines(const Items& items, Flush flush) {
    std::unique_ptr<char[]> buffer(new char[kFormatPiece]);
    char* at = buffer.get();
    char* const end = at + kFormatPiece;
    DateTexts dates;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Tdata& item = *items[i];
        const std::size_t bound = ItemLineBound(item) + 2;
        if (bound > static_cast<std::size_t>(end - at)) {
            flush(buffer.get(), static_cast<std::size_t>(at - buffer.get()));
            at = buffer.get();
            if (bound > kFormatPiece) {  // a very long text: a line of its own
                std::string line;
                AppendItemLine(line, item);
                line.append("\r\n", 2);
                flush(line.data(), line.size());
                continue;
            }
        }
        at = WriteListedLine(at, items, i, dates);
    }
    flush(buffer.get(), static_cast<std::size_t>(at - buffer.get()));
}

}  // namespace

Tdata* TTodoData::TRecordPool::Take() {
    if (!free_.empty()) {
        Tdata* record = free_.back();
        free_.pop_back();
        return record;
    }
    if (usedInLast_ == kBlock) {
        blocks_.push_back(std::make_unique_for_overwrite<Tdata[]>(kBlock));  // each record made once, not zeroed first
        usedInLast_ = 0;
    }
    return &blocks_.back()[usedInLast_++];
}

void TTodoData::TRecordPool::Adopt(TRecordPool& other) {
    // The last block here stays last, as the one records are still carved from; the room left
    // in other's goes to the free records. Room first: nothing after it can fail halfway.
    free_.reserve(free_.size() + other.free_.size() + (other.blocks_.empty() ? 0 : kBlock - other.usedInLast_));
    blocks_.reserve(blocks_.size() + other.blocks_.size());
    if (!other.blocks_.empty())
        for (std::size_t k = other.usedInLast_; k < kBlock; ++k) free_.push_back(&other.blocks_.back()[k]);
    free_.insert(free_.end(), other.free_.begin(), other.free_.end());
    blocks_.insert(blocks_.begin(), std::make_move_iterator(other.blocks_.begin()), std::make_move_iterator(other.blocks_.end()));
    other.blocks_.clear();
    other.free_.clear();
    other.usedInLast_ = kBlock;
}

void TTodoData::TRecordPool::Return(Tdata* record) {
    *record = Tdata();
    free_.push_back(record);
}

TTodoData::TRecord TTodoData::NewRecord() {
    if (!pool_) pool_ = std::make_unique<TRecordPool>();
    return TRecord(pool_->Take(), TReturnRecord{pool_.get()});
}

Tdata& TTodoData::At(int index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

const Tdata& TTodoData::At(int index) const { return const_cast<TTodoData*>(this)->At(index); }

int TTodoData::NewItem() {
    ++revision_;
    items_.push_back(NewRecord());
    return Count() - 1;
}

int TTodoData::InsertItem(int index) {
    if (index < 0) index = 0;
    if (index > Count()) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    ++revision_;
    items_.insert(items_.begin() + index, NewRecord());
    return index;
}

void TTodoData::DeleteItem(int index) {
    At(index);
    ++revision_;
    items_.erase(items_.begin() + index);
}

void TTodoData::Permute(const std::vector<int>& order) {
    ++revision_;
    std::vector<TRecord> moved(items_.size());
    for (std::size_t i = 0; i < order.size() && i < moved.size(); ++i)
        moved[i] = std::move(items_[static_cast<std::size_t>(order[i])]);
    items_ = std::move(moved);
}

void TTodoData::ClearItems() {
    ++revision_;
    // All records go at once with their blocks, not one by one into the pool's free list.
    for (TRecord& record : items_) record.release();
    items_.clear();
    pool_.reset();
}

void TTodoData::Exchange(int a, int b) {
    At(a);
    At(b);
    ++revision_;
    items_[static_cast<std::size_t>(a)].swap(items_[static_cast<std::size_t>(b)]);
}

std::string TTodoData::GetCategory(int index) const {
    const std::string& category = At(index).Category;
    return category.empty() ? kNoCategory : category;
}

void TTodoData::AppendLine(std::string& out, int index) const { AppendItemLine(out, At(index)); }

std::string TTodoData::ItemToLine(int index) const {
    std::string line;
    AppendLine(line, index);
    return line;
}

void TTodoData::LineToItem(int index, const std::string& line) { FillFromLine(Changed(At(index)), line); }

void TTodoData::FillFromLine(Tdata& item, std::string_view line, bool plainTried) {
    if (!plainTried) {
        DateMemo memo;
        // A line with more after its mark is read again below, which sets every field anew.
        if (FillFromPlainItemLine(item, line, memo) == line.size()) return;
    }
    ParseItemLine(line, item);
}

bool TTodoData::ParseItemLine(std::string_view line, Tdata& item) {
    std::vector<std::string> fields = SplitCsvLine(line);
    // An empty date field is an item without a date, written as the program writes it (hex
    // digits, then the quoted text); any other unreadable date makes the line plain text.
    const auto undated = [&] {
        if (!fields[0].empty() || fields[1].empty() || line.size() < fields[1].size() + 3) return false;
        for (char c : fields[1])
            if (kHexDigit(c) < 0) return false;
        return line.substr(1 + fields[1].size(), 2) == ",\"";
    };
    const bool itemLine = fields.size() >= 4 && (DateFromText(fields[0]) != 0 || undated());
    if (itemLine) {
        const TDateTime date = fields[0].empty() ? kNoDate : DateFromText(fields[0]);
        item.Date = date;
        item.Color = ParseColor(fields[1]);
        item.Text = UnescapeText(std::move(fields[2]));
        item.Category = UnescapeText(std::move(fields[3]));
        return true;
    }
    item.Date = NowDateTime();
    item.Color = NoColor;
    item.Text = UnescapeText(std::string(line));
    item.Category.clear();
    return false;
}

std::string TTodoData::SaveToText() const {
    std::string out;
    FormatFile(out, {});
    return out;
}

void TTodoData::FormatFile(std::string& out, const std::function<void(const char*, std::size_t)>& finished,
                           std::vector<std::uint64_t>* ids, std::string* tail) const {
    out.clear();
    if (tail) tail->clear();
    if (ids) {
        ids->clear();
        ids->reserve(items_.size());
    }
    // A long list is formatted in two parts at once: the later part, half of what is left when
    // the second core starts, there and into text of its own, which then follows.
    const std::size_t count = items_.size();
    TLineWriter lines(out, items_, finished, ids);
    if (count < kHalvesFromItems) {
        lines.Add(0, count);
        lines.Finish();
        return;
    }
    std::string ownLater;
    std::string& later = tail ? *tail : ownLater;
    std::vector<std::uint64_t> laterIds;
    TSecondCore core;
    TSharedRange range(count);
    core.Both(
        [&] {
            constexpr std::size_t kStretch = 256;  // items taken at a time
            for (auto [from, to] = range.TakeFront(kStretch); from < to; std::tie(from, to) = range.TakeFront(kStretch))
                lines.Add(from, to);
            lines.Finish();
        },
        [&] {
            const std::size_t from = range.TakeBack();
            // Grown line by line, it would be copied again and again.
            if (const std::size_t guess = LinesSizeGuess(items_, from, count); later.capacity() < guess) later.reserve(guess);
            TLineWriter laterLines(later, items_, {}, ids ? &laterIds : nullptr);
            laterLines.Add(from, count);
            laterLines.Finish();
        });
    if (ids) ids->insert(ids->end(), laterIds.begin(), laterIds.end());
    const auto handLater = [&] {
        if (finished)
            for (std::size_t at = 0; at < later.size(); at += kFormatPiece)
                finished(later.data() + at, std::min(kFormatPiece, later.size() - at));
    };
    if (tail) {
        handLater();
        return;
    }
    core.Both(handLater, [&] { out.append(later); });  // handed on while copied behind the earlier half
}

struct TTodoData::TLoadMemo {
    DateMemo dates;
    std::uint64_t nextId = 0;  // 0: the items get no ids
    bool halves = false;       // a text long enough to be read in two parts
    // The later part of a long stretch of lines, read on a second core.
    struct TLaterHalf {
        TTodoData list;
        DateMemo dates;
        TSecondCore core;
    };
    std::unique_ptr<TLaterHalf> later;  // made with the first long stretch
};

void TTodoData::ReserveFor(std::string_view start, std::size_t size) {
    // Room for the records' pointers as the first lines suggest, with some to spare: growing
    // would copy them and touch memory twice, and room never used costs no memory touched.
    const std::size_t sample = std::min<std::size_t>(start.size(), 64 * 1024);
    const std::size_t sampleLines = static_cast<std::size_t>(std::count(start.data(), start.data() + sample, '\n'));
    if (sampleLines > 0) {
        const std::size_t estimate = sampleLines * (size / sample) + sampleLines;
        items_.reserve(estimate + estimate / 4);
    }
}

void TTodoData::AddLines(std::string_view text, TLoadMemo& memo) {
    if (!memo.halves || text.size() < kHalvesFrom) {
        AddOwnLines(text, 0, text.size(), memo.dates, memo.nextId);
        return;
    }
    // A long stretch is read in two parts at once: the later part, from a line break after the
    // middle of what is left when the second core starts, there and into a list of its own
    // whose records then follow.
    if (!memo.later) memo.later = std::make_unique<TLoadMemo::TLaterHalf>();
    TLoadMemo::TLaterHalf& later = *memo.later;
    TSharedRange range(text.size());
    try {
        later.core.Both(
            [&] {
                constexpr std::size_t kStretch = 16 * 1024;  // bytes taken at a time
                // A line is read whole from where it starts, though it may end in the next stretch.
                std::size_t next = 0;
                for (auto [from, to] = range.TakeFront(kStretch); from < to; std::tie(from, to) = range.TakeFront(kStretch))
                    next = AddOwnLines(text, std::max(next, from), to, memo.dates, memo.nextId);
            },
            [&] {
                const std::size_t from = range.TakeBack([&](std::size_t middle) { return LineBreaks(text).Next(middle); });
                std::uint64_t noIds = 0;
                later.list.AddOwnLines(text, from, text.size(), later.dates, noIds);
            });
    } catch (...) {
        later.list.ClearItems();
        throw;
    }
    TakeRecords(later.list, memo.nextId);
}

void TTodoData::TakeRecords(TTodoData& part, std::uint64_t& nextId) {
    if (!pool_) pool_ = std::make_unique<TRecordPool>();
    if (part.pool_) pool_->Adopt(*part.pool_);
    ++revision_;
    // Room first, growing as push_back would: no record is left between the lists.
    const std::size_t needed = items_.size() + part.items_.size();
    if (needed > items_.capacity()) items_.reserve(std::max(needed, 2 * items_.capacity()));
    for (TRecord& record : part.items_) {
        Tdata* taken = record.release();
        if (nextId != 0) taken->Id = nextId++;
        items_.emplace_back(taken, TReturnRecord{pool_.get()});
    }
    part.items_.clear();
}

template <typename Dates>
std::size_t TTodoData::AddOwnLines(std::string_view text, std::size_t from, std::size_t to, Dates& dates,
                                   std::uint64_t& nextId) {
    // Lines end at CR LF, lone CR or lone LF; since empty lines are skipped anyway,
    // every CR and LF can simply be taken as a break.
    LineBreaks breaks(text);
    std::size_t start = from;
    while (start < to) {
        if (text[start] == '\r' || text[start] == '\n') {  // an empty line, or the LF of a CR LF
            ++start;
            continue;
        }
        ++revision_;
        items_.push_back(NewRecord());
        if (nextId != 0) items_.back()->Id = nextId++;
        // The usual line tells its own end; any other is looked for.
        std::size_t end = FillFromPlainItemLine(*items_.back(), text.substr(start), dates);
        if (end != std::string_view::npos) {
            end += start;
        } else {
            end = breaks.Next(start);
            FillFromLine(*items_.back(), text.substr(start, end - start), true);
        }
        start = end + 1;
    }
    return start;
}

TTodoData::TLoad::TLoad(TTodoData& list, std::uint64_t firstId) : list_(list), memo_(std::make_unique<TLoadMemo>()) {
    list_.ClearItems();
    memo_->nextId = firstId;
}

TTodoData::TLoad::~TLoad() = default;

void TTodoData::TLoad::Lines(std::string_view lines, std::size_t size) {
    if (first_) {
        list_.ReserveFor(lines, size);
        memo_->halves = size >= kHalvesFromText;
    }
    first_ = false;
    list_.AddLines(lines, *memo_);
}

void TTodoData::LoadFromText(const std::string& text, std::uint64_t firstId) {
    TLoad(*this, firstId).Lines(text, text.size());
}

void TTodoData::LoadFromFile(const std::string& path) {
    ClearItems();
    // A piece at a time: the file's bytes never need memory of their size.
    TFileReader file;
    if (!file.Open(path)) return;
    TLoad load(*this);
    bool first = true;
    try {
        ReadInLines(file, [&](std::string_view lines) {
            if (first) {
                first = false;
                // Read as Shift-JIS it would give items full of NULs, and the next save would keep them so.
                RefuseUtf16(path, lines);
                lines = SkipUtf8Mark(lines);
            }
            load.Lines(lines, file.Size());
        });
    } catch (...) {
        ClearItems();  // never half a list, which a save would take for the whole
        throw;
    }
}

void TTodoData::SaveToFile(const std::string& path, bool flush) const {
    TSafeFileWriter writer(path);
    FormatItemLines(items_, [&](const char* data, std::size_t size) { writer.Write(data, size); });
    writer.Commit(flush);
}
