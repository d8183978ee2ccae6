// Files dropped on the main window through a real WM_DROPFILES, its HDROP built as the shell builds it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DataFolderTest.h"
#include "app/FmTODOmain.h"
#include "app/FormProgress.h"
#include "background/BGprofile.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"

namespace {

HGLOBAL MakeDrop(const std::vector<std::string>& names) {
    std::wstring list;
    for (const std::string& name : names) list += ToWide(name) + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(memory);
    return memory;
}

// What the progress window is told, seen on the way in: the label's texts, the bar's range and
// the positions shown (each is set after its successor, which only stops the bar's animation).
struct TProgressSeen {
    std::vector<std::string> texts;
    std::vector<int> positions;
    int maximum = -1;
};
TProgressSeen* gSeen = nullptr;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && gSeen && FormProgress()) {
        if (msg->hwnd == FormProgress()->Label1->Handle() && msg->message == WM_SETTEXT)
            gSeen->texts.push_back(FromWide(reinterpret_cast<const wchar_t*>(msg->lParam)));
        if (msg->hwnd == FormProgress()->ProgressBar1->Handle() && msg->message == PBM_SETRANGE32)
            gSeen->maximum = static_cast<int>(msg->lParam);
        if (msg->hwnd == FormProgress()->ProgressBar1->Handle() && msg->message == PBM_SETPOS)
            gSeen->positions.push_back(static_cast<int>(msg->wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class Drop : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        photos_ = Path("photos");
        CreateDirectoryW(ToWide(photos_).c_str(), nullptr);
        form_.Create();
        Application.SetMainForm(form_.Handle());
    }
    void TearDown() override {
        DestroyWindow(form_.Handle());
        DataFolderTest::TearDown();
    }
    void DropNames(const std::vector<std::string>& names) {
        SendMessageW(form_.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
    }
    std::size_t ListedCount() const {
        const std::string listed = Read("picture.lst");
        return static_cast<std::size_t>(std::count(listed.begin(), listed.end(), '\n'));
    }

    std::string photos_;
    TFmTODOmain form_;
};

}  // namespace

TEST_F(Drop, FoldersFilesAndMissingNamesRegisterThePicturesBelowThem) {
    const std::string single = data_ + "\\single.jpg";
    for (const char* name : {"\\a.jpg", "\\b.png", "\\c.bmp", "\\note.txt"}) ReplaceFileSafely(photos_ + name, "x");
    ReplaceFileSafely(single, "x");

    TProgressSeen seen;
    gSeen = &seen;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchProgress, nullptr, GetCurrentThreadId());
    DropNames({photos_, single, data_ + "\\missing"});
    UnhookWindowsHookEx(hook);
    gSeen = nullptr;
    const std::string registering = "画像ファイルを登録しています。\r\n";
    ASSERT_FALSE(seen.texts.empty());
    EXPECT_EQ(seen.texts.front(), registering + photos_);  // while the names are searched
    EXPECT_EQ(seen.texts.back(), registering + single);
    EXPECT_EQ(seen.maximum, 4);  // five files, the text file among them
    std::vector<int> shown;
    for (std::size_t i = 1; i < seen.positions.size(); i += 2) shown.push_back(seen.positions[i]);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown.back(), 4);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));

    EXPECT_EQ(BGprofile.Pictures().size(), 5u);                     // the default entry and four pictures
    EXPECT_TRUE(SameTextSjis(BGprofile.CurrentPicture(), single));  // the last one
    EXPECT_TRUE(FileExists(single));                                // left where it was
    EXPECT_EQ(ListedCount(), 4u);
    EXPECT_EQ(FormProgress(), nullptr);
    EXPECT_TRUE(Application.PendingReports().empty());

    // Nothing but a missing name: no files, no report, the list is saved all the same.
    DeleteFileW(ToWide(Path("picture.lst")).c_str());
    DropNames({data_ + "\\missing"});
    EXPECT_TRUE(FileExists(Path("picture.lst")));
    EXPECT_TRUE(Application.PendingReports().empty());
}

TEST_F(Drop, AFailingPictureStillListsThoseMovedBeforeIt) {
    // b.jpx must be compared with a picture of its name already there, which cannot be read.
    const std::string first = photos_ + "\\first", second = photos_ + "\\second";
    CreateDirectoryW(ToWide(first).c_str(), nullptr);
    CreateDirectoryW(ToWide(second).c_str(), nullptr);
    ReplaceFileSafely(first + "\\a.jpx", "a");
    ReplaceFileSafely(second + "\\b.jpx", "b");
    CreateDirectoryW(ToWide(Path("picture")).c_str(), nullptr);
    ReplaceFileSafely(Path("picture\\b.jpx"), "c");
    HANDLE held =
        CreateFileW(ToWide(Path("picture\\b.jpx")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    DropNames({first, second});
    CloseHandle(held);
    EXPECT_TRUE(FileExists(Path("picture\\a.jpx")));
    EXPECT_EQ(ListedCount(), 1u);  // moved, so listed
    EXPECT_TRUE(SameTextSjis(BGprofile.CurrentPicture(), Path("picture\\a.jpx")));
    EXPECT_EQ(FormProgress(), nullptr);
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_NE(Application.PendingReports().front().find("b.jpx"), std::string::npos);
    EXPECT_TRUE(FileExists(second + "\\b.jpx"));  // neither moved nor lost
}
