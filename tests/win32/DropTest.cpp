// Files dropped on the main window through a real WM_DROPFILES, its HDROP built as the shell builds it.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "WinTestFolder.h"
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

}  // namespace

TEST(Drop, FoldersFilesAndMissingNamesRegisterThePicturesBelowThem) {
    WinTestFolder folder;
    const std::string root = FromWide(folder.Wide());
    const std::string data = root + "\\data", photos = root + "\\photos", single = root + "\\single.jpg";
    CreateDirectoryW(ToWide(data).c_str(), nullptr);
    CreateDirectoryW(ToWide(photos).c_str(), nullptr);
    for (const char* name : {"\\a.jpg", "\\b.png", "\\c.bmp", "\\note.txt"}) ReplaceFileSafely(photos + name, "x");
    ReplaceFileSafely(single, "x");
    GlobalEnv.SetDataFolder(data);
    Application.DiscardReports();
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());

    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({photos, single, root + "\\missing"})),
                 0);
    EXPECT_EQ(BGprofile.Pictures().size(), 5u);                     // the default entry and four pictures
    EXPECT_TRUE(SameTextSjis(BGprofile.CurrentPicture(), single));  // the last one
    EXPECT_TRUE(FileExists(single));                                // left where it was
    std::string listed;
    ReadWholeFile(data + "\\picture.lst", listed);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 4);
    EXPECT_EQ(FormProgress(), nullptr);
    EXPECT_TRUE(Application.PendingReports().empty());

    // Nothing but a missing name: no files, no report, the list is saved all the same.
    DeleteFileW(ToWide(data + "\\picture.lst").c_str());
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({root + "\\missing"})), 0);
    EXPECT_TRUE(FileExists(data + "\\picture.lst"));
    EXPECT_TRUE(Application.PendingReports().empty());
    DestroyWindow(form.Handle());
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str());
}
