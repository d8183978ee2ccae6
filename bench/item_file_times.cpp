// item-file-times: one timed step on the item file per run, for bench/file-ratios, which
// alternates the program's load and save with a plain read and a plain write of the same bytes.
//   item-file-times make FOLDER          writes FOLDER/todo.txt with 100,000 items
//   item-file-times load|read FOLDER     TTodoData::LoadFromFile, or a plain read of the bytes
//   item-file-times save|write FOLDER    TTodoData::SaveToFile without the flush, or a plain
//                                        write to a temporary file and a rename
//   item-file-times store-load FOLDER    TTodoStore::Load
//   item-file-times store-save|store-resave|write-flushed FOLDER
//                                        TTodoStore::Save (always flushed) after the load, or
//                                        after an edit that follows an earlier save, as most
//                                        saves of a session come; or the plain write with the
//                                        same flushes. Both saves read the file back first, as
//                                        its time may still hide a rewrite (see StampSettled)
// Each prints the step's processor time and its elapsed time in milliseconds.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/FileIO.h"
#include "todo/TodoData.h"
#include "todo/TodoStore.h"

namespace {

const int kItems = 100000;

// Both clocks are printed. Processor time (user and system, page faults included) is what
// other work on the machine hardly moves; elapsed time is what the user waits for, with the
// file system's own waits in it. (<chrono> cannot be used here: the sources' execution
// character set is Shift-JIS.)
double Milliseconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void MakeFile(const std::string& path) {
    TTodoData data;
    const std::string texts[] = {"牛乳を買う", "歯医者の予約 10:30\r\n保険証を忘れずに",
                                 "Call Bob about \"the report\"", "請求書を送る C:\\書類\\請求書.xls",
                                 "会議資料の準備をする、部長に確認"};
    for (int i = 0; i < kItems; ++i) {
        int k = data.NewItem();
        data.SetDate(k, DateFromText("20240101") + i % 700);
        data.SetColor(k, static_cast<std::int32_t>(i * 2654435761u & 0xFFFFFF));
        data.SetText(k, texts[i % 5] + " 番号" + std::to_string(i));
        data.SetCategory(k, i % 3 ? "★" : "");
    }
    data.SaveToFile(path, false);
}

std::string PlainRead(const std::string& path) {
    std::string bytes;
    int fd = ::open(path.c_str(), O_RDONLY);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) return bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t used = 0;
    while (used < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

void PlainWrite(const std::string& path, const std::string& bytes, bool flush) {
    const std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return;
    for (std::size_t used = 0; used < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + used, bytes.size() - used);
        if (n <= 0) break;
        used += static_cast<std::size_t>(n);
    }
    if (flush) ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
    if (flush) {
        int dir = ::open(path.substr(0, path.rfind('/')).c_str(), O_RDONLY);
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: item-file-times make|load|read|save|write|store-load|store-save|store-resave|write-flushed FOLDER\n",
                   stderr);
        return 2;
    }
    const std::string step = argv[1], folder = std::string(argv[2]) + "/", path = folder + "todo.txt";
    if (step == "make") {
        MakeFile(path);
        return 0;
    }
    // Whatever a step needs beforehand is made before the clock starts.
    TTodoData data;
    TTodoStore store(folder);
    std::string bytes;
    if (step == "save") data.LoadFromFile(path);
    if (step == "store-save" || step == "store-resave") store.Load();
    if (step == "store-resave") {
        store.Save();
        Tdata item = store.Items().Item(kItems / 2);
        item.Text += " 済";
        store.Edit(store.IdAt(kItems / 2), item);
    }
    if (step == "write" || step == "write-flushed") bytes = PlainRead(path);

    const double start = Milliseconds(CLOCK_PROCESS_CPUTIME_ID), startWall = Milliseconds(CLOCK_MONOTONIC);
    std::size_t size = 0;
    if (step == "load") {
        data.LoadFromFile(path);
        size = static_cast<std::size_t>(data.Count());
    } else if (step == "read") {
        size = PlainRead(path).size();
    } else if (step == "save") {
        data.SaveToFile(path, false);
    } else if (step == "write" || step == "write-flushed") {
        PlainWrite(path, bytes, step == "write-flushed");
    } else if (step == "store-load") {
        store.Load();
        size = static_cast<std::size_t>(store.Count());
    } else if (step == "store-save" || step == "store-resave") {
        store.Save();
    } else {
        std::fprintf(stderr, "item-file-times: unknown step %s\n", step.c_str());
        return 2;
    }
    const double ms = Milliseconds(CLOCK_PROCESS_CPUTIME_ID) - start, wall = Milliseconds(CLOCK_MONOTONIC) - startWall;
    std::printf("%.3f %.3f\n", ms, wall);
    return size == 0 && (step == "load" || step == "read" || step == "store-load") ? 1 : 0;
}
