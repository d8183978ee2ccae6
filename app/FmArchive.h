// "削除した項目": the items removed into the monthly archives, newest month first, narrowed by
// month and by words, and put back into the list with "元に戻す".
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Form.h"
#include "framework/Handles.h"
#include "todo/ArchivedItems.h"
#include "window/kvneFormFunc.h"

class TFmArchive : public TForm {
public:
    // Sizes at 96 dpi.
    struct TLayout {
        static constexpr int kClientWidth = 520, kClientHeight = 320, kMinWidth = 360, kMinHeight = 200;
        static constexpr int kMargin = 8, kRowHeight = 22, kButtonWidth = 84, kButtonHeight = 24;
        static constexpr int kMonthWidth = 120, kSearchLabelWidth = 36;
        static constexpr int kDateColumn = 84, kMarkColumn = 36, kTextColumn = 360;
    };

    // todoFolder ends with a separator and holds the archives.
    TFmArchive(HWND owner, std::string todoFolder);
    ~TFmArchive() override { DestroyHandle(); }

    // Reads the archives again and shows what the month and the words let through.
    void Reload();
    void ShowItems();
    // Restores the selected items through OnRestore, then reads the archives again.
    void BtRestoreClick();
    const std::vector<TArchivedItem>& Archived() const { return all_; }
    // Indices into Archived() of the rows, in order.
    const std::vector<int>& Shown() const { return shown_; }
    void SelectRow(int row, bool selected);
    // Cell texts made for the list so far, for the tests' count of the work a search does.
    std::size_t CellsFormatted() const { return cellsFormatted_; }

    // Puts the items back; answers how many came back.
    std::function<int(const std::vector<TArchivedItem>&)> OnRestore;

    TControl *CmbMonth = nullptr, *EdSearch = nullptr, *LvItems = nullptr, *BtRestore = nullptr, *BtClose = nullptr;
    TkvneFormFunc FormFunc;

protected:
    void FormCreate() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi, RECT& suggested) override;

private:
    void CreateControls();
    std::string ChosenMonth() const;  // "" for every month
    void FillCell(LVITEMW& cell);       // a text the owner-data list asks for
    LRESULT FindRow(const NMLVFINDITEMW& find) const;  // the row typed letters lead to, or -1
    void UpdateRestoreButton();

    std::string folder_;
    std::vector<TArchivedItem> all_;
    std::vector<std::string> unread_;  // why months could not be read, at the last Reload
    std::vector<std::string> months_;  // the chooser's entries after "すべて"
    std::vector<int> shown_;
    std::size_t cellsFormatted_ = 0;
};
