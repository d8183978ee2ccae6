#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <utility>

#include "TestFolder.h"
#include "support/Errors.h"
#include "todo/ItemArchive.h"
#include "todo/TodoStore.h"

namespace {

std::string L(const std::string& text) { return "20240105,000000,\"" + text + "\",\"★\""; }

std::string FileOf(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts) out += L(t) + "\r\n";
    return out;
}

Tdata ItemOf(const std::string& text) {
    TTodoData one;
    one.LineToItem(one.NewItem(), L(text));
    return one.Item(0);
}

std::string Texts(const TTodoStore& store) {
    std::string out;
    for (int i = 0; i < store.Count(); ++i) out += (i ? " " : "") + store.Items().GetText(i);
    return out;
}

int IndexOfText(const TTodoStore& store, const std::string& text) {
    for (int i = 0; i < store.Count(); ++i)
        if (store.Items().GetText(i) == text) return i;
    return -1;
}

// Another program writes the file: a different size guarantees a new stamp.
void WriteOutside(const std::string& path, const std::string& bytes) { WriteBytes(path, bytes); }

// Another program writes over the file in place and leaves it the time given: a rewrite within
// the time's resolution (2 s on FAT) keeps the time the file had.
void RewriteInPlace(const std::string& path, const std::string& bytes, timespec modified) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
    const timespec times[2] = {modified, modified};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Ticks that move the item file aside the first time they are asked: right after the store's
// look at the file, before it reads it, as a sync client replacing the file may.
std::function<std::int64_t()> MovesTheFileAwayOnce(const std::string& todo) {
    return [todo, moved = false]() mutable {
        if (!moved) std::filesystem::rename(todo + "todo.txt", todo + "away");
        moved = true;
        return std::int64_t{0};
    };
}

struct MergeCase {
    const char* name;
    std::initializer_list<std::string> base;
    std::function<void(TTodoStore&)> session;
    std::string theirs;
    const char* expected;
};

class Merge : public ::testing::TestWithParam<MergeCase> {};

void EditText(TTodoStore& s, const std::string& from, const std::string& to) {
    s.Edit(s.IdAt(IndexOfText(s, from)), ItemOf(to));
}

const MergeCase kMergeCases[] = {
    {"TheyAdd", {"a", "b"}, nullptr, FileOf({"a", "x", "b"}), "a x b"},
    {"TheyAddAtTopAndEnd", {"a"}, nullptr, FileOf({"x", "a", "y"}), "x a y"},
    {"TheyRemoveOneOfThree", {"a", "b", "c"}, nullptr, FileOf({"a", "c"}), "a c"},
    {"TheyEdit", {"a", "b", "c"}, nullptr, FileOf({"a", "B2", "c"}), "a B2 c"},
    {"WeAddTheyAdd", {"a", "b"}, [](TTodoStore& s) { s.Add(ItemOf("m")); }, FileOf({"a", "b", "t"}), "a b t m"},
    {"WeEditTheyRemove", {"a", "b", "c"}, [](TTodoStore& s) { EditText(s, "b", "B1"); }, FileOf({"a", "c"}), "a B1 c"},
    {"BothEditTheSameItemKeepsBoth",
     {"a", "b", "c"},
     [](TTodoStore& s) { EditText(s, "b", "B1"); },
     FileOf({"a", "B2", "c"}),
     "a B1 B2 c"},
    {"BothMakeTheSameEdit",
     {"a", "b", "c"},
     [](TTodoStore& s) { EditText(s, "b", "B1"); },
     FileOf({"a", "B1", "c"}),
     "a B1 c"},
    {"WeRemoveTheyEdit",
     {"a", "b", "c"},
     [](TTodoStore& s) { s.Remove(s.IdAt(1)); },
     FileOf({"a", "B2", "c"}),
     "a B2 c"},
    {"WeRemoveTheyKeep",
     {"a", "b", "c"},
     [](TTodoStore& s) { s.Remove(s.IdAt(1)); },
     FileOf({"a", "b", "c", "d"}),
     "a c d"},
    {"BothAddTheSameLine", {"a"}, [](TTodoStore& s) { s.Add(ItemOf("n")); }, FileOf({"a", "n"}), "a n"},
    {"TheSameLineTwice", {"a", "a", "b"}, nullptr, FileOf({"a", "b", "a", "a"}), "a a a b"},
    {"TheyReorder", {"a", "b", "c"}, [](TTodoStore& s) { s.Add(ItemOf("m")); }, FileOf({"c", "b", "a"}), "a b c m"},
    {"EscapesAndCommas", {"a"}, nullptr, FileOf({"a", "x\\ny, \\\"z\\\""}), "a x\r\ny, \"z\""},
    {"LoneLineEnds", {"a", "b"}, nullptr, L("a") + "\n" + L("b") + "\r" + L("c") + "\n", "a b c"},
};

}  // namespace

