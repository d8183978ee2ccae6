// The item file's reader and writer against the field rules spelt out plainly here, on a large
// generated list and on hostile lines: the fast paths must give exactly what the rules give.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "TestFolder.h"
#include "support/TextWork.h"
#include "todo/CsvLine.h"
#include "todo/TodoData.h"

// Every allocation of the test program is counted, so that a test can see how many a step took.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// GCC takes these replacements for a mismatch of new and free.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

std::string Escaped(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (IsLeadByte(c)) {
            if ((next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC))
                out.append(text, i++, 2);
            else
                out += std::string("\\x") + kHex[c >> 4] + kHex[c & 0xF];
        } else if (c == '\r' && next == '\n') {
            out += "\\n";
            ++i;
        } else {
            const char* pairs[] = {"\\\\", "\\d", "\\a", "\\t", "\\\""};
            const std::size_t k = std::string("\\\r\n\t\"").find(static_cast<char>(c));
            out += k == std::string::npos ? std::string(1, static_cast<char>(c)) : pairs[k];
        }
    }
    return out;
}

std::string Line(const Tdata& item) {
    char color[7];
    std::snprintf(color, sizeof color, "%06X", static_cast<unsigned>(item.Color) & 0xFFFFFF);
    return DateToText(item.Date) + "," + color + ",\"" + Escaped(item.Text) + "\",\"" +
           Escaped(item.Category.empty() ? "　" : item.Category) + "\"";
}

// One line read by splitting into fields and unescaping them, as the rules say.
Tdata ReadByTheRules(const std::string& line) {
    const std::vector<std::string> fields = SplitCsvLine(line);
    Tdata item;
    if (fields.size() < 4 || DateFromText(fields[0]) == 0) {
        item.Color = NoColor;
        item.Text = UnescapeText(line);
        return item;
    }
    item.Date = DateFromText(fields[0]);
    std::uint64_t color = 0;
    for (char c : fields[1]) {
        const int digit = std::string("0123456789ABCDEF").find(static_cast<char>(std::toupper(c)));
        color = digit < 0 || color > 0xFFFFFFF ? 1ull << 40 : color * 16 + static_cast<unsigned>(digit);
    }
    item.Color = color >> 32 ? 0 : static_cast<std::int32_t>(color);
    item.Text = UnescapeText(fields[2]);
    item.Category = UnescapeText(fields[3]);
    return item;
}

void ExpectSameItem(const Tdata& got, const Tdata& want, const std::string& line) {
    if (want.Color == NoColor && want.Category.empty() && want.Date == 0)
        EXPECT_GT(got.Date, 45000.0) << line;  // a plain-text line is dated now
    else
        EXPECT_EQ(got.Date, want.Date) << line;
    EXPECT_EQ(got.Color, want.Color) << line;
    EXPECT_EQ(got.Text, want.Text) << line;
    EXPECT_EQ(got.Category, want.Category) << line;
}

// Pieces that meet every rule: quotes, backslash pairs, a lead byte before a quote or a comma,
// two-byte characters whose second byte is a backslash, hex escapes, commas.
const char* const kPieces[] = {"a",        "Z ",   ",",      "\"",     "\"\"",     "\",",      "\",\"", "\\",
                               "\\\\",     "\\\"", "\\n",    "\\x41",  "\\x0",     "\\x00",    "\\q",   "\x95\x5C",
                               "\x83\x5C", "\x81", "\x81\"", "\x81,",  "\xE0",     "\xFC\xFC", "\xA0",  "\xDF",
                               "★",        "表",   "\t",     "0000FF", "20240305", "x,"};

std::string RandomPieces(std::mt19937& random, int count) {
    std::string s;
    for (int k = 0; k < count; ++k) s += kPieces[random() % std::size(kPieces)];
    return s;
}

}  // namespace

