// The item editor: the text, due date, colour and category mark of one to-do item, in a small
// borderless window shown modally over the main window. It reads nothing but Category.txt.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ColorBox.h"
#include "framework/Form.h"
#include "framework/Handles.h"
#include "support/Dates.h"
#include "window/kvneFormFunc.h"

// Category.txt in the data folder.
std::string CategoryFilePath();
// Its marks; when it cannot be read, the built-in ones after a report.
std::vector<std::string> LoadCategoryMarks();

class TFmTODOdata : public TForm {
public:
    static constexpr int kClientWidth = 409, kClientHeight = 170;
    static constexpr int kMinWidth = 240, kMinHeight = 150;

    // Owned by the main window, and placed on the pointer or beside the main window.
    explicit TFmTODOdata(HWND mainWindow);
    ~TFmTODOdata() override { DestroyHandle(); }

    // Each field gives back what it was set to as long as the user leaves it alone.
    void SetDate(TDateTime date);
    TDateTime Date() const;  // a whole day; kNoDate when "期日なし" is checked
    bool NoDate() const;
    void SetText(const std::string& text);
    std::string Text() const;
    void SetColor(std::int32_t color);
    std::int32_t Color() const;
    // A mark the list lacks is added to it; "" selects nothing.
    void SetCategory(const std::string& mark);
    std::string Category() const;

    TControl* Memo = nullptr;
    TControl* Label1 = nullptr;
    TControl* Label2 = nullptr;
    TControl* Label3 = nullptr;
    TControl* DateTimePicker1 = nullptr;
    TControl* CBnoDate = nullptr;
    TColorBox ColorBox1;
    TControl* CBcate = nullptr;
    TControl* BtCancel = nullptr;
    TControl* BtOK = nullptr;
    TkvneFormFunc FormFunc;

protected:
    void FormCreate() override;
    void DpiChanged(int oldDpi, RECT& suggested) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Ctrl+Enter presses OK from any control; Enter alone stays a new line in the text.
    bool DialogKey(const MSG& msg) override;

private:
    void SetUpFormFunc();
    void CreateControls();
    void PlaceOverMainWindow();
    void LoadCategories();
    int AddCategory(const std::string& mark, int at = -1);
    std::string MarkAt(int index) const;
    void FormPaint();
    void RepaintAll();
    void ButtonClick(int result);
    SYSTEMTIME PickerDay() const;
    std::wstring MemoText() const;

    HWND mainWindow_ = nullptr;
    TBrushHandle labelBrush_;
    COLORREF labelBrushColor_ = 0;
    HWND focus_ = nullptr;
    bool noMarkFirst_ = false;        // "　" was put in front of the sorted marks
    std::vector<std::string> marks_;  // each category entry's own bytes, by its item data
    // What the caller set and what the controls showed right after.
    std::string text_;
    std::wstring shownText_;
    TDateTime date_ = 0;
    bool dateSet_ = false;
    SYSTEMTIME shownDay_{};
    std::int32_t color_ = kNoColor;
    int shownColor_ = -1;
};