TEST_P(Merge, OutsideChangesAreMergedItemByItem) {
    const MergeCase& c = GetParam();
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", [&] {
        std::string out;
        for (const auto& t : c.base) out += L(t) + "\r\n";
        return out;
    }());
    TTodoStore store(todo);
    store.Load();
    if (c.session) c.session(store);
    WriteOutside(store.FilePath(), c.theirs + std::string(64, '\n'));  // trailing empty lines count for nothing
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), c.expected);
    // Merged once: the same file again changes nothing, and a save writes exactly the list.
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    store.Save();
    TTodoStore again(todo);
    again.Load();
    EXPECT_EQ(Texts(again), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Merge, ::testing::ValuesIn(kMergeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A long list is saved in two halves: the base the next merges measure from is the whole
// file all the same, and merges the other program's changes on either side of the halves' seam.
TEST(TodoStore, ALongListSavedInHalvesMergesAsAnyOther) {
    TestFolder folder;
    const std::string todo = folder / "";
    std::vector<std::string> lines;
    for (int i = 0; i < 20000; ++i) lines.push_back("項目 " + std::to_string(i));
    WriteBytes(todo + "todo.txt", FileOf(lines));
    TTodoStore store(todo);
    store.Load();
    EditText(store, "項目 19999", "自分");
    store.Save();
    lines.back() = "自分";
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf(lines));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    std::vector<std::string> theirs = lines;
    theirs[10] = "他 前";
    theirs[10000] = "他 境";
    theirs[15000] = "他 後";
    WriteOutside(store.FilePath(), FileOf(theirs) + FileOf({"他 新"}));
    EditText(store, "項目 12000", "自分 後");
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    theirs[12000] = "自分 後";
    theirs.push_back("他 新");
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf(theirs));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    // A line of the later half rewritten in place under the same stamp is seen too.
    struct stat saved;
    ASSERT_EQ(::stat(store.FilePath().c_str(), &saved), 0);
    theirs[19000] = "項目 Z9000";
    RewriteInPlace(store.FilePath(), FileOf(theirs), saved.st_mtim);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(store.Items().GetText(19000), "項目 Z9000");
}

TEST(TodoStore, LargeOutsideRemovalsWaitForTheUser) {
    TestFolder folder;
    const std::string todo = folder / "";
    for (const std::string& theirs : {std::string(), FileOf({"a"}), std::string("\r\n")}) {
        WriteBytes(todo + "todo.txt", FileOf({"a", "b", "c"}));
        TTodoStore store(todo);
        store.Load();
        WriteOutside(store.FilePath(), theirs);
        EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::NeedsConfirmation);
        EXPECT_EQ(Texts(store), "a b c");
        // No answer keeps the session's list and writes it over the file.
        store.Save();
        EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "b", "c"}));
    }
    WriteBytes(todo + "todo.txt", FileOf({"a", "b", "c"}));
    TTodoStore store(todo);
    store.Load();
    store.ConfirmLargeChange = [] { return true; };
    WriteOutside(store.FilePath(), FileOf({"z"}));
    store.Save();
    EXPECT_EQ(Texts(store), "z");
    EXPECT_TRUE(store.Undo());
    EXPECT_EQ(Texts(store), "a b c");
}

// An item file saved as UTF-8 by an editor, at the load or delivered later, gives its items as
// they read; the next save writes them in Shift-JIS.
TEST(TodoStore, AUtf8FileGivesItsItems) {
    TestFolder folder;
    const std::string todo = folder / "";
    const auto utf8 = [](const std::u8string& text) { return std::string(text.begin(), text.end()); };
    WriteBytes(todo + "todo.txt", utf8(u8"20240105,000000,\"買い物\",\"★\"\r\n"));
    TTodoStore store(todo);
    store.Load();
    EXPECT_EQ(Texts(store), "買い物");
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    WriteOutside(store.FilePath(), "\xEF\xBB\xBF" + utf8(u8"20240105,000000,\"牛乳\",\"★\"\r\n"));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "牛乳");
    store.Add(ItemOf("b"));
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"牛乳", "b"}));
    // Characters Shift-JIS lacks become "?", which the store tells once, read now or at a load.
    EXPECT_FALSE(store.TakeLossyRead());
    WriteOutside(store.FilePath(), utf8(u8"20240105,000000,\"牛乳\",\"★\"\r\n20240105,000000,\"café\",\"★\"\r\n"));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "牛乳 caf?");
    EXPECT_TRUE(store.TakeLossyRead());
    EXPECT_FALSE(store.TakeLossyRead());
    TTodoStore again(todo);
    again.Load();
    EXPECT_TRUE(again.TakeLossyRead());
}

