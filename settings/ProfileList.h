// Settings held in memory as (section, key, value) entries with typed reads and defaults,
// written back into their INI file key by key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsKeys.h"

// The value record of one entry.
struct TMultiData {
    std::uint8_t Kind = 0;  // 0 raw text from the file, 1 number, 2 real number, 3 text
    std::int32_t IntValue = 0;
    double FloatValue = 0;
    std::string StrValue;
};

// An unsorted list of strings, duplicates allowed, each with its own value record.
class TMultiStringList {
public:
    virtual ~TMultiStringList() = default;
    int Count() const { return static_cast<int>(items_.size()); }
    int Add(const std::string& text);
    void Insert(int index, const std::string& text);
    virtual void Delete(int index);
    virtual void Clear();

    const std::string& Strings(int index) const { return items_.at(static_cast<std::size_t>(index)).text; }
    TMultiData& Data(int index) { return items_.at(static_cast<std::size_t>(index)).data; }
    const TMultiData& Data(int index) const { return items_.at(static_cast<std::size_t>(index)).data; }
    bool BoolValue(int index) const { return Data(index).IntValue != 0; }
    void SetBoolValue(int index, bool value) { Data(index).IntValue = value ? 1 : 0; }

private:
    struct Item {
        std::string text;
        TMultiData data;
    };
    std::vector<Item> items_;
};

// Font sizes a settings file may hold; others read as 9.
constexpr int kMinFontPoints = 1;
constexpr int kMaxFontPoints = 72;

// A font as the settings keep it: four keys of one section.
struct TFontSpec {
    std::string Name = "ＭＳ Ｐゴシック";
    int Size = 9;              // points
    std::int32_t Color = 0;    // $00BBGGRR
    int Charset = 128;         // Shift-JIS
};

class TprofileList : public TMultiStringList {
public:
    // Section of each entry, parallel to the keys; stored upper case (keys lower case).
    const std::string& Sections(int index) const { return sections_.at(static_cast<std::size_t>(index)); }

    int AddKey(const std::string& section, const std::string& key);
    int IndexOfKey(const std::string& section, const std::string& key) const;

    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t defaultValue);
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // The same through the catalogue of keys.
    std::int32_t Read(const TIntKey& k) { return ReadInteger(k.section, k.key, k.defaultValue); }
    bool Read(const TBoolKey& k) { return ReadBool(k.section, k.key, k.defaultValue); }
    std::string Read(const TStringKey& k) { return ReadString(k.section, k.key, k.defaultValue); }
    void Write(const TIntKey& k, std::int32_t value) { WriteInteger(k.section, k.key, value); }
    void Write(const TBoolKey& k, bool value) { WriteBool(k.section, k.key, value); }
    void Write(const TStringKey& k, const std::string& value) { WriteString(k.section, k.key, value); }
    bool ReadFont(const std::string& section, TFontSpec& font);
    void WriteFont(const std::string& section, const TFontSpec& font);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& path) { fileName_ = path; }
    // The data folder's file named after the program, with ".ini".
    void UseDefaultFileName(const std::string& dataFolderPath, const std::string& exeFileName);

    // Reads the file when it exists, one in UTF-8 as its Shift-JIS text. EFileError when it is
    // in UTF-16: the defaults stay.
    void Load();
    void LoadFromFile(const std::string& path);
    void ParseLines(const std::vector<std::string>& lines);
    // Writes every entry into the file in one safe step; nothing when FileName is empty. A file
    // in UTF-16 is left as it is, with EFileError saying it is not Shift-JIS.
    void Save();
    // The file's text after every entry has been set in it.
    std::string UpdatedText(const std::string& fileText) const;

    void Delete(int index) override;
    void Clear() override;

private:
    int FindOrAdd(const std::string& section, const std::string& key);
    std::string ValueText(int index) const;

    std::vector<std::string> sections_;
    std::string fileName_;
};

// Decimal integer with an optional sign; 0 for anything else.
std::int32_t DecimalOrZero(const std::string& text);

// The main settings, for the whole run.
extern TprofileList MainSettings;
