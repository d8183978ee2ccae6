// Files dropped on the main window through a real WM_DROPFILES, its HDROP built as the shell builds it.
#include <gtest/gtest.h>
#include <windows.h>
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

    DropNames({photos_, single, data_ + "\\missing"});
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
