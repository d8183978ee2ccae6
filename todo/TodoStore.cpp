#include "todo/TodoStore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "support/Errors.h"
#include "support/FileWork.h"
#include "support/SecondCore.h"
#include "support/TextWork.h"
#include "todo/ItemArchive.h"

TTodoStore::TTodoStore(std::string todoFolder) { SetFolder(std::move(todoFolder)); }

void TTodoStore::SetFolder(std::string todoFolder) {
    folder_ = std::move(todoFolder);
    path_ = folder_ + "todo.txt";
}

int TTodoStore::IndexOf(TItemId id) const {
    if (!Present(id)) return -1;
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.Item(i).Id == id) return i;
    return -1;
}

int TTodoStore::IndexNear(TItemId id, int hint) const {
    return hint >= 0 && hint < items_.Count() && items_.Item(hint).Id == id ? hint : IndexOf(id);
}

void TTodoStore::SetPresent(TItemId id, bool present) {
    if (id >= present_.size()) present_.resize(static_cast<std::size_t>(id) + 1, false);
    present_[static_cast<std::size_t>(id)] = present;
}

namespace {

// Room for a text formatted anew to grow before its memory must move.
constexpr std::size_t kFormatRoom = 64 * 1024;

// The item file's bytes: a UTF-8 mark in front is skipped, and an editor's UTF-8 text is taken
// as its Shift-JIS (else its items would read as junk); UTF-16 is refused, as read as Shift-JIS
// it would give items full of NULs that every save would keep. lossy: set to whether characters
// of the UTF-8 text became "?".
// arrived: as ReadWholeFile's; changing, when given, is called before the bytes that arrived
// are changed (a UTF-8 mark dropped, UTF-8 made Shift-JIS).
bool ReadItemFile(const std::string& path, std::string& bytes, bool* lossy = nullptr,
                  const std::function<void(std::string_view, std::size_t)>& arrived = {},
                  const std::function<void()>& changing = {}) {
    bytes.clear();
    // A folder in the file's place holds no items; writing there fails and says so. The
    // bytes become the base, whose memory the next save but one formats into: room to grow.
    if (FolderExists(path) || !ReadWholeFile(path, bytes, kFormatRoom, arrived)) return false;
    RefuseUtf16(path, bytes);
    const bool marked = SkipUtf8Mark(bytes).size() != bytes.size();
    const std::string_view text = std::string_view(bytes).substr(marked ? 3 : 0);
    const bool utf8 = LooksLikeUtf8(text);
    if ((marked || utf8) && changing) changing();
    if (utf8)
        bytes = ShiftJisFromUtf8(text, lossy);
    else if (marked)
        bytes.erase(0, 3);
    return true;
}

std::string LineOfItem(const Tdata& item) {
    TTodoData one;
    one.SetItem(one.NewItem(), item);
    return one.ItemToLine(0);
}

// A file line as this program would write it: lines written by hand or by another program
// (lower-case colours, plain words) stand for the same item. Plain words have no date of
// their own; they take plainDate (plain: set to whether the line was plain words).
std::string WrittenLine(const std::string& fileLine, TDateTime plainDate, bool* plain = nullptr) {
    Tdata item;
    const bool itemLine = TTodoData::ParseItemLine(fileLine, item);
    if (!itemLine) item.Date = plainDate;
    if (plain) *plain = !itemLine;
    return LineOfItem(item);
}

// How long a stamp must be seen before a rewrite must change it: as StampSettled, the
// coarsest resolution of file times (2 s on FAT) and a margin.
constexpr std::int64_t kSettleMilliseconds = 3000;

// From this size on, a save compares the file with the base while it flushes (see TLaterCompare).
constexpr std::size_t kCompareDuringFlushFrom = 1024 * 1024;

}  // namespace

bool TTodoStore::ReadFile(std::string& bytes, bool& lossy) {
    lossy = false;
    return ReadItemFile(path_, bytes, &lossy);
}

bool TTodoStore::TakeLossyRead() { return std::exchange(lossyRead_, false); }

// What the file holds now becomes the base every later merge is measured from.
void TTodoStore::TakeBase(std::string bytes, const TItemFileStamp& stamp, std::string tail) {
    stamp_ = stamp;
    stamp_.known = true;
    spareText_ = std::move(baseText_);
    spareTail_ = std::move(baseTail_);
    baseText_ = std::move(bytes);
    baseTail_ = std::move(tail);
    base_.clear();
    baseSplit_ = false;
    baseLine_.clear();
}

TItemFileStamp TTodoStore::Stamped(const TFileStamp& file) const { return {true, file, StampSettled(file), Ticks()}; }

TItemFileStamp TTodoStore::StampNow() const {
    TFileStamp file{};  // zero when the file does not exist
    GetFileStamp(path_, file);
    return Stamped(file);
}

bool TTodoStore::BaseHolds(std::string_view bytes) const {
    return bytes.size() == baseText_.size() + baseTail_.size() && bytes.substr(0, baseText_.size()) == baseText_ &&
           bytes.substr(baseText_.size()) == baseTail_;
}

const std::vector<std::string>& TTodoStore::BaseLines() {
    if (!baseSplit_) {
        base_ = SplitItemLines(baseText_);
        std::vector<std::string> tail = SplitItemLines(baseTail_);  // the tail starts a line
        base_.insert(base_.end(), std::make_move_iterator(tail.begin()), std::make_move_iterator(tail.end()));
    }
    baseSplit_ = true;
    return base_;
}

