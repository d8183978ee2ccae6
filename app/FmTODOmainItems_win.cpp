// The main window's item commands: the menu, new and edit through the editor, copy, paste,
// cut and delete into the monthly archive, and sorting.
#include "app/FmTODOmain.h"

#include "app/FormVersionInfo.h"
#include "framework/Application.h"
#include "support/Clipboard_win.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/Shell.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"
#include "todo/FmTODOdata.h"
#include "todo/FormMessage.h"
#include "todo/ItemArchive.h"

namespace {

// What a paste takes at most as an item's text; an item line may be longer, by its fields and
// escapes, so that an item copied from the list pastes whole. Other text is read no further.
constexpr std::size_t kMaxPasteBytes = 1 << 20;
constexpr std::size_t kMaxPasteLineBytes = kMaxEscapedGrowth * (kMaxPasteBytes + 64) + 2 * kEscapedSlack + 32;

const char* const kSortEntries[] = {"PsDate", "PsCate", "PsText", "PsColor"};

// The shape of the program's own line: a date, a colour of hex digits, then the quoted text. A
// row of another program's values that merely starts with a date is text: its columns would
// become a colour, the text and the mark, and the second would be lost.
bool QuotesTextAfterColour(std::string_view line) {
    std::size_t i = line.find(',');
    if (i == std::string_view::npos) return false;
    const std::size_t colour = ++i;
    const auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
    while (i < line.size() && hex(line[i])) ++i;
    return i > colour && line.compare(i, 2, ",\"") == 0;
}

TMenuEntry Entry(const char* name, const char* caption, std::function<void()> onClick = {}) {
    TMenuEntry entry;
    entry.name = name;
    entry.caption = caption;
    entry.onClick = std::move(onClick);
    return entry;
}

TMenuEntry Separator(const char* name) { return Entry(name, "-"); }

}  // namespace

void TFmTODOmain::CreateMenu() {
    TMenuEntry sort = Entry("P1sort", "並べ替え(&S)");
    sort.items = {Entry("PsAuto", "自動並べ替え(&A)", [this] { PsAutoClick(); }),
                  Separator("N5"),
                  Entry("PsDate", "日付(&D)", [this] { SortBy(skDate); }),
                  Entry("PsCate", "分類(&G)", [this] { SortBy(skCategory); }),
                  Entry("PsText", "テキスト(&T)", [this] { SortBy(skText); }),
                  Entry("PsColor", "文字色(&L)", [this] { SortBy(skColor); })};
    PopupMenu1.items = {
        Entry("P1undo", "元に戻す(&U)\tCtrl+Z", [this] { UndoClick(); }),
        Entry("P1redo", "やり直し(&R)\tCtrl+Y", [this] { RedoClick(); }),
        Separator("N8"),
        Entry("P1todoCopy", "コピー(&C)\tCtrl+C", [this] { P1todoCopyClick(); }),
        Entry("P1todoInsert", "挿入(&V)\tCtrl+V", [this] { P1todoInsertClick(); }),
        Entry("P1TodoCut", "切り取り･削除(&X)\tCtrl+X", [this] { P1todoCutClick(); }),
        Separator("N7"),
        Entry("P1todoAdd", "新規(&N)\tCtrl+N", [this] { AddItemDialog(); }),
        Entry("P1todoEdit", "編集(&E)\tF2",
              [this] {
                  // Offered for the selected item: merged away while the menu was open, no new one.
                  if (Selection() < 0) return;
                  EditItemDialog(Selection());
                  UpdateWindow(Handle());
              }),
        Separator("N2"),
        sort,
        Separator("N3"),
        Entry("P1printer", "印刷(&P)"),
        Separator("N1"),
        Entry("P1option", "オプション設定(&O)...", [this] { P1optionClick(); }),
        Entry("P1Version", "バージョン情報(&A)...", [this] { P1VersionClick(); }),
        Entry("N6", "ヘルプ(&H)\tF1", [] { GlobalEnv.OpenHelp(); }),
        Separator("N9"),
        Entry("P1archive", "削除した項目(&D)...", [this] { P1archiveClick(); }),
        Separator("N4"),
        Entry("P1minimum", "最小化(&M)", [this] { TaskBarIcon1.Minimize(); }),
        Entry("P1exit", "終了(&Q)", [this] { PostMessageW(Handle(), WM_CLOSE, 0, 0); }),
    };
}

