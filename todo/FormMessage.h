// The program's own question box: a caption, a message of up to three lines and one to three
// buttons; the answer is the number of the button pressed, 0 when the box was closed.
#pragma once

#include <string>
#include <vector>

#include "framework/Form.h"
#include "framework/Handles.h"

class TFormMessage : public TForm {
public:
    static constexpr int kClientWidth = 329, kClientHeight = 90, kButtonWidth = 75;

    explicit TFormMessage(HWND owner);
    ~TFormMessage() override { DestroyHandle(); }

    // The message (line breaks start new lines, what does not fit is cut) and the buttons.
    // ShowModal answers the number of the button pressed (1 …), mrNone when closed without one.
    void SetButtons(const std::string& message, const std::vector<std::string>& buttons);

    TControl* Label1 = nullptr;
    TControl* Button1 = nullptr;
    TControl* Button2 = nullptr;
    TControl* Button3 = nullptr;

protected:
    void FormCreate() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ButtonClick(int number);
    HWND focus_ = nullptr;  // where the focus goes back to when the box is active again
};

// The lefts of the buttons for a count of 1 to 3, centred as a group with 8 pixels between.
std::vector<int> MessageButtonLefts(int count, int clientWidth, int buttonWidth);

int AskMessage(const std::string& caption, const std::string& message, const std::vector<std::string>& buttons);
