#include "support/TextWork.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
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

void AppendEscaped(std::string& out, const std::string& text) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
            out += c;
            out += text[++i];
            continue;
        }
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r':
            if (i + 1 < n && text[i + 1] == '\n') {
                out += "\\n";
                ++i;
            } else {
                out += "\\d";
            }
            break;
        case '\n': out += "\\a"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        default: out += c;
        }
    }
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
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t len = CharLength(text, i);
        if (len == 2 || text[i] != '\\') {
            out.append(text, i, len);
            i += len;
            continue;
        }
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
                    out.append(text, i, 4);
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
    return out;
}
