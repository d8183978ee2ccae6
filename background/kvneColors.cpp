#include "background/kvneColors.h"

#include <cstdio>

#include "background/kvneGraphicSource.h"
#include "support/FileIO.h"
#include "support/Functions.h"
#include "support/TextWork.h"

const char* const kColorWindowBackground = "ウィンドウ\\背景";
const char* const kColorActiveTitle = "ウィンドウ\\アクティブタイトル";
const char* const kColorInactiveTitle = "ウィンドウ\\インアクティブタイトル";
const char* const kColorOuterFrame = "ウィンドウ\\外フレーム";
const char* const kColorInnerFrame = "ウィンドウ\\内フレーム";
const char* const kColorTextShadow = "テキスト\\本文シャドウ";
const char* const kColorUnderline = "テキスト\\アンダーライン";
const char* const kColorHighlight = "テキスト\\選択項目強調";
const char* const kColorOverdue = "テキスト\\期限切れ";
const char* const kColorDueToday = "テキスト\\今日";

const char* const kBuiltInColorScheme =
    "<ウィンドウ>\r\n"
    "\t<背景>$FFFFFF</背景>\r\n"
    "\t<アクティブタイトル>$0000FF</アクティブタイトル>\r\n"
    "\t<インアクティブタイトル>$C0C0C0</インアクティブタイトル>\r\n"
    "\t<外フレーム>$C0C0C0</外フレーム>\r\n"
    "\t<内フレーム>$000000</内フレーム>\r\n"
    "</ウィンドウ>\r\n"
    "<テキスト>\r\n"
    "\t<本文シャドウ>$F0F0F0</本文シャドウ>\r\n"
    "\t<アンダーライン>$C0C0C0</アンダーライン>\r\n"
    "\t<選択項目強調>$0000FF</選択項目強調>\r\n"
    "\t<期限切れ>$0000E0</期限切れ>\r\n"
    "\t<今日>$0080FF</今日>\r\n"
    "</テキスト>\r\n";

TColorsList ColorsList;

std::string ColorToText(std::int32_t color) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.6X", static_cast<unsigned>(color));
    return buf;
}

void TColorsList::LoadDefaults() {
    std::vector<std::uint8_t> bytes;  // the program's resource "colors", else the same text built in
    if (ReadProgramResource("colors", bytes))
        LoadFromText(std::string(bytes.begin(), bytes.end()));
    else
        LoadFromText(kBuiltInColorScheme);
}

std::int32_t TColorsList::GetColor(const std::string& key) {
    std::int32_t color = 0;
    if (!ColorValue(GetValue(key), color)) return 0;
    return ResolveColor(key, color);
}

bool ColorValue(const std::string& text, std::int32_t& value) {
    return TryStrToInt(std::string(TrimBlanks(text)), value);
}

std::int32_t ResolveColor(const std::string& key, std::int32_t value) {
    // A high byte above zero would make GDI read a palette index.
    if (value >= 0) return value & 0xFFFFFF;
    // A system colour, as hand-written schemes hold them (the button face is $FF00000F); drawn as
    // the number it is, it would be near-black.
    std::int32_t color = 0;
    if (!ReadSystemColor(value & 0xFF, color)) {
        TColorsList defaults;
        defaults.LoadDefaults();
        if (!TryStrToInt(defaults.GetValue(key), color)) color = 0;
    }
    return color;
}

std::int32_t TColorsList::GetColorOrDefault(const std::string& key) {
    if (TrimBlanks(GetValue(key)).empty()) {
        TColorsList defaults;
        defaults.LoadDefaults();
        SetValue(key, defaults.GetValue(key));
    }
    return GetColor(key);
}

void TColorsList::SetColor(const std::string& key, std::int32_t color) { SetValue(key, ColorToText(color)); }

void TColorsList::Load() { LoadFrom(fileName_); }

void TColorsList::LoadFrom(const std::string& fileName) {
    if (FileExists(fileName))
        LoadFromFile(fileName);
    else
        LoadDefaults();
}

void TColorsList::LoadFromFile(const std::string& fileName) {
    std::string text;
    ReadWholeFile(fileName, text);
    if (LooksLikeUtf16(text))
        LoadDefaults();
    else  // an editor's UTF-8 names would match no key
        LoadFromText(ShiftJisIfUtf8(std::move(text)));
}

void TColorsList::SaveAs(const std::string& fileName) const {
    RefuseUtf16File(fileName);
    SaveToFile(fileName);
}