void TTodoStore::SetBaseLine(TItemId id, int line) {
    if (id >= baseLine_.size()) baseLine_.resize(static_cast<std::size_t>(id) + 1, -1);
    baseLine_[static_cast<std::size_t>(id)] = line;
}

void TTodoStore::MatchBaseLines(const std::vector<TItemId>& ids) {
    baseLine_.assign(static_cast<std::size_t>(nextId_), -1);
    for (std::size_t line = 0; line < ids.size(); ++line) baseLine_[ids[line]] = static_cast<int>(line);
}

void TTodoStore::MatchBaseLinesInOrder() {
    const int count = items_.Count();
    baseLine_.reserve(static_cast<std::size_t>(nextId_));
    for (int i = 0; i < count; ++i) {
        // The records lie all over the heap: each asked for a few items ahead.
        if (i + 8 < count) __builtin_prefetch(items_.Record(i + 8));
        SetBaseLine(items_.Item(i).Id, i);
    }
}

void TTodoStore::Load(const std::string& oldPath) {
    items_.ClearItems();
    present_.clear();
    undo_.clear();
    redo_.clear();
    stamp_ = {};
    baseText_.clear();
    baseTail_.clear();
    base_.clear();
    baseSplit_ = false;
    baseLine_.clear();
    olderPath_.clear();
    std::string bytes, olderBytes;
    const TItemFileStamp stamp = StampNow();
    bool lossy = false, changed = false;
    const TItemId first = nextId_;
    bool exists = false;
    try {
        // The lines are taken in as the file's pieces arrive, each while it is in the cache;
        // a file that had to be made Shift-JIS is read again below from what it became.
        TTodoData::TLoad load(items_, first);
        std::size_t taken = 0, looked = 0;  // bytes whose lines are in; bytes looked through for a break
        exists = ReadItemFile(
            path_, bytes, &lossy,
            [&](std::string_view arrived, std::size_t size) {
                const std::size_t from = std::max(taken, looked), cut = PastLastBreak(arrived, from);
                looked = arrived.size();
                if (cut == from) return;  // a line longer than a piece so far
                load.Lines(arrived.substr(taken, cut - taken), size);
                taken = cut;
            },
            [&] {
                items_.ClearItems();  // read as Shift-JIS, they were junk
                changed = true;
            });
        if (exists && !changed) load.Lines(std::string_view(bytes).substr(taken), bytes.size());
    } catch (...) {
        items_.ClearItems();  // EFileError leaves the store unread
        throw;
    }
    lossyRead_ = lossy;
    // Items of the older place are the session's own: the item file does not hold them yet.
    bool older = false;
    try {
        older = !exists && !oldPath.empty() && ReadItemFile(oldPath, olderBytes, &lossyRead_);
    } catch (const EFileError&) {
        olderPath_ = oldPath;  // unread: saves would write a new file without its items
        throw;
    }
    try {
        // A file gone between its stamp and its read is no file: should it come back unchanged,
        // its stamp must not pass for the one of the empty list read.
        TakeBase(std::move(bytes), exists ? stamp : Stamped(TFileStamp{}));
        // The ids are given as the lines are read: the records are not gone over again.
        if (!exists || changed) items_.LoadFromText(older ? olderBytes : baseText_, first);
        const std::size_t count = static_cast<std::size_t>(items_.Count());
        nextId_ = first + count;
        present_.resize(nextId_, false);
        std::fill(present_.begin() + static_cast<std::ptrdiff_t>(first), present_.end(), true);
        if (!older) {
            baseLine_.assign(nextId_, -1);
            for (std::size_t line = 0; line < count; ++line) baseLine_[first + line] = static_cast<int>(line);
        }
    } catch (...) {
        // Items that did not fit in memory leave the store unread: a save would take the part
        // of the list read, or none, for the file's, and write it over the file.
        items_.ClearItems();
        present_.clear();
        baseLine_.clear();
        stamp_ = {};
        baseText_ = baseTail_ = spareText_ = spareTail_ = std::string();
        if (older) olderPath_ = oldPath;  // its items join the list at the first check that reads it
        throw;
    }
}

std::vector<TItemId> TTodoStore::Order() const {
    std::vector<TItemId> order;
    order.reserve(static_cast<std::size_t>(items_.Count()));
    for (int i = 0; i < items_.Count(); ++i) order.push_back(items_.Item(i).Id);
    return order;
}

int TTodoStore::InsertWithId(int index, Tdata item) {
    if (index < 0 || index > items_.Count()) index = items_.Count();
    items_.InsertItem(index);
    items_.SetItem(index, item);
    SetPresent(item.Id, true);
    return index;
}

namespace {

// Whether two versions of an item read the same (its line count is the layout's).
bool SameFields(const Tdata& a, const Tdata& b) {
    return a.Date == b.Date && a.Text == b.Text && a.Category == b.Category && a.Color == b.Color;
}

}  // namespace

