// A tree of named nodes addressed by backslash paths ("ウィンドウ\背景"), read from and
// written to the tagged text of colour-scheme files.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TDirStringList {
public:
    TDirStringList() = default;
    virtual ~TDirStringList() = default;
    TDirStringList(const TDirStringList&) = delete;
    TDirStringList& operator=(const TDirStringList&) = delete;

    int Count() const { return static_cast<int>(children_.size()); }
    const std::string& Names(int index) const { return children_.at(static_cast<std::size_t>(index))->name_; }
    TDirStringList& Child(int index) { return *children_.at(static_cast<std::size_t>(index)); }
    const std::string& Path() const { return path_; }
    const std::string& Value() const { return value_; }

    // Both create missing nodes along the path, so reading a key adds it.
    void SetValue(const std::string& path, const std::string& value);
    std::string GetValue(const std::string& path);

    void Clear() { children_.clear(); }
    void Delete(int index);

    // Missing file: an empty tree.
    void LoadFromFile(const std::string& fileName);
    void LoadFromText(const std::string& text);
    void SaveToFile(const std::string& fileName) const;
    std::string GetText() const;

private:
    TDirStringList& Resolve(const std::string& path);
    TDirStringList& FindOrAppend(const std::string& name);
    void Parse(const std::string& text);

    std::string name_;
    std::string path_;
    std::string value_;
    std::vector<std::unique_ptr<TDirStringList>> children_;
};
