#include <gtest/gtest.h>

#include "todo/CsvLine.h"

using Fields = std::vector<std::string>;

TEST(SplitCsvLine, PlainAndQuotedFields) {
    EXPECT_EQ(SplitCsvLine("20240305,0000FF,\"x\",\"★\""), (Fields{"20240305", "0000FF", "x", "★"}));
    EXPECT_EQ(SplitCsvLine(""), (Fields{""}));
    EXPECT_EQ(SplitCsvLine("a,"), (Fields{"a", ""}));
    EXPECT_EQ(SplitCsvLine("\"a\","), (Fields{"a", ""}));
    EXPECT_EQ(SplitCsvLine(",,"), (Fields{"", "", ""}));
    EXPECT_EQ(SplitCsvLine("a\"b,c"), (Fields{"a\"b", "c"}));  // quotes mean nothing in a plain field
}

TEST(SplitCsvLine, BackslashPairsStayInQuotedFields) {
    EXPECT_EQ(SplitCsvLine("\"a\\\",b\",c"), (Fields{"a\\\",b", "c"}));
    EXPECT_EQ(SplitCsvLine("\"end\\\\\",\"x\""), (Fields{"end\\\\", "x"}));
    EXPECT_EQ(SplitCsvLine("\"表\",\"ソ\""), (Fields{"表", "ソ"}));  // second byte 0x5C is no backslash
}

TEST(SplitCsvLine, QuoteInsideQuotedField) {
    EXPECT_EQ(SplitCsvLine("\"a\"b\",c"), (Fields{"a\"b", "c"}));
    EXPECT_EQ(SplitCsvLine("\"a\"\"b\""), (Fields{"a\"b"}));
    EXPECT_EQ(SplitCsvLine("\"unterminated,x"), (Fields{"unterminated,x"}));
    EXPECT_EQ(SplitCsvLine("\"\""), (Fields{""}));
    EXPECT_EQ(SplitCsvLine("\""), (Fields{""}));
}
