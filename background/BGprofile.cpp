#include "background/BGprofile.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/TextWork.h"

namespace {

const char* const kPictureExtensions[] = {".jpg", ".jpeg", ".bmp", ".png", ".jpx"};
// The data folder's own files, never a dropped picture's companions.
const char* const kOwnFiles[] = {"memorail.ini", "default.ini",  "default.clr", "application.ini",
                                 "colors.clr",   "category.txt", "picture.lst"};

struct TSplitPath {
    std::string folder;  // with its separator
    std::string base;    // name without extension
    std::string ext;     // lower case, with the dot
};

TSplitPath SplitPath(const std::string& path) {
    const std::size_t sep = LastSeparator(path);
    TSplitPath split;
    split.folder = sep == std::string::npos ? "" : path.substr(0, sep + 1);
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.find_last_of('.');
    split.base = dot == std::string::npos ? name : name.substr(0, dot);
    split.ext = dot == std::string::npos ? "" : LowerCaseSjis(name.substr(dot));
    return split;
}

bool SameFileContent(const std::string& a, const std::string& b) {
    TFileStamp sa, sb;
    if (!GetFileStamp(a, sa) || !GetFileStamp(b, sb) || sa.size != sb.size) return false;
    std::string ca, cb;
    return ReadWholeFile(a, ca) && ReadWholeFile(b, cb) && ca == cb;
}

}  // namespace

TBGprofile BGprofile;

TBGprofile::TBGprofile(TColorsList& colors) : colors_(colors) {}

TBGprofile::~TBGprofile() { Shutdown(0); }

std::string TBGprofile::PictureFolder() const { return dataPath_ + "picture" + kPathDelimiter; }

int TBGprofile::IndexOfPicture(const std::string& path) const {
    for (std::size_t i = 0; i < pictures_.size(); ++i)
        if (SameTextSjis(pictures_[i], path)) return static_cast<int>(i);
    return -1;
}

std::string TBGprofile::BaseName(const std::string& entry) const { return SplitPath(entry).base; }

namespace {

// The entries of picture.lst; none when it does not exist. EFileError when it cannot be read or
// is in UTF-16 (its lines would be junk).
std::vector<std::string> ReadPictureList(const std::string& file) {
    std::vector<std::string> entries;
    std::string text;
    if (ReadWholeFile(file, text)) {
        RefuseUtf16(file, text);
        text = ShiftJisIfUtf8(std::move(text));
        for (std::string& line : SplitLines(SkipUtf8Mark(text)))
            if (!TrimBlanks(line).empty()) entries.push_back(std::move(line));
    }
    return entries;
}

}  // namespace

void TBGprofile::LoadPictureList() {
    pictures_.clear();
    // A list that cannot be read leaves the default picture alone in the list; the error is
    // raised once that is set up.
    std::exception_ptr failed;
    try {
        pictures_ = ReadPictureList(dataPath_ + "picture.lst");
    } catch (const EFileError&) {
        failed = std::current_exception();
    }
    listUnread_ = failed != nullptr;
    std::stable_sort(pictures_.begin(), pictures_.end(),
                     [](const std::string& a, const std::string& b) { return LowerCaseSjis(a) < LowerCaseSjis(b); });
    pictures_.insert(pictures_.begin(), DefaultEntry());
    SelectPicture(currentPicture_);
    if (failed) std::rethrow_exception(failed);
}

void TBGprofile::SelectPicture(const std::string& path) {
    if (pictures_.empty()) pictures_.push_back(DefaultEntry());
    currentIndex_ = std::max(0, IndexOfPicture(path));
    currentPicture_ = pictures_[static_cast<std::size_t>(currentIndex_)];
    std::string ini = dataPath_ + "default.ini", clr = dataPath_ + "default.clr";
    if (currentIndex_ != 0) {
        const std::string base = BaseName(currentPicture_);
        ini = PictureFolder() + base + ".ini";
        clr = PictureFolder() + base + ".clr";
        ForceFolder(PictureFolder());  // so that saving the picture's settings finds its folder
    }
    if (FileExists(ini)) {
        LoadFromFile(ini);
    } else {
        LoadFromFile(dataPath_ + "default.ini");  // the template; a later Save makes the picture's own
    }
    SetFileName(ini);
    colors_.SetFileName(clr);
    if (FileExists(clr))
        colors_.LoadFromFile(clr);
    else
        colors_.LoadFrom(dataPath_ + "default.clr");
}

