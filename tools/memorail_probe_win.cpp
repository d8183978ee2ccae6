// memorail-probe: finds and drives top-level windows by class name.
//   wait CLASS SECONDS   wait until a window of CLASS exists; print "x y width height" of its client area
//   gone CLASS SECONDS   wait until no window of CLASS exists
//   count CLASS          print how many top-level windows of CLASS exist
//   close CLASS          post WM_CLOSE to the window of CLASS
//   close-timed CLASS SECONDS
//                        post WM_CLOSE to the window of CLASS; print the milliseconds until no
//                        window of CLASS exists and until its process has ended
//   hold-mutex NAME SECONDS [CLASS]
//                        create the named mutex, print "held", keep it for SECONDS; with CLASS,
//                        then print "seen" or "none": whether a window of CLASS showed meanwhile
//   visible CLASS        print 1 when a window of CLASS exists and is visible, else 0
//   topmost CLASS        print 1 when the window of CLASS is in the topmost band, else 0
//   region CLASS         print the window region's box and whether its four corner pixels are in it
//   foreground           print the class name of the foreground window
//   scrollpos CLASS      print the position of the window's scroll bar, -1 while it is hidden
//   reset CLASS          send the window-reset message; print the milliseconds until the window
//                        has answered it, and until it has painted what it invalidated
//   resize CLASS WIDTH HEIGHT
//                        size the window; print the milliseconds until it has laid out, and
//                        until it has painted
//   layout-times CLASS ROUNDS
//                        change the window's height, reset it, change its width, ROUNDS times
//                        each; print the medians of "answered painted" milliseconds of the three
//   start-timed PROGRAM CLASS SECONDS
//                        start PROGRAM; print the milliseconds until its window of CLASS is shown
//                        and painted
//   accessible CLASS     print what a screen reader finds in the window of CLASS (UTF-8)
//   hold-file PATH SECONDS
//                        open PATH with no sharing, print "held", keep it for SECONDS
//   respond CLASS SECONDS
//                        send WM_NULL to the window of CLASS again and again; print the slowest
//                        answer in milliseconds and the number of messages sent
//   clipboard-holds TEXT SECONDS
//                        wait until the clipboard's Unicode text is TEXT (another program's
//                        offer reaches the Win32 clipboard a moment after the X selection)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <cwchar>
#include <string>

#include "probe_accessible_win.h"

namespace {

struct CountArgs {
    const wchar_t* className;
    int count;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lParam) {
    auto* args = reinterpret_cast<CountArgs*>(lParam);
    wchar_t name[256];
    if (GetClassNameW(hwnd, name, 256) && wcscmp(name, args->className) == 0) ++args->count;
    return TRUE;
}

int CountWindows(const wchar_t* className) {
    CountArgs args{className, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&args));
    return args.count;
}

double Milliseconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Waits until nothing of the window is left to paint (at most 20 s).
void WaitUntilPainted(HWND hwnd, const LARGE_INTEGER& start) {
    while (GetUpdateRect(hwnd, nullptr, FALSE) && Milliseconds(start) < 20000) Sleep(1);
}

// One change of the window: the milliseconds until it has answered, and until it has painted.
struct Timing {
    double answered, painted;
};

template <class Change>
Timing TimeChange(HWND hwnd, Change change) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    change();
    const double answered = Milliseconds(start);
    WaitUntilPainted(hwnd, start);
    return {answered, Milliseconds(start)};
}

