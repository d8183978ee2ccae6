#include <gtest/gtest.h>

#include "TestFolder.h"
#include "settings/ProfileList.h"
#include "settings/ProfileText.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/TextWork.h"

namespace {

TprofileList Parsed(const std::string& text) {
    TprofileList list;
    list.ParseLines(SplitLines(text));
    return list;
}

}  // namespace

TEST(Settings, NamesAreFoldedAndFound) {
    TprofileList list = Parsed("[sort]\r\nAuto=0\r\n[アイ]\r\nアAbC=1\r\n");
    EXPECT_FALSE(list.ReadBool("SORT", "auto", true));
    EXPECT_EQ(list.Sections(1), "アイ");   // "ア" is 83 41: its second byte must stay an "A"
    EXPECT_EQ(list.Strings(1), "アabc");
    EXPECT_EQ(list.ReadInteger("アイ", "アabc", 0), 1);
}

TEST(Settings, ReadBoolValues) {
    TprofileList list = Parsed("[B]\na=TRUE\nb=True\nc=1\nd=-1\ne=false\nf=0\ng=yes\nh=\n");
    for (const char* key : {"a", "b", "c", "d"}) EXPECT_TRUE(list.ReadBool("B", key, false)) << key;
    for (const char* key : {"e", "f", "g", "h"}) EXPECT_FALSE(list.ReadBool("B", key, true)) << key;
    EXPECT_TRUE(list.ReadBool("B", "missing", true));
    EXPECT_TRUE(list.ReadBool("B", "a", false));  // "true" is read again from the text
}

TEST(Settings, ReadIntegerAndStrings) {
    TprofileList list = Parsed("[N]\nx=12abc\ny= -42 \nkey = a=b\n  ; comment\n\n[N]\ny=7\nz\n");
    EXPECT_EQ(list.ReadInteger("N", "x", 5), 0);
    EXPECT_EQ(list.ReadInteger("N", "y", 5), -42);  // the first occurrence wins
    EXPECT_EQ(list.ReadInteger("N", "missing", 5), 5);
    EXPECT_EQ(list.ReadString("N", "key", ""), "a=b");
    EXPECT_EQ(list.ReadString("N", "z", "d"), "");
    EXPECT_EQ(list.Count(), 5);
}

TEST(Settings, KeysBeforeTheFirstHeaderBelongToTheEmptySection) {
    TprofileList list = Parsed("top=1\n[A]\nk=2\n");
    EXPECT_EQ(list.ReadInteger("", "top", 0), 1);
    list.WriteInteger("", "top", 3);
    list.WriteInteger("", "added", 4);
    EXPECT_EQ(list.UpdatedText("top=1\r\n[A]\r\nk=2\r\n"), "top=3\r\nadded=4\r\n[A]\r\nk=2\r\n");
}

TEST(Settings, ReadFontOfAMissingSection) {
    TprofileList list = Parsed("[screenfont]\nname=Meiryo\nsize=12\n");
    TFontSpec font;
    EXPECT_FALSE(list.ReadFont("PRINTFONT", font));
    EXPECT_EQ(font.Name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.Size, 9);
    EXPECT_EQ(font.Color, 0);
    EXPECT_EQ(font.Charset, 128);
    EXPECT_TRUE(list.ReadFont("SCREENFONT", font));
    EXPECT_EQ(font.Name, "Meiryo");
    EXPECT_EQ(font.Size, 12);
}

