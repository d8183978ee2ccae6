// The one owner of the user's items: the list, the item file, the stamp of what was last read
// or written there, and the monthly archive. Every change of the user's is a command that can be
// undone; changes another program made to the file are merged in before anything is written
// over it, and no undo takes them back.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/FileIO.h"
#include "todo/ArchivedItems.h"
#include "todo/ItemMerge.h"
#include "todo/TodoData.h"

// What the store knows of the item file as it last read or wrote it.
struct TItemFileStamp {
    bool known = false;  // false: never read (missing files count as read and empty)
    TFileStamp file;     // size and time; zero when the file did not exist
    // Whether the file's time had settled (StampSettled) when the stamp was taken; until it
    // has, a check compares the bytes even when the stamp is the same.
    bool settled = false;
    std::int64_t seen = 0;  // Ticks when this stamp was first taken
};

class TTodoStore {
public:
    static constexpr std::size_t kUndoSteps = 100;
    // How often a save merges a file that keeps changing under it before writing over it.
    static constexpr int kSaveMergeRounds = 4;

    // todoFolder ends with a separator; the items live in todoFolder + "todo.txt".
    explicit TTodoStore(std::string todoFolder = "");
    void SetFolder(std::string todoFolder);

    const std::string& FilePath() const { return path_; }
    const std::string& Folder() const { return folder_; }
    const TTodoData& Items() const { return items_; }
    // The layout keeps its line counts in the records.
    TTodoData& ItemsForLayout() { return items_; }
    int Count() const { return items_.Count(); }
    TItemId IdAt(int index) const { return items_.Item(index).Id; }
    int IndexOf(TItemId id) const;  // -1 when the item is gone

    // Reads the file; a missing one gives an empty list. EFileError when it exists but cannot
    // be read: the list stays empty, and the file is tried again at every check and save.
    // Without the file, an older one (oldPath, when given) is read: never written, never merged.
    // An older file that cannot be read leaves the store unread too; its items join the list
    // at the first check that reads it.
    void Load(const std::string& oldPath = "");
    bool FileUnread() const { return !stamp_.known; }
    // Whether a file read since the last call was an editor's UTF-8 text with characters Shift-JIS
    // lacks: they became "?", and the next save writes them so.
    bool TakeLossyRead();

    // Commands; each raises one change notice and can be undone.
    TItemId Add(const Tdata& item, int index = -1);  // -1: at the end
    void Edit(TItemId id, const Tdata& item);
    // Cut and delete: the item's line is appended to its month's archive first.
    void Remove(TItemId id);
    // Puts archived items back at the end of the list and takes exactly their lines out of their
    // archives (lines gone meanwhile are skipped); answers how many came back. EFileError when
    // an archive cannot be written: nothing has changed then.
    int Restore(const std::vector<TArchivedItem>& archived);
    // The sort the user chose; an undo of a sort gives back the one before it.
    struct TSortChoice {
        int key = -1;  // none yet
        bool descending = false;
    };
    TSortChoice SortChoice() const { return sort_; }
    void SetSortChoice(TSortChoice choice) { sort_ = choice; }
    void Sort(int key, bool descending);
    // The direction opposite to the last sort's, whatever its key; answers it.
    bool ToggleSort(int key);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    bool Undo();
    bool Redo();

    enum class TFileState { Unchanged, Merged, NeedsConfirmation, Unreadable };
    // Looks at the file: when another program changed it, its changes are merged in (no step to
    // undo; nothing is left to redo). A change that empties the file or removes more than half of the items is left
    // to the caller (NeedsConfirmation): TakeFileList or KeepOwnList.
    TFileState CheckFile();
    void TakeFileList();  // the file's list becomes the session's (one command); a file gone meanwhile changes nothing
    void KeepOwnList();   // the next save writes the session's list over the file

    // Writes the list when the file is as last seen (merging first when it is not, asking
    // through ConfirmLargeChange); a missing folder is made again. EFileError when it cannot
    // be written or not be read (it is then left as it is).
    void Save();
    // The last resort at exit: the list into todo-<yyyymmddhhnnss>.txt beside the item file, or
    // in folder (ending with a separator) when given (todo-<yyyymmddhhnnss>-2.txt and on when
    // that exists); answers that file's path.
    std::string SaveAside(TDateTime now, const std::string& folder = {});
    // The items the item file does not hold as the list has them: added or changed since the
    // last save or read, in the list's order. After a failed save they live in memory only.
    std::vector<Tdata> UnsavedItems();
    // Puts the items at the end of the list, each one the list does not hold as it is already.
    // Not a command: it follows a load, and no undo may take them away again. Answers how many came.
    int TakeOver(const std::vector<Tdata>& items);