TEST(ItemFile, HostileLinesReadAsTheRulesSay) {
    std::mt19937 random(7);
    const char* const heads[] = {"20240305,0000FF,\"",
                                 "20240305,ff,\"",
                                 "20240230,0000FF,\"",
                                 "20240305,\"",
                                 "20240305,,\"",
                                 "20240305x,1,\"",
                                 "",
                                 "2024030,0,\""};
    std::string file;
    std::vector<std::string> lines;
    for (int n = 0; n < 20000; ++n) {
        std::string line = heads[random() % std::size(heads)] + RandomPieces(random, random() % 6);
        if (random() % 4) line += "\",\"" + RandomPieces(random, random() % 4) + (random() % 5 ? "\"" : "");
        if (random() % 6 == 0) line += RandomPieces(random, 2);
        if (random() % 8 == 0) line.resize(random() % (line.size() + 1));  // cut anywhere
        if (line.empty() || line.find_first_of("\r\n") != std::string::npos) continue;
        lines.push_back(line);
        const char* const ends[] = {"\r\n", "\r", "\n", "\r\n\r\n", "\n\r"};
        file += line + ends[random() % std::size(ends)];
    }
    TTodoData data;
    data.LoadFromText(file);
    ASSERT_EQ(data.Count(), static_cast<int>(lines.size()));
    for (int i = 0; i < data.Count(); ++i) ExpectSameItem(data.Item(i), ReadByTheRules(lines[i]), lines[i]);
    // One line alone, as the clipboard gives it, reads the same.
    for (std::size_t i = 0; i < 200; ++i) {
        TTodoData one;
        one.LineToItem(one.NewItem(), lines[i]);
        ExpectSameItem(one.Item(0), ReadByTheRules(lines[i]), lines[i]);
    }
}

// A block of NULs, as a crash leaves in a file, is no UTF-16: a file refused for it locked
// every item out (a damaged line sorted to the top of the list put it there).
TEST(ItemFile, ABlockOfNulsIsNoUtf16) {
    TestFolder folder;
    const std::string text = "a" + std::string(3000, '\0') + "b";
    WriteBytes(folder / "todo.txt", "20240305,000000,\"" + text + "\",\"★\"\r\n");
    TTodoData data;
    data.LoadFromFile(folder / "todo.txt");
    ASSERT_EQ(data.Count(), 1);
    EXPECT_EQ(data.GetText(0), text);
}

TEST(ItemFile, LargeListSavesAndLoadsByteForByte) {
    std::mt19937 random(8);
    const char* const texts[] = {"牛乳を買う",
                                 "歯医者\r\n10:30",
                                 "C:\\new\\表",
                                 "\"quoted\", \\x41",
                                 "lone\rCR\nLF\t",
                                 "end\x81",
                                 "\x81\"\x95",
                                 "能",
                                 "",
                                 "a"};
    TTodoData data;
    for (int n = 0; n < 30000; ++n) {
        const int i = data.NewItem();
        data.SetDate(i, DateFromText("20240101") + static_cast<int>(random() % 3000));
        data.SetColor(i, static_cast<std::int32_t>(random()));
        std::string text = texts[random() % std::size(texts)];
        if (random() % 3 == 0) text += RandomPieces(random, static_cast<int>(random() % 12));
        if (n == 777) text = std::string(300000, 'L') + "表";  // a very long line
        data.SetText(i, text);
        data.SetCategory(i, random() % 3 ? "★" : "");
    }
    std::string expected;
    for (int i = 0; i < data.Count(); ++i) expected += Line(data.Item(i)) + "\r\n";
    const std::string saved = data.SaveToText();
    ASSERT_EQ(saved, expected);
    TTodoData back;
    back.LoadFromText(saved);
    ASSERT_EQ(back.Count(), data.Count());
    for (int i = 0; i < back.Count(); ++i) {
        const Tdata& a = data.Item(i);
        const Tdata& b = back.Item(i);
        ASSERT_EQ(b.Text, a.Text) << i;
        ASSERT_EQ(b.Category, a.Category.empty() ? "　" : a.Category) << i;
        ASSERT_EQ(b.Date, a.Date) << i;
        ASSERT_EQ(b.Color, a.Color & 0xFFFFFF) << i;
    }
    EXPECT_EQ(back.SaveToText(), saved);
}

TEST(ItemFile, LoadingTakesOneAllocationPerItem) {
    // Texts too long to live inside their string, half of them with escapes.
    std::string file;
    const int items = 10000;
    for (int i = 0; i < items; ++i)
        file += "20240305,0000FF,\"" + std::string(i % 2 ? "C:\\\\new\\\\表 " : "a plain text, ") + std::to_string(i) +
                " ......................\",\"★\"\r\n";
    TTodoData data;
    const long before = allocations;
    data.LoadFromText(file);
    const long taken = allocations - before;
    ASSERT_EQ(data.Count(), items);
    EXPECT_EQ(data.GetText(1).substr(0, 9), "C:\\new\\表");
    // One for each text, and a few for the list's index and its blocks of records.
    EXPECT_LE(taken, items + items / 50) << taken;
}