// An undone add or edit, and an edit redone, leave an item another program changed since as
// that program left it: taking it back or writing over it would lose that change.
void TTodoStore::Apply(const Op& op, bool forward) {
    switch (op.kind) {
        case Op::Insert:
        case Op::Erase:
            if ((op.kind == Op::Insert) == forward) {
                if (!Present(op.id)) InsertWithId(op.index, op.before);
            } else if (int i = IndexNear(op.id, op.index);
                       i >= 0 && (forward || SameFields(items_.Item(i), op.before))) {
                items_.DeleteItem(i);
                SetPresent(op.id, false);
            }
            break;
        case Op::Change:
            if (int i = IndexNear(op.id, op.index);
                i >= 0 && SameFields(items_.Item(i), forward ? op.before : op.after)) {
                Tdata item = forward ? op.after : op.before;
                item.LineCount = items_.Item(i).LineCount;
                items_.SetItem(i, item);
            }
            break;
        case Op::Order: {
            if (const TSortChoice& sort = forward ? op.sortAfter : op.sortBefore; sort.key >= 0) {
                sort_ = sort;
                TTodoData::SortDescending = sort.descending;  // the next toggle turns from here
            }
            // Items that came or went since keep their places at the end, in today's order.
            const std::vector<TItemId>& wanted = forward ? op.orderAfter : op.orderBefore;
            // Each item's place found once: a search per id would take seconds for a long list.
            std::unordered_map<TItemId, int> indexOf;
            indexOf.reserve(static_cast<std::size_t>(items_.Count()));
            for (int i = 0; i < items_.Count(); ++i) indexOf.emplace(items_.Item(i).Id, i);
            std::vector<int> order;
            std::vector<bool> used(static_cast<std::size_t>(items_.Count()), false);
            for (TItemId id : wanted)
                if (auto at = indexOf.find(id); at != indexOf.end() && !used[static_cast<std::size_t>(at->second)]) {
                    order.push_back(at->second);
                    used[static_cast<std::size_t>(at->second)] = true;
                }
            for (int i = 0; i < items_.Count(); ++i)
                if (!used[static_cast<std::size_t>(i)]) order.push_back(i);
            items_.Permute(order);
            break;
        }
    }
}

// A removal by an op: an add undone or an erase done (an item another program changed since
// its add stays, as in Apply).
bool TTodoStore::Removes(const Op& op, bool forward) {
    return (op.kind == Op::Insert && !forward) || (op.kind == Op::Erase && forward);
}

void TTodoStore::ApplyAll(const std::vector<Op>& ops, bool forward) {
    std::vector<const Op*> removals;  // a run of them, taken out together
    const auto flush = [&] {
        if (removals.size() == 1) Apply(*removals[0], forward);
        if (removals.size() > 1) RemoveAll(removals, forward);
        removals.clear();
    };
    const auto step = [&](const Op& op) {
        if (Removes(op, forward)) return removals.push_back(&op);
        flush();
        Apply(op, forward);
    };
    if (forward)
        for (const Op& op : ops) step(op);
    else
        for (auto op = ops.rbegin(); op != ops.rend(); ++op) step(*op);
    flush();
}

// Many removals at once (a restore of thousands undone after a sort moved its items) in one pass
// over the list: each looked for and taken out on its own took seconds.
void TTodoStore::RemoveAll(const std::vector<const Op*>& ops, bool forward) {
    std::unordered_map<TItemId, const Op*> byId;
    byId.reserve(ops.size());
    for (const Op* op : ops)
        if (Present(op->id)) byId.emplace(op->id, op);
    std::vector<int> order, gone;
    order.reserve(static_cast<std::size_t>(items_.Count()));
    for (int i = 0; i < items_.Count(); ++i) {
        const Tdata& item = items_.Item(i);
        const auto it = byId.find(item.Id);
        const bool removed = it != byId.end() && (forward || SameFields(item, it->second->before));
        (removed ? gone : order).push_back(i);
    }
    if (gone.empty()) return;
    for (int i : gone) SetPresent(items_.Item(i).Id, false);
    order.insert(order.end(), gone.begin(), gone.end());  // to the end, where each goes at once
    items_.Permute(order);
    for (std::size_t k = 0; k < gone.size(); ++k) items_.DeleteItem(items_.Count() - 1);
}

void TTodoStore::Notify() {
    if (OnChange) OnChange();
}

void TTodoStore::Record(Command command) {
    undo_.push_back(std::move(command));
    if (undo_.size() > kUndoSteps) undo_.pop_front();
    redo_.clear();
}

void TTodoStore::Run(Command command) {
    ApplyAll(command.ops, true);
    Record(std::move(command));
    Notify();
}

TItemId TTodoStore::Add(const Tdata& item, int index) {
    Op op;
    op.kind = Op::Insert;
    op.id = NewId();
    op.index = index < 0 || index > items_.Count() ? items_.Count() : index;
    op.before = item;
    op.before.Id = op.id;
    Run(Single(op));
    return op.id;
}

void TTodoStore::Edit(TItemId id, const Tdata& item) {
    const int i = IndexOf(id);
    if (i < 0) return;
    Op op;
    op.kind = Op::Change;
    op.id = id;
    op.index = i;
    op.before = items_.Item(i);
    op.after = item;
    op.after.Id = id;
    Run(Single(op));
}