    // Today, for the archive month of an item without a date.
    std::function<TDateTime()> Clock = NowDateTime;
    // Steady time in milliseconds: how long the store has seen a stamp unchanged.
    std::function<std::int64_t()> Ticks = SteadyMilliseconds;
    // Raised after every command, undo, redo and merge.
    std::function<void()> OnChange;
    // Asked when a save meets a large outside removal: true takes the file's list. Without an
    // answer the session's own list is kept.
    std::function<bool()> ConfirmLargeChange;

private:
    struct Op {
        enum Kind { Insert, Erase, Change, Order } kind = Insert;
        TItemId id = 0;
        int index = 0;  // where the op finds or puts the item when applied
        Tdata before, after;
        std::vector<TItemId> orderBefore, orderAfter;
        TSortChoice sortBefore, sortAfter;  // of a sort
    };
    // An archive's bytes before and after a restore took lines out of it.
    struct ArchiveEdit {
        std::string path, before, after;
        std::vector<std::string> lines;  // the lines taken out
        std::vector<TItemId> owners;     // the item each line brought back
    };
    struct Command {
        std::vector<Op> ops;
        std::string archivePath, archiveLine;  // a removal's archive entry
        bool archiveStarted = false;           // the removal made the archive file
        std::vector<ArchiveEdit> restored;
    };
    static Command Single(Op op) {
        Command command;
        command.ops.push_back(std::move(op));
        return command;
    }

    void Apply(const Op& op, bool forward);
    static bool Removes(const Op& op, bool forward);
    void ApplyAll(const std::vector<Op>& ops, bool forward);  // in order, backward from the last
    void RemoveAll(const std::vector<const Op*>& ops, bool forward);
    bool RestoreEditsToUndo(const Command& command, std::vector<ArchiveEdit>& edits) const;
    static void ApplyArchiveEdits(const std::vector<ArchiveEdit>& edits, bool forward);
    static void ApplyArchiveEdit(const ArchiveEdit& edit, bool forward);
    void Run(Command command);  // applies, records, notifies
    void Record(Command command);
    void RecordOrder(std::vector<TItemId> before, TSortChoice sortBefore);
    void Notify();
    std::vector<TItemId> Order() const;
    TItemId NewId() { return nextId_++; }
    // After a save or a reload the file's line i is the item at i.
    void MatchBaseLinesInOrder();
    void MatchBaseLines(const std::vector<TItemId>& ids);  // the file's line i is the item ids[i]
    int InsertWithId(int index, Tdata item);
    // The item's index, looked for at hint first (-1 when it is gone).
    int IndexNear(TItemId id, int hint) const;
    bool Present(TItemId id) const { return id < present_.size() && present_[static_cast<std::size_t>(id)]; }
    void SetPresent(TItemId id, bool present);
    std::string LineOf(int index) const { return items_.ItemToLine(index); }
    // stamp: the file's, taken before its bytes were read, so that a change in between is seen
    // at the next check.
    // tail: the lines after bytes, when a save formatted them apart.
    void TakeBase(std::string bytes, const TItemFileStamp& stamp, std::string tail = {});
    bool BaseHolds(std::string_view bytes) const;
    // A comparison of the file with the base that Save makes while its new text is flushed:
    // the file's stamp has not moved since it was last read or written, but is too young to
    // tell a rewrite within it. stamp: Check's, taken before.
    struct TLaterCompare {
        bool due = false;
        TItemFileStamp stamp;
    };
    // Save's merges of what another program wrote; later, when given, may receive the comparison.
    void MergeBeforeWrite(TLaterCompare* later = nullptr);
    TItemFileStamp StampNow() const;
    TItemFileStamp Stamped(const TFileStamp& file) const;  // judged now: settled, seen
    // The base's lines, split when a merge first needs them: loads and saves never do.
    const std::vector<std::string>& BaseLines();
    int BaseLineOf(TItemId id) const { return id < baseLine_.size() ? baseLine_[static_cast<std::size_t>(id)] : -1; }
    void SetBaseLine(TItemId id, int line);
    bool ReadFile(std::string& bytes, bool& lossy);
    // CheckFile; beforeWrite: a file that cannot be read is Unreadable even with the stamp last seen.
    TFileState Check(bool beforeWrite, TLaterCompare* later = nullptr);
    void MergeLines(const TMergePlan& plan);
    void KeepLinesSetAside(std::vector<std::string>& theirs);

    std::string folder_, path_;
    TTodoData items_;
    TItemId nextId_ = 1;
    TSortChoice sort_;
    TItemFileStamp stamp_;
    // The file's bytes as last read or written: a save may leave the later lines in the tail.
    std::string baseText_, baseTail_;
    std::string spareText_, spareTail_;  // the base before, its memory kept for the next save
    std::vector<std::string> base_;
    bool baseSplit_ = false;
    std::vector<int> baseLine_;  // item id -> its line in the base, -1 for none
    bool keepOwn_ = false;
    bool lossyRead_ = false;
    std::vector<bool> present_;  // item id -> whether it is in the list
    std::string olderPath_;      // an older item file not read yet, tried at every check
    std::deque<Command> undo_, redo_;
};
