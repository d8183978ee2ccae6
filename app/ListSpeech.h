// What a screen reader says for an item of the list: the due date in words, the mark, the
// text, and whether it is overdue or due today.
#pragma once

#include <string>

#include "todo/TodoData.h"

// "12月5日" in today's year, "2027年1月5日" in another, "期日なし" without a date.
std::string SpokenDate(TDateTime due, TDateTime today);
// "12月5日 ★ 牛乳を買う 期限切れ": line breaks read as spaces, no mark for none.
std::string SpokenItem(const Tdata& item, TDateTime today);