// A file far larger than a piece read at a time gives every line whole, where the pieces
// are cut: here one cut falls between the CR and the LF of a line end (the pieces are 256 KB).
TEST(TodoStore, ALargeFileReadInPiecesGivesEveryLineWhole) {
    TestFolder folder;
    const std::string todo = folder / "";
    std::string bytes;
    for (int i = 0; bytes.size() < 700 * 1024; ++i) {
        bytes += "2024" + std::string(i % 2 ? "0105" : "1231") + ",00FF00,\"項目 " + std::to_string(i) +
                 std::string(static_cast<std::size_t>(i % 53), 'x') + "\",\"★\"" + (i % 7 ? "\r\n" : "\n");
        if (bytes.size() > 255 * 1024 && bytes.size() < 256 * 1024 - 80) {
            bytes += std::string(256 * 1024 - 1 - bytes.size() - 5, 'y') + "\\r\\n\"\r\n";
            ASSERT_EQ(bytes.substr(256 * 1024 - 1, 2), "\r\n");
        }
    }
    bytes += L("last, no line end");
    for (const std::string& file : {bytes, "\xEF\xBB\xBF" + bytes}) {
        WriteBytes(todo + "todo.txt", file);
        // Read a line at a time, as no piece is read in halves.
        TTodoData expected;
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
            if (end > start) expected.LineToItem(expected.NewItem(), bytes.substr(start, end - start));
            start = end + 1;
        }
        TTodoStore store(todo);
        store.Load();
        ASSERT_EQ(store.Count(), expected.Count());
        for (int i = 0; i < store.Count(); ++i) {
            ASSERT_EQ(store.Items().ItemToLine(i), expected.ItemToLine(i)) << i;
            ASSERT_EQ(store.IdAt(i), store.IdAt(0) + static_cast<TItemId>(i));
        }
        EXPECT_TRUE(store.UnsavedItems().empty());  // every item is its file line
        EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    }
}

TEST(TodoStore, UndoAndRedoEveryCommand) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"c", "a", "b"}));
    TTodoStore store(todo);
    store.Load();
    int notices = 0;
    store.OnChange = [&] { ++notices; };
    const TItemId added = store.Add(ItemOf("n"), 1);
    EditText(store, "a", "A");
    store.Sort(skText, false);
    store.Remove(added);
    EXPECT_EQ(Texts(store), "A b c");
    EXPECT_EQ(notices, 4);
    ASSERT_TRUE(store.Undo());
    EXPECT_EQ(Texts(store), "A b c n");
    ASSERT_TRUE(store.Undo());
    EXPECT_EQ(Texts(store), "c n A b");
    ASSERT_TRUE(store.Undo());
    EXPECT_EQ(Texts(store), "c n a b");
    ASSERT_TRUE(store.Undo());
    EXPECT_EQ(Texts(store), "c a b");
    EXPECT_FALSE(store.Undo());
    while (store.Redo()) {
    }
    EXPECT_EQ(Texts(store), "A b c");
    EXPECT_EQ(IndexOfText(store, "n"), -1);
    // A new command drops what could be redone; the number of steps is bounded.
    store.Undo();
    store.Add(ItemOf("x"));
    EXPECT_FALSE(store.CanRedo());
    for (std::size_t i = 0; i < TTodoStore::kUndoSteps + 20; ++i) store.Add(ItemOf("y"));
    std::size_t steps = 0;
    while (store.Undo()) ++steps;
    EXPECT_EQ(steps, TTodoStore::kUndoSteps);
}

// Undo takes back the user's commands: what another program delivered meanwhile stays, in
// the list and in the file the next save writes.
TEST(TodoStore, UndoLeavesWhatAnotherProgramDelivered) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"c", "a", "b"}));
    TTodoStore store(todo);
    store.Load();
    store.Sort(skText, false);
    const TItemId added = store.Add(ItemOf("n"));
    EditText(store, "b", "B");
    store.Save();
    WriteOutside(store.FilePath(), FileOf({"a", "B2", "x", "c", "n2"}));
    ASSERT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a B2 x c n2");
    ASSERT_TRUE(store.Undo());  // the edit of b, edited there since
    ASSERT_TRUE(store.Undo());  // the add of n, edited there since
    EXPECT_EQ(store.IndexOf(added), 4);
    ASSERT_TRUE(store.Undo());  // the sort
    EXPECT_EQ(Texts(store), "c a B2 x n2");
    EXPECT_FALSE(store.Undo());
    while (store.Redo()) {
    }
    EXPECT_EQ(Texts(store), "a B2 c x n2");
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "B2", "c", "x", "n2"}));
}

