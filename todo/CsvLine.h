// Splitting one item-file line into its comma-separated fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Quoted fields keep their backslash pairs as they stand (UnescapeText resolves them
// later); a doubled quote in any field becomes one quote.
std::vector<std::string> SplitCsvLine(std::string_view line);
