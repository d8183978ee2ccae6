#include "support/TextWork.h"

#include <algorithm>
#include <cstdint>
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

// Up to 63 bytes of text as bits, bit k for byte k: the bytes that escaping may change (and a
// few control bytes that it does not, stepped over later), the lead bytes, and the bytes that
// cannot be a pair's second byte.
struct TextBits {
    std::uint64_t escapable = 0, leads = 0, notTrail = 0;
};

// Compared as signed bytes after flipping the top bit, which orders them as unsigned.
[[gnu::always_inline]] inline void AddBlockBits(__m128i raw, int at, TextBits& bits) {
    const __m128i flipped = _mm_xor_si128(raw, Splat(0x80));
    // The backslash, the quote, and every byte below 0x0E for CR, LF and TAB.
    const __m128i escapable = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(raw, Splat('\\')), _mm_cmpeq_epi8(raw, Splat('"'))),
                                           _mm_cmplt_epi8(flipped, Splat(0x0E ^ 0x80)));
    // Lead bytes 0x81-0x9F and 0xE0-0xFC become one run 0x21-0x5C after flipping 0xA0.
    const __m128i lifted = _mm_xor_si128(raw, Splat(0xA0));
    const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(lifted, Splat(0x20)), _mm_cmplt_epi8(lifted, Splat(0x5D)));
    // Below 0x40, 0x7F, or above 0xFC.
    const __m128i notTrail =
        _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(flipped, Splat(0x40 ^ 0x80)), _mm_cmpgt_epi8(flipped, Splat(0xFC ^ 0x80))),
                     _mm_cmpeq_epi8(raw, Splat(0x7F)));
    const auto bitsOf = [at](__m128i m) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))) << at;
    };
    bits.escapable |= bitsOf(escapable);
    bits.leads |= bitsOf(lead);
    bits.notTrail |= bitsOf(notTrail);
}

// The bytes just after a run of lead bytes of odd length. A run starts on a character (the
// byte before it is no lead byte), and its bytes pair off from there, so the byte after an odd
// run is taken as a second byte if it can be one. Adding a run's first bit carries through the
// run to the bit after it; runs starting at even and at odd places are added apart.
std::uint64_t AfterOddRuns(std::uint64_t leads) {
    constexpr std::uint64_t kEven = 0x5555555555555555ull;
    const std::uint64_t starts = leads & ~(leads << 1);
    const std::uint64_t evenEnds = (leads + (starts & kEven)) & ~leads;
    const std::uint64_t oddEnds = (leads + (starts & ~kEven)) & ~leads;
    return (evenEnds & ~kEven) | (oddEnds & kEven);
}

// The second character of each escape written as a backslash and one letter; 0 for the rest.
struct EscapeLetters {
    char of[256] = {};
    constexpr EscapeLetters() {
        const char pairs[][2] = {{'\\', '\\'}, {'"', '"'}, {'\n', 'a'}, {'\t', 't'}, {'\r', 'd'}};
        for (const auto& pair : pairs) of[static_cast<unsigned char>(pair[0])] = pair[1];
    }
};
constexpr EscapeLetters kLetters;

// A window of len bytes of text (16 to 63) at p, which starts a character or, when inPair, is
// the second byte of a pair, escaped at out: the whole window when it ends the text, else its
// first kTake bytes, the bytes after them telling only how those end. Answers how many bytes it
// wrote for (one more when a CR LF straddles the end) and sets inPair for the byte there.
// Writes up to 15 bytes past its end.
constexpr std::size_t kTake = 47;
template <bool kLast>
[[gnu::always_inline]] inline std::size_t EscapeWindow(char*& out, const unsigned char* p, std::size_t len, bool& inPair) {
    const std::size_t take = kLast ? len : kTake;
    // One to three whole blocks from the front, and the last 16 bytes.
    const std::size_t whole = len / 16;
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b1 = whole > 1 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)) : b0;
    const __m128i b2 = whole > 2 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)) : b0;
    const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + len - 16));
    TextBits bits;
    AddBlockBits(b0, 0, bits);
    if (whole > 1) AddBlockBits(b1, 16, bits);
    if (whole > 2) AddBlockBits(b2, 32, bits);
    AddBlockBits(last, static_cast<int>(len - 16), bits);
    if (inPair) bits.leads &= ~std::uint64_t{1};
    const std::uint64_t after = AfterOddRuns(bits.leads);
    const std::uint64_t notTrail = bits.notTrail | std::uint64_t{1} << len;  // the end pairs with nothing
    const std::uint64_t seconds = (after & ~notTrail) | (inPair ? 1 : 0);
    const std::uint64_t loneLeads = (after & notTrail) >> 1;
    std::uint64_t changes = ((bits.escapable & ~seconds) | loneLeads) & ((std::uint64_t{1} << take) - 1);

    // Whether byte t is a second byte: the run of lead bytes before it, cut at t, is odd.
    const auto secondAt = [&](std::size_t t) {
        const std::uint64_t below = (std::uint64_t{1} << t) - 1;
        return ((AfterOddRuns(bits.leads & below) & ~notTrail) >> t & 1) != 0;
    };
    const auto put = [&](char* to) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), b0);
        if (whole > 1) _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), b1);
        if (whole > 2) _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 32), b2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + len - 16), last);
    };
    if (changes == 0) {  // as it is: the usual case
        put(out);
        out += take;
        if (!kLast) inPair = secondAt(take);
        return take;
    }
    // Runs between the changes are copied 16 bytes at a time: from the text itself, and where
    // that would read past its end, from a copy with room after it. (Loads from the copy
    // across the blocks just stored in it wait for the stores to land.)
    alignas(16) char copy[80];
    put(copy);
    std::size_t i = 0;
    const auto copyUpTo = [&](std::size_t k) {
        for (std::size_t j = i; j < k; j += 16) {
            const char* from = j + 16 <= len ? reinterpret_cast<const char*>(p) + j : copy + j;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (j - i)), _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
        }
        out += k - i;
        i = k;
    };
    for (; changes; changes &= changes - 1) {
        const std::size_t k = static_cast<std::size_t>(__builtin_ctzll(changes));
        if (k < i) continue;  // the LF of a CR LF
        const unsigned char c = p[k];
        const char letter = kLetters.of[c];
        if (letter == 0 && !IsLeadByte(c)) continue;  // a control byte that stays
        copyUpTo(k);
        if (letter == 0) {  // a lead byte with no second byte
            i += PutEscape(out, p, k, len);
            continue;
        }
        const bool crlf = c == '\r' && k + 1 < len && p[k + 1] == '\n';
        out[0] = '\\';
        out[1] = crlf ? 'n' : letter;
        out += 2;
        i = k + 1 + crlf;
    }
    if (i < take) copyUpTo(take);
    if (!kLast) inPair = secondAt(i);
    return i;
}

