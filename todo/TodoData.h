// The user's to-do items and the item file todo.txt.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/Dates.h"

// One to-do item.
struct Tdata {
    TDateTime Date = 0;    // due date; the fraction (time of day) lives only in memory
    std::string Text;      // may hold CR LF, lone CR, lone LF and TAB
    std::string Category;  // the mark, one character such as "★"; empty for none
    std::int32_t Color = 0;  // $00BBGGRR; only the low 24 bits reach the file
    std::int32_t LineCount = 0;  // display lines, kept by the list layout
};

// Colour of an item taken from a line that is not in the item format.
constexpr std::int32_t NoColor = 1;

// What GetCategory answers for an item without a mark: the full-width space.
extern const char* const kNoCategory;

class TTodoData {
public:
    int Count() const { return static_cast<int>(items_.size()); }

    int NewItem();
    int InsertItem(int index);
    void DeleteItem(int index);
    void ClearItems();
    void Exchange(int a, int b);

    TDateTime GetDate(int index) const { return At(index).Date; }
    void SetDate(int index, TDateTime date) { At(index).Date = date; }
    const std::string& GetText(int index) const { return At(index).Text; }
    void SetText(int index, const std::string& text) { At(index).Text = text; }
    std::string GetCategory(int index) const;
    void SetCategory(int index, const std::string& category) { At(index).Category = category; }
    std::int32_t GetColor(int index) const { return At(index).Color & 0xFFFFFF; }
    void SetColor(int index, std::int32_t color) { At(index).Color = color; }
    std::int32_t GetLineCount(int index) const { return At(index).LineCount; }
    void SetLineCount(int index, std::int32_t count) { At(index).LineCount = count; }

    std::string ItemToLine(int index) const;
    void LineToItem(int index, const std::string& line);

    // Missing file: empty list, no error. Unreadable file: EFileError, list left empty.
    void LoadFromFile(const std::string& path);
    // Writes every item, CR LF after each line, replacing the file in one safe step.
    void SaveToFile(const std::string& path, bool flush = true) const;

    // The whole file text, and the list from a whole file text.
    std::string SaveToText() const;
    void LoadFromText(const std::string& text);

private:
    Tdata& At(int index);
    const Tdata& At(int index) const;
    void AppendLine(std::string& out, int index) const;
    static void FillFromLine(Tdata& item, std::string_view line);

    std::vector<std::unique_ptr<Tdata>> items_;
};