bool TBGprofile::IsOwnDataFile(const std::string& path) const {
    // Named after the program, which may have been renamed.
    if (SameTextSjis(path, MainSettings.FileName())) return true;
    const TSplitPath split = SplitPath(path);
    if (SameTextSjis(split.folder, dataPath_)) {
        const std::string name = LowerCaseSjis(path.substr(split.folder.size()));
        for (const char* own : kOwnFiles)
            if (name == own) return true;
    }
    const std::string todo = dataPath_ + "todo" + kPathDelimiter;
    return path.size() >= todo.size() && SameTextSjis(path.substr(0, todo.size()), todo);
}

// The picture folder's name for a dropped .jpx: its own, or "<base>-2" ... while a different
// picture already has it. A name made up here is also none a listed picture of another kind
// goes by, whose settings and scheme it would take over.
std::string TBGprofile::FreeJpxBase(const std::string& source, const std::string& base) const {
    std::unordered_set<std::string> otherBases;  // only gathered on a clash
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
        const std::string target = PictureFolder() + candidate + ".jpx";
        if (SameTextSjis(source, target)) return candidate;
        if (n == 2)
            for (std::size_t i = 1; i < pictures_.size(); ++i) {
                const TSplitPath split = SplitPath(pictures_[i]);
                if (split.ext != ".jpx" || !SameTextSjis(split.folder, PictureFolder()))
                    otherBases.insert(LowerCaseSjis(split.base));
            }
        if (otherBases.count(candidate)) continue;
        if (!FileExists(target) || SameFileContent(source, target)) return candidate;
    }
    return base;
}

// The names in each folder, read once: under Wine every lookup of a missing name reads the
// whole folder, which for thousands of dropped files costs more than the rest of the work. On
// Windows too one read of the folder saves two failed opens per picture, and a name it lists is
// still looked up before it is moved, so nothing asks which system runs.
class TFolderNames {
public:
    bool MayExist(const std::string& path) {
        const TSplitPath split = SplitPath(path);
        if (split.folder.size() < 2) return true;
        auto [it, added] = folders_.try_emplace(split.folder);
        if (added)
            for (const FolderEntry& e : ReadFolder(split.folder.substr(0, split.folder.size() - 1), "*.*"))
                if (!e.isFolder) it->second.insert(LowerCaseSjis(e.name));
        return it->second.count(LowerCaseSjis(path.substr(split.folder.size()))) > 0;
    }

private:
    std::unordered_map<std::string, std::unordered_set<std::string>> folders_;
};

std::unordered_set<std::string> TBGprofile::ListedSet() const {
    std::unordered_set<std::string> listed;
    for (const std::string& entry : pictures_) listed.insert(LowerCaseSjis(entry));
    return listed;
}

std::string TBGprofile::AddPicture(const std::string& path, std::unordered_set<std::string>& listed, bool& added,
                                   TFolderNames* names) {
    added = false;
    const TSplitPath split = SplitPath(path);
    if (std::find(std::begin(kPictureExtensions), std::end(kPictureExtensions), split.ext) ==
        std::end(kPictureExtensions))
        return {};
    const bool jpx = split.ext == ".jpx";
    ForceFolder(PictureFolder());
    const std::string base = jpx ? FreeJpxBase(path, LowerCaseSjis(split.base)) : LowerCaseSjis(split.base);
    for (const char* companion : {".clr", ".ini"}) {
        const std::string source = split.folder + split.base + companion;
        if ((!names || names->MayExist(source)) && FileExists(source) && !IsOwnDataFile(source))
            MoveFileTo(source, PictureFolder() + base + companion, true);
    }
    std::string entry = LowerCaseSjis(path);
    if (jpx) {
        const std::string target = PictureFolder() + base + ".jpx";
        const std::string moved = LowerCaseSjis(target);
        // Listed before it moves: a registration cut short anywhere leaves each picture where
        // it was or listed. A listed name whose move has not happened yet is taken up again
        // by the next registration of the file.
        if (!listed.count(moved)) AppendListLine(moved);
        MoveFileTo(path, target, true);
        // A failed move keeps the picture where it was, listed by that path as before; the
        // line just written goes with the next save of the list.
        if (FileExists(target)) entry = moved;
    }
    added = listed.insert(entry).second;
    if (added) pictures_.push_back(entry);
    return entry;
}