TEST(TodoStore, UndoingARemovalTakesItsArchiveLineBackOnlyWhenItIsStillLast) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b"}));
    const std::string archive = todo + "202401.txt";
    WriteBytes(archive, "old line without end");
    TTodoStore store(todo);
    store.Load();
    store.Remove(store.IdAt(0));
    EXPECT_EQ(ReadBytes(archive), "old line without end\r\n" + L("a") + "\r\n");
    store.Undo();
    EXPECT_EQ(Texts(store), "a b");
    EXPECT_EQ(ReadBytes(archive), "old line without end\r\n");
    store.Redo();
    EXPECT_EQ(Texts(store), "b");
    // Something else was archived after it: undo brings the item back, the archive stays.
    AppendToArchive(archive, L("other"));
    const std::string before = ReadBytes(archive);
    store.Undo();
    EXPECT_EQ(Texts(store), "a b");
    EXPECT_EQ(ReadBytes(archive), before);
}

TEST(TodoStore, AFileThatCouldNotBeReadIsMergedOnceItReads) {
    TestFolder folder;
    const std::string todo = folder / "";
    // A UTF-16 file is not read (as Shift-JIS it would give items full of NULs).
    const std::string utf16("\xFF\xFE" "a\0b\0", 6);
    WriteBytes(todo + "todo.txt", utf16);
    TTodoStore store(todo);
    EXPECT_THROW(store.Load(), EFileError);
    EXPECT_TRUE(store.FileUnread());
    store.Add(ItemOf("mine"));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unreadable);
    EXPECT_THROW(store.Save(), EFileError);
    EXPECT_EQ(ReadBytes(store.FilePath()), utf16);
    WriteBytes(todo + "todo.txt", FileOf({"a", "b"}));
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "b", "mine"}));
}

TEST(TodoStore, ARemovedFolderIsMadeAgainAndTheLastResortFileHoldsTheItems) {
    TestFolder folder;
    const std::string todo = folder / "data/todo/";
    std::filesystem::create_directories(folder.Path() / "data/todo");
    WriteBytes(todo + "todo.txt", FileOf({"a"}));
    TTodoStore store(todo);
    store.Load();
    store.Add(ItemOf("b"));
    std::filesystem::remove_all(folder.Path() / "data");
    store.Save();
    EXPECT_EQ(ReadBytes(todo + "todo.txt"), FileOf({"a", "b"}));
    // So is it for a removal's archive.
    std::filesystem::remove_all(folder.Path() / "data");
    store.Remove(store.IdAt(0));
    EXPECT_EQ(ReadBytes(todo + "202401.txt"), L("a") + "\r\n");
    store.Undo();
    store.Save();
    TDateTime when = 0;
    ASSERT_TRUE(TryEncodeDate(2026, 12, 9, when));
    const std::string aside = store.SaveAside(when + (13 * 3600 + 4 * 60 + 5) / 86400.0);
    EXPECT_EQ(aside, todo + "todo-20261209130405.txt");
    EXPECT_EQ(ReadBytes(aside), FileOf({"a", "b"}));
    // A second failure in the same second keeps the first file; half a second before midnight
    // rounds into the next day.
    store.Add(ItemOf("c"));
    EXPECT_EQ(store.SaveAside(when + (13 * 3600 + 4 * 60 + 5) / 86400.0), todo + "todo-20261209130405-2.txt");
    EXPECT_EQ(ReadBytes(aside), FileOf({"a", "b"}));
    EXPECT_EQ(store.SaveAside(when + (86400 - 0.4) / 86400.0), todo + "todo-20261210000000.txt");
}

