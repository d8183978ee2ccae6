#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <set>

#include "TestFolder.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "todo/TodoData.h"

namespace {

TTodoData ListOf(int count, const std::string& text) {
    TTodoData data;
    for (int i = 0; i < count; ++i) {
        int k = data.NewItem();
        data.SetDate(k, DateFromText("20240305") + i % 300);
        data.SetText(k, text + std::to_string(i));
        data.SetCategory(k, "★");
    }
    return data;
}

std::set<std::string> NamesIn(const TestFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.insert(entry.path().filename().string());
    return names;
}

long long MicrosecondsNow() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

// A disk that fills up at 64 KB, while it lives: the file size limit, its signal ignored so
// that the write fails instead.
class TFileSizeLimit {
public:
    TFileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = 64 * 1024;
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_;
    void (*oldHandler_)(int);
};

}  // namespace

TEST(ReplaceFileSafely, FailureLeavesTheOldFileAndNamesIt) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    WriteBytes(path, "old contents\r\n");
    for (int i = 0; i < kTemporaryNameCount; ++i)
        std::filesystem::create_directory(TemporaryNameFor(path, i));  // no temporary file can be made
    try {
        ReplaceFileSafely(path, "new");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_EQ(ReadBytes(path), "old contents\r\n");

    // The last step fails (a folder cannot be replaced by a file): the temporary file goes again.
    const std::string inTheWay = folder / "folder.txt";
    std::filesystem::create_directories(inTheWay + "/inside");
    std::filesystem::create_directory(TemporaryNameFor(inTheWay));
    const std::set<std::string> before = NamesIn(folder);
    EXPECT_THROW(ReplaceFileSafely(inTheWay, "x"), EFileError);
    EXPECT_EQ(NamesIn(folder), before);

    EXPECT_THROW(ReplaceFileSafely(folder / "no-such-folder/todo.txt", "x"), EFileError);
}

TEST(ReplaceFileSafely, LeftoverTemporariesDoNotBlockTheSave) {
    // How many temporary names, from the first on, are taken by folders, and whether a stale
    // temporary file of an interrupted save sits at the next one.
    const struct {
        int folders;
        bool staleFile;
    } cases[] = {{0, true}, {1, false}, {1, true}, {2, false}, {kTemporaryNameCount - 1, false}};
    for (const auto& c : cases) {
        TestFolder folder;
        const std::string path = folder / "todo.txt";
        WriteBytes(path, "old");
        std::set<std::string> left{"todo.txt"};
        for (int i = 0; i < c.folders; ++i) {
            std::filesystem::create_directory(TemporaryNameFor(path, i));
            left.insert(std::filesystem::path(TemporaryNameFor(path, i)).filename().string());
        }
        if (c.staleFile) WriteBytes(TemporaryNameFor(path, c.folders), "half a save");
        ReplaceFileSafely(path, "new");
        EXPECT_EQ(ReadBytes(path), "new") << c.folders << " folders";
        EXPECT_EQ(NamesIn(folder), left) << c.folders << " folders";  // the stale file is used up
    }
}

TEST(ReplaceFileSafely, ReplacesAndLeavesNoTemporaryFile) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    WriteBytes(path, "old");
    ReplaceFileSafely(path, "new");
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_FALSE(std::filesystem::exists(TemporaryNameFor(path)));
}

TEST(ReplaceFileSafely, ALinkStaysAndTheFileItLeadsToIsReplaced) {
    TestFolder folder;
    std::filesystem::create_directory(folder / "synced");
    const std::string path = folder / "todo.txt", middle = folder / "middle.txt", target = folder / "synced/todo.txt";
    WriteBytes(target, "old");
    std::filesystem::create_symlink("synced/todo.txt", middle);  // relative, through a second link
    std::filesystem::create_symlink("middle.txt", path);
    ReplaceFileSafely(path, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_TRUE(std::filesystem::is_symlink(middle));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(NamesIn(folder), (std::set<std::string>{"middle.txt", "synced", "todo.txt"}));
    // A link whose file is gone makes it again, where it led.
    std::filesystem::remove(target);
    ReplaceFileSafely(path, "again");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadBytes(target), "again");
}