void TTodoStore::Remove(TItemId id) {
    const int i = IndexOf(id);
    if (i < 0) return;
    Command command;
    const TDateTime due = items_.GetDate(i);
    command.archivePath = ArchiveFileName(folder_, HasDate(due) ? due : Clock());
    command.archiveLine = LineOf(i);
    command.archiveStarted = !FileExists(command.archivePath);
    AppendToArchive(command.archivePath, command.archiveLine);  // raises before anything changed
    Op op;
    op.kind = Op::Erase;
    op.id = id;
    op.index = i;
    op.before = items_.Item(i);
    command.ops.push_back(op);
    Run(std::move(command));
}

int TTodoStore::Restore(const std::vector<TArchivedItem>& archived) {
    // The lines wanted of each archive: the items', and for an item of a month's own archive the
    // same removal in that month's copies, which would offer it again (companions).
    struct Wanted {
        std::vector<TArchivedItem> lines;
        std::vector<std::size_t> owners;  // the item in archived each line stands for
        std::vector<bool> companions;
        std::string before;
        std::vector<int> at;
    };
    std::vector<std::string> paths;
    std::unordered_map<std::string, Wanted> byPath;
    std::unordered_map<std::string, std::vector<std::string>> copiesOf;
    const auto want = [&](const std::string& path, const TArchivedItem& line, std::size_t owner, bool companion) {
        if (byPath.find(path) == byPath.end()) paths.push_back(path);
        Wanted& w = byPath[path];
        w.lines.push_back(line);
        w.owners.push_back(owner);
        w.companions.push_back(companion);
    };
    for (std::size_t i = 0; i < archived.size(); ++i) {
        want(archived[i].path, archived[i], i, false);
        auto copies = copiesOf.find(archived[i].path);
        if (copies == copiesOf.end()) copies = copiesOf.emplace(archived[i].path, CopiesOfMonth(archived[i].path)).first;
        for (const std::string& copy : copies->second) {
            TArchivedItem same = archived[i];
            same.path = copy;
            same.line = -1;  // wherever it is there
            want(copy, same, i, true);
        }
    }
    std::vector<bool> found(archived.size(), false);  // still in its own archive
    for (const std::string& path : paths) {
        Wanted& w = byPath[path];
        if (!ReadWholeFile(path, w.before)) continue;
        w.before = ShiftJisIfUtf8(std::move(w.before));  // as ReadArchivedItems saw it
        w.at = LocateLines(w.before, w.lines);
        for (std::size_t k = 0; k < w.lines.size(); ++k)
            if (!w.companions[k] && w.at[k] >= 0) found[w.owners[k]] = true;
    }
    std::vector<TItemId> ids(archived.size(), 0);  // of the items that come back
    for (std::size_t i = 0; i < archived.size(); ++i)
        if (found[i]) ids[i] = NewId();
    Command command;
    for (const std::string& path : paths) {
        Wanted& w = byPath[path];
        ArchiveEdit edit;
        edit.path = path;
        std::vector<int> lines;
        for (std::size_t k = 0; k < w.at.size(); ++k)
            if (w.at[k] >= 0 && found[w.owners[k]]) {  // a companion only with its item
                lines.push_back(w.at[k]);
                edit.lines.push_back(w.lines[k].text);
                edit.owners.push_back(ids[w.owners[k]]);
            }
        if (lines.empty()) continue;
        edit.after = RemoveLines(w.before, lines);
        edit.before = std::move(w.before);
        command.restored.push_back(std::move(edit));
    }
    std::vector<std::size_t> back;  // the items still found in their archives
    for (std::size_t i = 0; i < archived.size(); ++i)
        if (found[i]) back.push_back(i);
    if (back.empty()) return 0;
    ApplyArchiveEdits(command.restored, true);  // raises before the list changed
    int index = items_.Count();
    for (std::size_t i : back) {
        Op op;
        op.kind = Op::Insert;
        op.id = ids[i];
        op.index = index++;
        op.before = archived[i].item;
        op.before.Id = op.id;
        op.before.LineCount = 0;
        command.ops.push_back(std::move(op));
    }
    Run(std::move(command));
    return static_cast<int>(back.size());
}

void TTodoStore::ApplyArchiveEdits(const std::vector<ArchiveEdit>& edits, bool forward) {
    std::size_t done = 0;
    try {
        for (; done < edits.size(); ++done) ApplyArchiveEdit(edits[done], forward);
    } catch (const EFileError&) {
        // The archives already written go back, so a failed step leaves them all as they were.
        while (done-- > 0) {
            try {
                ApplyArchiveEdit(edits[done], !forward);
            } catch (const EFileError&) {
            }
        }
        throw;
    }
}

void TTodoStore::ApplyArchiveEdit(const ArchiveEdit& edit, bool forward) {
    std::string now;
    const bool there = ReadWholeFile(edit.path, now);
    now = ShiftJisIfUtf8(std::move(now));
    if (there && now == (forward ? edit.before : edit.after)) {
        ReplaceFileSafely(edit.path, forward ? edit.after : edit.before);
    } else if (forward) {  // changed meanwhile: takes out what of the lines is still there
        if (!there) return;  // none: no empty file in its place
        std::vector<TArchivedItem> wanted(edit.lines.size());
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            wanted[i].line = -1;
            wanted[i].text = edit.lines[i];
        }
        ReplaceFileSafely(edit.path, RemoveLines(now, LocateLines(now, wanted)));
    } else {
        AppendToArchive(edit.path, edit.lines);
    }
}

