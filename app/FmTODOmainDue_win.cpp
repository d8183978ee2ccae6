// The main window's due dates: the marks of overdue and today's items, the day they are
// measured from, and the reminder from the tray.
#include "app/FmTODOmain.h"

#include "app/FmArchive.h"
#include "framework/Application.h"

void TFmTODOmain::CheckDay() {
    const TDateTime now = Clock();
    if (!DayWatch.Changed(now)) return;
    List.Today = now;
    LayoutList();  // a new year can change the dates shown, and with them the column
    InvalidateRect(Handle(), nullptr, FALSE);
    RemindDue();
}

void TFmTODOmain::RemindDue() {
    if (!NotifyDue) return;
    const TDueSummary summary = SummariseDue(Items, Clock());
    if (summary.Any()) TaskBarIcon1.ShowBalloon("Memorail", ReminderText(summary));
}

void TFmTODOmain::P1archiveClick() {
    Timer1.SetEnabled(false);
    RunGuarded([this] {
        TFmArchive archive(Handle(), TodoFolder);
        archive.OnRestore = [this](const std::vector<TArchivedItem>& items) {
            const int restored = Store.Restore(items);
            LayoutList();
            SaveItems();
            return restored;
        };
        archive.ShowModal();
    });
    Timer1.SetEnabled(true);
}
