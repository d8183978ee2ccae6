#include "settings/ProfileList.h"

#include <cstdio>
#include <stdexcept>
#include <unordered_set>

#include "settings/ProfileText.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/TextWork.h"

TprofileList MainSettings;

int TMultiStringList::Add(const std::string& text) {
    items_.push_back({text, {}});
    return Count() - 1;
}

void TMultiStringList::Insert(int index, const std::string& text) {
    if (index < 0 || index > Count()) throw std::out_of_range("List index out of bounds");
    items_.insert(items_.begin() + index, Item{text, {}});
}

void TMultiStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
    items_.erase(items_.begin() + index);
}

void TMultiStringList::Clear() { items_.clear(); }

std::int32_t DecimalOrZero(const std::string& text) {
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (i == text.size()) return 0;
    long long value = 0;
    for (std::size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') return 0;
        value = value * 10 + (text[k] - '0');
        if (value > 0x80000000LL) return 0;
    }
    if (text[0] == '-') value = -value;
    return value > 0x7FFFFFFFLL ? 0 : static_cast<std::int32_t>(value);
}

int TprofileList::AddKey(const std::string& section, const std::string& key) {
    sections_.push_back(UpperCaseSjis(section));
    return Add(LowerCaseSjis(key));
}

int TprofileList::IndexOfKey(const std::string& section, const std::string& key) const {
    for (int i = 0; i < Count(); ++i)
        if (sections_[static_cast<std::size_t>(i)] == section && Strings(i) == key) return i;
    return -1;
}

int TprofileList::FindOrAdd(const std::string& section, const std::string& key) {
    int i = IndexOfKey(section, key);
    return i >= 0 ? i : AddKey(section, key);
}

std::int32_t TprofileList::ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) {
    int i = IndexOfKey(section, key);
    if (i < 0) return defaultValue;
    TMultiData& d = Data(i);
    if (d.Kind == 0) {
        d.IntValue = DecimalOrZero(d.StrValue);
        d.Kind = 1;
    }
    return d.IntValue;
}

bool TprofileList::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    int i = IndexOfKey(section, key);
    if (i < 0) return defaultValue;
    TMultiData& d = Data(i);
    if (d.Kind == 0) {
        if (LowerCaseSjis(d.StrValue) == "true") {
            d.IntValue = 1;
        } else {
            d.IntValue = DecimalOrZero(d.StrValue);
            d.Kind = 1;
        }
    }
    return d.IntValue != 0;
}

std::string TprofileList::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) {
    int i = IndexOfKey(section, key);
    if (i < 0) return defaultValue;
    TMultiData& d = Data(i);
    if (d.Kind == 0) d.Kind = 3;
    return d.StrValue;
}

void TprofileList::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) {
    TMultiData& d = Data(FindOrAdd(section, key));
    d.IntValue = value;
    d.Kind = 1;
}

void TprofileList::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteInteger(section, key, value ? 1 : 0);
}

void TprofileList::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    TMultiData& d = Data(FindOrAdd(section, key));
    d.StrValue = value;
    d.Kind = 3;
}

bool TprofileList::ReadFont(const std::string& section, TFontSpec& font) {
    bool exists = false;
    for (const std::string& s : sections_) exists = exists || SameTextSjis(s, section);
    font.Name = ReadString(section, "name", "ＭＳ Ｐゴシック");
    font.Size = ReadInteger(section, "size", 9);
    if (font.Size < kMinFontPoints || font.Size > kMaxFontPoints) font.Size = 9;  // rows stay readable
    font.Color = ReadInteger(section, "color", 0);
    font.Charset = ReadInteger(section, "charset", 128);
    return exists;
}

void TprofileList::WriteFont(const std::string& section, const TFontSpec& font) {
    WriteString(section, "name", font.Name);
    WriteInteger(section, "size", font.Size);
    WriteInteger(section, "color", font.Color);
    WriteInteger(section, "charset", font.Charset);
}

void TprofileList::UseDefaultFileName(const std::string& dataFolderPath, const std::string& exeFileName) {
    std::size_t dot = exeFileName.find_last_of('.');
    fileName_ = dataFolderPath + (dot == std::string::npos ? exeFileName : exeFileName.substr(0, dot)) + ".ini";
}

void TprofileList::Load() {
    if (!FileExists(fileName_)) return;
    LoadFromFile(fileName_);
    // Read as Shift-JIS an editor's UTF-16 file holds no setting: the defaults stay, and the user
    // hears of it now rather than only when the save refuses it.
    try {
        RefuseUtf16File(fileName_);
    } catch (const EFileError&) {
        Clear();
        throw;
    }
}

void TprofileList::LoadFromFile(const std::string& path) {
    Clear();
    std::string text;
    if (!ReadWholeFile(path, text)) return;
    ParseLines(SplitLines(SkipUtf8Mark(ShiftJisIfUtf8(std::move(text)))));
}

void TprofileList::ParseLines(const std::vector<std::string>& lines) {
    std::string section;
    for (const std::string& raw : lines) {
        std::string_view line = TrimBlanks(raw);
        if (line.empty() || line[0] == ';') continue;
        if (IsSectionHeader(line, section)) continue;
        std::size_t eq = FindChar(line, '=');
        if (eq != std::string_view::npos) {
            int k = AddKey(section, std::string(TrimBlanks(line.substr(0, eq))));
            Data(k).StrValue = std::string(TrimBlanks(line.substr(eq + 1)));
        } else {
            AddKey(section, std::string(line));
        }
    }
}

std::string TprofileList::ValueText(int index) const {
    const TMultiData& d = Data(index);
    switch (d.Kind) {
    case 1: return std::to_string(d.IntValue);
    case 2: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", d.FloatValue);
        return buf;
    }
    default: return d.StrValue;
    }
}

std::string TprofileList::UpdatedText(const std::string& fileText) const {
    TProfileText text(fileText);
    std::unordered_set<std::string> done;  // names are folded, so equal names are equal bytes
    for (int i = 0; i < Count(); ++i) {
        const std::string& section = sections_[static_cast<std::size_t>(i)];
        // A later duplicate of a key is never read; setting it would overwrite the first
        // occurrence's value in the file, so it is left as the file has it.
        if (!done.insert(section + '\n' + Strings(i)).second) continue;
        text.SetValue(section, Strings(i), ValueText(i));
    }
    return text.Text();
}

void TprofileList::Save() {
    if (fileName_.empty()) return;
    std::string current;
    bool exists;
    try {
        exists = ReadWholeFile(fileName_, current);
    } catch (const EFileError&) {
        throw EFileError(CannotWriteMessage(fileName_));
    }
    // Shift-JIS lines set into an editor's UTF-16 file would ruin every setting in it.
    if (exists) RefuseUtf16(fileName_, current);
    // Shift-JIS values set among UTF-8 lines would leave a file neither reads right.
    current = ShiftJisIfUtf8(std::move(current));
    std::string updated = UpdatedText(current);
    if (!exists && Count() == 0) return;
    if (exists && updated == current) return;
    ReplaceFileSafely(fileName_, updated);
}

void TprofileList::Delete(int index) {
    TMultiStringList::Delete(index);
    sections_.erase(sections_.begin() + index);
}

void TprofileList::Clear() {
    TMultiStringList::Clear();
    sections_.clear();
}
