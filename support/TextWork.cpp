#include "support/TextWork.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// What the escaping writer does with each byte: copy it (0), look at the next (1, a lead
// byte) or escape it (2).
struct EscapeClasses {
    unsigned char of[256] = {};
    constexpr EscapeClasses() {
        for (int c = 0; c < 256; ++c) of[c] = IsLeadByte(static_cast<unsigned char>(c)) ? 1 : 0;
        for (unsigned char c : {'\\', '\r', '\n', '\t', '"'}) of[c] = 2;
    }
};
constexpr EscapeClasses kEscape;

// Writes the escape of the character at k, one that escaping changes; answers how many bytes
// of the text it stands for (CR LF together, else one).
[[gnu::always_inline]] inline std::size_t PutEscape(char*& out, const unsigned char* p, std::size_t k, std::size_t n) {
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char c = p[k];
    out[0] = '\\';
    switch (c) {
        case '\\': out[1] = '\\'; break;
        case '\r':
            if (k + 1 < n && p[k + 1] == '\n') {
                out[1] = 'n';
                out += 2;
                return 2;
            }
            out[1] = 'd';
            break;
        case '\n': out[1] = 'a'; break;
        case '\t': out[1] = 't'; break;
        case '"': out[1] = '"'; break;
        default:  // a lead byte: the reader pairs it with whatever follows; as hex it stands alone
            out[1] = 'x';
            out[2] = kHex[c >> 4];
            out[3] = kHex[c & 0xF];
            out += 4;
            return 1;
    }
    out += 2;
    return 1;
}

// The text from i, a character's first byte, one byte at a time.
char* WriteEscapedBytes(char* out, const unsigned char* p, std::size_t i, std::size_t n) {
    while (i < n) {
        const unsigned char c = p[i];
        if (kEscape.of[c] == 0) {
            *out++ = static_cast<char>(c);
            ++i;
        } else if (kEscape.of[c] == 1 && i + 1 < n && IsTrailByte(p[i + 1])) {
            out[0] = static_cast<char>(c);
            out[1] = static_cast<char>(p[i + 1]);
            out += 2;
            i += 2;
        } else {
            i += PutEscape(out, p, i, n);
        }
    }
    return out;
}

#ifdef __SSE2__
__m128i Splat(int c) { return _mm_set1_epi8(static_cast<char>(c)); }

// Sixteen bytes of text as bits: the lead bytes, and the bytes that escaping may change (a
// few control bytes that it does not too, stepped over later). The byte after them is read.
struct TextBlock {
    __m128i raw;
    unsigned hits, leads;
};

// Compared as signed bytes after flipping the top bit, which orders them as unsigned.
TextBlock ReadBlock(const unsigned char* p) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1)), Splat(0x80));
    // The backslash, the quote, and every byte below 0x0E for CR, LF and TAB.
    const __m128i escaped = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(raw, Splat('\\')), _mm_cmpeq_epi8(raw, Splat('"'))),
                                         _mm_cmplt_epi8(_mm_xor_si128(raw, Splat(0x80)), Splat(0x0E ^ 0x80)));
    // Lead bytes 0x81-0x9F and 0xE0-0xFC become one run 0x21-0x5C after flipping 0xA0.
    const __m128i lifted = _mm_xor_si128(raw, Splat(0xA0));
    const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(lifted, Splat(0x20)), _mm_cmplt_epi8(lifted, Splat(0x5D)));
    // No trail byte: below 0x40, 0x7F, or above 0xFC.
    const __m128i noTrail =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(next, Splat(0x40 ^ 0x80)), _mm_cmpgt_epi8(next, Splat(0xFC ^ 0x80))),
                     _mm_cmpeq_epi8(next, Splat(0x7F ^ 0x80)));
    return {raw, static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(escaped, _mm_and_si128(noTrail, lead)))),
            static_cast<unsigned>(_mm_movemask_epi8(lead))};
}

int HighestBit(unsigned bits) { return 31 - __builtin_clz(bits); }