void TFmTODOmain::P1VersionClick() {
    Timer1.SetEnabled(false);
    RunGuarded([this] {
        TFormVersionInfo about(Handle());
        about.ShowModal();
    });
    Timer1.SetEnabled(true);  // also when the window could not be shown
}

void TFmTODOmain::OpenMenu(int screenX, int screenY) {
    PopupMenu1Popup();
    PopupMenu1.Popup(screenX, screenY);
}

void TFmTODOmain::PopupMenu1Popup() {
    // The refresh below lays the list out anew, which keeps the user's place and selection.
    TMenuEntry* autoSort = PopupMenu1.Find("PsAuto");
    autoSort->checked = !autoSort->checked;
    try {
        PsAutoClick();
    } catch (const EFileError& e) {
        Application.ShowException(e);  // a settings file that cannot be written keeps no menu closed
    }

    const bool hasSelection = ShownSelection() >= 0;
    for (const char* name : {"P1todoEdit", "P1TodoCut", "P1todoCopy"}) PopupMenu1.Find(name)->enabled = hasSelection;
    PopupMenu1.Find("P1undo")->enabled = Store.CanUndo();
    PopupMenu1.Find("P1redo")->enabled = Store.CanRedo();
    PopupMenu1.Find("P1todoAdd")->enabled = true;
    PopupMenu1.Find("P1todoInsert")->enabled = true;
    PopupMenu1.Find("P1printer")->visible = false;
}

void TFmTODOmain::SaveItems() {
    const std::uint64_t revision = Items.Revision();
    try {
        Store.Save();  // other programs' changes are merged in first
        TellLossyRead();
    } catch (const EFileError&) {
        TellLossyRead();
        // A merge may have come before the write failed: the rows must not stand for the old
        // list, where a click would select another item than the one it shows.
        if (Items.Revision() != revision) LayoutList();
        // An item file that cannot be read yet is tried again at the next change and at the
        // end; the items stay in memory meanwhile.
        if (!Store.FileUnread()) throw;
        return;
    }
    if (Items.Revision() != revision) LayoutList();  // a merge brought changes
}

void TFmTODOmain::TellLossyRead() {
    // An editor's UTF-8 file may hold characters the item file cannot (accented letters, emoji).
    if (Store.TakeLossyRead())
        Application.ReportError(
            "todo.txt の Shift-JIS にない文字を「?」にしました。\r\n"
            "保存すると「?」のまま書き込まれます。");
}

void TFmTODOmain::SaveItemsAtExit() {
    try {
        Store.Save();
    } catch (const std::exception& e) {  // any failure, not only a file's, leaves the items unsaved
        if (Store.Count() == 0) throw;  // nothing of the session's to keep: the failure alone is told
        std::string aside;
        try {
            aside = Store.SaveAside(NowDateTime());
        } catch (const std::exception& beside) {
            // Nothing can be written beside the item file (a full disk, a write-protected stick,
            // a share gone): the user's documents take the items.
            const std::string documents = FindSpecialFolder(kFolderDocuments);
            const std::string failed = std::string(e.what()) + "\r\n" + beside.what();
            if (documents.empty()) throw EFileError(failed);
            try {
                aside = Store.SaveAside(NowDateTime(), documents.back() == '\\' ? documents : documents + "\\");
            } catch (const std::exception&) {
                throw EFileError(failed);
            }
        }
        throw EFileError(std::string(e.what()) + "\r\n項目は次のファイルに保存しました:\r\n" + aside);
    }
}

void TFmTODOmain::ItemFileChanged() {
    // A question or editor is open: the file is looked at once it has closed (or merged by the
    // save that ends it); the watcher tells of a change only once.
    const bool modal = Application.ModalLevel() > 0;
    FileCheckTimer.SetEnabled(modal);
    if (modal) return;
    const TTodoStore::TFileState state = Store.CheckFile();
    TellLossyRead();
    switch (state) {
        case TTodoStore::TFileState::Merged: LayoutList(); break;
        case TTodoStore::TFileState::NeedsConfirmation:
            if (AskTakeFileList())
                Store.TakeFileList();
            else
                Store.KeepOwnList();
            LayoutList();
            SaveItems();
            break;
        default: break;
    }
}