TEST(Settings, SaveKeepsCommentsSpacingAndUnknownKeys) {
    TestFolder folder;
    const std::string path = folder / "memorail.ini";
    const std::string original =
        "; Memorail settings, edited by hand\r\n"
        "\r\n"
        "[Option]\r\n"
        "  Shadow = 1\r\n"
        "unknown key = kept as it is\r\n"
        "\r\n"
        "[Mine]\r\n"
        "what=ever ; not a comment\r\n"
        "[FORM]\r\n"
        "normalheight=100\r\n";
    WriteBytes(path, original);
    for (int cycle = 0; cycle < 10; ++cycle) {
        TprofileList list;
        list.SetFileName(path);
        list.Load();
        EXPECT_TRUE(list.ReadBool("OPTION", "shadow", false));
        list.WriteInteger("FORM", "normalheight", 100 + cycle);
        list.WriteBool("SORT", "auto", true);
        list.Save();
    }
    std::string expected = original;
    expected.replace(expected.find("normalheight=100"), 16, "normalheight=109");
    expected += "[SORT]\r\nauto=1\r\n";
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(Settings, NewKeysGoToTheEndOfTheirSection) {
    TprofileList list;
    list.WriteInteger("A", "new", 1);
    list.WriteString("B", "name", "値");
    EXPECT_EQ(list.UpdatedText("[a]\r\nold=0\r\n\r\n[C]\r\nx=1\r\n"),
              "[a]\r\nold=0\r\nnew=1\r\n\r\n[C]\r\nx=1\r\n[B]\r\nname=値\r\n");
}

TEST(Settings, DuplicateKeysKeepTheirValuesInTheFile) {
    TprofileList list = Parsed("[A]\nk=1\nk=2\n");
    EXPECT_EQ(list.UpdatedText("[A]\r\nk=1\r\nk=2\r\n"), "[A]\r\nk=1\r\nk=2\r\n");
}

TEST(Settings, SaveWithoutFileNameOrEntriesWritesNothing) {
    TestFolder folder;
    TprofileList list;
    list.WriteInteger("A", "b", 1);
    EXPECT_NO_THROW(list.Save());
    TprofileList empty;
    empty.SetFileName(folder / "none.ini");
    empty.Save();
    EXPECT_FALSE(FileExists(folder / "none.ini"));
}

TEST(Settings, SaveFailureKeepsTheFileAndNamesIt) {
    TestFolder folder;
    const std::string path = folder / "memorail.ini";
    WriteBytes(path, "[A]\r\nb=0\r\n");
    for (int i = 0; i < kTemporaryNameCount; ++i) std::filesystem::create_directory(TemporaryNameFor(path, i));
    TprofileList list;
    list.SetFileName(path);
    list.WriteInteger("A", "b", 1);
    try {
        list.Save();
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_EQ(ReadBytes(path), "[A]\r\nb=0\r\n");
}

// A settings file an editor saved as UTF-16: the load says so and keeps the defaults; saving
// Shift-JIS lines into it would ruin the settings the user has there, so the save refuses with
// a clear error and leaves it alone.
TEST(Settings, SaveLeavesAUtf16FileAndSaysSo) {
    TestFolder folder;
    const std::string path = folder / "memorail.ini";
    const std::string utf16("\xFF\xFE[\0A\0]\0\r\0\n\0b\0=\0" "0\0\r\0\n\0", 22);
    WriteBytes(path, utf16);
    TprofileList list;
    list.SetFileName(path);
    try {
        list.Load();
        ADD_FAILURE() << "no error at the load";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), NotShiftJisMessage(path));
    }
    EXPECT_EQ(list.Count(), 0);
    list.WriteInteger("A", "b", 1);
    try {
        list.Save();
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), NotShiftJisMessage(path));
    }
    EXPECT_EQ(ReadBytes(path), utf16);
}

TEST(Settings, DefaultFileNameFollowsTheProgramFile) {
    TprofileList list;
    list.UseDefaultFileName("C:\\data\\", "memorail.exe");
    EXPECT_EQ(list.FileName(), "C:\\data\\memorail.ini");
}

// Hand-edited headers and keys cut in half: the reader and the writer must agree on which lines
// are headers and where a key ends, or every save adds the same keys again.
class SettingsOddHeaders : public ::testing::TestWithParam<const char*> {};

