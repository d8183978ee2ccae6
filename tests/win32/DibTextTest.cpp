// The list's measurer fits text from character widths it remembers per font.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/DibText.h"

namespace {

HFONT ListFont(int pixels) {
    const wchar_t* face = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";  // ＭＳ Ｐゴシック
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

// The longest prefix of whole characters whose widths, measured one by one, stay within width.
std::size_t WalkedFit(const TDibText& text, const std::string& sample, int width) {
    int sum = 0;
    std::size_t i = 0;
    while (i < sample.size()) {
        const std::size_t len = CharLength(sample, i);
        sum += text.TextWidth(sample.substr(i, len));
        if (sum > width) break;
        i += len;
    }
    return i;
}

}  // namespace

TEST(DibText, FitsWhereMeasuringEachCharacterCutsAndForgetsAnotherFontsWidths) {
    const std::string sample = "歯医者の予約 WiW 10:30 表ソ\r\n牛乳";
    HFONT small = ListFont(12), large = ListFont(24);
    TDibText text;
    text.SetFont(small);
    for (int width = 0; width < 260; width += 3) {
        const TTextFit fit = text.Fit(sample, width);
        EXPECT_EQ(fit.bytes, WalkedFit(text, sample, width)) << width;
        EXPECT_EQ(fit.width, text.TextWidth(sample.substr(0, fit.bytes))) << width;  // GDI's widths add up
    }
    const int smallWidth = text.Fit("WiW表", 10000).width;
    text.SetFont(large);
    EXPECT_EQ(text.Fit("WiW表", 10000).width, text.TextWidth("WiW表"));
    EXPECT_GT(text.Fit("WiW表", 10000).width, smallWidth);
    text.SetFont(nullptr);
    DeleteObject(small);
    DeleteObject(large);
}
