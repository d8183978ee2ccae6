// The application object: its title (the taskbar button's text), the message loop
// and the general error report.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

class TApplication {
public:
    // Creates the hidden application window that carries the taskbar button.
    void Initialize();
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    HWND Handle() const { return handle_; }

    void SetMainForm(HWND mainForm) { mainForm_ = mainForm; }
    HWND MainForm() const { return mainForm_; }

    // Runs until the main form's window is destroyed.
    int Run();

    // Shows the exception's text in a message box; the program goes on.
    void ShowException(const std::exception& e);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::string title_;
    HWND handle_ = nullptr;
    HWND mainForm_ = nullptr;
};

extern TApplication Application;

// Posted by a main form's WM_DESTROY to end the message loop.
inline void TerminateApplication() { PostQuitMessage(0); }
