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

}  // namespace

std::vector<std::string> SplitCsvLine(const std::string& line) {
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
                std::size_t len = CharLength(line, i);
                char c = line[i];
                if (len == 1 && c == '\\' && i + 1 < n) {
                    std::size_t next = CharLength(line, i + 1);
                    field.append(line, i, 1 + next);
                    i += 1 + next;
                } else if (len == 1 && c == '"') {
                    if (i + 1 == n) {
                        i = n;
                        break;
                    }
                    if (line[i + 1] == ',') {
                        i += 2;
                        separatorFollows = true;
                        break;
                    }
                    std::size_t next = CharLength(line, i + 1);
                    field.append(line, i, 1 + next);
                    i += 1 + next;
                } else {
                    field.append(line, i, len);
                    i += len;
                }
            }
        } else {
            while (i < n) {
                std::size_t len = CharLength(line, i);
                if (len == 1 && line[i] == ',') {
                    ++i;
                    separatorFollows = true;
                    break;
                }
                field.append(line, i, len);
                i += len;
            }
        }
        CollapseDoubledQuotes(field);
        fields.push_back(std::move(field));
        if (!separatorFollows) break;
    }
    return fields;
}