void SizeWindow(HWND hwnd, int width, int height) {
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PrintMedian(const char* name, std::vector<Timing> timings) {
    auto median = [&timings](double Timing::*field) {
        std::vector<double> values;
        for (const Timing& t : timings) values.push_back(t.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    std::printf("%s %.0f %.0f ", name, median(&Timing::answered), median(&Timing::painted));
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

int Usage() {
    std::fputs(
        "usage: memorail-probe wait|gone|close-timed CLASS SECONDS | count|close CLASS | hold-mutex NAME SECONDS [CLASS]"
        " | foreground\n",
        stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    std::wstring command = argv[1];
    if (command == L"foreground") {
        wchar_t name[256] = L"";
        HWND fg = GetForegroundWindow();
        if (fg) GetClassNameW(fg, name, 256);
        std::printf("%ls\n", name);
        return 0;
    }
    if (command == L"clipboard-holds" && argc >= 4) {
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3]) * 1000);
        while (ClipboardText() != argv[2]) {
            if (static_cast<LONG>(GetTickCount() - deadline) > 0) return 1;
            Sleep(100);
        }
        return 0;
    }
    if (argc < 3) return Usage();
    const wchar_t* className = argv[2];
    if (command == L"count") {
        std::printf("%d\n", CountWindows(className));
        return 0;
    }
    if (command == L"visible") {
        HWND hwnd = FindWindowW(className, nullptr);
        std::printf("%d\n", hwnd && IsWindowVisible(hwnd) ? 1 : 0);
        return 0;
    }
    if (command == L"topmost") {
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        std::printf("%d\n", (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
        return 0;
    }
    if (command == L"region") {
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        RECT box{}, r{};
        const int kind = GetWindowRgn(hwnd, region);
        GetRgnBox(region, &box);
        GetWindowRect(hwnd, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        std::printf("%d %ld %ld %ld %ld corners %d%d%d%d inner %d\n", kind, box.left, box.top, box.right, box.bottom,
                    PtInRegion(region, 0, 0) ? 1 : 0, PtInRegion(region, w - 1, 0) ? 1 : 0,
                    PtInRegion(region, 0, h - 1) ? 1 : 0, PtInRegion(region, w - 1, h - 1) ? 1 : 0,
                    PtInRegion(region, 4, 4) ? 1 : 0);
        DeleteObject(region);
        return 0;
    }
    if (command == L"scrollpos") {
        HWND hwnd = FindWindowW(className, nullptr);
        HWND bar = hwnd ? FindWindowExW(hwnd, nullptr, L"ScrollBar", nullptr) : nullptr;
        if (!bar) return 1;
        std::printf("%d\n", IsWindowVisible(bar) ? GetScrollPos(bar, SB_CTL) : -1);
        return 0;
    }
    if (command == L"reset" || (command == L"resize" && argc >= 5)) {
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        const Timing t = TimeChange(hwnd, [&] {
            if (command == L"reset")
                SendMessageW(hwnd, WM_USER + 100, 0, 0);
            else
                SizeWindow(hwnd, _wtoi(argv[3]), _wtoi(argv[4]));
        });
        std::printf("%.0f %.0f\n", t.answered, t.painted);
        return 0;
    }
    if (command == L"layout-times" && argc >= 4) {
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        RECT r;
        GetWindowRect(hwnd, &r);
        const int width = r.right - r.left, height = r.bottom - r.top;
        std::vector<Timing> heights, resets, widths;
        // A width change may start a rendering whose end resets the window once more: each
        // change gets a pause before the next one is timed.
        for (int round = 0; round < _wtoi(argv[3]); ++round) {
            const int more = round % 2 ? 0 : 48;
            heights.push_back(TimeChange(hwnd, [&] { SizeWindow(hwnd, width, height + more); }));
            Sleep(300);
            resets.push_back(TimeChange(hwnd, [&] { SendMessageW(hwnd, WM_USER + 100, 0, 0); }));
            Sleep(300);
            widths.push_back(TimeChange(hwnd, [&] { SizeWindow(hwnd, width + more, height + more); }));
            Sleep(500);
        }
        PrintMedian("height", heights);
        PrintMedian("reset", resets);
        PrintMedian("width", widths);
        std::printf("\n");
        return 0;
    }
    if (command == L"start-timed" && argc >= 5) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return 1;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        const double limit = 1000.0 * _wtoi(argv[4]);
        HWND hwnd = nullptr;
        while (!(hwnd = FindWindowW(argv[3], nullptr)) || !IsWindowVisible(hwnd)) {
            if (Milliseconds(start) > limit) return 1;
            Sleep(1);
        }
        WaitUntilPainted(hwnd, start);
        std::printf("%.0f\n", Milliseconds(start));
        return 0;
    }
    if (command == L"close") {
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"hold-mutex" && argc >= 4) {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, argv[2]);
        if (!mutex) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        // With a class: whether a window of it showed while the mutex was held, told at the end.
        const DWORD until = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3]) * 1000);
        bool seen = false;
        do {
            seen = seen || (argc >= 5 && FindWindowW(argv[4], nullptr));
            Sleep(50);
        } while (static_cast<LONG>(until - GetTickCount()) > 0);
        if (argc >= 5) std::printf("%s\n", seen ? "seen" : "none");
        std::fflush(stdout);
        CloseHandle(mutex);
        return 0;
    }
    if (command == L"accessible") {
        HWND hwnd = FindWindowW(className, nullptr);
        return hwnd ? PrintAccessibleTree(hwnd) : 1;
    }
    if (command == L"hold-file" && argc >= 4) {
        HANDLE file = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(_wtoi(argv[3]) * 1000));
        CloseHandle(file);
        return 0;
    }
    if (command == L"close-timed" && argc >= 4) {
        // Timed from in here: starting a Wine process for each look would cost more than the close.
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        DWORD processId = 0;
        GetWindowThreadProcessId(hwnd, &processId);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
        if (!process) return 1;
        const DWORD limit = static_cast<DWORD>(_wtoi(argv[3]) * 1000);
        const DWORD start = GetTickCount();
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        while (FindWindowW(className, nullptr) && GetTickCount() - start < limit) Sleep(5);
        const DWORD gone = GetTickCount() - start;
        WaitForSingleObject(process, gone < limit ? limit - gone : 0);
        const DWORD ended = GetTickCount() - start;
        CloseHandle(process);
        std::printf("%lu %lu\n", gone, ended);
        return ended < limit ? 0 : 1;
    }
    if (command == L"respond" && argc >= 4) {
        HWND hwnd = FindWindowW(className, nullptr);
        if (!hwnd) return 1;
        const DWORD limit = static_cast<DWORD>(_wtoi(argv[3]) * 1000);
        LARGE_INTEGER frequency, begin, end;
        QueryPerformanceFrequency(&frequency);
        double slowest = 0;
        int sent = 0;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < limit; ++sent) {
            DWORD_PTR result;
            QueryPerformanceCounter(&begin);
            if (!SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) break;
            QueryPerformanceCounter(&end);
            const double ms = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / frequency.QuadPart;
            if (ms > slowest) slowest = ms;
            Sleep(1);
        }
        std::printf("%.1f %d\n", slowest, sent);
        return 0;
    }
    if ((command == L"wait" || command == L"gone") && argc >= 4) {
        DWORD deadline = GetTickCount() + static_cast<DWORD>(_wtoi(argv[3]) * 1000);
        for (;;) {
            HWND hwnd = FindWindowW(className, nullptr);
            if (command == L"gone" && !hwnd) return 0;
            if (command == L"wait" && hwnd && IsWindowVisible(hwnd)) {
                RECT r;
                GetClientRect(hwnd, &r);
                POINT origin{0, 0};
                ClientToScreen(hwnd, &origin);
                std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right, r.bottom);
                return 0;
            }
            if (static_cast<LONG>(GetTickCount() - deadline) > 0) return 1;
            Sleep(100);
        }
    }
    return Usage();
}