TEST(ReplaceFileSafely, FileIsWholeWhenTheWriterIsKilledAtAnyMoment) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    const TTodoData oldList = ListOf(40000, "古い項目 old item "), newList = ListOf(45000, "新しい項目 new ");
    const std::string oldText = oldList.SaveToText(), newText = newList.SaveToText();
    // Kill moments spread over three times what one save takes here, however loaded the machine.
    const long long start = MicrosecondsNow();
    newList.SaveToFile(path);
    const long long saveTime = std::max(1000LL, MicrosecondsNow() - start);
    std::mt19937 random(7);
    int sawOld = 0, sawNew = 0;
    for (int round = 0; round < 120 && (round < 36 || sawOld == 0 || sawNew == 0); ++round) {
        oldList.SaveToFile(path);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (bool useNew = true;; useNew = !useNew) (useNew ? newList : oldList).SaveToFile(path);
        }
        usleep(static_cast<useconds_t>(random() % (3 * saveTime)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::string now = ReadBytes(path);
        ASSERT_TRUE(now == oldText || now == newText) << "round " << round << ": " << now.size() << " bytes";
        (now == oldText ? sawOld : sawNew)++;
    }
    RecordProperty("sawOld", sawOld);
    RecordProperty("sawNew", sawNew);
    EXPECT_GT(sawNew, 0) << "the writer never finished a save; the test proves nothing";
    std::filesystem::remove(TemporaryNameFor(path));
}

TEST(ReadWholeFile, MissingIsNoErrorButAFolderIs) {
    TestFolder folder;
    std::string content = "stale";
    EXPECT_FALSE(ReadWholeFile(folder / "missing.txt", content));
    EXPECT_EQ(content, "");
    EXPECT_THROW(ReadWholeFile(folder.Path().string(), content), EFileError);
}

TEST(FileHolds, OnlyTheSameBytesAcrossPieces) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    std::string bytes(200 * 1024 + 7, 'a');  // more than one piece
    for (std::size_t i = 0; i < bytes.size(); i += 97) bytes[i] = static_cast<char>('0' + i % 10);
    EXPECT_FALSE(FileHolds(path, bytes));  // missing
    WriteBytes(path, bytes);
    EXPECT_TRUE(FileHolds(path, bytes));
    std::string other = bytes;
    other.back() = 'b';
    EXPECT_FALSE(FileHolds(path, other));
    EXPECT_FALSE(FileHolds(path, bytes.substr(0, bytes.size() - 1)));
    EXPECT_FALSE(FileHolds(path, bytes + "a"));
    WriteBytes(path, "");
    EXPECT_TRUE(FileHolds(path, ""));
    EXPECT_FALSE(FileHolds(folder.Path().string(), std::string(4096, 0)));  // a folder in its place
}

TEST(TSafeFileWriter, FailedOrAbandonedWriteLeavesTheOldFile) {
    TestFolder folder;
    const std::string path = folder / "todo.txt";
    WriteBytes(path, "old");
    {
        TSafeFileWriter writer(path);
        writer.Write("half", 4);
    }  // dropped without Commit
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(NamesIn(folder), std::set<std::string>{"todo.txt"});

    // The second piece runs into the file size limit: the write fails part way.
    const std::string piece(48 * 1024, 'x');
    try {
        TFileSizeLimit full;
        TSafeFileWriter writer(path);
        writer.Write(piece.data(), piece.size());
        writer.Write(piece.data(), piece.size());
        writer.Commit(false);
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(NamesIn(folder), std::set<std::string>{"todo.txt"});
}

// A disk that fills up mid-append (here the file size limit) must not leave half a line,
// which the next append would run into.
TEST(AppendToFile, FailedWriteLeavesTheFileAsItWas) {
    TestFolder folder;
    const std::string path = folder / "picture.lst";
    WriteBytes(path, "c:\\a.jpg\r\n");
    const std::string line(80 * 1024, 'x');
    try {
        TFileSizeLimit full;
        AppendToFile(path, line + "\r\n");
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_EQ(ReadBytes(path), "c:\\a.jpg\r\n");
}
