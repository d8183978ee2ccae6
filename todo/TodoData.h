// The user's to-do items and the item file todo.txt.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/Dates.h"
#include "support/TextCollator.h"

// One to-do item.
struct Tdata {
    TDateTime Date = 0;          // due date, kNoDate for none; the fraction (time of day) lives only in memory
    std::string Text;            // may hold CR LF, lone CR, lone LF and TAB
    std::string Category;        // the mark, one character such as "★"; empty for none
    std::int32_t Color = 0;      // $00BBGGRR; only the low 24 bits reach the file
    std::int32_t LineCount = 0;  // display lines, kept by the list layout
    std::uint64_t Id = 0;        // the item's identity for the session, given by the store
};

// Colour of an item taken from a line that is not in the item format.
constexpr std::int32_t NoColor = 1;

// What GetCategory answers for an item without a mark: the full-width space.
extern const char* const kNoCategory;

// Sort keys, as stored in SORT/type.
enum TSortKey { skDate = 0, skCategory = 1, skText = 2, skColor = 3 };

class TTodoData {
public:
    TTodoData() = default;
    TTodoData(TTodoData&&) = default;
    ~TTodoData() { ClearItems(); }
    TTodoData& operator=(TTodoData&& other) noexcept {
        // The records first, while the pool they go back to still stands.
        items_ = std::move(other.items_);
        pool_ = std::move(other.pool_);
        revision_ = other.revision_;
        return *this;
    }

    // The last sort, one pair for the whole program.
    static int SortKey;
    static bool SortDescending;
    static void SetCollator(const TTextCollator* collator);

    // Stable in both directions; a key outside 0..3 leaves the list as it is.
    void SortItems(int key, bool descending);
    // Sorts by key in the direction opposite to the last sort, whatever its key; answers it.
    bool ToggleSort(int key);
    // The comparison of an upper item a with a lower item b: negative when they are in the wrong order.
    static int CompareItems(const Tdata& a, const Tdata& b, int key, bool descending);
    // The record at an index, for finding it again after sorting.
    const Tdata* Record(int index) const { return &At(index); }
    int IndexOfRecord(const Tdata* record) const;

    int Count() const { return static_cast<int>(items_.size()); }
    // Changes with every change of an item's fields (but its line count), of the items or of
    // their order: the list layout builds its lines again only when it moved.
    std::uint64_t Revision() const { return revision_; }
    const Tdata& Item(int index) const { return At(index); }
    void SetItem(int index, const Tdata& item) {
        ++revision_;
        At(index) = item;
    }
    // New list i is the old list's order[i]; order must be a permutation of the indices.
    void Permute(const std::vector<int>& order);

    int NewItem();
    int InsertItem(int index);
    void DeleteItem(int index);
    void ClearItems();
    void Exchange(int a, int b);

    TDateTime GetDate(int index) const { return At(index).Date; }
    void SetDate(int index, TDateTime date) { Changed(At(index)).Date = date; }
    const std::string& GetText(int index) const { return At(index).Text; }
    void SetText(int index, const std::string& text) { Changed(At(index)).Text = text; }
    std::string GetCategory(int index) const;
    void SetCategory(int index, const std::string& category) { Changed(At(index)).Category = category; }
    std::int32_t GetColor(int index) const { return At(index).Color & 0xFFFFFF; }
    void SetColor(int index, std::int32_t color) { Changed(At(index)).Color = color; }
    std::int32_t GetLineCount(int index) const { return At(index).LineCount; }
    void SetLineCount(int index, std::int32_t count) { At(index).LineCount = count; }
    void SetId(int index, std::uint64_t id) { Changed(At(index)).Id = id; }

    // Fills item from one file line; false when the line is not in the item format (item then
    // holds the whole line as text, due now).
    static bool ParseItemLine(std::string_view line, Tdata& item);

    std::string ItemToLine(int index) const;
    void LineToItem(int index, const std::string& line);