TEST_P(SettingsOddHeaders, RepeatedSavesNeverGrowTheFile) {
    std::string text = GetParam();
    std::string previous;
    for (int round = 0; round < 3; ++round) {
        TprofileList list = Parsed(text);
        list.WriteInteger("SORT", "auto", 1);
        list.WriteInteger("FORM", "normalheight", 7);
        text = list.UpdatedText(text);
        TprofileList reread = Parsed(text);
        EXPECT_EQ(reread.ReadInteger("SORT", "auto", -1), 1) << text;
        EXPECT_EQ(reread.ReadInteger("FORM", "normalheight", -1), 7) << text;
        if (round > 0) {
            EXPECT_EQ(text, previous);
        }
        previous = text;
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, SettingsOddHeaders,
                         ::testing::Values("[abc\r\nx=1\r\n", "[FORM\r\nnormalheight=5\r\n",
                                           "[A]\r\nk=1\r\n[SORT] ; sorting\r\nauto=0\r\n",
                                           "[SORT]]\r\nauto=0\r\n[FORM] x ]\r\nnormalheight=3\r\n",
                                           "[表示]\r\n[SORT\r\nauto=0\r\n", "[A]\r\nk=1\r\n[A]\r\n\x95\r\n",
                                           "[]\r\n\x81 =1\r\n"));

TEST(Settings, LinesWithoutEqualsAreWrittenBackAsTheyWere) {
    const std::string original = "[abc\r\n[OPTION]\r\njunk line\r\n  shadow\r\nwordwrap\r\n";
    TprofileList list = Parsed(original);
    EXPECT_EQ(list.UpdatedText(original), original);
    list.WriteBool("OPTION", "wordwrap", true);  // a value set for such a key gets its "="
    EXPECT_EQ(list.UpdatedText(original), "[abc\r\n[OPTION]\r\njunk line\r\n  shadow\r\nwordwrap=1\r\n");
}

TEST(Settings, FontSizeOutsideOneToSeventyTwoReadsAsNine) {
    for (const auto& [stored, size] : {std::pair{"0", 9}, {"-3", 9}, {"73", 9}, {"1", 1}, {"72", 72}}) {
        TprofileList list = Parsed(std::string("[SCREENFONT]\nsize=") + stored + "\n");
        TFontSpec font;
        list.ReadFont("SCREENFONT", font);
        EXPECT_EQ(font.Size, size) << stored;
    }
}

TEST(Settings, Utf8MarkInFrontIsSkipped) {
    TestFolder folder;
    const std::string path = folder / "memorail.ini";
    WriteBytes(path, "\xEF\xBB\xBF[OPTION]\r\nshadow=0\r\n");
    TprofileList list;
    list.SetFileName(path);
    list.Load();
    EXPECT_FALSE(list.ReadBool("OPTION", "shadow", true));
    list.WriteBool("OPTION", "shadow", true);
    list.Save();
    EXPECT_EQ(ReadBytes(path), "[OPTION]\r\nshadow=1\r\n");
}

// Saved as UTF-8 by an editor, a font name or folder reads as junk; a save would set Shift-JIS
// values among the UTF-8 lines, leaving a file neither reads right.
TEST(Settings, Utf8FileIsReadAndSavedAsShiftJis) {
    TestFolder folder;
    const std::string path = folder / "memorail.ini";
    const std::u8string text = u8"[SCREENFONT]\r\nname=ＭＳ ゴシック\r\n; 日本語\r\n";
    WriteBytes(path, std::string(text.begin(), text.end()));
    TprofileList list;
    list.SetFileName(path);
    list.Load();
    EXPECT_EQ(list.ReadString("SCREENFONT", "name", ""), "ＭＳ ゴシック");
    list.Save();
    EXPECT_EQ(ReadBytes(path), std::string(text.begin(), text.end()));  // nothing changed, nothing written
    list.WriteInteger("SCREENFONT", "size", 12);
    list.Save();
    EXPECT_EQ(ReadBytes(path), "[SCREENFONT]\r\nname=ＭＳ ゴシック\r\n; 日本語\r\nsize=12\r\n");
}

// 20,000 keys in twenty sections, half of them new: every line is looked at a bounded number of
// times, however many keys are set.
TEST(Settings, SavingLooksAtEachLineOnce) {
    std::string file, expected;
    for (int s = 0; s < 20; ++s) {
        const std::string section = "[S" + std::to_string(s) + "]\r\n";
        file += section;
        expected += section;
        for (int k = 0; k < 500; ++k) {
            file += "k" + std::to_string(k) + "=0\r\n";
            expected += "k" + std::to_string(k) + "=" + std::to_string(k % 2) + "\r\n";
        }
        for (int k = 500; k < 1000; ++k) expected += "k" + std::to_string(k) + "=" + std::to_string(k % 2) + "\r\n";
    }
    TProfileText text(file);
    for (int s = 0; s < 20; ++s)
        for (int k = 0; k < 1000; ++k)
            text.SetValue("S" + std::to_string(s), "k" + std::to_string(k), std::to_string(k % 2));
    EXPECT_EQ(text.Text(), expected);
    EXPECT_LE(text.LinesExamined(), 2 * 20 * 501);
}
