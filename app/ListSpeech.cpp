#include "app/ListSpeech.h"

#include "todo/DueDates.h"

std::string SpokenDate(TDateTime due, TDateTime today) {
    if (!HasDate(due)) return "期日なし";
    int year, month, day, thisYear, m, d;
    DecodeDate(due, year, month, day);
    DecodeDate(today, thisYear, m, d);
    const std::string monthDay = std::to_string(month) + "月" + std::to_string(day) + "日";
    return year == thisYear ? monthDay : std::to_string(year) + "年" + monthDay;
}

std::string SpokenItem(const Tdata& item, TDateTime today) {
    std::string spoken = SpokenDate(item.Date, today);
    if (!item.Category.empty() && item.Category != kNoCategory) spoken += " " + item.Category;
    std::string text;
    for (char c : item.Text) {
        const bool blank = c == '\r' || c == '\n' || c == '\t';
        if (!blank)
            text += c;
        else if (!text.empty() && text.back() != ' ')
            text += ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty()) spoken += " " + text;
    switch (DueState(item.Date, today)) {
        case TDueState::Overdue: spoken += " 期限切れ"; break;
        case TDueState::Today: spoken += " 今日"; break;
        default: break;
    }
    return spoken;
}