    // Missing file: empty list, no error. Unreadable file, or one in UTF-16: EFileError, list
    // left empty. A UTF-8 mark in front is skipped.
    void LoadFromFile(const std::string& path);
    // Writes every item, CR LF after each line, replacing the file in one safe step.
    void SaveToFile(const std::string& path, bool flush = true) const;

    // The whole file text, and the list from a whole file text.
    std::string SaveToText() const;
    // The whole file text into out, whose memory is used again. Each finished stretch of
    // it goes on to finished(data, size) while still in the cache; ids, when given, receives
    // the items' ids in the order of their lines. tail, when given, may receive the text's
    // later lines rather than out (in its own memory, also used again).
    void FormatFile(std::string& out, const std::function<void(const char*, std::size_t)>& finished,
                    std::vector<std::uint64_t>* ids = nullptr, std::string* tail = nullptr) const;
    // The list from a whole file text; firstId, when not 0, gives the items the ids firstId,
    // firstId + 1, ... in the order of their lines.
    void LoadFromText(const std::string& text, std::uint64_t firstId = 0);

    struct TLoadMemo;  // what a load keeps from one stretch of lines to the next
    // The list from a text taken in as it is read: a stretch of whole lines at a time, in
    // order (the last stretch may lack its line end). Empties the list; ids as LoadFromText's.
    class TLoad {
    public:
        explicit TLoad(TTodoData& list, std::uint64_t firstId = 0);
        ~TLoad();
        // size: the whole text's expected size, which the first stretch judges the room by.
        void Lines(std::string_view lines, std::size_t size);

    private:
        TTodoData& list_;
        std::unique_ptr<TLoadMemo> memo_;
        bool first_ = true;
    };

private:
    Tdata& At(int index);
    Tdata& Changed(Tdata& item) {
        ++revision_;
        return item;
    }
    const Tdata& At(int index) const;
    void AppendLine(std::string& out, int index) const;
    // plainTried: the line is known not to be a usual one (the loader tried it with its memo).
    static void FillFromLine(Tdata& item, std::string_view line, bool plainTried = false);
    // Loading: room for the items of a text of `size` bytes, judged by its start; then its
    // lines, given whole, in one or more pieces.
    void ReserveFor(std::string_view start, std::size_t size);
    void AddLines(std::string_view lines, TLoadMemo& memo);
    // The lines of text that start in [from, to), read whole; answers where the next starts.
    // nextId: as TLoadMemo's. dates: a class of TodoData.cpp's own.
    template <typename Dates>
    std::size_t AddOwnLines(std::string_view text, std::size_t from, std::size_t to, Dates& dates, std::uint64_t& nextId);
    // Appends the records of part, which it leaves empty, giving them ids from nextId (if not 0).
    void TakeRecords(TTodoData& part, std::uint64_t& nextId);

    // Records are carved from blocks of a few hundred, so that loading many items costs one
    // allocation per item (its text) rather than two; a deleted record waits for the next.
    class TRecordPool {
    public:
        Tdata* Take();
        void Return(Tdata* record);
        // Takes over the records of other, whose own are then gone.
        void Adopt(TRecordPool& other);

    private:
        static constexpr std::size_t kBlock = 256;
        std::vector<std::unique_ptr<Tdata[]>> blocks_;
        std::size_t usedInLast_ = kBlock;
        std::vector<Tdata*> free_;
    };
    struct TReturnRecord {
        TRecordPool* pool = nullptr;
        void operator()(Tdata* record) const { pool->Return(record); }
    };
    using TRecord = std::unique_ptr<Tdata, TReturnRecord>;
    TRecord NewRecord();

    std::unique_ptr<TRecordPool> pool_;  // on the heap, so that a moved list keeps its records
    std::vector<TRecord> items_;         // after pool_: destroyed before it
    std::uint64_t revision_ = 0;
};
