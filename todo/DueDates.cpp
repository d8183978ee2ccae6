#include "todo/DueDates.h"

#include <algorithm>

#include "support/TextWork.h"

namespace {

constexpr std::size_t kTextLength = 40;

std::string Digits(int value, int count) {
    std::string text(static_cast<std::size_t>(count), '0');
    for (int i = count - 1; i >= 0; --i, value /= 10) text[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    return text;
}

// The first line with something to read: an item may start with empty lines.
std::string FirstLine(const std::string& text) {
    const std::size_t start = std::min(text.find_first_not_of("\r\n\t "), text.size());
    const std::string line = text.substr(start, text.find_first_of("\r\n", start) - start);
    const std::string cut = CutToWholeCharacters(line, kTextLength);
    return cut.size() < line.size() ? cut + "..." : cut;
}

}  // namespace

TDueState DueState(TDateTime due, TDateTime today) {
    if (!HasDate(due)) return TDueState::None;
    const long long d = WholeDay(due), t = WholeDay(today);
    return d < t ? TDueState::Overdue : d == t ? TDueState::Today : TDueState::Later;
}

std::string DueDateText(TDateTime due, TDateTime today, const std::string& separator) {
    if (!HasDate(due)) return "";
    int y, m, d, thisYear, unusedMonth, unusedDay;
    DecodeDate(due, y, m, d);
    DecodeDate(today, thisYear, unusedMonth, unusedDay);
    const std::string monthDay = Digits(m, 2) + separator + Digits(d, 2);
    return y == thisYear && HasDate(today) ? monthDay : Digits(y, 4) + separator + monthDay;
}

TDueSummary SummariseDue(const TTodoData& items, TDateTime today) {
    TDueSummary summary;
    std::vector<std::string> overdueTexts;
    for (int i = 0; i < items.Count(); ++i) {
        const TDueState state = DueState(items.GetDate(i), today);
        if (state == TDueState::Today) {
            ++summary.today;
            if (summary.texts.size() < TDueSummary::kTextsShown) summary.texts.push_back(FirstLine(items.GetText(i)));
        } else if (state == TDueState::Overdue) {
            ++summary.overdue;
            if (overdueTexts.size() < TDueSummary::kTextsShown) overdueTexts.push_back(FirstLine(items.GetText(i)));
        }
    }
    for (const std::string& text : overdueTexts)
        if (summary.texts.size() < TDueSummary::kTextsShown) summary.texts.push_back(text);
    return summary;
}

std::string ReminderText(const TDueSummary& summary) {
    std::string text = "今日が期日の項目: " + std::to_string(summary.today) + "件 / 期限切れ: " +
                       std::to_string(summary.overdue) + "件";
    for (const std::string& line : summary.texts) text += "\r\n" + line;
    return text;
}

bool TDayWatch::Changed(TDateTime now) {
    const long long day = WholeDay(now);
    const bool changed = !seen_ || day != day_;
    seen_ = true;
    day_ = day;
    return changed;
}