void TTodoStore::RecordOrder(std::vector<TItemId> before, TSortChoice sortBefore) {
    Op op;
    op.kind = Op::Order;
    op.orderBefore = std::move(before);
    op.orderAfter = Order();
    op.sortBefore = sortBefore;
    op.sortAfter = sort_;
    if (op.orderAfter == op.orderBefore) return;
    Record(Single(op));
    Notify();
}

void TTodoStore::Sort(int key, bool descending) {
    std::vector<TItemId> before = Order();
    const TSortChoice sortBefore = sort_;
    items_.SortItems(key, descending);
    sort_ = {key, descending};
    RecordOrder(std::move(before), sortBefore);
}

bool TTodoStore::ToggleSort(int key) {
    const bool descending = !TTodoData::SortDescending;
    Sort(key, descending);
    return descending;
}

// The archive edits an undo of the restore puts back: an item another program changed since
// stays in the list (as Apply leaves it), and its lines stay out, or it would be in both places.
// False, edits untouched, when every item goes.
bool TTodoStore::RestoreEditsToUndo(const Command& command, std::vector<ArchiveEdit>& edits) const {
    if (command.restored.empty()) return false;
    std::unordered_map<TItemId, const Op*> added;
    for (const Op& op : command.ops)
        if (op.kind == Op::Insert && Present(op.id)) added.emplace(op.id, &op);
    std::unordered_set<TItemId> staying;  // each item's place found in one pass over the list
    for (int i = 0; i < items_.Count() && !added.empty(); ++i)
        if (const auto it = added.find(items_.Item(i).Id);
            it != added.end() && !SameFields(items_.Item(i), it->second->before))
            staying.insert(it->first);
    if (staying.empty()) return false;
    for (const ArchiveEdit& edit : command.restored) {
        ArchiveEdit kept{edit.path, edit.before, edit.after, {}, {}};
        std::vector<TArchivedItem> stay;
        for (std::size_t k = 0; k < edit.lines.size(); ++k) {
            const TItemId owner = k < edit.owners.size() ? edit.owners[k] : 0;
            if (staying.count(owner)) {
                stay.emplace_back();
                stay.back().line = -1;
                stay.back().text = edit.lines[k];
            } else {
                kept.lines.push_back(edit.lines[k]);
                kept.owners.push_back(owner);
            }
        }
        if (!stay.empty()) kept.before = RemoveLines(edit.before, LocateLines(edit.before, stay));
        if (!kept.lines.empty()) edits.push_back(std::move(kept));
    }
    return true;
}

bool TTodoStore::Undo() {
    if (undo_.empty()) return false;
    // The archive first: when it fails, the step stays to be undone.
    Command& last = undo_.back();
    if (!last.archivePath.empty()) RemoveLastArchiveLine(last.archivePath, last.archiveLine, last.archiveStarted);
    std::vector<ArchiveEdit> trimmed;
    const bool trim = RestoreEditsToUndo(last, trimmed);
    ApplyArchiveEdits(trim ? trimmed : last.restored, false);
    if (trim) last.restored = std::move(trimmed);  // a redo takes out only these again
    Command command = std::move(undo_.back());
    undo_.pop_back();
    ApplyAll(command.ops, false);
    redo_.push_back(std::move(command));
    Notify();
    return true;
}

bool TTodoStore::Redo() {
    if (redo_.empty()) return false;
    const Command& next = redo_.back();
    if (!next.archivePath.empty()) AppendToArchive(next.archivePath, next.archiveLine);
    ApplyArchiveEdits(next.restored, true);
    Command command = std::move(redo_.back());
    redo_.pop_back();
    ApplyAll(command.ops, true);
    undo_.push_back(std::move(command));
    Notify();
    return true;
}

void TTodoStore::MergeLines(const TMergePlan& plan) {
    bool changed = false;
    auto itemFromLine = [](const std::string& line) {
        TTodoData one;
        one.LineToItem(one.NewItem(), line);
        return one.Item(0);
    };
    // Places found once for all: a search per item would take seconds for a long list.
    auto places = [&] {
        std::unordered_map<TItemId, int> at;
        at.reserve(static_cast<std::size_t>(items_.Count()));
        for (int i = 0; i < items_.Count(); ++i) at.emplace(items_.Item(i).Id, i);
        return at;
    };
    std::unordered_map<TItemId, int> at = places();
    for (const auto& replace : plan.replace) {
        const auto found = at.find(replace.id);
        if (found == at.end()) continue;
        const int i = found->second;
        Op op;
        op.kind = Op::Change;
        op.id = replace.id;
        op.index = i;
        op.before = items_.Item(i);
        op.after = itemFromLine(replace.line);
        op.after.Id = replace.id;
        // The same item written otherwise: nothing to change.
        if (WrittenLine(replace.line, op.before.Date) == LineOf(i)) continue;
        Apply(op, true);
        changed = true;
    }
    std::vector<TItemId> added;
    std::vector<int> addedAt;  // where each add went; a chain of adds follows the one before
    for (const auto& add : plan.add) {
        const bool chained = add.afterAdd >= 0;
        TItemId after = chained ? added[static_cast<std::size_t>(add.afterAdd)] : add.afterId;
        Op op;
        op.kind = Op::Insert;
        op.id = NewId();
        op.index =
            after == 0 ? 0 : IndexNear(after, chained ? addedAt[static_cast<std::size_t>(add.afterAdd)] : -1) + 1;
        if (after != 0 && op.index == 0) op.index = items_.Count();
        op.before = itemFromLine(add.line);
        op.before.Id = op.id;
        Apply(op, true);
        added.push_back(op.id);
        addedAt.push_back(IndexNear(op.id, op.index));
        changed = true;
    }
    // From the end, so that the places found before stay right.
    at = places();
    std::vector<std::pair<int, TItemId>> removed;
    for (TItemId id : plan.remove)
        if (const auto found = at.find(id); found != at.end()) removed.emplace_back(found->second, id);
    std::sort(removed.begin(), removed.end(), std::greater<>());
    for (const auto& [i, id] : removed) {
        Op op;
        op.kind = Op::Erase;
        op.id = id;
        op.index = i;
        op.before = items_.Item(i);
        Apply(op, true);
        changed = true;
    }
    // Another program's changes are no step of the user's: an undo takes back the user's own
    // commands, never an item delivered meanwhile. What was undone cannot be redone over them.
    if (changed) {
        redo_.clear();
        Notify();
    }
}

