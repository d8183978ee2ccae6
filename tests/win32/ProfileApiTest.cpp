// Our settings-file writer against the system's WritePrivateProfileString on the same files.
#include <gtest/gtest.h>
#include <windows.h>

#include "WinTestFolder.h"
#include "settings/ProfileList.h"
#include "settings/ProfileText.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/TextWork.h"

#include <algorithm>
#include <set>

namespace {

struct Write {
    const char* section;
    const char* key;
    const char* value;
};

struct Read {
    const char* section;  // upper case, keys lower case, as the program asks
    const char* key;
};

struct ProfileCase {
    const char* name;
    const char* start;  // nullptr: no file
    std::vector<Write> writes;
    std::vector<Read> reads = {};  // integers read back after the writes
};

std::string WithSystem(const std::string& path, const ProfileCase& c) {
    for (const Write& w : c.writes)
        WritePrivateProfileStringW(ToWide(w.section).c_str(), ToWide(w.key).c_str(), ToWide(w.value).c_str(),
                                   ToWide(path).c_str());
    std::string text;
    ReadWholeFile(path, text);
    for (const Read& r : c.reads)
        text += "read " +
                std::to_string(static_cast<int>(GetPrivateProfileIntW(ToWide(r.section).c_str(), ToWide(r.key).c_str(),
                                                                      -99, ToWide(path).c_str()))) +
                "\r\n";
    return text;
}

std::string WithOurs(const ProfileCase& c) {
    TProfileText text(c.start ? c.start : "");
    for (const Write& w : c.writes) text.SetValue(w.section, w.key, w.value);
    std::string result = text.Text();
    TprofileList list;
    list.ParseLines(SplitLines(result));
    for (const Read& r : c.reads) result += "read " + std::to_string(list.ReadInteger(r.section, r.key, -99)) + "\r\n";
    return result;
}

const ProfileCase kCases[] = {
    {"rewrite", "[A]\r\nk=1\r\n", {{"A", "k", "2"}}},
    {"case", "[a]\r\nKEY=1\r\n", {{"A", "key", "2"}}},
    {"comments", "; top\r\n[A]\r\n;k=0\r\nk=1\r\n", {{"A", "k", "5"}}},
    {"new_key_before_next_section", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", {{"A", "new", "3"}}},
    {"new_section", "[A]\r\nx=1\r\n", {{"C", "z", "9"}}},
    {"no_file", nullptr, {{"A", "k", "1"}, {"B", "m", "2"}, {"A", "n", "3"}}},
    {"japanese", "[オプション]\r\nキー=値\r\n", {{"オプション", "キー", "新しい値"}, {"オプション", "別", "表"}}},
    {"blank_line_before_next_section", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", {{"A", "new", "3"}}},
    {"spacing_same_value", "[A]\r\n  k = 1 \r\n", {{"A", "k", "1"}}},
    {"spacing_new_value", "[A]\r\n  k = 1 \r\n", {{"A", "k", "2"}}},
    {"no_final_line_end", "[A]\r\nk=1", {{"A", "m", "2"}}},
    {"bracket_without_end",
     "[A]\r\nk=1\r\n[abc\r\nm=2\r\n",
     {{"A", "m", "3"}, {"ABC", "x", "4"}},
     {{"A", "m"}, {"A", "k"}, {"ABC", "x"}}},
    {"header_with_comment",
     "[A]\r\nk=1\r\n[SORT] ; sorting\r\nauto=0\r\n",
     {{"SORT", "auto", "1"}},
     {{"SORT", "auto"}, {"A", "auto"}}},
};

class ProfileApi : public ::testing::TestWithParam<ProfileCase> {};

}  // namespace

// Where the two differ, ours follows the rule that every line that is not set stays as it was.
// Wine rewrites the whole file: it drops blank lines between sections and comments after a
// header.
TEST_P(ProfileApi, SameTextAsTheSystem) {
    const ProfileCase& c = GetParam();
    WinTestFolder folder;
    const std::string path = FromWide(folder.Wide()) + "\\test.ini";
    if (c.start) ReplaceFileSafely(path, c.start);
    std::string system = WithSystem(path, c), ours = WithOurs(c);
    if (system != ours) {
        std::printf("profile case %s differs:\n--- system\n%s--- ours\n%s---\n", c.name, system.c_str(), ours.c_str());
        RecordProperty("differs", c.name);
    }
    // The reads must agree in every case.
    static const std::set<std::string> kKnownDifferences = {"blank_line_before_next_section", "header_with_comment"};
    if (!kKnownDifferences.count(c.name)) {
        EXPECT_EQ(ours, system);
    } else {
        auto reads = [](const std::string& outcome) {
            return outcome.substr(std::min(outcome.find("read "), outcome.size()));
        };
        EXPECT_EQ(reads(ours), reads(system));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileApi, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
