// Shift-JIS text helpers shared by the whole program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// True for the first byte of a two-byte Shift-JIS character.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// A byte that can follow a lead byte as its character's second.
constexpr bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Length in bytes of the character starting at position i (a lead byte at the very end counts as one).
inline std::size_t CharLength(std::string_view s, std::size_t i) {
    return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// Whether position k starts a character, given that `from` (at most k) does. A lead byte
// takes whatever follows it, so only the run of lead bytes just before k decides: an even
// one ends on a character's end. Lets a byte found by memchr be checked without walking there.
inline bool StartsCharacter(std::string_view s, std::size_t from, std::size_t k) {
    std::size_t leads = 0;
    while (k > from && IsLeadByte(static_cast<unsigned char>(s[k - 1]))) {
        --k;
        ++leads;
    }
    return leads % 2 == 0;
}

// The text cut to at most maxBytes, never inside a two-byte character.
std::string CutToWholeCharacters(const std::string& text, std::size_t maxBytes);

// Removes every trailing backslash, so "C:\" becomes "C:". Never cuts a two-byte character.
std::string StripTrailingBackslashes(const std::string& path);

// The item file's escaping of control characters, quotes and backslashes.
std::string EscapeText(const std::string& text);
std::string UnescapeText(const std::string& text);
// The same, handing the text back without a copy when it holds no backslash.
std::string UnescapeText(std::string&& text);

// Upper- or lower-cases the ASCII letters of a Shift-JIS text; two-byte characters are
// stepped over whole, so "ア" (83 41) stays "ア".
std::string UpperCaseSjis(std::string_view text);
std::string LowerCaseSjis(std::string_view text);
bool SameTextSjis(std::string_view a, std::string_view b);

// Position of a single-byte character, never the second byte of a pair; npos when absent.
std::size_t FindChar(std::string_view text, char c);
// The text on one line: each run of line breaks and tabs becomes one space, none at the ends.
std::string OneLine(std::string_view text);
// Position of a text starting on a character, never inside a pair; npos when absent.
std::size_t FindText(std::string_view text, std::string_view wanted);
// True when the text's last character is the single-byte character c.
bool EndsWithChar(std::string_view text, char c);

// Drops leading and trailing blanks and control characters.
std::string_view TrimBlanks(std::string_view text);

// The text after a UTF-8 byte-order mark, which some editors put in front of any file they save;
// the text itself when it has none.
std::string_view SkipUtf8Mark(std::string_view text);
// True for text in UTF-16: a byte-order mark of either order, or NUL bytes in a quarter or more
// of the even or of the odd positions, as ASCII text gives in UTF-16 and Shift-JIS text never does.
bool LooksLikeUtf16(std::string_view text);

// True for text in UTF-8 with characters of three bytes or more (Japanese ones): every byte above
// 0x7F in a well-formed sequence, as Shift-JIS text with Japanese in it never has.
bool LooksLikeUtf8(std::string_view text);
// UTF-8 text in Shift-JIS; characters Shift-JIS cannot hold become one "?" each (lossy, when
// given, is set to whether any did).
std::string ShiftJisFromUtf8(std::string_view text, bool* lossy = nullptr);
// Text an editor saved in UTF-8 as Shift-JIS, its mark dropped; any other text as it is.
std::string ShiftJisIfUtf8(std::string text);

// Splits at CR LF, lone CR or lone LF; a final line end gives no empty last line.
std::vector<std::string> SplitLines(std::string_view text);

// Every line with one TAB in front, each followed by CR LF.
std::string IndentLines(const std::string& text);
inline std::string OpenTag(const std::string& name) { return "<" + name + ">"; }
inline std::string CloseTag(const std::string& name) { return "</" + name + ">"; }
// The text from a 1-based position to its end.
std::string TextFrom(const std::string& text, int position);

// How much of a text fits a width: whole characters only, and the width they take.
struct TTextFit {
    std::size_t bytes = 0;
    int width = 0;
};

// Measures text in pixels; the main window gives its canvas, tests a fixed-width stand-in.
class TTextMeasurer {
public:
    virtual ~TTextMeasurer() = default;
    virtual int TextWidth(const std::string& text) const = 0;
    // The longest prefix whose characters, measured one by one and summed, stay within the
    // width. One call per display line keeps wrapping linear; this default measures each
    // character through TextWidth, a canvas may answer from widths it already knows.
    virtual TTextFit Fit(std::string_view text, int width) const;
};

// The text, or its longest prefix ending on a whole character that fits with ".." appended.
std::string FitTextWithDots(const std::string& text, const TTextMeasurer& canvas, int maxWidth);

// Appends the escaped form of text to out (the item file writer's fast path).
void AppendEscaped(std::string& out, std::string_view text);
// The same written at out, which has room for kMaxEscapedGrowth bytes per byte of text and
// kEscapedSlack more (written over, not kept); answers the end of what was written.
constexpr std::size_t kMaxEscapedGrowth = 4;
constexpr std::size_t kEscapedSlack = 16;
char* WriteEscaped(char* out, std::string_view text);
// Appends UnescapeText of text to out (the item file reader's fast path).
void AppendUnescaped(std::string& out, std::string_view text);
// UnescapeText of text written at out, which has room for text's size (unescaping never
// lengthens a text); answers its end.
char* WriteUnescaped(char* out, std::string_view text);
