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

// The first byte at or after i that escaping may change: one to escape, or a byte that could
// be a lead byte without a trail byte after it. Bytes are looked at without telling lead
// from trail bytes (the caller does that); everything before the answer is written as it
// is. Sixteen bytes at a time, since most texts hold few such bytes or none.
std::size_t NextToEscape(std::string_view text, std::size_t i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
#ifdef __SSE2__
    // Compared as signed bytes after flipping the top bit, which orders them as unsigned.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const auto below = [](__m128i x, int limit) {
        return _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(limit ^ 0x80)));
    };
    const auto above = [](__m128i x, int limit) {
        return _mm_cmpgt_epi8(x, _mm_set1_epi8(static_cast<char>(limit ^ 0x80)));
    };
    // The bytes at base .. base + 15 that may change, as bits.
    const auto hitsAt = [&](std::size_t base) {
        const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + base));
        const __m128i x = _mm_xor_si128(raw, flip);
        const __m128i next = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + base + 1)), flip);
        __m128i escaped = _mm_cmpeq_epi8(raw, _mm_set1_epi8('\\'));
        for (char c : {'\r', '\n', '\t', '"'}) escaped = _mm_or_si128(escaped, _mm_cmpeq_epi8(raw, _mm_set1_epi8(c)));
        const __m128i lead =
            _mm_or_si128(_mm_and_si128(above(x, 0x80), below(x, 0xA0)), _mm_and_si128(above(x, 0xDF), below(x, 0xFD)));
        const __m128i trail = _mm_or_si128(_mm_and_si128(above(next, 0x3F), below(next, 0x7F)),
                                           _mm_and_si128(above(next, 0x7F), below(next, 0xFD)));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(escaped, _mm_andnot_si128(trail, lead))));
    };
    if (n >= 17 && i + 1 < n) {
        for (; i + 17 <= n; i += 16)
            if (const unsigned hits = hitsAt(i)) return i + static_cast<std::size_t>(__builtin_ctz(hits));
        // The last block overlaps the one before; bits before i are already passed.
        if (i + 1 < n) {
            const std::size_t base = n - 17;
            if (const unsigned hits = hitsAt(base) & (~0u << (i - base)))
                return base + static_cast<std::size_t>(__builtin_ctz(hits));
            i = n - 1;
        }
    }
#endif
    for (; i < n; ++i) {
        const unsigned char c = p[i];
        if (kEscape.of[c] == 2) return i;
        if (kEscape.of[c] == 1 && (i + 1 == n || !IsTrailByte(p[i + 1]))) return i;
    }
    return n;
}

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

void AppendEscaped(std::string& out, std::string_view text) {
    const std::size_t n = text.size();
    std::size_t written = 0;  // everything before it is in out
    std::size_t start = 0;    // a character's first byte, at or after written
    for (std::size_t from = 0;;) {
        const std::size_t k = NextToEscape(text, from);
        if (k == n) break;
        if (!StartsCharacter(text, start, k)) {  // a two-byte character's second byte stays
            start = from = k + 1;
            continue;
        }
        out.append(text.data() + written, k - written);
        const char c = text[k];
        std::size_t used = 1;
        if (IsLeadByte(static_cast<unsigned char>(c))) {
            // The reader pairs a lead byte with whatever follows, a closing quote or a
            // line end too; written as hex, it stands alone.
            static const char kHex[] = "0123456789ABCDEF";
            const char hex[4] = {'\\', 'x', kHex[static_cast<unsigned char>(c) >> 4], kHex[c & 0xF]};
            out.append(hex, 4);
        } else {
            switch (c) {
                case '\\': out += "\\\\"; break;
                case '\r':
                    if (k + 1 < n && text[k + 1] == '\n') {
                        out += "\\n";
                        used = 2;
                    } else {
                        out += "\\d";
                    }
                    break;
                case '\n': out += "\\a"; break;
                case '\t': out += "\\t"; break;
                default: out += "\\\""; break;  // the quote
            }
        }
        written = start = from = k + used;
    }
    out.append(text.data() + written, n - written);
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
