// Pictures dropped on the main window, and the AddPicture folder taken in at every start.
#include "app/FmTODOmain.h"

#include "app/FormProgress.h"
#include "background/BGprofile.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/kvneGlobal.h"

namespace {

// Repainting the progress costs more than registering a file: it is shown for the first and
// the last file and otherwise at most this often.
constexpr DWORD kProgressEveryMs = 25;

constexpr char kRegistering[] = "画像ファイルを登録しています。\r\n";
// The list must not react meanwhile, but the system must see the thread alive, or it puts a
// "not responding" ghost over the progress window after a few seconds. Nothing is dispatched.
void ShowAlive() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

// Every file below the dropped names, in order; a name that is neither a file nor a readable
// folder gives none.
std::vector<std::string> FilesBelow(const std::vector<std::string>& names) {
    std::vector<std::string> files, found;
    for (const std::string& name : names) {
        try {
            FindFilesRecursive(name, "*.*", found);
        } catch (const EError&) {
            found.clear();
        }
        files.insert(files.end(), found.begin(), found.end());
        ShowAlive();
    }
    return files;
}

}  // namespace

void TFmTODOmain::FormFuncDropFinish(const std::vector<std::string>& names) { RegisterDropNames(names, false); }

void TFmTODOmain::RegisterDropNames(const std::vector<std::string>& names, bool onlyNewBecomesCurrent) {
    // Pictures already moved into picture\ must be listed whatever happens to the rest.
    const auto finish = [this] {
        RunSteps({[] { BGprofile.SavePictureList(); }, [this] { ApplySettings(); }, [this] { LayoutList(); }});
    };
    try {
        if (!names.empty()) {
            // Shown before the scan, which may take long itself.
            TProgressScope progress;
            SetProgress(kRegistering + names.front(), 0);
            const std::vector<std::string> files = FilesBelow(names);
            SetProgressMax(static_cast<int>(files.size()) - 1);
            DWORD shown = GetTickCount() - kProgressEveryMs;
            BGprofile.RegisterPictures(
                files,
                [&files, &shown](std::size_t i) {
                    ShowAlive();
                    if (i != 0 && i + 1 != files.size() && GetTickCount() - shown < kProgressEveryMs) return;
                    SetProgress(kRegistering + files[i], static_cast<int>(i));
                    shown = GetTickCount();
                },
                onlyNewBecomesCurrent);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TFmTODOmain::ImportAddPictureFolder() {
    const std::string folder = GlobalEnv.DataFolderPath() + "AddPicture";
    if (!FolderExists(folder)) return;
    RegisterDropNames({folder}, true);
}
