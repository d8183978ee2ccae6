#include "background/DirStringList.h"

#include <stdexcept>

#include "support/FileIO.h"
#include "support/TextWork.h"

void TDirStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
    children_.erase(children_.begin() + index);
}

TDirStringList& TDirStringList::FindOrAppend(const std::string& name) {
    for (auto& child : children_)
        if (SameTextSjis(child->name_, name)) return *child;
    auto child = std::make_unique<TDirStringList>();
    child->name_ = name;
    child->path_ = path_ + name + "\\";
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
    for (char c : text)  // blanks are never part of a name or value (and never a second byte)
        if (c != ' ' && c != '\t') compact += c;
    Parse(compact);
}

void TDirStringList::Parse(const std::string& text) {
    std::size_t pos = 0;
    for (;;) {
        std::size_t open = text.find('<', pos), close = text.find('>', pos);
        if (open == std::string::npos || close == std::string::npos || close < open) return;
        const std::string name = text.substr(open + 1, close - open - 1);
        const std::string closing = "</" + name + ">";
        std::size_t end = text.find(closing, pos);
        if (end == std::string::npos || end < close + 1) return;
        std::string content = text.substr(close + 1, end - close - 1);
        TDirStringList& child = FindOrAppend(name);
        if (content.find('<') == std::string::npos)
            child.value_ = std::move(content);
        else
            child.Parse(content);
        pos = end + closing.size();
    }
}

std::string TDirStringList::GetText() const {
    std::string out;
    for (const auto& child : children_) {
        if (child->children_.empty()) {
            out += OpenTag(child->name_) + child->value_ + CloseTag(child->name_) + "\r\n";
        } else {
            out += OpenTag(child->name_) + "\r\n";
            out += IndentLines(child->GetText());
            out += CloseTag(child->name_) + "\r\n";
        }
    }
    return out;
}

void TDirStringList::SaveToFile(const std::string& fileName) const { ReplaceFileSafely(fileName, GetText()); }