// A lead byte takes the byte after it, so a byte starts a character when the run of lead
// bytes just before it is even. inPair: the run before the block is odd, and its first byte
// is a second byte.

// The first byte of the block that escaping changes and that starts a character; 16 for none.
int FirstChange(const unsigned char* p, const TextBlock& block, bool inPair) {
    const unsigned others = ~block.leads & 0xFFFFu;
    for (unsigned hits = block.hits; hits; hits &= hits - 1) {
        const int k = __builtin_ctz(hits);
        if (p[k] < 0x0E && kEscape.of[p[k]] != 2) continue;  // a control byte that stays
        const unsigned before = others & ((1u << k) - 1);
        const int run = before ? k - 1 - HighestBit(before) : k + inPair;
        if (run % 2 == 0) return k;
    }
    return 16;
}

// Whether the byte after the block is a second byte.
bool EndsInPair(const TextBlock& block, bool inPair) {
    const unsigned others = ~block.leads & 0xFFFFu;
    return others ? (15 - HighestBit(others)) % 2 != 0 : inPair;
}
#endif

}  // namespace

std::string StripTrailingBackslashes(const std::string& path) {
    // Find where the last character starts, walking whole characters from the front:
    // the second byte of "表" is a backslash too and must not be stripped.
    std::size_t keep = 0;
    for (std::size_t i = 0; i < path.size();) {
        std::size_t len = CharLength(path, i);
        if (!(len == 1 && path[i] == '\\')) keep = i + len;
        i += len;
    }
    return path.substr(0, keep);
}

char* WriteEscaped(char* out, std::string_view text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
#ifdef __SSE2__
    bool inPair = false;  // i is a second byte
    // Whole blocks go out as they are, then the place of the first change is written over:
    // there is always room, as at least as many bytes are still to come.
    while (i + 17 <= n) {
        const TextBlock block = ReadBlock(p + i);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block.raw);
        const int k = FirstChange(p + i, block, inPair);
        if (k == 16) {
            inPair = EndsInPair(block, inPair);
            out += 16;
            i += 16;
            continue;
        }
        out += k;
        i += static_cast<std::size_t>(k);
        i += PutEscape(out, p, i, n);
        inPair = false;  // nothing escaped takes the byte after it
    }
    if (inPair) *out++ = static_cast<char>(p[i++]);
#endif
    return WriteEscapedBytes(out, p, i, n);
}

void AppendEscaped(std::string& out, std::string_view text) {
    const std::size_t old = out.size();
    out.resize(old + kMaxEscapedGrowth * text.size());
    out.resize(static_cast<std::size_t>(WriteEscaped(out.data() + old, text) - out.data()));
}

std::string EscapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    AppendEscaped(out, text);
    return out;
}

std::string UnescapeText(std::string&& text) {
    if (text.find('\\') == std::string::npos) return std::move(text);
    return UnescapeText(static_cast<const std::string&>(text));
}

std::string UnescapeText(const std::string& text) {
    if (text.find('\\') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size());
    AppendUnescaped(out, text);
    return out;
}

void AppendUnescaped(std::string& out, std::string_view text) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        // Everything up to the next backslash that is not a second byte goes in whole.
        std::size_t run = i;
        for (;;) {
            const void* hit = std::memchr(text.data() + run, '\\', n - run);
            run = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : n;
            if (run == n || StartsCharacter(text, i, run)) break;
            ++run;
        }
        out.append(text.data() + i, run - i);
        i = run;
        if (i == n) break;
        if (i + 1 == n) {  // a lone backslash at the end stays
            out += '\\';
            break;
        }
        char c = text[i + 1];
        switch (c) {
            case 'n': out += "\r\n"; break;
            case 'a': out += '\n'; break;
            case 'd':
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                int hi = i + 2 < n ? HexDigitValue(text[i + 2]) : -1;
                int lo = i + 3 < n ? HexDigitValue(text[i + 3]) : -1;
                if (hi >= 0 && lo >= 0) {
                    int value = hi * 16 + lo;
                    // A NUL byte would cut the item file short, so "\x00" stays as written.
                    if (value == 0)
                        out.append(text.data() + i, 4);
                    else
                        out += static_cast<char>(value);
                    i += 4;
                    continue;
                }
                out += 'x';  // an incomplete "\x" is read like any other escaped letter
                break;
            }
            default: {
                std::size_t clen = CharLength(text, i + 1);
                out.append(text, i + 1, clen);
                i += 1 + clen;
                continue;
            }
        }
        i += 2;
    }
}