TTodoStore::TFileState TTodoStore::CheckFile() { return Check(false); }

TTodoStore::TFileState TTodoStore::Check(bool beforeWrite, TLaterCompare* later) {
    if (later) *later = {};  // an earlier round's is out of date
    TFileStamp now{};
    // A file gone with its folder is no removal of items: the next save writes it again.
    const bool exists = GetFileStamp(path_, now);
    // Judged before the bytes are read: a rewrite after this changes the time once it has settled.
    TItemFileStamp stamp = Stamped(now);
    const bool same = stamp_.known && now == stamp_.file;
    if (same) {
        // A time ahead of the clock (another computer's) settles too, once seen for as long: the
        // clock that wrote it has moved on as far since.
        stamp.settled = stamp.settled || stamp.seen - stamp_.seen >= kSettleMilliseconds;
        stamp.seen = stamp_.seen;
    }
    if (stamp_.known && (!exists || (same && stamp_.settled))) return TFileState::Unchanged;
    // A small file is compared at once: a thread to compare it beside the flush costs more.
    if (later && same && baseText_.size() + baseTail_.size() >= kCompareDuringFlushFrom) {
        *later = {true, stamp};
        return TFileState::Unchanged;
    }
    std::string bytes, olderBytes;
    bool read = false, lossy = false;
    try {
        // Most often the file is still what was written or read last: compared a piece at a
        // time, it needs no copy.
        if (stamp_.known && FileHolds(path_, baseText_, baseTail_)) {
            olderPath_.clear();
            stamp_ = stamp;
            return TFileState::Unchanged;
        }
        read = ReadFile(bytes, lossy);
        // Without the item file, an older file that could not be read at the load brings its items.
        if (!read && !stamp_.known && !olderPath_.empty()) ReadItemFile(olderPath_, olderBytes, &lossy);
    } catch (const EFileError&) {
        // A stamp still the same stands while the bytes cannot be read (a sync client holds them),
        // but no write goes over bytes it could not compare.
        return !beforeWrite && same ? TFileState::Unchanged : TFileState::Unreadable;
    }
    if (stamp_.known && !read) return TFileState::Unchanged;  // gone since its stamp: as gone before
    // Gone before its first read: the stamp must not pass for the one of the empty list read.
    if (!read) stamp = Stamped(TFileStamp{});
    olderPath_.clear();
    if (stamp_.known && BaseHolds(bytes)) {
        stamp_ = stamp;
        return TFileState::Unchanged;
    }
    lossyRead_ = lossyRead_ || lossy;
    std::vector<std::string> theirs = SplitItemLines(olderBytes.empty() ? bytes : olderBytes);
    if (stamp_.known && olderBytes.empty()) KeepLinesSetAside(theirs);
    const std::vector<std::string>& before = BaseLines();
    std::vector<TMineLine> mine;
    mine.reserve(static_cast<std::size_t>(items_.Count()));
    for (int i = 0; i < items_.Count(); ++i) {
        const int b = BaseLineOf(items_.Item(i).Id);
        std::string line = LineOf(i);
        // An item the session left alone is its file line, however that line was written.
        if (b >= 0 && b < static_cast<int>(before.size()) && line != before[b] &&
            line == WrittenLine(before[b], items_.GetDate(i)))
            line = before[b];
        mine.push_back({items_.Item(i).Id, std::move(line), b});
    }
    const TMergePlan plan = PlanMerge(BaseLines(), mine, theirs);
    if (plan.needsConfirmation && !keepOwn_) return TFileState::NeedsConfirmation;
    if (!plan.needsConfirmation) MergeLines(plan);
    keepOwn_ = false;
    // The file is now the base; the session's items are matched to its lines again.
    TakeBase(std::move(bytes), stamp);
    const std::vector<std::string>& base = BaseLines();
    std::unordered_map<std::string, std::vector<int>> lineAt;
    for (int b = static_cast<int>(base.size()) - 1; b >= 0; --b) lineAt[base[b]].push_back(b);
    std::vector<bool> matched(base.size(), false);
    std::vector<int> unmatched;
    for (int i = 0; i < items_.Count(); ++i) {
        auto it = lineAt.find(LineOf(i));
        if (it == lineAt.end() || it->second.empty()) {
            unmatched.push_back(i);
            continue;
        }
        SetBaseLine(items_.Item(i).Id, it->second.back());
        matched[static_cast<std::size_t>(it->second.back())] = true;
        it->second.pop_back();
    }
    // Lines written otherwise are matched as this program would write them; a plain line by
    // all but its date, which is the day its item was read (the program runs for days).
    if (!unmatched.empty()) {
        std::unordered_map<std::string, std::vector<int>> writtenAt, plainAt;
        const TDateTime today = Clock();
        for (int b = static_cast<int>(base.size()) - 1; b >= 0; --b) {
            if (matched[static_cast<std::size_t>(b)]) continue;
            bool plain = false;
            std::string line = WrittenLine(base[b], today, &plain);
            (plain ? plainAt : writtenAt)[std::move(line)].push_back(b);
        }
        const auto take = [&](std::unordered_map<std::string, std::vector<int>>& at, const std::string& line,
                              TItemId id) {
            auto it = at.find(line);
            if (it == at.end() || it->second.empty()) return false;
            SetBaseLine(id, it->second.back());
            it->second.pop_back();
            return true;
        };
        for (int i : unmatched) {
            Tdata item = items_.Item(i);
            if (take(writtenAt, LineOf(i), item.Id) || plainAt.empty()) continue;
            item.Date = today;
            take(plainAt, LineOfItem(item), item.Id);
        }
    }
    return TFileState::Merged;
}

