#include <gtest/gtest.h>

#include "background/GraphicMath.h"
#include "window/ButtonLook.h"

TEST(ButtonLook, StateColours) {
    const std::int32_t color = 0xFFFFFF, over = 0x60A0FF, focus = 0xFFA080, down = 0;
    EXPECT_EQ(StateColors(stNormal, color, over, focus, down).ring, color);
    EXPECT_EQ(StateColors(stOver, color, over, focus, down).ring, over);
    EXPECT_EQ(StateColors(stOver, color, over, focus, down).inner, color);
    EXPECT_EQ(StateColors(stFocused, color, over, focus, down).ring, focus);
    const TStateColors pressed = StateColors(stPressed, color, over, focus, down);
    EXPECT_EQ(pressed.ring, MixColors(over, down, 200));
    EXPECT_EQ(pressed.inner, 0xC8C8C8);  // 200 / 255 of white
    const TStateColors disabled = StateColors(stDisabled, 0x0000FF, over, focus, down);
    EXPECT_EQ(disabled.ring, 0x9F9F9F);  // light grey whatever the colour: 128 + 255 / 8
    EXPECT_EQ(disabled.inner, disabled.ring);
}

TEST(ButtonLook, SquareShapeIsCentred) {
    const TRect square = ShapeBox(40, 20, true);  // work pixels: 80 × 40
    EXPECT_EQ(square.Left, 20);
    EXPECT_EQ(square.Width(), 40);
    EXPECT_EQ(square.Height(), 40);
    const TRect whole = ShapeBox(40, 20, false);
    EXPECT_EQ(whole.Right, 80);
    EXPECT_EQ(whole.Bottom, 40);
}
