#include "todo/TodoData.h"

#include <stdexcept>

#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/TextWork.h"
#include "todo/CsvLine.h"

const char* const kNoCategory = "　";

namespace {

// Hex digits without prefix or sign; anything else, or more than 32 bits, gives 0.
std::int32_t ParseColor(const std::string& field) {
    if (field.empty()) return 0;
    std::uint64_t value = 0;
    for (char c : field) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return 0;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void AppendColor(std::string& out, std::int32_t color) {
    static const char kHex[] = "0123456789ABCDEF";
    std::uint32_t v = static_cast<std::uint32_t>(color) & 0xFFFFFF;
    for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(v >> shift) & 0xF];
}

}  // namespace

Tdata& TTodoData::At(int index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

const Tdata& TTodoData::At(int index) const { return const_cast<TTodoData*>(this)->At(index); }

int TTodoData::NewItem() {
    ++revision_;
    items_.push_back(std::make_unique<Tdata>());
    return Count() - 1;
}

int TTodoData::InsertItem(int index) {
    if (index < 0) index = 0;
    if (index > Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    ++revision_;
    items_.insert(items_.begin() + index, std::make_unique<Tdata>());
    return index;
}

void TTodoData::DeleteItem(int index) {
    At(index);
    ++revision_;
    items_.erase(items_.begin() + index);
}

void TTodoData::Permute(const std::vector<int>& order) {
    ++revision_;
    std::vector<std::unique_ptr<Tdata>> moved(items_.size());
    for (std::size_t i = 0; i < order.size() && i < moved.size(); ++i)
        moved[i] = std::move(items_[static_cast<std::size_t>(order[i])]);
    items_ = std::move(moved);
}

void TTodoData::ClearItems() {
    ++revision_;
    items_.clear();
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

void TTodoData::AppendLine(std::string& out, int index) const {
    const Tdata& item = At(index);
    if (HasDate(item.Date)) out += DateToText(item.Date);
    out += ',';
    AppendColor(out, item.Color);
    out += ",\"";
    AppendEscaped(out, item.Text);
    out += "\",\"";
    AppendEscaped(out, item.Category.empty() ? std::string(kNoCategory) : item.Category);
    out += '"';
}

std::string TTodoData::ItemToLine(int index) const {
    std::string line;
    AppendLine(line, index);
    return line;
}

void TTodoData::LineToItem(int index, const std::string& line) { FillFromLine(Changed(At(index)), line); }

bool TTodoData::ParseItemLine(std::string_view line, Tdata& item) {
    std::vector<std::string> fields = SplitCsvLine(line);
    // An empty date field is an item without a date; any other unreadable date makes the line plain text.
    const bool itemLine = fields.size() >= 4 && (fields[0].empty() || DateFromText(fields[0]) != 0);
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
    std::size_t estimate = 0;
    for (const auto& item : items_) estimate += item->Text.size() + 32;
    out.reserve(estimate + estimate / 16);
    for (int i = 0; i < Count(); ++i) {
        AppendLine(out, i);
        out += "\r\n";
    }
    return out;
}

void TTodoData::LoadFromText(const std::string& text) {
    ClearItems();
    // Lines end at CR LF, lone CR or lone LF; since empty lines are skipped anyway,
    // every CR and LF can simply be taken as a break.
    const std::size_t n = text.size();
    for (std::size_t start = 0; start < n;) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = n;
        if (end > start) {
            ++revision_;
            items_.push_back(std::make_unique<Tdata>());
            FillFromLine(*items_.back(), std::string_view(text).substr(start, end - start));
        }
        start = end + 1;
    }
}

void TTodoData::LoadFromFile(const std::string& path) {
    ClearItems();
    std::string text;
    if (!ReadWholeFile(path, text)) return;
    // Read as Shift-JIS it would give items full of NULs, and the next save would keep them so.
    if (LooksLikeUtf16(text)) throw EFileError(NotShiftJisMessage(path));
    if (SkipUtf8Mark(text).size() != text.size()) text.erase(0, 3);
    LoadFromText(text);
}

void TTodoData::SaveToFile(const std::string& path, bool flush) const { ReplaceFileSafely(path, SaveToText(), flush); }
