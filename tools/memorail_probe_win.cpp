// memorail-probe: finds and drives top-level windows by class name.
//   wait CLASS SECONDS   wait until a window of CLASS exists; print "x y width height" of its client area
//   gone CLASS SECONDS   wait until no window of CLASS exists
//   count CLASS          print how many top-level windows of CLASS exist
//   close CLASS          post WM_CLOSE to the window of CLASS
//   close-timed CLASS SECONDS
//                        post WM_CLOSE to the window of CLASS; print the milliseconds until no
//                        window of CLASS exists and until its process has ended
//   hold-mutex NAME SECONDS
//                        create the named mutex, print "held", keep it for SECONDS
//   visible CLASS        print 1 when a window of CLASS exists and is visible, else 0
//   topmost CLASS        print 1 when the window of CLASS is in the topmost band, else 0
//   region CLASS         print the window region's box and whether its four corner pixels are in it
//   foreground           print the class name of the foreground window
//   scrollpos CLASS      print the position of the window's scroll bar, -1 while it is hidden
//   reset CLASS          send the window-reset message; print the milliseconds until the window
//                        has answered it and painted what it invalidated
//   resize CLASS WIDTH HEIGHT
//                        size the window; print the milliseconds until it has laid out and painted
//   respond CLASS SECONDS
//                        send WM_NULL to the window of CLASS again and again; print the slowest
//                        answer in milliseconds and the number of messages sent
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

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

int Usage() {
    std::fputs(
        "usage: memorail-probe wait|gone|close-timed CLASS SECONDS | count|close CLASS | hold-mutex NAME SECONDS"
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
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        if (command == L"reset")
            SendMessageW(hwnd, WM_USER + 100, 0, 0);
        else
            SetWindowPos(hwnd, nullptr, 0, 0, _wtoi(argv[3]), _wtoi(argv[4]),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
        Sleep(static_cast<DWORD>(_wtoi(argv[3]) * 1000));
        CloseHandle(mutex);
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
