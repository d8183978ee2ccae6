// The main window's options command.
#include "app/FmTODOmain.h"

#include "app/FmTodoOption.h"
#include "framework/Application.h"
#include "support/kvneGlobal.h"

void TFmTODOmain::P1optionClick() {
    // No random picture may swap the settings and scheme the dialog shows and stores.
    Timer1.SetEnabled(false);
    const std::string folder = GlobalEnv.DataFolder();
    RunGuarded([this] {
        TFmTodoOption dialog(Handle());
        dialog.ShowModal();
    });
    RunSteps({[this, &folder] {
                  if (GlobalEnv.DataFolder() != folder) LoadData();
              },
              [this] { ApplySettings(); }, [this] { LayoutList(); }});
    Timer1.SetEnabled(true);
}
