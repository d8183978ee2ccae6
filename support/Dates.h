// Day numbers: whole days since 1899-12-30 plus the time of day as a fraction.
#pragma once

#include <string>
#include <string_view>

using TDateTime = double;

// An item without a due date holds day 0 (1899-12-30), a day the item file cannot name. Nor
// can it name a day outside 0001-01-01 to 9999-12-31 (or no number at all): such a date is
// none either, wherever it came from.
constexpr TDateTime kNoDate = 0, kFirstDay = -693593, kDayAfterLast = 2958466;
inline bool HasDate(TDateTime date) { return date != kNoDate && date >= kFirstDay && date < kDayAfterLast; }

// The day of a date and time: its whole part.
inline long long WholeDay(TDateTime date) { return static_cast<long long>(date); }
// The whole day `day` at the time of day `date` holds. Before 1899-12-30 the fraction counts
// away from zero, as DecodeDate drops it: 18:00 on day -1 is -1.75.
TDateTime WithTimeOfDay(TDateTime day, TDateTime date);
// The day number of a calendar date; false (and result untouched) for a date that does not exist.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// Calendar date of a day number's whole part (the fraction is the time of day and is dropped).
void DecodeDate(TDateTime date, int& year, int& month, int& day);

// "yyyymmdd" of the date; "00000000" when the year falls outside 1..9999.
std::string DateToText(TDateTime date);
// The same into out[0..7], for writers that build their lines themselves.
void WriteDateText(char* out, TDateTime date);
// Characters 1-4 year, 5-6 month, 7-8 day; any failure gives 0.
TDateTime DateFromText(std::string_view text);

// The current local date and time.
TDateTime NowDateTime();