bool TFmTODOmain::AskTakeFileList() {
    return AskMessage("Memorail.exe:項目ファイルの変更",
                      "todo.txt の項目の多くが削除されました。\r\nファイルの内容を採用しますか？",
                      {"はい", "いいえ"}) == 1;
}

void TFmTODOmain::UndoClick() {
    if (!Store.Undo()) return;
    FollowSortChoice();
    LayoutList();
    SaveItems();
}

void TFmTODOmain::RedoClick() {
    if (!Store.Redo()) return;
    FollowSortChoice();
    LayoutList();
    SaveItems();
}

void TFmTODOmain::FollowSortChoice() {
    // An undone or redone sort brings its choice back; automatic sorting would undo it again.
    const TTodoStore::TSortChoice sort = Store.SortChoice();
    if (sort.key < 0) return;
    MainSettings.Write(keys::SortType, sort.key);
    MainSettings.Write(keys::SortOrder, sort.descending);
}

void TFmTODOmain::AddItemDialog() {
    {
        TFmTODOdata editor(Handle());
        editor.SetDate(static_cast<TDateTime>(static_cast<long long>(NowDateTime())));
        editor.SetColor(static_cast<std::int32_t>(NewTextColor));
        if (editor.ShowModal() == TForm::mrOk) {
            Tdata item;
            item.Date = editor.Date();  // midnight: a new record's time of day is 0
            item.Text = editor.Text();
            item.Color = editor.Color();
            item.Category = editor.Category();
            List.Select(Store.IndexOf(Store.Add(item)));
            NewTextColor = static_cast<COLORREF>(editor.Color());
        }
    }
    LayoutList();
    List.ShowSelection();
    MainSettings.Write(keys::NewTextColor, static_cast<int>(NewTextColor));
    SaveItems();
}

void TFmTODOmain::EditItemDialog(int index) {
    if (index < 0 || index >= Items.Count()) return AddItemDialog();
    const Tdata* record = Items.Record(index);
    {
        TFmTODOdata editor(Handle());
        editor.SetDate(Items.GetDate(index));
        editor.SetText(Items.GetText(index));
        editor.SetColor(Items.GetColor(index));
        editor.SetCategory(Items.GetCategory(index));
        const bool ok = editor.ShowModal() == TForm::mrOk;
        // The list cannot change while the editor runs modally, but the record is looked up again all the same.
        index = Items.IndexOfRecord(record);
        if (ok && index >= 0) {
            Tdata item = Items.Item(index);
            item.Date = HasDate(editor.Date()) ? WithTimeOfDay(editor.Date(), item.Date) : kNoDate;
            item.Text = editor.Text();
            item.Color = editor.Color();
            item.Category = editor.Category();
            Store.Edit(item.Id, item);
        }
        if (index >= 0) List.Select(index);
    }
    LayoutList();  // shown before the save, which may fail or ask
    List.ShowSelection();
    SaveItems();
}

bool TFmTODOmain::P1todoCopyClick() {
    const int selected = Selection();
    if (selected < 0) return false;
    // NULs (a damaged block read from the file) are no text, and clipboard text ends at the
    // first: the line would paste as its head only, the item turned into plain text.
    std::string line = Items.ItemToLine(selected);
    std::erase(line, '\0');
    if (SetClipboardText(Handle(), line)) return true;
    Application.ReportError("クリップボードに書き込めません");
    return false;
}

