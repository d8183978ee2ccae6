// The menu a popup menu builds from its entries: hidden entries left out, states, submenus.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/PopupMenu.h"
#include "support/Encoding_win.h"

namespace {

TPopupMenu SampleMenu(std::string* clicked) {
    TPopupMenu menu;
    menu.items = {
        {"Add", "追加", true, false, true, [clicked] { *clicked = "Add"; }, {}},
        {"Hidden", "隠し", true, false, false, [clicked] { *clicked = "Hidden"; }, {}},
        {"Line", "-", true, false, true, {}, {}},
        {"Done", "完了", false, true, true, [clicked] { *clicked = "Done"; }, {}},
        {"Sort",
         "並べ替え",
         true,
         false,
         true,
         {},
         {{"ByDate", "日付順", true, true, true, [clicked] { *clicked = "ByDate"; }, {}},
          {"ByName", "名前順", true, false, true, [clicked] { *clicked = "ByName"; }, {}}}},
    };
    return menu;
}

std::wstring Caption(HMENU menu, int position) {
    wchar_t text[64]{};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

struct TItemCase {
    int position;
    const char* caption;  // empty for the separator
    bool grayed;
    bool checked;
    int subItems;  // -1: no submenu
};

class PopupMenuItems : public testing::TestWithParam<TItemCase> {};

}  // namespace

TEST_P(PopupMenuItems, ShowTheEntriesStates) {
    std::string clicked;
    TMenuHandle menu = SampleMenu(&clicked).Build();
    ASSERT_EQ(GetMenuItemCount(menu.Get()), 4);  // the hidden entry is left out
    const TItemCase& want = GetParam();
    const UINT state = GetMenuState(menu.Get(), want.position, MF_BYPOSITION);
    EXPECT_EQ((state & MF_SEPARATOR) != 0, *want.caption == '\0');
    EXPECT_EQ(FromWide(Caption(menu.Get(), want.position)), want.caption);
    if (*want.caption) {  // a separator may report either
        EXPECT_EQ((state & MF_GRAYED) != 0, want.grayed);
    }
    EXPECT_EQ((state & MF_CHECKED) != 0, want.checked);
    HMENU sub = GetSubMenu(menu.Get(), want.position);
    EXPECT_EQ(sub ? GetMenuItemCount(sub) : -1, want.subItems);
}

INSTANTIATE_TEST_SUITE_P(Sample, PopupMenuItems,
                         testing::Values(TItemCase{0, "追加", false, false, -1}, TItemCase{1, "", false, false, -1},
                                         TItemCase{2, "完了", true, true, -1},
                                         TItemCase{3, "並べ替え", false, false, 2}));

TEST(PopupMenu, EachItemsCommandRunsItsOwnEntrysHandler) {
    std::string clicked;
    TPopupMenu popup = SampleMenu(&clicked);
    TMenuHandle menu = popup.Build();
    struct {
        HMENU menu;
        int position;
        const char* entry;
    } items[] = {{menu.Get(), 0, "Add"}, {menu.Get(), 2, "Done"}, {GetSubMenu(menu.Get(), 3), 1, "ByName"}};
    for (const auto& item : items) {
        const TMenuEntry* entry = popup.CommandEntry(GetMenuItemID(item.menu, item.position));
        ASSERT_NE(entry, nullptr) << item.entry;
        entry->onClick();
        EXPECT_EQ(clicked, item.entry);
    }
}

TEST(PopupMenu, EachBuildTakesTheEntriesAsTheyAreNow) {
    std::string clicked;
    TPopupMenu popup = SampleMenu(&clicked);
    popup.Find("Hidden")->visible = true;
    popup.Find("ByDate")->checked = false;
    popup.Find("Add")->enabled = false;
    TMenuHandle menu = popup.Build();
    EXPECT_EQ(GetMenuItemCount(menu.Get()), 5);
    EXPECT_EQ(FromWide(Caption(menu.Get(), 1)), "隠し");
    EXPECT_TRUE(GetMenuState(menu.Get(), 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(GetSubMenu(menu.Get(), 4), 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(popup.Find("Missing"), nullptr);
}

TEST(PopupMenu, AHiddenEntryLeavesNoEmptySection) {
    TPopupMenu popup;
    for (const char* caption : {"-", "前", "-", "隠し", "-", "後", "-"}) {
        popup.items.emplace_back();
        popup.items.back().caption = caption;
    }
    popup.items[3].visible = false;
    TMenuHandle menu = popup.Build();
    ASSERT_EQ(GetMenuItemCount(menu.Get()), 3);
    EXPECT_EQ(FromWide(Caption(menu.Get(), 0)), "前");
    EXPECT_TRUE(GetMenuState(menu.Get(), 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(FromWide(Caption(menu.Get(), 2)), "後");
}