TEST(TodoStore, OwnSavesAreNotTakenForOutsideChangesButEveryDeliveryIs) {
    TestFolder folder;
    const std::string todo = folder / "";
    TTodoStore store(todo);
    store.Load();
    store.Add(ItemOf("a"));
    store.Save();
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    // The same bytes written again by someone else (a sync client) are no change either.
    WriteBytes(store.FilePath(), ReadBytes(store.FilePath()));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    EXPECT_EQ(Texts(store), "a");
    // The other computer's list put in place, just as long and with the same time.
    struct stat saved;
    ASSERT_EQ(::stat(store.FilePath().c_str(), &saved), 0);
    WriteBytes(todo + "delivery", FileOf({"b"}));
    const timespec times[2] = {saved.st_atim, saved.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, (todo + "delivery").c_str(), times, 0), 0);
    std::filesystem::rename(todo + "delivery", store.FilePath());
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "b");
    // Rewritten in place, just as long, within the time's resolution (2 s on FAT): same stamp.
    const auto rewriteInPlace = [&](const std::string& bytes, timespec modified) {
        const int fd = ::open(store.FilePath().c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
        const timespec times[2] = {modified, modified};
        ASSERT_EQ(::utimensat(AT_FDCWD, store.FilePath().c_str(), times, 0), 0);
    };
    store.Save();
    ASSERT_EQ(::stat(store.FilePath().c_str(), &saved), 0);
    rewriteInPlace(FileOf({"c"}), saved.st_mtim);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "c");
    // A time long past has settled: seen unchanged once, the stamp is trusted from then on.
    const timespec hourAgo{saved.st_mtim.tv_sec - 3600, 0};
    rewriteInPlace(FileOf({"c"}), hourAgo);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    rewriteInPlace(FileOf({"d"}), hourAgo);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    EXPECT_EQ(Texts(store), "c");
}

