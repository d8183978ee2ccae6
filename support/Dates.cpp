#include "support/Dates.h"

#include <cmath>
#include <ctime>

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool ParseDigits(std::string_view text, std::size_t from, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    int last = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day > last) return false;
    result = static_cast<TDateTime>(DaysFromCivil(year, month, day) - kEpochOffset);
    return true;
}

TDateTime WithTimeOfDay(TDateTime day, TDateTime date) {
    const TDateTime time = std::fabs(date - std::trunc(date));
    return day < 0 ? day - time : day + time;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    // The whole part counts days in both directions, like the file's reader expects.
    CivilFromDays(static_cast<long long>(std::trunc(date)) + kEpochOffset, year, month, day);
}

void WriteDateText(char* out, TDateTime date) {
    int y = 0, m = 0, d = 0;
    if (std::isfinite(date) && std::fabs(date) <= 3.0e6) DecodeDate(date, y, m, d);
    if (y < 1 || y > 9999) y = m = d = 0;
    const int digits[8] = {y / 1000, y / 100 % 10, y / 10 % 10, y % 10, m / 10, m % 10, d / 10, d % 10};
    for (int k = 0; k < 8; ++k) out[k] = static_cast<char>('0' + digits[k]);
}

std::string DateToText(TDateTime date) {
    std::string text(8, '0');
    WriteDateText(text.data(), date);
    return text;
}

TDateTime DateFromText(std::string_view text) {
    int y, m, d;
    TDateTime result = 0;
    if (text.size() < 8 || !ParseDigits(text, 0, 4, y) || !ParseDigits(text, 4, 2, m) || !ParseDigits(text, 6, 2, d) ||
        !TryEncodeDate(y, m, d, result))
        return 0;
    return result;
}

TDateTime NowDateTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    TDateTime day = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, day);
    return day + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}
