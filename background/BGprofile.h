// The picture library: the registered background pictures, the current one's settings (this
// list) and colour scheme, and the background the rendering thread made from them.
#pragma once

#include <memory>
#include <random>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "background/BGThread.h"
#include "background/kvneColors.h"
#include "settings/ProfileList.h"

// The keys of a picture's own settings file.
namespace keys {
inline constexpr TIntKey PictureVAlign{"PICTURE", "valign", 3};
inline constexpr TIntKey PictureHAlign{"PICTURE", "halign", 0};
inline constexpr TIntKey PictureZoom{"PICTURE", "zoom", 100};
inline constexpr TIntKey PictureAlpha{"PICTURE", "alpha", 0};
inline constexpr TIntKey PictureEffect{"PICTURE", "effect", 0};
inline constexpr TIntKey PictureRotation{"PICTURE", "rotation", 0};
}  // namespace keys

// A picture's stored settings as the window takes them, also hand-edited ones: a placement
// past 0-3 is the top or left, an effect or rotation past 0-3 none, a zoom outside 1-500% its
// nearest end. The options dialog shows them so.
constexpr int kMinPictureZoom = 1, kMaxPictureZoom = 500;
int PicturePlacement(int stored);
int PictureChoice(int stored);
int PictureZoom(int stored);

class TBGprofile : public TprofileList {
public:
    explicit TBGprofile(TColorsList& colors = ColorsList);
    ~TBGprofile() override;
    TBGprofile(const TBGprofile&) = delete;
    TBGprofile& operator=(const TBGprofile&) = delete;

    // The data folder with its trailing separator (GlobalEnv.DataFolderPath() in the program).
    void SetDataFolderPath(const std::string& path) { dataPath_ = path; }
    const std::string& DataFolderPath() const { return dataPath_; }
    std::string DefaultEntry() const { return dataPath_ + "default"; }
    std::string PictureFolder() const;

    // Entry 0 is always the default entry; the others as listed, in lower case.
    const std::vector<std::string>& Pictures() const { return pictures_; }
    int IndexOfPicture(const std::string& path) const;
    int CurrentIndex() const { return currentIndex_; }
    const std::string& CurrentPicture() const { return currentPicture_; }

    // picture.lst sorted, behind the default entry; the current picture selected again.
    // EFileError, with only the default entry listed, when the file cannot be read or is in UTF-16.
    void LoadPictureList();
    // Makes the listed picture (the default one when it is not listed) current: its settings
    // into this list, its colour scheme into the scheme list. Does not render.
    void SelectPicture(const std::string& path);
    // A dropped file: a picture is listed and selected, its .ini and .clr moved beside the
    // library's own, a .jpx moved into the picture folder. Other files change nothing.
    void RegisterPicture(const std::string& path);
    // Many dropped files at once, with the end state of registering them one by one: each is
    // looked up in a hash of the list, and only the last picture is selected (with
    // onlyNewBecomesCurrent, the last one not listed before). beforeEach gets the file's
    // position first. A .jpx is added to picture.lst before it moves, so that a registration
    // cut short leaves every picture where it was or listed.
    void RegisterPictures(const std::vector<std::string>& paths, const std::function<void(std::size_t)>& beforeEach,
                          bool onlyNewBecomesCurrent = false);
    // Entries 1 ... as picture.lst in one safe replace; raises EFileError, the list unchanged.
    // After a load that failed, the entries the file holds by then are listed too, behind those
    // registered since, so that it is never written over with only those.
    void SavePictureList();
    // Removes a registered picture (never entry 0) and saves the list; false for a bad index.
    bool DeletePicture(int index);
    // 1 + a uniform draw from 0 ... count - 2; the current index while only entry 0 exists.
    int RandomIndex();
    // Selects a random registered picture; false while there is none.
    bool SelectRandomPicture();

    // The rendering. Everything here runs on the UI thread.
    // A new host (a new main window) opens the library again after a Shutdown.
    void SetRenderHost(std::shared_ptr<TRenderHost> host) {
        host_ = std::move(host);
        shutDown_ = !host_;
    }
    void SetRenderer(TRenderFunction render) { render_ = std::move(render); }
    // A background of that size for the current picture, for a window at dpi; merged into one
    // restart while one runs.
    void StartRender(int width, int height, int dpi = 96);
    // The snapshot a rendering of that size takes now. The zoom is the design's, at 96 dpi: a
    // picture keeps its part of the window at every display scale.
    TRenderSnapshot MakeSnapshot(int width, int height, int dpi = 96);
    bool Rendering() const { return thread_ != nullptr; }
    bool RestartPending() const { return restart_; }
    int RequestedWidth() const { return requestedWidth_; }
    int RequestedHeight() const { return requestedHeight_; }
    const TBitmap& Background() const { return background_; }
    // Where Background() lies in the whole background the window places: only the part the
    // window could show at the requested size is rendered.
    TRect BackgroundPart() const { return backgroundPart_; }
    int BackgroundFullWidth() const { return backgroundFullWidth_; }
    int BackgroundFullHeight() const { return backgroundFullHeight_; }
    const std::string& BackgroundMessage() const { return backgroundMessage_; }
    // At exit: asks a running rendering to stop, waits for it at most that long, and from
    // then on starts nothing and hands nothing over. A rendering still running is left to end
    // by itself; it touches nothing of this object.
    void Shutdown(int waitMilliseconds = 1000);
    // A rendering that did not stop in time is still running: the program must end without
    // tearing down what the process shares with it.
    bool RenderLeftRunning() const;

private:
    std::string BaseName(const std::string& entry) const;
    // Moves and lists one file; its listed path, or empty when it is no picture. Without a
    // folder listing at hand each companion is looked up on its own.
    std::string AddPicture(const std::string& path, std::unordered_set<std::string>& listed, bool& added,
                           class TFolderNames* names = nullptr);
    // One line at the end of picture.lst, without writing the whole list again.
    void AppendListLine(const std::string& entry);
    // After a load that failed: the entries picture.lst holds now, behind those listed.
    void TakeUpUnreadList();
    std::unordered_set<std::string> ListedSet() const;
    bool IsOwnDataFile(const std::string& path) const;
    std::string FreeJpxBase(const std::string& source, const std::string& base) const;
    void RenderEnded(const std::shared_ptr<TBGThread>& thread);

    TColorsList& colors_;
    std::string dataPath_;
    std::vector<std::string> pictures_;
    int currentIndex_ = 0;
    bool listEndChecked_ = false;  // picture.lst ends in a line break, for this registration
    bool listUnread_ = false;      // the last LoadPictureList could not read picture.lst
    std::string currentPicture_;
    std::mt19937 random_{std::random_device{}()};

    std::shared_ptr<TRenderHost> host_;
    TRenderFunction render_;
    std::shared_ptr<TPictureCache> cache_ = std::make_shared<TPictureCache>();
    std::shared_ptr<TBGThread> thread_, leftRunning_;
    bool restart_ = false;
    bool shutDown_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>();  // end handlers left behind see it gone
    int requestedWidth_ = 0, requestedHeight_ = 0, requestedDpi_ = 96;
    TBitmap background_;
    TRect backgroundPart_;
    int backgroundFullWidth_ = 0, backgroundFullHeight_ = 0;
    std::string backgroundMessage_;
};

// The picture library, for the whole run.
extern TBGprofile BGprofile;
