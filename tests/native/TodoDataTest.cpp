#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "TestFolder.h"
#include "support/Errors.h"
#include "todo/TodoData.h"

namespace {

// Builds a list from one line and answers its only item.
TTodoData FromLine(const std::string& line) {
    TTodoData data;
    data.LineToItem(data.NewItem(), line);
    return data;
}

TTodoData RoundTrip(const TTodoData& data) {
    TTodoData back;
    back.LoadFromText(data.SaveToText());
    return back;
}

int AddItem(TTodoData& data, const std::string& date, std::int32_t color, const std::string& text,
            const std::string& category) {
    int i = data.NewItem();
    data.SetDate(i, DateFromText(date));
    data.SetColor(i, color);
    data.SetText(i, text);
    data.SetCategory(i, category);
    return i;
}

}  // namespace

TEST(TodoData, WritesTheLineFormat) {
    TTodoData data;
    AddItem(data, "20240305", 0xFF, "Call\r\nBob", "★");
    EXPECT_EQ(data.ItemToLine(0), "20240305,0000FF,\"Call\\nBob\",\"★\"");
    AddItem(data, "20240305", 0x7F123456, "", "");
    EXPECT_EQ(data.ItemToLine(1), "20240305,123456,\"\",\"　\"");
    EXPECT_EQ(data.SaveToText(), data.ItemToLine(0) + "\r\n" + data.ItemToLine(1) + "\r\n");
    EXPECT_EQ(TTodoData().SaveToText(), "");
}

TEST(TodoData, TextsThatEndAwkwardlySurviveTheFile) {
    TTodoData data;
    const char* texts[] = {"ends with \\", "表", "能", "ソ", "C:\\new", "lone\rCR", "\"\",\"", "tab\there",
                           "line\nfeed", "", "  ", "\\x41"};
    for (const char* text : texts) AddItem(data, "20240305", 0xFF, text, "ソ");
    TTodoData back = RoundTrip(data);
    ASSERT_EQ(back.Count(), data.Count());
    for (int i = 0; i < data.Count(); ++i) {
        EXPECT_EQ(back.GetText(i), data.GetText(i)) << data.ItemToLine(i);
        EXPECT_EQ(back.GetCategory(i), "ソ");
        EXPECT_EQ(back.GetDate(i), DateFromText("20240305"));
    }
    EXPECT_EQ(data.ItemToLine(4), "20240305,0000FF,\"C:\\\\new\",\"ソ\"");
    EXPECT_EQ(data.ItemToLine(5), "20240305,0000FF,\"lone\\dCR\",\"ソ\"");
    EXPECT_EQ(data.ItemToLine(6), "20240305,0000FF,\"\\\"\\\",\\\"\",\"ソ\"");
}

TEST(TodoData, AnyBytesSurviveASaveAndLoad) {
    // Lead bytes with nothing, or no real second byte, after them, as a hand-edited file may hold.
    const std::string texts[] = {"\x81", "abc\x81", "表\xFC", "\x81\r", "\x81\n", "\x81\r\n", "\x81\t",
                                 "\x81,", "\x81\\", "\x81\"", "\x81\",\"", "\x81\x81\x81", "\xE0 ",
                                 std::string("\x81\0x", 3), "\x9F\x7F", "\\\x81", "ソ"};
    TestFolder folder;
    TTodoData data;
    for (const std::string& text : texts) AddItem(data, "20240305", 0x123456, text, text);
    data.SaveToFile(folder / "todo.txt");
    TTodoData back;
    back.LoadFromFile(folder / "todo.txt");
    ASSERT_EQ(back.Count(), data.Count());
    for (int i = 0; i < data.Count(); ++i) {
        EXPECT_EQ(back.GetText(i), data.GetText(i)) << data.ItemToLine(i);
        EXPECT_EQ(back.GetCategory(i), data.GetCategory(i)) << data.ItemToLine(i);
        EXPECT_EQ(back.GetDate(i), DateFromText("20240305")) << data.ItemToLine(i);
        EXPECT_EQ(back.GetColor(i), 0x123456) << data.ItemToLine(i);
    }
}

TEST(TodoData, MissingCategoryIsTheFullWidthSpace) {
    TTodoData data;
    AddItem(data, "20240305", 0, "x", "");
    EXPECT_EQ(data.GetCategory(0), "　");
    EXPECT_EQ(RoundTrip(data).GetCategory(0), "　");
}

