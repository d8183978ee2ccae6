#include "todo/CsvLine.h"

#include "support/TextWork.h"

namespace {

void CollapseDoubledQuotes(std::string& field) {
    if (field.find("\"\"") == std::string::npos) return;
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size();) {
        std::size_t len = CharLength(field, i);
        out.append(field, i, len);
        if (len == 1 && field[i] == '"' && i + 1 < field.size() && field[i + 1] == '"')
            i += 2;
        else
            i += len;
    }
    field.swap(out);
}

// Index of the next single-byte character of the set at or after i (two-byte characters are
// stepped over whole); n when there is none.
std::size_t FindSingleByte(std::string_view line, std::size_t i, char a, char b) {
    const std::size_t n = line.size();
    while (i < n) {
        char c = line[i];
        if (c == a || c == b) return i;
        i += IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < n ? 2 : 1;
    }
    return n;
}

}  // namespace

std::vector<std::string> SplitCsvLine(std::string_view line) {
    std::vector<std::string> fields;
    fields.reserve(4);
    const std::size_t n = line.size();
    std::size_t i = 0;
    for (;;) {
        std::string field;
        bool separatorFollows = false;
        if (i < n && line[i] == '"') {
            ++i;
            while (i < n) {
                std::size_t special = FindSingleByte(line, i, '\\', '"');
                field.append(line.substr(i, special - i));
                i = special;
                if (i == n) break;
                if (line[i] == '"') {
                    if (i + 1 == n) {
                        i = n;
                        break;
                    }
                    if (line[i + 1] == ',') {
                        i += 2;
                        separatorFollows = true;
                        break;
                    }
                } else if (i + 1 == n) {  // a backslash as the very last character
                    field += '\\';
                    i = n;
                    break;
                }
                // A backslash pair, or a quote with the character after it, belongs to the field.
                std::size_t pair = 1 + CharLength(line, i + 1);
                field.append(line.substr(i, pair));
                i += pair;
            }
        } else {
            std::size_t comma = FindSingleByte(line, i, ',', ',');
            field.assign(line.substr(i, comma - i));
            separatorFollows = comma < n;
            i = comma + (separatorFollows ? 1 : 0);
        }
        CollapseDoubledQuotes(field);
        fields.push_back(std::move(field));
        if (!separatorFollows) break;
    }
    return fields;
}
