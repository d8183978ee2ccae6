// Where the about window opens: over its owner, on the owner's monitor, or where it was left.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "DataFolderTest.h"
#include "app/FormVersionInfo.h"
#include "support/kvneGlobal.h"

namespace {

class TOwner : public TForm {
public:
    explicit TOwner(const RECT& place) {
        CreateArgs args;
        args.className = L"TAboutOwner";
        args.left = place.left;
        args.top = place.top;
        args.clientWidth = place.right - place.left;
        args.clientHeight = place.bottom - place.top;
        CreateHandle(args);
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }
    ~TOwner() override { DestroyHandle(); }
};

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

struct PlaceCase {
    const char* name;
    // The owner's place, from the work area.
    RECT (*owner)(const RECT& work);
    bool stored;  // a place kept from an earlier opening, (40, 50)
};

class AboutPlace : public DataFolderTest, public ::testing::WithParamInterface<PlaceCase> {};

}  // namespace

TEST_P(AboutPlace, OverItsOwnerOnItsScreen) {
    if (GetParam().stored) {
        GlobalEnv.WriteAppInteger("TFORMVERSIONINFO", "LEFT", 40);
        GlobalEnv.WriteAppInteger("TFORMVERSIONINFO", "TOP", 50);
    }
    const RECT work = WorkArea();
    TOwner owner(GetParam().owner(work));
    RECT ownerRect{}, about{};
    GetWindowRect(owner.Handle(), &ownerRect);
    {
        TFormVersionInfo form(owner.Handle());
        GetWindowRect(form.Handle(), &about);
        DestroyWindow(form.Handle());  // stores its place, as a close would
    }
    const int w = about.right - about.left, h = about.bottom - about.top;
    if (GetParam().stored) {
        EXPECT_EQ(about.left, 40);
        EXPECT_EQ(about.top, 50);
        return;
    }
    EXPECT_GE(about.left, work.left);
    EXPECT_GE(about.top, work.top);
    EXPECT_LE(about.right, work.right);
    EXPECT_LE(about.bottom, work.bottom);
    EXPECT_EQ(about.left, std::min<LONG>((ownerRect.left + ownerRect.right - w) / 2, work.right - w));
    EXPECT_EQ(about.top, std::min<LONG>((ownerRect.top + ownerRect.bottom - h) / 2, work.bottom - h));
    EXPECT_NE(GlobalEnv.ReadAppString("TFORMVERSIONINFO", "LEFT", ""), "");  // kept for the next opening
}

INSTANTIATE_TEST_SUITE_P(
    Owners, AboutPlace,
    ::testing::Values(
        PlaceCase{"top_left", [](const RECT& w) { return RECT{w.left + 10, w.top + 10, w.left + 410, w.top + 310}; }, false},
        PlaceCase{"past_the_bottom_right",
                  [](const RECT& w) { return RECT{w.right - 120, w.bottom - 60, w.right + 280, w.bottom + 240}; }, false},
        PlaceCase{"kept_place", [](const RECT& w) { return RECT{w.left + 300, w.top + 200, w.left + 700, w.top + 500}; },
                  true}),
    [](const auto& info) { return std::string(info.param.name); });