// Escapes all but the last 16 to 63 bytes of a text of at least 64; answers where it stopped.
[[gnu::noinline]] std::size_t EscapeLongFront(char*& out, const unsigned char* p, std::size_t n, bool& inPair) {
    std::size_t i = 0;
    while (n - i >= 64) i += EscapeWindow<false>(out, p + i, 63, inPair);
    return i;
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
    // One window of up to 63 bytes; a longer text goes kTake bytes at a time before it.
    if (n >= 16) {
        bool inPair = false;  // i is a second byte
        if (n >= 64) i = EscapeLongFront(out, p, n, inPair);
        EscapeWindow<true>(out, p + i, n - i, inPair);
        return out;
    }
#endif
    return WriteEscapedBytes(out, p, i, n);
}

void AppendEscaped(std::string& out, std::string_view text) {
    const std::size_t old = out.size();
    out.resize(old + kMaxEscapedGrowth * text.size() + kEscapedSlack);
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
    const std::size_t old = out.size();
    out.resize(old + text.size());  // unescaping never lengthens a text
    out.resize(static_cast<std::size_t>(WriteUnescaped(out.data() + old, text) - out.data()));
}

char* WriteUnescaped(char* out, std::string_view text) {
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
        std::memcpy(out, text.data() + i, run - i);
        out += run - i;
        i = run;
        if (i == n) break;
        if (i + 1 == n) {  // a lone backslash at the end stays
            *out++ = '\\';
            break;
        }
        switch (text[i + 1]) {
            case 'n': *out++ = '\r', *out++ = '\n'; break;
            case 'a': *out++ = '\n'; break;
            case 'd':
            case 'r': *out++ = '\r'; break;
            case 't': *out++ = '\t'; break;
            case 'x': {
                const int hi = i + 2 < n ? HexDigitValue(text[i + 2]) : -1;
                const int lo = i + 3 < n ? HexDigitValue(text[i + 3]) : -1;
                if (hi >= 0 && lo >= 0) {
                    // A NUL byte would cut the item file short, so "\x00" stays as written.
                    if (hi == 0 && lo == 0) {
                        std::memcpy(out, text.data() + i, 4);
                        out += 4;
                    } else {
                        *out++ = static_cast<char>(hi * 16 + lo);
                    }
                    i += 4;
                    continue;
                }
                *out++ = 'x';  // an incomplete "\x" is read like any other escaped letter
                break;
            }
            default: {
                const std::size_t length = CharLength(text, i + 1);
                std::memcpy(out, text.data() + i + 1, length);
                out += length;
                i += 1 + length;
                continue;
            }
        }
        i += 2;
    }
    return out;
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
    // The other parity holds few (U+xx00 characters): a block of NULs, as a crash leaves in
    // a file, holds as many of both.
    const std::size_t sample = std::min<std::size_t>(text.size(), 4096) & ~std::size_t{1};
    std::size_t nuls[2] = {0, 0};
    for (std::size_t i = 0; i < sample; ++i)
        if (text[i] == '\0') ++nuls[i % 2];
    const std::size_t most = std::max(nuls[0], nuls[1]), least = std::min(nuls[0], nuls[1]);
    return most >= 2 && most * 4 >= sample / 2 && least * 2 < most;
}

bool LooksLikeUtf8(std::string_view text) {
    bool wide = false;
    for (std::size_t i = 0; i < text.size();) {
        // ASCII eight bytes at a time: an item file may be large.
        std::uint64_t eight;
        if (i + 8 <= text.size() && (std::memcpy(&eight, text.data() + i, 8), (eight & 0x8080808080808080u) == 0)) {
            i += 8;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80                 ? 1
                              : c >= 0xC2 && c <= 0xDF ? 2
                              : c >= 0xE0 && c <= 0xEF ? 3
                              : c >= 0xF0 && c <= 0xF4 ? 4
                                                       : 0;
        if (n == 0 || i + n > text.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        wide = wide || n > 2;  // Shift-JIS half-width kana may pair into two-byte forms
        i += n;
    }
    return wide;
}

std::string ShiftJisIfUtf8(std::string text) {
    const std::string_view body = SkipUtf8Mark(text);
    return LooksLikeUtf8(body) ? ShiftJisFromUtf8(body) : text;
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