TEST(TodoData, LinesNotInTheItemFormatBecomePlainText) {
    TDateTime before = NowDateTime();
    for (const char* line : {"20240230,0000FF,\"x\",\"★\"", "20240305,0000FF,\"x\"", "just a note \\n here"}) {
        TTodoData data = FromLine(line);
        EXPECT_EQ(data.GetColor(0), NoColor) << line;
        EXPECT_EQ(data.GetCategory(0), "　");
        EXPECT_GE(data.GetDate(0), before - 1e-6);
    }
    EXPECT_EQ(FromLine("20240230,0000FF,\"x\",\"★\"").GetText(0), "20240230,0000FF,\"x\",\"★\"");
    EXPECT_EQ(FromLine("just a note \\n here").GetText(0), "just a note \r\n here");
}

TEST(TodoData, ColourField) {
    EXPECT_EQ(FromLine("20240305,zz,\"x\",\"★\"").GetColor(0), 0);
    EXPECT_EQ(FromLine("20240305,0000ff,\"x\",\"★\"").GetColor(0), 0xFF);
    EXPECT_EQ(FromLine("20240305,,\"x\",\"★\"").GetColor(0), 0);
    EXPECT_EQ(FromLine("20240305,-FF,\"x\",\"★\"").GetColor(0), 0);
    EXPECT_EQ(FromLine("20240305,1FFFFFFFF,\"x\",\"★\"").GetColor(0), 0);
    TTodoData wide = FromLine("20240305,FF00FF00,\"x\",\"★\"");
    EXPECT_EQ(wide.GetColor(0), 0x00FF00);  // the field is 32 bits; the item shows 24
    EXPECT_EQ(FromLine("20240305,0000FF,\"x\",\"★\",extra").GetText(0), "x");
}

TEST(TodoData, LoadSkipsEmptyLinesAndSplitsAtEveryLineEnd) {
    TTodoData data;
    data.LoadFromText("\r\n\n\r");
    EXPECT_EQ(data.Count(), 0);
    data.LoadFromText("a\r\nb\rc\nd\r\n\r\n \r\n");
    ASSERT_EQ(data.Count(), 5);
    EXPECT_EQ(data.GetText(2), "c");
    EXPECT_EQ(data.GetText(4), " ");
    // A field cut short by the line's end, after a backslash and a lead byte: the next line's
    // quotes do not close it.
    data.LoadFromText("20240305,0000FF,\"a\\\x81\rx\",\"★\"\n");
    ASSERT_EQ(data.Count(), 2);
    EXPECT_EQ(data.GetText(1), "x\",\"★\"");
}

TEST(TodoData, InsertDeleteAndBounds) {
    TTodoData data;
    AddItem(data, "20240305", 0, "b", "");
    EXPECT_EQ(data.InsertItem(-1), 0);
    data.SetText(0, "a");
    EXPECT_EQ(data.InsertItem(2), 2);
    data.SetText(2, "c");
    EXPECT_EQ(data.GetText(0) + data.GetText(1) + data.GetText(2), "abc");
    data.DeleteItem(1);
    EXPECT_EQ(data.GetText(1), "c");
    EXPECT_THROW(data.GetText(2), std::out_of_range);
    EXPECT_THROW(data.InsertItem(3), std::out_of_range);
    data.ClearItems();
    EXPECT_EQ(data.Count(), 0);
}

TEST(TodoData, RandomListsRoundTrip) {
    std::mt19937 random(20241208);
    const std::string pieces[] = {"a", "Z", "\\", "\"", ",", "\r", "\n", "\r\n", "\t", " ", "表", "能", "ソ", "★",
                                  "x", "\\x41", "漢字", "ｱ"};
    for (int round = 0; round < 20; ++round) {
        TTodoData data;
        for (int n = 0; n < 200; ++n) {
            std::string text, category;
            int length = static_cast<int>(random() % 12);
            for (int k = 0; k < length; ++k) text += pieces[random() % std::size(pieces)];
            if (random() % 4) category = pieces[10 + random() % 4];
            int i = data.NewItem();
            data.SetText(i, text);
            data.SetCategory(i, category);
            data.SetColor(i, static_cast<std::int32_t>(random() & 0xFFFFFF));
            data.SetDate(i, DateFromText("19500101") + random() % 40000 + 0.5);
        }
        TTodoData back = RoundTrip(data);
        ASSERT_EQ(back.Count(), data.Count());
        for (int i = 0; i < data.Count(); ++i) {
            ASSERT_EQ(back.GetText(i), data.GetText(i)) << data.ItemToLine(i);
            ASSERT_EQ(back.GetCategory(i), data.GetCategory(i));
            ASSERT_EQ(back.GetColor(i), data.GetColor(i));
            ASSERT_EQ(back.GetDate(i), static_cast<double>(static_cast<long long>(data.GetDate(i))));
        }
    }
}

