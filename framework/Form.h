// Base class of every window: routes the window procedure to a virtual OnMessage.
#pragma once

#include <windows.h>

#include <string>

// Destroys a top-level window without the hide DestroyWindow starts with: under Wine that hide
// first waits for the window manager to confirm the window is mapped, the full 2 s when none runs.
void DestroyWindowAtOnce(HWND hwnd);

class TForm {
public:
    TForm() = default;
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }

protected:
    struct CreateArgs {
        const wchar_t* className = nullptr;
        std::string caption;  // Shift-JIS
        DWORD style = WS_POPUP;
        DWORD exStyle = 0;
        int left = CW_USEDEFAULT;
        int top = CW_USEDEFAULT;
        int clientWidth = 0;
        int clientHeight = 0;
        HWND owner = nullptr;
        HICON icon = nullptr;
        UINT classStyle = CS_DBLCLKS;
    };

    // Registers the class on first use and creates the window.
    void CreateHandle(const CreateArgs& args);
    // WM_CLOSE destroys the window as DefWindowProc would, through DestroyWindowAtOnce.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
};