// A sync client that cannot merge two computers' saves keeps one as the item file and sets
// the other aside under a name of its own ("todo (PC's conflicted copy ...).txt", "todo-PC.txt",
// "todo.sync-conflict-....txt"). When the one set aside is this session's last save (it holds
// the base's bytes, and is at least as new), the lines the item file lacks were never removed
// by anyone: they count as kept by the other side. Any other copy (the other computer's own,
// seen there) tells nothing of what was removed since.
void TTodoStore::KeepLinesSetAside(std::vector<std::string>& theirs) {
    std::unordered_map<std::string, int> left;  // line -> how many of theirs are not yet matched
    for (const std::string& line : theirs) ++left[line];
    std::vector<std::string> missing;
    for (const std::string& line : BaseLines())
        if (int& count = left[line]; count > 0)
            --count;
        else
            missing.push_back(line);
    if (missing.empty()) return;
    const auto isSavedAside = [](const std::string& name) {  // todo-yyyymmddhhmmss[-n].txt, ours
        return name.size() >= 23 && LowerCaseSjis(name.substr(0, 5)) == "todo-" &&
               std::all_of(name.begin() + 5, name.begin() + 19, [](char c) { return c >= '0' && c <= '9'; });
    };
    // The copies lie beside the file the item file leads to (a link into a synced folder), named after it.
    const std::string behind = FileBehind(path_);
    const std::size_t separator = LastSeparator(behind);
    if (separator == std::string::npos) return;
    const std::string folder = behind.substr(0, separator + 1), name = behind.substr(separator + 1);
    const std::size_t dot = name.rfind('.');
    const std::string mask = dot == std::string::npos ? name + "*" : name.substr(0, dot) + "*" + name.substr(dot);
    for (const FolderEntry& entry : ReadFolder(StripTrailingBackslashes(folder), mask)) {
        if (entry.isFolder || SameTextSjis(entry.name, name) || isSavedAside(entry.name)) continue;
        const std::string copy = folder + entry.name;
        TFileStamp copyStamp{};
        try {
            // Compared a piece at a time: a huge copy is told by its size, never read.
            if (!GetFileStamp(copy, copyStamp) || copyStamp.modified < stamp_.file.modified ||
                !FileHolds(copy, baseText_, baseTail_))
                continue;
        } catch (const EFileError&) {
            continue;  // a copy that cannot be read holds nothing to keep
        }
        theirs.insert(theirs.end(), missing.begin(), missing.end());
        return;
    }
}

void TTodoStore::TakeFileList() {
    std::string bytes;
    const TItemFileStamp stamp = StampNow();
    // Gone since the question: no list to take, and the next save writes the session's again.
    bool lossy = false;
    if (!ReadFile(bytes, lossy)) return;
    lossyRead_ = lossyRead_ || lossy;
    TTodoData theirs;
    theirs.LoadFromText(bytes);
    Command command;
    for (int i = items_.Count() - 1; i >= 0; --i) {
        Op op;
        op.kind = Op::Erase;
        op.before = items_.Item(i);
        op.id = op.before.Id;
        op.index = i;
        command.ops.push_back(std::move(op));
    }
    for (int i = 0; i < theirs.Count(); ++i) {
        Op op;
        op.kind = Op::Insert;
        op.id = NewId();
        op.index = i;
        op.before = theirs.Item(i);
        op.before.Id = op.id;
        command.ops.push_back(std::move(op));
    }
    Run(std::move(command));
    TakeBase(std::move(bytes), stamp);
    MatchBaseLinesInOrder();
}

void TTodoStore::KeepOwnList() { keepOwn_ = true; }

