#include "background/DirStringList.h"

#include <stdexcept>

#include "support/FileIO.h"
#include "support/TextWork.h"

void TDirStringList::Clear() {
    children_.clear();
    index_.clear();
}

void TDirStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
    children_.erase(children_.begin() + index);
    index_.clear();
    for (std::size_t i = 0; i < children_.size(); ++i) index_.emplace(UpperCaseSjis(children_[i]->name_), i);
}

TDirStringList& TDirStringList::FindOrAppend(const std::string& name) {
    auto [it, added] = index_.emplace(UpperCaseSjis(name), children_.size());
    if (!added) return *children_[it->second];
    auto child = std::make_unique<TDirStringList>();
    child->name_ = name;
    children_.push_back(std::move(child));
    return *children_.back();
}

TDirStringList& TDirStringList::Resolve(const std::string& path) {
    std::string_view rest = path;
    if (!rest.empty() && rest[0] == '\\') rest.remove_prefix(1);
    TDirStringList* node = this;
    for (;;) {
        std::size_t sep = FindChar(rest, '\\');
        if (sep == std::string_view::npos) return node->FindOrAppend(std::string(rest));
        node = &node->FindOrAppend(std::string(rest.substr(0, sep)));
        rest.remove_prefix(sep + 1);
    }
}

void TDirStringList::SetValue(const std::string& path, const std::string& value) { Resolve(path).value_ = value; }

std::string TDirStringList::GetValue(const std::string& path) { return Resolve(path).value_; }

void TDirStringList::LoadFromFile(const std::string& fileName) {
    std::string text;
    ReadWholeFile(fileName, text);
    LoadFromText(text);
}

void TDirStringList::LoadFromText(const std::string& text) {
    Clear();
    std::string compact;
    compact.reserve(text.size());
    for (char c : SkipUtf8Mark(text))  // blanks are never part of a name or value (and never a second byte)
        if (c != ' ' && c != '\t') compact += c;
    Parse(compact);
}

// Each element's content is searched for its children only within its own span, level by
// level on an explicit stack; an element's closing tag is the first one after it.
void TDirStringList::Parse(std::string_view text) {
    struct Span {
        TDirStringList* node;
        std::size_t pos, end;
    };
    std::vector<Span> stack{{this, 0, text.size()}};
    while (!stack.empty()) {
        Span& span = stack.back();
        const std::string_view rest = text.substr(span.pos, span.end - span.pos);
        const std::size_t open = rest.find('<'), close = rest.find('>');
        if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
            stack.pop_back();
            continue;
        }
        const std::string name(rest.substr(open + 1, close - open - 1));
        const std::string closing = CloseTag(name);
        const std::size_t end = rest.find(closing, close + 1);
        if (end == std::string_view::npos) {  // stops silently, this level only
            stack.pop_back();
            continue;
        }
        const std::size_t contentBegin = span.pos + close + 1, contentEnd = span.pos + end;
        TDirStringList& child = span.node->FindOrAppend(name);
        span.pos = contentEnd + closing.size();
        const std::string_view content = text.substr(contentBegin, contentEnd - contentBegin);
        if (content.find('<') == std::string_view::npos)
            child.value_ = std::string(content);
        else if (static_cast<int>(stack.size()) < kMaxSchemeDepth)
            stack.push_back({&child, contentBegin, contentEnd});  // invalidates span, no longer used
    }
}

namespace {

// A value that spans lines is indented like every other line, its line ends made CR LF; at
// the top level it stays as it is.
void AppendValue(std::string& out, const std::string& value, int depth) {
    if (depth == 0) {
        out += value;
        return;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\r' && value[i] != '\n') {
            out += value[i];
            continue;
        }
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
        out += "\r\n";
        out.append(static_cast<std::size_t>(depth), '\t');
    }
}

}  // namespace

void TDirStringList::AppendText(std::string& out, int depth) const {
    for (const auto& child : children_) {
        out.append(static_cast<std::size_t>(depth), '\t');
        out += OpenTag(child->name_);
        if (child->children_.empty()) {
            AppendValue(out, child->value_, depth);
        } else {
            out += "\r\n";
            child->AppendText(out, depth + 1);
            out.append(static_cast<std::size_t>(depth), '\t');
        }
        out += CloseTag(child->name_);
        out += "\r\n";
    }
}

std::string TDirStringList::GetText() const {
    std::string out;
    AppendText(out, 0);
    return out;
}

void TDirStringList::SaveToFile(const std::string& fileName) const { ReplaceFileSafely(fileName, GetText()); }
