// A tree of named nodes addressed by backslash paths ("ウィンドウ\背景"), read from and
// written to the tagged text of colour-scheme files.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Levels of elements a file may nest; deeper ones are ignored. The program's own schemes use
// two below the root, and a hostile file must never cost stack or time per level.
constexpr int kMaxSchemeDepth = 8;

class TDirStringList {
public:
    TDirStringList() = default;
    virtual ~TDirStringList() = default;
    TDirStringList(const TDirStringList&) = delete;
    TDirStringList& operator=(const TDirStringList&) = delete;

    int Count() const { return static_cast<int>(children_.size()); }
    const std::string& Names(int index) const { return children_.at(static_cast<std::size_t>(index))->name_; }
    TDirStringList& Child(int index) { return *children_.at(static_cast<std::size_t>(index)); }
    const std::string& Value() const { return value_; }

    // Both create missing nodes along the path, so reading a key adds it.
    void SetValue(const std::string& path, const std::string& value);
    std::string GetValue(const std::string& path);

    void Clear();
    void Delete(int index);

    // Missing file: an empty tree.
    void LoadFromFile(const std::string& fileName);
    void LoadFromText(const std::string& text);
    void SaveToFile(const std::string& fileName) const;
    std::string GetText() const;

private:
    TDirStringList& Resolve(const std::string& path);
    TDirStringList& FindOrAppend(const std::string& name);
    void Parse(std::string_view text);
    void AppendText(std::string& out, int depth) const;

    std::string name_;
    std::string value_;
    std::vector<std::unique_ptr<TDirStringList>> children_;
    // Children by their name with ASCII letters upper-cased: a file may hold tens of thousands.
    std::unordered_map<std::string, std::size_t> index_;
};
