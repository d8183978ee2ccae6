#include <gtest/gtest.h>
#include <windows.h>

#include "WinTestFolder.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "todo/TodoData.h"
#include "todo/TodoStore.h"

TEST(FileIO, SafeReplaceUnderAJapaneseName) {
    WinTestFolder folder;
    const std::string base = FromWide(folder.Wide()) + "\\表ソ能";
    ASSERT_TRUE(ForceFolder(base + "\\todo\\"));
    const std::string path = base + "\\todo\\todo.txt";
    TTodoData data;
    int i = data.NewItem();
    data.SetDate(i, DateFromText("20240305"));
    data.SetText(i, "表\\");
    data.SaveToFile(path);
    data.SetText(i, "二回目");
    data.SaveToFile(path);  // replacing an existing file
    TTodoData back;
    back.LoadFromFile(path);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetText(0), "二回目");
    EXPECT_FALSE(FileExists(TemporaryNameFor(path)));
}

TEST(FileIO, TheStampOfAReplaceIsTheFilesAndTellsAFilePutInItsPlace) {
    WinTestFolder folder;
    const std::string path = FromWide(folder.Wide()) + "\\todo.txt", other = path + ".other";
    const TFileStamp written = ReplaceFileSafely(path, "mine");
    TFileStamp now;
    ASSERT_TRUE(GetFileStamp(path, now));
    EXPECT_EQ(now, written);
    EXPECT_NE(now.identity, 0u);
    // The same length and time, delivered by a move: only its identity tells it.
    ReplaceFileSafely(other, "them");
    HANDLE file = CreateFileW(ToWide(other).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time{static_cast<DWORD>(written.modified), static_cast<DWORD>(written.modified >> 32)};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
    ASSERT_TRUE(MoveFileExW(ToWide(other).c_str(), ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING));
    ASSERT_TRUE(GetFileStamp(path, now));
    EXPECT_EQ(now.size, written.size);
    EXPECT_EQ(now.modified, written.modified);
    EXPECT_NE(now, written);
}

TEST(FileIO, ASymbolicLinkStaysAndItsFileIsReplaced) {
    WinTestFolder folder;
    const std::string base = FromWide(folder.Wide()), path = base + "\\todo.txt", target = base + "\\同期\\todo.txt";
    ASSERT_TRUE(ForceFolder(base + "\\同期\\"));
    ReplaceFileSafely(target, "old");
    // Wine answers yes and makes nothing; its links are the Unix ones (see the end-to-end tests).
    if (!CreateSymbolicLinkW(ToWide(path).c_str(), ToWide(target).c_str(), 0) || !FileExists(path))
        GTEST_SKIP() << "no symbolic links made here";
    ReplaceFileSafely(path, "new");
    EXPECT_NE(GetFileAttributesW(ToWide(path).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    std::string content;
    EXPECT_TRUE(ReadWholeFile(target, content));
    EXPECT_EQ(content, "new");
    EXPECT_FALSE(FileExists(TemporaryNameFor(path)));
    // A link that leads nowhere is not replaced by a file of its own: the save fails.
    DeleteFileW(ToWide(target).c_str());
    RemoveDirectoryW(ToWide(base + "\\同期").c_str());
    EXPECT_THROW(ReplaceFileSafely(path, "lost"), EFileError);
    EXPECT_NE(GetFileAttributesW(ToWide(path).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
}

namespace {

// Wine's links are the Unix ones: its ln makes one, named relative to folder. False where none was made.
bool MakeUnixLink(const std::wstring& folder, const std::wstring& target, const std::wstring& name) {
    std::wstring command = L"ln -s \"" + target + L"\" \"" + name + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // A Unix process's handle tells nothing of its end: the link is waited for.
    for (int wait = 0; wait < 50; ++wait, Sleep(100))
        if (GetFileAttributesW((folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

}  // namespace

// A synced folder whose name code page 932 cannot hold is reached by its short name.
TEST(FileIO, ALinkIntoAFolderNamedOutsideTheCodePageStays) {
    WinTestFolder folder;
    const std::wstring synced = folder.Wide() + L"\\Caf\u00e9";
    ASSERT_TRUE(CreateDirectoryW(synced.c_str(), nullptr));
    ReplaceFileSafely(PathFromWide(synced) + "\\todo.txt", "old");
    if (!MakeUnixLink(folder.Wide(), L"Caf\u00e9/todo.txt", L"todo.txt")) GTEST_SKIP() << "no Unix links here";
    ReplaceFileSafely(FromWide(folder.Wide()) + "\\todo.txt", "new");
    std::string content;
    EXPECT_TRUE(ReadWholeFile(PathFromWide(synced + L"\\todo.txt"), content));
    EXPECT_EQ(content, "new");
}

TEST(FileIO, FailedReplaceKeepsTheOldFile) {
    WinTestFolder folder;
    const std::string path = FromWide(folder.Wide()) + "\\todo.txt";
    ReplaceFileSafely(path, "old");
    for (int i = 0; i < kTemporaryNameCount; ++i) ASSERT_TRUE(MakeFolder(TemporaryNameFor(path, i)));
    try {
        ReplaceFileSafely(path, "new");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "old");
    EXPECT_FALSE(ReadWholeFile(path + ".missing", content));
}

// An archive another program holds open (a sync client, a scanner) is no line taken back: the
// undo of the removal that started it fails, and the item stays archived, not in both places.
TEST(FileIO, UndoingARemovalLeavesAHeldArchiveAndTheItemInIt) {
    WinTestFolder folder;
    const std::string todo = FromWide(folder.Wide()) + "\\";
    ReplaceFileSafely(todo + "todo.txt", "20240105,000000,\"a\",\"\"\r\n");
    TTodoStore store(todo);
    store.Load();
    store.Remove(store.IdAt(0));
    const std::string archive = todo + "202401.txt";
    HANDLE held =
        CreateFileW(ToWide(archive).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(store.Undo(), EFileError);
    EXPECT_EQ(store.Count(), 0);
    CloseHandle(held);
    EXPECT_TRUE(store.Undo());
    EXPECT_EQ(store.Count(), 1);
    EXPECT_FALSE(FileExists(archive));
}

namespace {

enum class Leftover { Folder, ReadOnlyFile, HeldOpenFile };

const char* LeftoverName(Leftover kind) {
    const char* names[] = {"Folder", "ReadOnlyFile", "HeldOpenFile"};
    return names[static_cast<int>(kind)];
}

class LeftoverTemporary : public ::testing::TestWithParam<Leftover> {};

}  // namespace

TEST_P(LeftoverTemporary, DoesNotBlockTheSave) {
    WinTestFolder folder;
    const std::string path = FromWide(folder.Wide()) + "\\todo.txt";
    const std::wstring leftover = ToWide(TemporaryNameFor(path));
    ReplaceFileSafely(path, "old");
    HANDLE held = INVALID_HANDLE_VALUE;
    switch (GetParam()) {
    case Leftover::Folder: ASSERT_TRUE(CreateDirectoryW(leftover.c_str(), nullptr)); break;
    case Leftover::ReadOnlyFile:
        ReplaceFileSafely(TemporaryNameFor(path), "half a save");
        ASSERT_TRUE(SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_READONLY));
        break;
    case Leftover::HeldOpenFile:
        held = CreateFileW(leftover.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        break;
    }
    EXPECT_NO_THROW(ReplaceFileSafely(path, "new"));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "new");
    for (int i = 1; i < kTemporaryNameCount; ++i) EXPECT_FALSE(FileExists(TemporaryNameFor(path, i))) << i;
}

INSTANTIATE_TEST_SUITE_P(FileIO, LeftoverTemporary,
                         ::testing::Values(Leftover::Folder, Leftover::ReadOnlyFile, Leftover::HeldOpenFile),
                         [](const auto& info) { return std::string(LeftoverName(info.param)); });

TEST(FileIO, ReplaceWaitsForAProgramThatHoldsTheFileOpenForAMoment) {
    WinTestFolder folder;
    const std::string path = FromWide(folder.Wide()) + "\\todo.txt";
    ReplaceFileSafely(path, "old");
    struct Holder {
        std::wstring path;
        HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    } holder{ToWide(path)};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* h = static_cast<Holder*>(p);
            HANDLE file = CreateFileW(h->path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            SetEvent(h->opened);
            Sleep(300);
            CloseHandle(file);
            return file != INVALID_HANDLE_VALUE;
        },
        &holder, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(holder.opened, INFINITE);
    EXPECT_NO_THROW(ReplaceFileSafely(path, "new"));
    WaitForSingleObject(thread, INFINITE);
    DWORD heldIt = 0;
    GetExitCodeThread(thread, &heldIt);
    CloseHandle(thread);
    CloseHandle(holder.opened);
    EXPECT_TRUE(heldIt) << "the file was never held open; the test proves nothing";
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "new");
    EXPECT_FALSE(FileExists(TemporaryNameFor(path)));
}

TEST(FileIO, MoveAcrossDrivesKeepsTheSourceWhenTheCopyFails) {
    WinTestFolder folder;
    const std::string source = FromWide(folder.Wide()) + "\\source.txt";
    // Under Wine the Linux root is drive Z:, the temporary folder on C:.
    if (!FolderExists("Z:\\tmp")) GTEST_SKIP() << "no second drive";
    const std::string target = "Z:\\tmp\\memorail-cross-drive-" + std::to_string(GetCurrentProcessId()) + ".txt";
    ReplaceFileSafely(target, "old");
    ReplaceFileSafely(source, "new");
    HANDLE held = CreateFileW(ToWide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MoveFileTo(source, target, true);  // the copy cannot open the target
    CloseHandle(held);
    std::string content;
    EXPECT_TRUE(ReadWholeFile(source, content));
    EXPECT_EQ(content, "new");
    ASSERT_TRUE(ReadWholeFile(target, content));
    EXPECT_EQ(content, "old");
    DeleteFileAt(target);
}

// The second byte of "表" is a backslash: the probe must still go inside the folder, not
// beside it, where here only folders of the probe's names are.
TEST(FileIO, WritableFolderIsFoundUnderAJapaneseName) {
    WinTestFolder folder;
    const std::string base = FromWide(folder.Wide());
    const std::string japanese = base + "\\表";
    ASSERT_TRUE(MakeFolder(japanese));
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(MakeFolder(japanese + "memorail-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(i) + ".tmp"));
    EXPECT_TRUE(CanWriteInFolder(japanese));
    EXPECT_TRUE(CanWriteInFolder(japanese + "\\"));
}
