// The application object: its title (the taskbar button's text), the message loop and the
// general error report.
#pragma once

#include <windows.h>

#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

class TApplication {
public:
    // Creates the hidden application window that carries the taskbar button.
    void Initialize();
    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    HWND Handle() const { return handle_; }

    void SetMainForm(HWND mainForm) { mainForm_ = mainForm; }
    HWND MainForm() const { return mainForm_; }
    // The tray icon hides the taskbar button; the loop must not show it again at its start.
    void SetTaskbarButtonVisible(bool visible) { taskbarButtonVisible_ = visible; }

    // Runs until the main form's window is gone and the reports of its closing are shown.
    int Run();
    // Called by the form base for every window that is gone: the main form's end ends the run.
    void FormGone(HWND hwnd);
    void FormCreated(HWND hwnd) { forms_.push_back(hwnd); }
    // The live forms, in the order they were made; a window reset goes to each.
    const std::vector<HWND>& Forms() const { return forms_; }
    void SendToAllForms(UINT message, WPARAM wParam, LPARAM lParam);
    // Modal runs in progress, innermost last: a form of ours by its own window, a system message
    // box by its owner. While one runs, nothing from outside the modal window (the tray, the
    // taskbar button) may start a command.
    void EnterModal(HWND window) { modal_.push_back(window); }
    void LeaveModal();
    int ModalLevel() const { return static_cast<int>(modal_.size()); }
    // The innermost modal window to the front, or the system dialog (font, folder, message box)
    // it shows over itself; false when no modal run is in progress.
    bool ActivateModal() const;
    // Modeless windows whose dialog keys the main loop handles.
    void AddModeless(HWND hwnd) { modeless_.push_back(hwnd); }
    void RemoveModeless(HWND hwnd);

    // The general error report: the message waits in a queue and is shown in a message box
    // once the handler that failed has returned, never from inside painting or a handler;
    // the program goes on. A message already waiting is not queued twice.
    void ShowException(const std::exception& e);
    void ReportError(const std::string& message);
    const std::deque<std::string>& PendingReports() const { return reports_; }
    void DiscardReports() { reports_.clear(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowReports();

    std::string title_;
    HWND handle_ = nullptr;
    HWND mainForm_ = nullptr;
    std::deque<std::string> reports_;
    bool showingReports_ = false;
    bool quitAfterReports_ = false;
    bool taskbarButtonVisible_ = true;
    std::vector<HWND> forms_, modeless_;
    std::vector<HWND> modal_;
};

extern TApplication Application;

// A modal run counted for the length of a scope: window is the modal form, or for a system
// dialog (a message box) the window given as its owner.
class TModalScope {
public:
    explicit TModalScope(HWND window) { Application.EnterModal(window); }
    ~TModalScope() { Application.LeaveModal(); }
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;
};

// Runs one step of a sequence that must go on whatever happens (creating or closing a
// form): a failure is reported and the next step runs.
void RunGuarded(const std::function<void()>& step);