TEST(TodoData, FileLoadAndSave) {
    TestFolder folder;
    TTodoData data;
    data.LoadFromFile(folder / "missing.txt");
    EXPECT_EQ(data.Count(), 0);
    AddItem(data, "20240305", 0xFF, "表", "★");
    data.SaveToFile(folder / "todo.txt");
    EXPECT_EQ(ReadBytes(folder / "todo.txt"), "20240305,0000FF,\"表\",\"★\"\r\n");
    TTodoData back;
    back.LoadFromFile(folder / "todo.txt");
    EXPECT_EQ(back.GetText(0), "表");
    TTodoData().SaveToFile(folder / "todo.txt");
    EXPECT_EQ(ReadBytes(folder / "todo.txt"), "");
}

// The file text formatted into memory used again: whatever that memory holds and however
// big it is (none, too little by a byte, plenty), the same bytes, each handed on exactly once
// and in order, with the ids of the lines; plenty of memory is used where it is.
TEST(TodoData, FormatFileGivesTheTextWhateverMemoryItGets) {
    TTodoData data;
    std::string expected;
    for (int i = 0; expected.size() < 900 * 1024; ++i) {
        AddItem(data, "20240305", i, i == 2000 ? std::string(300 * 1024, '"') : "項目 \\ " + std::to_string(i), "★");
        data.SetId(i, 1000 + static_cast<std::uint64_t>(i));
        expected += data.ItemToLine(i) + "\r\n";
    }
    for (std::size_t capacity : {std::size_t{0}, expected.size() - 1, expected.size(), expected.size() + 600 * 1024}) {
        std::string out(capacity, 'x'), handed;
        const char* memory = out.data();
        std::vector<std::uint64_t> ids{7};
        data.FormatFile(out, [&](const char* bytes, std::size_t size) { handed.append(bytes, size); }, &ids);
        ASSERT_EQ(out, expected) << capacity;
        EXPECT_EQ(handed, expected) << capacity;
        ASSERT_EQ(ids.size(), static_cast<std::size_t>(data.Count()));
        for (int i = 0; i < data.Count(); ++i) ASSERT_EQ(ids[static_cast<std::size_t>(i)], 1000u + i);
        if (capacity > expected.size()) {
            EXPECT_EQ(out.data(), memory);
        }
    }
}

// A file is read a piece at a time: lines across the pieces' edges, a CR LF split between
// two, a line longer than a piece and a last line without its end read as the whole text.
TEST(TodoData, LargeFileReadsAsItsWholeText) {
    TestFolder folder;
    std::string text;
    for (int i = 0; text.size() < 700 * 1024; ++i) {
        text += "20240305,00A0FF,\"項目 " + std::to_string(i) + (i % 7 ? "\",\"★\"" : "\"");
        text += i % 5 ? "\r\n" : i % 3 ? "\n" : "\r";
        if (i == 3000) text += "20240306,000000,\"" + std::string(600 * 1024, 'x') + "\",\"●\"\r\n";
    }
    text += "20240307,000000,\"last\",\"★\"";
    for (std::size_t cut : {std::size_t{256 * 1024 - 1}, text.size()}) {  // CR LF split at the first edge
        std::string bytes = text.substr(0, cut);
        if (cut < text.size()) bytes += "\r\n" + text.substr(cut);
        WriteBytes(folder / "todo.txt", bytes);
        TTodoData fromFile, fromText;
        fromFile.LoadFromFile(folder / "todo.txt");
        fromText.LoadFromText(bytes);
        ASSERT_EQ(fromFile.Count(), fromText.Count());
        EXPECT_EQ(fromFile.SaveToText(), fromText.SaveToText());
        EXPECT_EQ(fromFile.GetText(fromFile.Count() - 1), "last");
    }
}