void TBGprofile::AppendListLine(const std::string& entry) {
    const std::string file = dataPath_ + "picture.lst";
    if (!listEndChecked_) {
        // A list written by hand may lack its last line break.
        std::string text;
        if (ReadWholeFile(file, text)) RefuseUtf16(file, text);
        // Shift-JIS lines behind UTF-8 ones would make the whole list junk to the next reading.
        if (const std::string_view body = SkipUtf8Mark(text); LooksLikeUtf8(body)) {
            text = ShiftJisFromUtf8(body);
            if (text.back() != '\n') text += "\r\n";
            ReplaceFileSafely(file, text);
        }
        if (!text.empty() && text.back() != '\n') AppendToFile(file, "\r\n");
        listEndChecked_ = true;
    }
    AppendToFile(file, entry + "\r\n");
}

void TBGprofile::RegisterPicture(const std::string& path) { RegisterPictures({path}, nullptr); }

void TBGprofile::RegisterPictures(const std::vector<std::string>& paths,
                                  const std::function<void(std::size_t)>& beforeEach, bool onlyNewBecomesCurrent) {
    std::unordered_set<std::string> listed = ListedSet();
    TFolderNames names;
    listEndChecked_ = false;
    std::string last;
    try {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (beforeEach) beforeEach(i);
            bool added = false;
            std::string entry = AddPicture(paths[i], listed, added, paths.size() > 1 ? &names : nullptr);
            if (!entry.empty() && (added || !onlyNewBecomesCurrent)) last = std::move(entry);
        }
    } catch (...) {
        if (!last.empty()) SelectPicture(last);  // as far as one by one would have come
        throw;
    }
    if (!last.empty()) SelectPicture(last);
}

void TBGprofile::TakeUpUnreadList() {
    if (!listUnread_) return;
    std::unordered_set<std::string> listed = ListedSet();
    for (std::string& entry : ReadPictureList(dataPath_ + "picture.lst"))
        if (listed.insert(LowerCaseSjis(entry)).second) pictures_.push_back(std::move(entry));
    listUnread_ = false;
}

void TBGprofile::SavePictureList() {
    TakeUpUnreadList();
    std::string text;
    for (std::size_t i = 1; i < pictures_.size(); ++i) text += pictures_[i] + "\r\n";
    RefuseUtf16File(dataPath_ + "picture.lst");
    ReplaceFileSafely(dataPath_ + "picture.lst", text);
}

bool TBGprofile::DeletePicture(int index) {
    if (index <= 0 || index >= static_cast<int>(pictures_.size())) return false;
    TakeUpUnreadList();  // so that the save cannot bring the entry back
    const std::string entry = pictures_[static_cast<std::size_t>(index)];
    pictures_.erase(pictures_.begin() + index);
    try {
        SavePictureList();
    } catch (...) {
        pictures_.insert(pictures_.begin() + index, entry);
        throw;
    }
    const TSplitPath split = SplitPath(entry);
    const std::string stem = PictureFolder() + LowerCaseSjis(split.base);
    // A .jpx that another entry still names (a list edited by hand) is its only copy.
    if (split.ext == ".jpx" && SameTextSjis(split.folder, PictureFolder()) && IndexOfPicture(entry) < 0)
        DeleteFileAt(stem + ".jpx");
    // Pictures of one base name share their settings and scheme: those stay while one is listed.
    bool shared = false;
    for (std::size_t i = 1; i < pictures_.size(); ++i)
        shared = shared || SameTextSjis(BaseName(pictures_[i]), split.base);
    if (!shared) {
        DeleteFileAt(stem + ".clr");
        DeleteFileAt(stem + ".ini");
    }
    SetFileName("");
    currentIndex_ = std::max(0, IndexOfPicture(currentPicture_));
    return true;
}

int TBGprofile::RandomIndex() {
    const int count = static_cast<int>(pictures_.size());
    if (count <= 1) return currentIndex_;
    return 1 + std::uniform_int_distribution<int>(0, count - 2)(random_);
}

bool TBGprofile::SelectRandomPicture() {
    if (pictures_.size() <= 1) return false;
    SelectPicture(pictures_[static_cast<std::size_t>(RandomIndex())]);
    return true;
}