// A sync client sets this session's last save aside as a conflict copy and puts the other
// computer's list in its place: what only the copy holds is kept. A copy older than the base
// is no copy of it, and the other side's removal goes through.
TEST(TodoStore, ALastSaveSetAsideAsAConflictCopyLosesNoItem) {
    TestFolder folder;
    const std::string todo = folder / "", copy = todo + "todo (PC's conflicted copy 2026-12-10).txt";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b"}));
    TTodoStore store(todo);
    store.Load();
    store.Add(ItemOf("mine"));
    store.Save();
    std::filesystem::rename(store.FilePath(), copy);
    WriteOutside(store.FilePath(), FileOf({"a", "b", "theirs"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a b theirs mine");
    store.Save();
    const timespec hourAgo{std::time(nullptr) - 3600, 0}, times[2] = {hourAgo, hourAgo};
    ASSERT_EQ(::utimensat(AT_FDCWD, copy.c_str(), times, 0), 0);
    WriteOutside(store.FilePath(), FileOf({"b", "theirs", "mine"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "b theirs mine");
}

// Through a link into a synced folder the copy lies beside the file the link leads to, named after it.
TEST(TodoStore, ALastSaveSetAsideBesideALinkedFileLosesNoItem) {
    TestFolder folder;
    std::filesystem::create_directory(folder / "todo");
    std::filesystem::create_directory(folder / "synced");
    const std::string todo = folder / "todo/", synced = folder / "synced/";
    WriteBytes(synced + "list.txt", FileOf({"a", "b"}));
    std::filesystem::create_symlink("../synced/list.txt", todo + "todo.txt");
    TTodoStore store(todo);
    store.Load();
    store.Add(ItemOf("mine"));
    store.Save();
    std::filesystem::rename(synced + "list.txt", synced + "list (PC's conflicted copy 2026-12-10).txt");
    WriteOutside(synced + "list.txt", FileOf({"a", "b", "theirs"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a b theirs mine");
}

// The program on the other computer finds our save set aside beside its own: that copy is
// none of its saves, and what we removed since stays removed there.
TEST(TodoStore, AConflictCopyOfAnotherSaveBringsNoRemovedItemBack) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b", "theirs"}));
    TTodoStore store(todo);
    store.Load();
    WriteBytes(todo + "todo (PC's conflicted copy 2026-12-10).txt", FileOf({"a", "b", "mine"}));
    WriteOutside(store.FilePath(), FileOf({"b", "theirs", "mine"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "b theirs mine");
}

// A save writes over no bytes it could not compare: while the stamp has not settled, a file
// that cannot be read may hold a rewrite just as long and with the same time.
// A file larger than memory (another program's, or a damaged one) is one that cannot be read:
// reported, never written over; a save fails as for any file it cannot read, so the exit sets
// the session's items aside.
TEST(TodoStore, AFileTooLargeToHoldIsUnreadable) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a"}));
    TTodoStore store(todo);
    store.Load();
    store.Add(ItemOf("n"));
    constexpr off_t kHuge = off_t{1} << 40;  // sparse: no disk space is used
    if (::truncate((todo + "todo.txt").c_str(), kHuge) != 0) GTEST_SKIP() << "no file that large here";
    EXPECT_THROW(store.Save(), EFileError);
    EXPECT_EQ(std::filesystem::file_size(todo + "todo.txt"), static_cast<std::uintmax_t>(kHuge));
    TTodoStore again(todo);
    EXPECT_THROW(again.Load(), EFileError);
    EXPECT_TRUE(again.FileUnread());
}

namespace {

// Loads with memory for no more than room bytes beside what the process holds, then adds an item
// and saves; answers whether the load failed.
bool LoadWithLittleMemoryAndSave(TTodoStore& store, const std::string& oldPath, std::size_t room) {
    rlimit before{};
    if (::getrlimit(RLIMIT_AS, &before) != 0) return false;
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit tight = before;
    tight.rlim_cur = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + room;
    if (::setrlimit(RLIMIT_AS, &tight) != 0) return false;
    bool failed = false;
    try {
        store.Load(oldPath);
    } catch (const std::exception&) {  // out of memory, or the bytes alone did not fit
        failed = true;
    }
    ::setrlimit(RLIMIT_AS, &before);
    store.Add(ItemOf("n"));
    store.Save();
    return failed;
}

}  // namespace

// Memory enough for the file's bytes but not for its items: the load fails, and the store
// stays unread, so that no save writes the empty list over the file, or from the older place a
// new file without its items. Each case in a fresh process of this program, started for it
// alone: memory other tests freed would leave the items room.
TEST(TodoStore, ALoadThatRunsOutOfMemoryWritesNothingOver) {
    std::string many;
    for (int i = 0; i < 200000; ++i) many += L("t") + "\r\n";
    if (const char* folders = std::getenv("MEMORAIL_TIGHT_LOAD")) {  // the case's own process
        const std::string todo = folders, old = std::getenv("MEMORAIL_TIGHT_OLD");
        TTodoStore store(todo);
        ::_exit(LoadWithLittleMemoryAndSave(store, old, 3 * many.size()) ? 0 : 2);
    }
    for (const bool older : {false, true}) {
        TestFolder folder;
        const std::string todo = folder / "todo/";
        std::filesystem::create_directory(folder / "todo");
        WriteBytes(older ? folder / "todo.txt" : todo + "todo.txt", many);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("MEMORAIL_TIGHT_LOAD", todo.c_str(), 1);
            ::setenv("MEMORAIL_TIGHT_OLD", older ? (folder / "todo.txt").c_str() : "", 1);
            ::execl("/proc/self/exe", "/proc/self/exe", "--gtest_filter=TodoStore.ALoadThatRunsOutOfMemoryWritesNothingOver",
                    static_cast<char*>(nullptr));
            ::_exit(3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 3) << "the case's process did not start";
        EXPECT_EQ(std::filesystem::file_size(todo + "todo.txt"), many.size() + L("n").size() + 2) << older;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the items fitted, or the load did not tell it failed; " << older;
    }
}

TEST(TodoStore, ASaveLeavesAFileItCouldNotCompare) {
    TestFolder folder;
    TTodoStore store(folder / "");
    store.Load();
    store.Add(ItemOf("a"));
    store.Save();
    struct stat saved;
    ASSERT_EQ(::stat(store.FilePath().c_str(), &saved), 0);
    std::string utf16("\xFF\xFE", 2);  // not read: an editor saved it in UTF-16
    utf16.resize(static_cast<std::size_t>(saved.st_size), '\0');
    RewriteInPlace(store.FilePath(), utf16, saved.st_mtim);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);  // looked at again later
    store.Add(ItemOf("b"));
    EXPECT_THROW(store.Save(), EFileError);
    EXPECT_EQ(ReadBytes(store.FilePath()), utf16);
}

// The same, with the other computer's list in place of the own last save and no check
// before the next save: a long list's save compares while it flushes, and merges rather than
// writes over.
TEST(TodoStore, AListPutInPlaceUnderTheSameStampJustBeforeASaveIsMerged) {
    TestFolder folder;
    std::vector<std::string> lines;
    for (int i = 0; i < 36000; ++i) lines.push_back("項目 " + std::to_string(i));
    WriteBytes(folder / "todo.txt", FileOf(lines));
    TTodoStore store(folder / "");
    store.Load();
    store.Add(ItemOf("a"));
    store.Save();
    lines.push_back("a");
    ASSERT_GE(ReadBytes(store.FilePath()).size(), 1024u * 1024);
    struct stat saved;
    ASSERT_EQ(::stat(store.FilePath().c_str(), &saved), 0);
    lines[10] = "項目 Z0";
    RewriteInPlace(store.FilePath(), FileOf(lines), saved.st_mtim);
    store.Add(ItemOf("d"));
    store.Save();
    lines.push_back("d");
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf(lines));
    EXPECT_EQ(store.Items().GetText(10), "項目 Z0");
}

// A time ahead of the clock (another computer's, delivered as it was) settles once the store
// has seen it for as long as its own would take, rather than being read at every check and save.
TEST(TodoStore, AStampAheadOfTheClockSettlesOnceSeenLongEnough) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    const timespec ahead{::time(nullptr) + 3600, 0};
    WriteBytes(path, FileOf({"a"}));
    RewriteInPlace(path, FileOf({"a"}), ahead);
    TTodoStore store(folder / "");
    std::int64_t ticks = 0;
    store.Ticks = [&] { return ticks; };
    store.Load();
    ticks += 2000;
    RewriteInPlace(path, FileOf({"b"}), ahead);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    ticks += 1000;
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    RewriteInPlace(path, FileOf({"c"}), ahead);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Unchanged);
    EXPECT_EQ(Texts(store), "b");
}

TEST(TodoStore, LinesWrittenOtherwiseCountAsUntouchedInMerges) {
    TestFolder folder;
    const std::string todo = folder / "";
    // Written by hand or by another program: lower-case colour, a line of plain words.
    const std::string lower = "20240105,ff0000,\"a\",\"★\"\r\n";
    WriteBytes(todo + "todo.txt", lower + "plain words\r\n" + FileOf({"b", "c", "d"}));
    TTodoStore store(todo);
    store.Load();
    // Their edit replaces the item and their removal removes it: nothing doubled or back.
    WriteOutside(store.FilePath(), "20240105,ff0000,\"A2\",\"★\"\r\n" + FileOf({"b", "c", "d"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "A2 b c d");
    // A plain line merged in is matched to the file again, so a later removal takes it.
    WriteOutside(store.FilePath(), FileOf({"b", "c", "d"}) + "note\r\n");
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "b c d note");
    WriteOutside(store.FilePath(), FileOf({"b", "c", "d"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "b c d");
    // The same items written as this program writes them change nothing: no step to undo.
    WriteBytes(todo + "todo.txt", lower + FileOf({"b"}));
    store.Load();
    WriteOutside(store.FilePath(), "20240105,FF0000,\"a\",\"★\"\r\n" + FileOf({"b"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a b");
    EXPECT_FALSE(store.CanUndo());
}

// A plain line's item takes the day it was read; a merge on a later day (the program runs
// for days) still finds it in the file, so their removal removes it.
TEST(TodoStore, PlainLinesReadOnAnEarlierDayStayMatched) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", "plain words\r\n" + FileOf({"a"}));
    TTodoStore store(todo);
    store.Load();
    store.Clock = [] { return NowDateTime() + 1; };
    WriteOutside(store.FilePath(), "plain words\r\n" + FileOf({"a", "b"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_TRUE(store.UnsavedItems().empty());
    WriteOutside(store.FilePath(), FileOf({"a", "b"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a b");
}

TEST(TodoStore, TakingAFileThatVanishedKeepsTheList) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b", "c"}));
    TTodoStore store(todo);
    store.Load();
    WriteOutside(store.FilePath(), FileOf({"z"}));
    ASSERT_EQ(store.CheckFile(), TTodoStore::TFileState::NeedsConfirmation);
    // The sync client takes the file away while the question is open.
    std::filesystem::remove(store.FilePath());
    store.TakeFileList();
    EXPECT_EQ(Texts(store), "a b c");
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "b", "c"}));
}

// A sync client moves the file away between the load's look at it and its read, then puts it
// back as it was: same size, time and identity. Its items are merged, never written over.
TEST(TodoStore, AFileThatVanishesWhileLoadingIsMergedWhenItComesBack) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b"}));
    const timespec hourAgo{::time(nullptr) - 3600, 0};
    RewriteInPlace(todo + "todo.txt", FileOf({"a", "b"}), hourAgo);
    TTodoStore store(todo);
    store.Ticks = MovesTheFileAwayOnce(todo);  // asked right after the load's look at the file
    store.Load();
    ASSERT_EQ(store.Count(), 0);
    std::filesystem::rename(todo + "away", todo + "todo.txt");
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a b");
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "b"}));
}

// The same with the file unreadable at the load (an editor's UTF-16): the check that first
// reads it finds it gone, and it comes back as it was.
TEST(TodoStore, AFileThatVanishesWhileFirstReadIsMergedWhenItComesBack) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", std::string("\xFF\xFE" "a\0", 4));
    TTodoStore store(todo);
    EXPECT_THROW(store.Load(), EFileError);
    RewriteInPlace(todo + "todo.txt", FileOf({"a", "b"}), {::time(nullptr) - 3600, 0});
    store.Ticks = MovesTheFileAwayOnce(todo);  // asked right after the check's look at the file
    store.CheckFile();
    std::filesystem::rename(todo + "away", todo + "todo.txt");
    store.CheckFile();
    store.Add(ItemOf("m"));
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "b", "m"}));
}

// The other computer's list arrives while a save writes (a slow disk's flush): merged and
// written again, never swapped away.
TEST(TodoStore, AListDeliveredWhileASaveWritesIsMerged) {
    TestFolder folder;
    WriteBytes(folder / "todo.txt", FileOf({"a"}));
    TTodoStore store(folder / "");
    store.Load();
    store.Add(ItemOf("mine"));
    bool armed = true;
    store.Ticks = [&] {  // asked once the save has written its temporary file
        if (armed && std::filesystem::exists(TemporaryNameFor(store.FilePath()))) {
            armed = false;
            WriteOutside(store.FilePath(), FileOf({"a", "theirs"}));
        }
        return std::int64_t{0};
    };
    store.Save();
    EXPECT_FALSE(armed);
    EXPECT_EQ(Texts(store), "a theirs mine");
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "theirs", "mine"}));
}