// A long text is read in two parts at once, which meet at a line break that depends on when
// the second core starts: the items are those of its lines read one by one, in order, with
// consecutive ids, wherever the parts meet (the middle inside a line, on either byte of a CR
// LF); records deleted and added after it come and go as any.
TEST(TodoData, LongTextsReadInHalvesGiveTheirLinesOneByOne) {
    std::string base;
    for (int i = 0; base.size() < 600 * 1024; ++i) {
        base += i % 11 == 0   ? "plain words " + std::to_string(i)
                : i % 5 == 0  ? "20240305,00A0FF,\"項目\\r\\n表 " + std::to_string(i) + "\",\"★\",\"more\""
                              : "2024" + std::string(i % 2 ? "0105" : "1231") + ",0" + std::to_string(i % 9) +
                                   "FF00,\"項目 " + std::to_string(i) + "\",\"★\"";
        base += i % 7 ? "\r\n" : i % 3 ? "\n" : "\r\n\r";
    }
    const std::size_t middle = base.size() / 2;
    const std::size_t lineEnd = base.find("\r\n", middle);
    for (std::size_t shift : {std::size_t{0}, lineEnd - middle, lineEnd + 1 - middle}) {
        const std::string text = std::string(shift, 'x') + "\n" + base;
        std::vector<TTodoData> lines;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
            if (end > start) lines.push_back(FromLine(text.substr(start, end - start)));
            start = end + 1;
        }
        TTodoData data;
        data.LoadFromText(text, 500);
        ASSERT_EQ(static_cast<std::size_t>(data.Count()), lines.size()) << shift;
        for (int i = 0; i < data.Count(); ++i) {
            const Tdata &item = data.Item(i), &expected = lines[static_cast<std::size_t>(i)].Item(0);
            ASSERT_EQ(item.Text, expected.Text) << i;
            ASSERT_EQ(item.Category, expected.Category) << i;
            ASSERT_EQ(item.Color, expected.Color) << i;
            if (item.Color != NoColor) {
                ASSERT_EQ(item.Date, expected.Date) << i;
            }
            ASSERT_EQ(item.Id, 500u + static_cast<std::uint64_t>(i));
        }
        for (int i = data.Count() - 1; i >= 0; i -= 3) data.DeleteItem(i);
        std::string saved = data.SaveToText();
        for (int i = 0; i < 2000; ++i) {
            AddItem(data, "20240305", i, "新 " + std::to_string(i), "★");
            saved += data.ItemToLine(data.Count() - 1) + "\r\n";
        }
        EXPECT_EQ(data.SaveToText(), saved);
    }
}

// Byte-order marks: UTF-8's is skipped; UTF-16 text is refused whole, the file named.
TEST(TodoData, FileWithByteOrderMarks) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    WriteBytes(path,
               "\xEF\xBB\xBF"
               "20240305,0000FF,\"x\",\"★\"\r\n");
    TTodoData data;
    data.LoadFromFile(path);
    ASSERT_EQ(data.Count(), 1);
    EXPECT_EQ(data.ItemToLine(0), "20240305,0000FF,\"x\",\"★\"");

    const std::string line = "20240305,0000FF,\"x\"\r\n";
    std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2), bare;
    for (char c : line) {
        le += c, le += '\0';
        be += '\0', be += c;
        bare += c, bare += '\0';
    }
    for (const std::string& utf16 : {le, be, bare, std::string("\xFF\xFE", 2)}) {
        WriteBytes(path, utf16);
        data.NewItem();
        try {
            data.LoadFromFile(path);
            ADD_FAILURE() << "no error";
        } catch (const EFileError& e) {
            EXPECT_EQ(std::string(e.what()), path + " はShift-JISのファイルではありません");
        }
        EXPECT_EQ(data.Count(), 0);
    }

    std::string stray = "20240305,0000FF,\"表?\",\"★\"\r\n";
    stray[stray.find('?')] = '\0';  // a stray NUL is no UTF-16
    WriteBytes(path, stray);
    data.LoadFromFile(path);
    EXPECT_EQ(data.Count(), 1);
}
