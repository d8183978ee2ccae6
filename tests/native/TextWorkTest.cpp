#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/TextWork.h"

TEST(EscapeText, ReplacesControlCharactersQuotesAndBackslashes) {
    EXPECT_EQ(EscapeText("a\\b"), "a\\\\b");
    EXPECT_EQ(EscapeText("Call\r\nBob"), "Call\\nBob");
    EXPECT_EQ(EscapeText("a\rb"), "a\\db");
    EXPECT_EQ(EscapeText("a\r\r\nb"), "a\\d\\nb");
    EXPECT_EQ(EscapeText("a\nb\tc"), "a\\ab\\tc");
    EXPECT_EQ(EscapeText("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(EscapeText("C:\\new"), "C:\\\\new");
}

TEST(EscapeText, LeavesTwoByteCharactersWhole) {
    // The second bytes of 表, 能 and ソ are 0x5C, the value of a backslash.
    for (const char* text : {"表", "能", "ソ", "表\\", "ソ表能"}) EXPECT_EQ(UnescapeText(EscapeText(text)), text);
    EXPECT_EQ(EscapeText("表"), "表");
    EXPECT_EQ(EscapeText("表\\"), "表\\\\");
}

TEST(EscapeText, LongTextsMatchTheByteRule) {
    // Texts of sixteen bytes and more are written in blocks, a long one in windows: lead
    // bytes, 0x5C trail bytes, quotes, CR LF and bytes that cannot be trail bytes land on every
    // place around their edges, and runs of lead bytes cross them. Nothing is written before
    // the text's place or more than kEscapedSlack bytes after its end.
    const auto byteRule = [](const std::string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]), next = i + 1 < text.size() ? text[i + 1] : 0;
            const bool trail = (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC);
            if (IsLeadByte(c) && trail) {
                out += text.substr(i++, 2);
            } else if (IsLeadByte(c)) {
                const char* hex = "0123456789ABCDEF";
                out += std::string("\\x") + hex[c >> 4] + hex[c & 0xF];
            } else if (c == '\r' && next == '\n') {
                out += "\\n";
                ++i;
            } else {
                const std::string plain(1, static_cast<char>(c));
                out += c == '\\'   ? "\\\\"
                       : c == '\r' ? "\\d"
                       : c == '\n' ? "\\a"
                       : c == '\t' ? "\\t"
                       : c == '"'  ? "\\\""
                                   : plain;
            }
        }
        return out;
    };
    // Also the control bytes next to TAB, LF and CR, which stay, and the edges of the lead runs.
    const char alphabet[] = {'a',    '\x81', '\x95', '\x5C', '"',    '\x40', '\x7F', '\xFC', '\xFD',
                             '\x9F', '\r',   '\n',   '\xE0', '\t',   '\x01', '\x0B', '\x0E', '\x3F',
                             '\x80', '\xA0', '\xDF'};
    unsigned seed = 1;
    std::vector<char> out(1024);
    for (int round = 0; round < 20000; ++round) {
        const std::size_t length = 1 + round % 160;
        std::string text(length, 'a');
        const int odd = round % 4;  // how many bytes come from the whole alphabet rather than "a\x81\x40"
        for (std::size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            const unsigned pick = seed >> 16;
            text[i] = pick % 8 < static_cast<unsigned>(odd) ? alphabet[pick / 8 % sizeof alphabet]
                                                            : "a\x81\x40"[pick / 8 % 3];
        }
        const std::string expected = byteRule(text);
        ASSERT_EQ(EscapeText(text), expected) << round;
        std::fill(out.begin(), out.end(), '#');
        char* const end = WriteEscaped(out.data() + 16, text);
        ASSERT_EQ(std::string(out.data() + 16, end), expected) << round;
        ASSERT_EQ(std::count(out.begin(), out.begin() + 16, '#'), 16) << round;
        ASSERT_EQ(std::count(end + kEscapedSlack, out.data() + out.size(), '#'), out.data() + out.size() - end - 16) << round;
    }
}

TEST(UnescapeText, ReadsEverySequence) {
    EXPECT_EQ(UnescapeText("plain"), "plain");
    EXPECT_EQ(UnescapeText("a\\nb"), "a\r\nb");
    EXPECT_EQ(UnescapeText("a\\ab"), "a\nb");
    EXPECT_EQ(UnescapeText("a\\db\\rc"), "a\rb\rc");
    EXPECT_EQ(UnescapeText("a\\tb"), "a\tb");
    EXPECT_EQ(UnescapeText("\\\"q\\\""), "\"q\"");
    EXPECT_EQ(UnescapeText("\\\\"), "\\");
    EXPECT_EQ(UnescapeText("\\z"), "z");
    EXPECT_EQ(UnescapeText("end\\"), "end\\");
    EXPECT_EQ(UnescapeText("\\x41\\x7e"), "A~");
    EXPECT_EQ(UnescapeText("\\x8a\\xbf"), "\x8a\xbf");
    EXPECT_EQ(UnescapeText("\\表"), "表");
}

