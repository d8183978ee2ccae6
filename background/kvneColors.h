// The colour scheme: named colours of the window's parts, kept per picture in ".clr" files.
#pragma once

#include <cstdint>
#include <string>

#include "background/DirStringList.h"

// The ten colour keys.
extern const char* const kColorWindowBackground;
extern const char* const kColorActiveTitle;
extern const char* const kColorInactiveTitle;
extern const char* const kColorOuterFrame;
extern const char* const kColorInnerFrame;
extern const char* const kColorTextShadow;
extern const char* const kColorUnderline;
extern const char* const kColorHighlight;
extern const char* const kColorOverdue;  // the date of an item past due
extern const char* const kColorDueToday;

// The built-in scheme, byte for byte as a ".clr" file (and as the resource "colors").
extern const char* const kBuiltInColorScheme;

class TColorsList : public TDirStringList {
public:
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    void LoadDefaults();  // the built-in scheme
    // 0 when the value is empty or not a number ("$" hex or decimal). A negative number names a
    // system colour by its index in the low byte: the system's colour, else the built-in one.
    std::int32_t GetColor(const std::string& key);
    // A key missing from an older scheme file (or left empty, line breaks aside) takes its
    // built-in colour, and the scheme then holds it.
    std::int32_t GetColorOrDefault(const std::string& key);
    void SetColor(const std::string& key, std::int32_t color);

    void Load();  // the own file if it exists, else the built-in scheme
    void LoadFrom(const std::string& fileName);
    // A file in UTF-16 (an editor's) gives the built-in scheme: read as Shift-JIS it is junk.
    // One in UTF-8 is read as its Shift-JIS text, which a save writes.
    void LoadFromFile(const std::string& fileName);
    // Both raise EFileError, the file left as it is, when it is in UTF-16.
    void Save() const { SaveAs(fileName_); }
    void SaveAs(const std::string& fileName) const;

private:
    std::string fileName_;
};

// A stored value as its number ("$" hex or decimal); line breaks and control characters around it,
// as a hand-laid-out file has them, are not part of it. False for anything else.
bool ColorValue(const std::string& text, std::int32_t& value);

// The colour key's stored value is drawn in: a system colour the system's (else the key's built-in
// colour), any other value its low 24 bits.
std::int32_t ResolveColor(const std::string& key, std::int32_t value);

// The colour the system gives one of its colour indexes (COLOR_BTNFACE and the like); false for
// an index it does not have. The portable build answers Windows' default colours.
bool ReadSystemColor(int index, std::int32_t& color);

// "$" and at least six upper-case hex digits.
std::string ColorToText(std::int32_t color);

// The current colour scheme, for the whole run.
extern TColorsList ColorsList;
