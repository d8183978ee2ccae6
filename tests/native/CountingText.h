// A text measurer that counts its work: fitting calls and the bytes measured. Byte values
// give varied widths, so that sums and cuts are not all alike.
#pragma once

#include <string>

#include "support/TextWork.h"

class CountingText : public TTextMeasurer {
public:
    int TextWidth(const std::string& text) const override {
        measuredBytes += text.size();
        int width = 0;
        for (unsigned char c : text) width += 3 + c % 5;
        return width;
    }
    TTextFit Fit(std::string_view text, int width) const override {
        ++fits;
        return TTextMeasurer::Fit(text, width);
    }
    void Reset() const { fits = 0, measuredBytes = 0; }

    mutable int fits = 0;
    mutable std::size_t measuredBytes = 0;
};