TEST(UnescapeText, NeverProducesNulOrReadsPastTheEnd) {
    EXPECT_EQ(UnescapeText("a\\x00b"), "a\\x00b");  // kept as written
    EXPECT_EQ(UnescapeText("a\\x"), "ax");
    EXPECT_EQ(UnescapeText("a\\x4"), "ax4");
    EXPECT_EQ(UnescapeText("a\\xg1"), "axg1");
    for (const char* text : {"\\x00", "\\x0", "\\x", "\\", "\\x\\", "\x81", "\\\x81"}) {
        std::string out = UnescapeText(text);
        EXPECT_EQ(out.find('\0'), std::string::npos) << text;
    }
}

TEST(UnescapeText, ReversesEscapeTextOnAnyBytes) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(UnescapeText(EscapeText(all)), all);
    EXPECT_EQ(UnescapeText(EscapeText("\\x41")), "\\x41");
}

TEST(StripTrailingBackslashes, KeepsTwoByteCharacters) {
    EXPECT_EQ(StripTrailingBackslashes("C:\\"), "C:");
    EXPECT_EQ(StripTrailingBackslashes("C:\\data\\\\"), "C:\\data");
    EXPECT_EQ(StripTrailingBackslashes("C:\\表"), "C:\\表");
    EXPECT_EQ(StripTrailingBackslashes("C:\\表\\"), "C:\\表");
    EXPECT_EQ(StripTrailingBackslashes("\\\\"), "");
    EXPECT_EQ(StripTrailingBackslashes(""), "");
}

namespace {

// Every byte is 5 pixels wide: a two-byte character measures 10.
class FixedWidth : public TTextMeasurer {
public:
    int TextWidth(const std::string& text) const override { return static_cast<int>(text.size()) * 5; }
};

}  // namespace

TEST(FitTextWithDots, NeverCutsATwoByteCharacter) {
    FixedWidth canvas;
    EXPECT_EQ(FitTextWithDots("abc", canvas, 15), "abc");
    EXPECT_EQ(FitTextWithDots("abcdef", canvas, 20), "ab..");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 25), "表..");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 29), "表..");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 30), "表ソ能");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 5), "..");
    EXPECT_EQ(FitTextWithDots("", canvas, -1), "..");
    for (int width = 0; width < 60; ++width) {
        std::string fitted = FitTextWithDots("aア表bソ", canvas, width);
        std::string kept = fitted.substr(0, fitted.size() - (fitted.size() >= 2 && fitted.ends_with("..") ? 2 : 0));
        EXPECT_EQ(std::string("aア表bソ").rfind(kept, 0), 0u);
        EXPECT_TRUE(kept.empty() || kept.size() == 1 || kept.size() == 3 || kept.size() == 5 || kept.size() == 6 ||
                    kept.size() == 8)
            << width << ": " << fitted;
    }
}

TEST(TextHelpers, CaseFoldingStepsOverTwoByteCharacters) {
    EXPECT_EQ(UpperCaseSjis("sort"), "SORT");
    EXPECT_EQ(LowerCaseSjis("アAbC"), "アabc");  // ア is 83 41
    EXPECT_EQ(UpperCaseSjis("アa"), "アA");
    EXPECT_TRUE(SameTextSjis("Option", "OPTION"));
    EXPECT_FALSE(SameTextSjis("ア",
                              "\x83"
                              "a"));
}

TEST(TextHelpers, IndentLinesAndTextFrom) {
    EXPECT_EQ(IndentLines("a\r\nb\nc"), "\ta\r\n\tb\r\n\tc\r\n");
    EXPECT_EQ(IndentLines("a\r\n\r\nb\r\n"), "\ta\r\n\t\r\n\tb\r\n");
    EXPECT_EQ(IndentLines(""), "");
    EXPECT_EQ(TextFrom("abcdef", 3), "cdef");
    EXPECT_EQ(TextFrom("abc", 4), "");
    EXPECT_EQ(OpenTag("背景") + CloseTag("背景"), "<背景></背景>");
}

TEST(CutToWholeCharacters, NeverCutsATwoByteCharacter) {
    const std::string kanji = "表";  // 95 5C: a trail byte that is a backslash
    EXPECT_EQ(CutToWholeCharacters(std::string(1022, 'a') + kanji, 1023), std::string(1022, 'a'));
    EXPECT_EQ(CutToWholeCharacters(std::string(1021, 'a') + kanji + "b", 1023), std::string(1021, 'a') + kanji);
    EXPECT_EQ(CutToWholeCharacters(std::string(1024, 'a'), 1023), std::string(1023, 'a'));
    EXPECT_EQ(CutToWholeCharacters("abc", 1023), "abc");
    EXPECT_EQ(CutToWholeCharacters("", 1023), "");
    EXPECT_EQ(CutToWholeCharacters("a\x81", 1), "a");  // a lone lead byte at the end is one character
}