TEST(TodoStore, AChangeWrittenWhileMergingIsMergedAtTheNextCheck) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b"}));
    TTodoStore store(todo);
    store.Load();
    // The sync client delivers again while the first delivery is being merged.
    bool delivered = false;
    store.OnChange = [&] {
        if (!std::exchange(delivered, true)) WriteOutside(store.FilePath(), FileOf({"a", "b", "c", "d"}));
    };
    WriteOutside(store.FilePath(), FileOf({"a", "b", "c"}));
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    EXPECT_EQ(Texts(store), "a b c d");
}

TEST(TodoStore, AChangeWrittenWhileASaveMergesIsNotWrittenOver) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "todo.txt", FileOf({"a", "b"}));
    TTodoStore store(todo);
    store.Load();
    store.Add(ItemOf("m"));
    int merges = 0;
    store.OnChange = [&] {
        if (++merges == 1) WriteOutside(store.FilePath(), FileOf({"a", "b", "c", "d"}));
    };
    WriteOutside(store.FilePath(), FileOf({"a", "b", "c"}));
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"a", "b", "c", "d", "m"}));
}

TEST(TodoStore, AnOlderFileThatCannotBeReadYetIsReadAtALaterSave) {
    TestFolder folder;
    const std::string todo = folder / "todo/";
    std::filesystem::create_directories(folder.Path() / "todo");
    const std::string older = folder / "todo.txt";
    WriteBytes(older, std::string("\xFF\xFE" "a\0", 4));
    TTodoStore store(todo);
    EXPECT_THROW(store.Load(older), EFileError);
    EXPECT_TRUE(store.FileUnread());
    store.Add(ItemOf("mine"));
    // Nothing is written in the new place while the older items are unknown; the error names the older file.
    try {
        store.Save();
        ADD_FAILURE() << "saved";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find(older), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(store.FilePath()));
    WriteBytes(older, FileOf({"old"}));
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"old", "mine"}));
    EXPECT_EQ(ReadBytes(older), FileOf({"old"}));
}

