// Day numbers: whole days since 1899-12-30 plus the time of day as a fraction.
#pragma once

#include <string>
#include <string_view>

using TDateTime = double;

// An item without a due date holds day 0 (1899-12-30), a day the item file cannot name.
constexpr TDateTime kNoDate = 0;
inline bool HasDate(TDateTime date) { return date != kNoDate; }

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
