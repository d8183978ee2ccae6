// What an item's due date says against today: overdue, due today, later or none, the date as
// the list shows it, and the reminder of what is due.
#pragma once

#include <string>
#include <vector>

#include "todo/TodoData.h"

enum class TDueState { None, Overdue, Today, Later };

// today's time of day is ignored; an item without a date is never overdue.
TDueState DueState(TDateTime due, TDateTime today);

// "mm/dd" in today's year, "yyyy/mm/dd" in any other or when today is kNoDate, "" without a date.
std::string DueDateText(TDateTime due, TDateTime today, const std::string& separator);

// The items due today and overdue, with the texts of the first few of them (today's first).
struct TDueSummary {
    static constexpr int kTextsShown = 3;
    int today = 0, overdue = 0;
    std::vector<std::string> texts;  // first lines, cut to kTextLength bytes
    bool Any() const { return today > 0 || overdue > 0; }
};
TDueSummary SummariseDue(const TTodoData& items, TDateTime today);

// "今日が期日の項目: 2件 / 期限切れ: 1件" and the texts below, one a line (CR LF).
std::string ReminderText(const TDueSummary& summary);

// Tells when the local day has changed since the last look; the first look counts as a change.
class TDayWatch {
public:
    bool Changed(TDateTime now);
    TDateTime Today() const { return day_; }

private:
    long long day_ = 0;
    bool seen_ = false;
};
