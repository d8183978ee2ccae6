// The main window's options command.
#include "app/FmTODOmain.h"

#include "app/FmTodoOption.h"
#include "framework/Application.h"
#include "support/Errors.h"
#include "support/kvneGlobal.h"

void TFmTODOmain::P1optionClick() {
    // No random picture may swap the settings and scheme the dialog shows and stores.
    Timer1.SetEnabled(false);
    const std::string folder = GlobalEnv.DataFolder();
    RunGuarded([this] {
        TFmTodoOption dialog(Handle());
        dialog.ShowModal();
    });
    startupApplied_ = -1;  // the shortcut is looked at again
    RunSteps({[this, &folder] {
                  if (GlobalEnv.DataFolder() != folder) ChangeDataFolder();
              },
              [this] { ApplySettings(); }, [this] { LayoutList(); }});
    Timer1.SetEnabled(true);
}

void TFmTODOmain::ChangeDataFolder() {
    // The new folder's items are taken as they are; only what the old folder could not take
    // (its saves failed, as the user was told) comes along, so that no item is lost. A file
    // that holds every item is left untouched.
    std::vector<Tdata> unsaved = Store.UnsavedItems();
    try {
        if (!unsaved.empty()) Store.Save();
        unsaved.clear();
    } catch (const EFileError&) {
        unsaved = Store.UnsavedItems();  // a merge may have brought the file's changes in
    }
    LoadData();
    if (Store.TakeOver(unsaved) > 0) SaveItems();
}
