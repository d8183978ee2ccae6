// The flat buttons' look that needs no window: state colours and shape geometry.
#pragma once

#include <cstdint>

#include "background/Bitmap.h"

enum TkvneBtnStyle { bsCircle, bsBox };
enum TkvneBtnState { stNormal = 0, stOver = 1, stFocused = 2, stPressed = 3, stDisabled = 4 };

struct TStateColors {
    std::int32_t ring, inner;
};

// Ring and inner colour of the state layer.
TStateColors StateColors(TkvneBtnState state, std::int32_t color, std::int32_t over, std::int32_t focus,
                         std::int32_t down);

// The shape box in work-bitmap pixels (twice the button's size); with square, the largest
// centred square.
TRect ShapeBox(int width, int height, bool square);