namespace {

std::string MapAsciiLetters(std::string_view text, char from, char to, int shift) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += CharLength(out, i))
        if (out[i] >= from && out[i] <= to) out[i] = static_cast<char>(out[i] + shift);
    return out;
}

}  // namespace

std::string UpperCaseSjis(std::string_view text) { return MapAsciiLetters(text, 'a', 'z', 'A' - 'a'); }

std::string LowerCaseSjis(std::string_view text) { return MapAsciiLetters(text, 'A', 'Z', 'a' - 'A'); }

bool SameTextSjis(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperCaseSjis(a) == UpperCaseSjis(b);
}

std::size_t FindChar(std::string_view text, char c) {
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        if (text[i] == c) return i;
    return std::string_view::npos;
}

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n' && c != '\t')
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::size_t FindText(std::string_view text, std::string_view wanted) {
    for (std::size_t i = 0; i + wanted.size() <= text.size(); i += CharLength(text, i))
        if (text.compare(i, wanted.size(), wanted) == 0) return i;
    return std::string_view::npos;
}

bool EndsWithChar(std::string_view text, char c) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) last = i;
    return last != std::string_view::npos && last + 1 == text.size() && text[last] == c;
}

std::string_view TrimBlanks(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

std::string_view SkipUtf8Mark(std::string_view text) {
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

bool LooksLikeUtf16(std::string_view text) {
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) return true;
    // A sample is enough; a quarter of one parity's bytes NUL leaves room for CJK characters.
    const std::size_t sample = std::min<std::size_t>(text.size(), 4096) & ~std::size_t{1};
    std::size_t nuls[2] = {0, 0};
    for (std::size_t i = 0; i < sample; ++i)
        if (text[i] == '\0') ++nuls[i % 2];
    const std::size_t most = std::max(nuls[0], nuls[1]);
    return most >= 2 && most * 4 >= sample / 2;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end;
        if (start < text.size() && text[start] == '\r') ++start;
        if (start < text.size() && text[start] == '\n' && (end == start || text[start - 1] == '\r')) ++start;
    }
    return lines;
}

std::string IndentLines(const std::string& text) {
    std::string out;
    for (const std::string& line : SplitLines(text)) {
        out += '\t';
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string CutToWholeCharacters(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t next = end + CharLength(text, end);
        if (next > maxBytes) break;
        end = next;
    }
    return text.substr(0, end);
}

std::string TextFrom(const std::string& text, int position) {
    if (position < 1) position = 1;
    return static_cast<std::size_t>(position) > text.size() ? std::string() : text.substr(position - 1);
}

TTextFit TTextMeasurer::Fit(std::string_view text, int width) const {
    TTextFit fit;
    while (fit.bytes < text.size()) {
        const std::size_t len = CharLength(text, fit.bytes);
        const int w = TextWidth(std::string(text.substr(fit.bytes, len)));
        if (fit.width + w > width) break;
        fit.width += w;
        fit.bytes += len;
    }
    return fit;
}

std::string FitTextWithDots(const std::string& text, const TTextMeasurer& canvas, int maxWidth) {
    if (canvas.TextWidth(text) <= maxWidth) return text;
    std::string result = "..";
    if (text.empty()) return result;
    for (std::size_t end = CharLength(text, 0); end <= text.size(); end += CharLength(text, end)) {
        std::string candidate = text.substr(0, end) + "..";
        if (canvas.TextWidth(candidate) > maxWidth) break;
        result = std::move(candidate);
        if (end == text.size()) break;
    }
    return result;
}
