// Every key of the main settings file, each with its section and default once; every read and
// write goes through these, so a default can never differ between two places.
#pragma once

#include <cstdint>

template <typename T>
struct TSettingKey {
    const char* section;  // upper case, as stored
    const char* key;      // lower case, as stored
    T defaultValue;
};

using TIntKey = TSettingKey<std::int32_t>;
using TBoolKey = TSettingKey<bool>;
using TStringKey = TSettingKey<const char*>;

namespace keys {
inline constexpr TBoolKey WordWrap{"OPTION", "wordwrap", false};
inline constexpr TBoolKey Shadow{"OPTION", "shadow", true};
inline constexpr TBoolKey WindowRound{"OPTION", "windowround", true};
inline constexpr TIntKey Selected{"OPTION", "selected", 0};
inline constexpr TBoolKey Startup{"OPTION", "startup", false};
inline constexpr TBoolKey InTaskTray{"OPTION", "intasktray", false};
inline constexpr TBoolKey WindowOnTop{"OPTION", "windowontop", false};
inline constexpr TIntKey FitScreenPx{"OPTION", "fitscreenpx", 32};
inline constexpr TBoolKey Overdue{"OPTION", "overdue", true};  // overdue and today's dates in their colours
inline constexpr TBoolKey Notify{"OPTION", "notify", true};    // the tray's reminder of what is due
inline constexpr TStringKey Link{"OPTION", "link", "https://korvane.example/"};  // the maker's web page
inline constexpr const char* ScreenFont = "SCREENFONT";
inline constexpr const char* PrintFont = "PRINTFONT";
inline constexpr TStringKey PictureFileName{"PICTURE", "filename", ""};
inline constexpr TBoolKey PictureRandom{"PICTURE", "random", true};
inline constexpr TIntKey PictureMinutes{"PICTURE", "minutes", 30};
inline constexpr TBoolKey SortAuto{"SORT", "auto", true};
inline constexpr TBoolKey SortOrder{"SORT", "order", false};
inline constexpr TIntKey SortType{"SORT", "type", 0};
inline constexpr TIntKey NewTextColor{"COLORS", "newtext", 0};
inline constexpr TIntKey NormalHeight{"FORM", "normalheight", 100};
}  // namespace keys