void TFmTODOmain::PasteItem(int index) {
    std::wstring lost;
    bool opened = false;
    std::string line = GetClipboardText(Handle(), kMaxPasteBytes, &lost, &opened);
    // An item line that fills the read may be one copied from the list: it is read again whole.
    if (opened && line.size() + 1 >= kMaxPasteBytes && QuotesTextAfterColour(line))
        line = GetClipboardText(Handle(), kMaxPasteLineBytes, &lost, &opened);
    // Another program holding the clipboard is no empty text.
    if (!opened) return Application.ReportError("クリップボードを読めません");
    // A line copied from an editor brings its line break. One item line is that item; any other
    // text, several lines of them too, is the new item's text as it stands, not fields or escapes.
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    // An item line may come with blanks after its closing quote (an editor's, a web page's):
    // read into the mark, they brought the quote along.
    std::string_view itemLine = line;
    while (!itemLine.empty() && (itemLine.back() == ' ' || itemLine.back() == '\t')) itemLine.remove_suffix(1);
    Tdata item;
    if (line.find_first_of("\r\n") != std::string::npos || !QuotesTextAfterColour(itemLine) ||
        !TTodoData::ParseItemLine(itemLine, item)) {
        TTodoData plain;
        plain.LineToItem(plain.NewItem(), "");  // due now, without a colour or a mark
        item = plain.Item(0);
        item.Text = CutToWholeCharacters(line, kMaxPasteBytes);
    }
    if (item.Color == NoColor) item.Color = static_cast<std::int32_t>(NewTextColor);
    List.Select(Store.IndexOf(Store.Add(item, index < 0 || index >= Items.Count() ? 0 : index)));
    LayoutList();
    List.ShowSelection();
    if (!lost.empty()) {
        // Before the save, which may fail and end the command; counted, like every question.
        // The first few characters: a text in another script lacks thousands, and a box that
        // listed them all would be taller than the screen, its button out of reach.
        constexpr std::size_t kShownLost = 40;
        if (lost.size() > kShownLost) {
            lost.resize(IS_HIGH_SURROGATE(lost[kShownLost - 1]) ? kShownLost - 1 : kShownLost);
            lost += L"…";
        }
        const TModalScope modal(Handle());
        MessageBoxW(Handle(), (ToWide("保存できない文字を「?」にしました: ") + lost).c_str(), L"Memorail",
                    MB_OK | MB_ICONWARNING);
    }
    SaveItems();
}

void TFmTODOmain::P1todoCutClick() {
    const int selected = Selection();
    if (selected < 0 || !P1todoCopyClick()) return;  // an item not on the clipboard stays in the list
    ArchiveItem(selected);
    UpdateWindow(Handle());
}

void TFmTODOmain::DeleteWithConfirmation() {
    const int selected = Selection();
    if (selected < 0) return;  // nothing to remove: no question, and no file is touched
    // The answer is for the item asked about, wherever the list has put it meanwhile.
    const Tdata* record = Items.Record(selected);
    if (AskMessage("Memorail.exe:削除の確認", "この項目を削除しますか？", {"はい", "いいえ"}) == 1)
        ArchiveItem(Items.IndexOfRecord(record));
}

void TFmTODOmain::ArchiveItem(int index) {
    if (index < 0 || index >= Items.Count()) return;
    // The item leaves the list only once its archive holds it; an error keeps it where it is.
    Store.Remove(Store.IdAt(index));
    LayoutList();
    SaveItems();
}

void TFmTODOmain::PsAutoClick() {
    TMenuEntry* autoSort = PopupMenu1.Find("PsAuto");
    autoSort->checked = !autoSort->checked;
    for (const char* name : kSortEntries) PopupMenu1.Find(name)->checked = false;
    const int type = MainSettings.Read(keys::SortType);
    if (autoSort->checked && type >= 0 && type < 4) PopupMenu1.Find(kSortEntries[type])->checked = true;
    SortAuto = autoSort->checked;
    MainSettings.Write(keys::SortAuto, SortAuto);
    if (SortAuto) LayoutList();
    MainSettings.Save();  // last: a file that cannot be written leaves the choice taken all the same
}

void TFmTODOmain::SortBy(int key) {
    Store.SetSortChoice({MainSettings.Read(keys::SortType), MainSettings.Read(keys::SortOrder)});
    MainSettings.Write(keys::SortOrder, Store.ToggleSort(key));
    MainSettings.Write(keys::SortType, key);
    LayoutList();  // keeps the selected item in view wherever the sort took it
    PaintList();
}