// The data folder changes while saves fail (its stick was pulled): what the session added or
// changed joins the new folder's list, once, and stays there; the rest stays in the old file.
TEST(TodoStore, UnsavedItemsJoinAnotherFolderOnce) {
    TestFolder folder;
    const std::string stick = folder / "stick/todo/", other = folder / "other/todo/";
    std::filesystem::create_directories(folder.Path() / "stick/todo");
    std::filesystem::create_directories(folder.Path() / "other/todo");
    WriteBytes(stick + "todo.txt", FileOf({"saved", "edited"}));
    WriteBytes(other + "todo.txt", FileOf({"there", "twice"}));
    TTodoStore store(stick);
    store.Load();
    std::filesystem::remove_all(folder.Path() / "stick");
    WriteBytes(folder / "stick", "");  // no folder can be made there again
    store.Add(ItemOf("new"));
    store.Add(ItemOf("twice"));
    EditText(store, "edited", "changed");
    EXPECT_THROW(store.Save(), EFileError);
    const std::vector<Tdata> unsaved = store.UnsavedItems();
    store.SetFolder(other);
    store.Load();
    EXPECT_EQ(store.TakeOver(unsaved), 2);
    EXPECT_EQ(Texts(store), "there twice changed new");
    EXPECT_FALSE(store.CanUndo());  // no undo takes them away again
    store.Save();
    EXPECT_EQ(ReadBytes(store.FilePath()), FileOf({"there", "twice", "changed", "new"}));
    EXPECT_TRUE(store.UnsavedItems().empty());
}