void TTodoStore::MergeBeforeWrite(TLaterCompare* later) {
    // A file written again while this merged (or asked) is merged too before it is written
    // over; a file that never stops changing is written over after a few rounds.
    for (int round = 0; round < kSaveMergeRounds; ++round) {
        switch (Check(true, later)) {
            case TFileState::Unreadable:
                // Without the item file it is the older file that could not be read.
                throw EFileError(CannotReadMessage(olderPath_.empty() || FileExists(path_) ? path_ : olderPath_));
            case TFileState::NeedsConfirmation:
                if (ConfirmLargeChange && ConfirmLargeChange())
                    TakeFileList();
                else
                    keepOwn_ = true;
                break;
            default: break;
        }
        TFileStamp now{};
        if (!GetFileStamp(path_, now) || now == stamp_.file) break;
    }
}

void TTodoStore::Save() {
    bool compareFirst = false;  // a comparison during the flush found the file changed
    for (int round = 1;; ++round) {
        TLaterCompare later;
        MergeBeforeWrite(compareFirst ? nullptr : &later);
        ForceFolder(folder_.substr(0, folder_.size() - 1));
        // Formatted into the memory of the base before last, which is in use already, and
        // written a piece at a time while each piece is still in the cache; a long list's
        // later lines go to a tail of their own.
        std::string bytes = std::move(spareText_), tail = std::move(spareTail_);
        bytes.clear();
        const std::size_t baseSize = baseText_.size() + baseTail_.size();
        if (bytes.capacity() < baseSize + kFormatRoom / 2) bytes.reserve(baseSize + kFormatRoom);
        std::vector<TItemId> ids;
        TSafeFileWriter file(path_);
        items_.FormatFile(bytes, [&](const char* data, std::size_t size) { file.Write(data, size); }, &ids, &tail);
        const auto keepSpare = [&] {
            spareText_ = std::move(bytes);
            spareTail_ = std::move(tail);
        };
        // The file is compared with the base while the new text is flushed, which mostly waits
        // for the disk. One changed under a stamp that stayed is merged first, then written again.
        TFileStamp flushed{};
        bool holds = true;
        if (later.due) {
            TSecondCore core;
            core.Both([&] { flushed = file.Finish(true); },
                      [&] {
                          try {
                              holds = FileHolds(path_, baseText_, baseTail_);
                          } catch (const EFileError&) {
                              holds = false;  // the merge reads it again, and tells
                          }
                      });
        } else {
            flushed = file.Finish(true);
        }
        if (!holds) {
            compareFirst = true;
            keepSpare();
            continue;
        }
        if (later.due) {
            olderPath_.clear();
            stamp_ = later.stamp;
        }
        // The stamp of what was written, not of what is there by now: a delivery after the swap is merged.
        const TItemFileStamp written = Stamped(flushed);
        // A delivery while this wrote (a slow disk's flush takes long) is merged and written
        // again, rather than gone under the swap; the file written goes.
        TFileStamp now{};
        if (round < kSaveMergeRounds && GetFileStamp(path_, now) && !(now == stamp_.file)) {
            keepSpare();
            continue;
        }
        file.Swap();
        keepOwn_ = false;
        TakeBase(std::move(bytes), written, std::move(tail));
        MatchBaseLines(ids);
        return;
    }
}

std::string TTodoStore::SaveAside(TDateTime now, const std::string& folder) {
    // Whole seconds of the whole date and time, so that rounding up at 23:59:59.5 moves the day too.
    const long long total = std::llround(now * 86400.0);
    const long long days = total / 86400, seconds = total % 86400;
    int year, month, day;
    DecodeDate(static_cast<TDateTime>(days), year, month, day);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02lld%02lld%02lld", year, month, day, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    const std::string& into = folder.empty() ? folder_ : folder;
    ForceFolder(into.substr(0, into.size() - 1));
    // A file of the same second (a second failure, or the other computer's) is kept beside it.
    std::string aside = into + "todo-" + stamp + ".txt";
    for (int other = 2; FileExists(aside); ++other)
        aside = into + "todo-" + stamp + "-" + std::to_string(other) + ".txt";
    ReplaceFileSafely(aside, items_.SaveToText());
    return aside;
}

std::vector<Tdata> TTodoStore::UnsavedItems() {
    std::vector<Tdata> unsaved;
    const std::vector<std::string>& base = BaseLines();
    for (int i = 0; i < items_.Count(); ++i) {
        const int b = BaseLineOf(items_.Item(i).Id);
        const std::string line = LineOf(i);
        // A line written by hand stands for the item as this program writes it.
        const bool saved = b >= 0 && b < static_cast<int>(base.size()) &&
                           (line == base[b] || line == WrittenLine(base[b], items_.GetDate(i)));
        if (!saved) unsaved.push_back(items_.Item(i));
    }
    return unsaved;
}

int TTodoStore::TakeOver(const std::vector<Tdata>& items) {
    std::unordered_map<std::string, int> held;  // line -> how many of the list's items have it
    for (int i = 0; i < items_.Count(); ++i) ++held[LineOf(i)];
    int taken = 0;
    for (const Tdata& item : items) {
        TTodoData one;
        one.SetItem(one.NewItem(), item);
        if (int& count = held[one.ItemToLine(0)]; count > 0) {
            --count;  // the list holds it already
            continue;
        }
        Tdata copy = item;
        copy.Id = NewId();
        copy.LineCount = 0;
        InsertWithId(-1, copy);
        ++taken;
    }
    if (taken > 0) Notify();
    return taken;
}
