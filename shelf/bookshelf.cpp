#include "shelf/bookshelf.h"

#include <cstdio>
#include <string>

#include "store/tables.h"

namespace qingwu {
namespace {

using control::超级列表框书架;

constexpr const char* kCaptionNotice = "提示";
constexpr const char* kRefusedMessage = "无图书或已存在图书！";

}  // namespace

void LoadShelfList(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    w.RemoveAllRows(超级列表框书架);
    OpenRecordSet(ctx.records1, table::kShelf, RecordSource::TableName);
    const int n = RecordCount(ctx.records1);
    for (int i = 0; i < n; ++i) {
        const int row =
            w.InsertRow(超级列表框书架, -1, ReadText(ctx.records1, shelf_pos::kBookTitle));
        w.SetCellText(超级列表框书架, row, 1, ReadText(ctx.records1, shelf_pos::kAuthor));
        w.SetCellText(超级列表框书架, row, 2, ReadText(ctx.records1, shelf_pos::kBookmark));
        w.SetCellText(超级列表框书架, row, 3, ReadText(ctx.records1, shelf_pos::kSite));
        MoveNext(ctx.records1);
    }
}

void AddBookToShelf(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    const OpenBookState& state = ctx.state;
    if (state.BookTitle.empty()) {
        w.ShowMessage(kRefusedMessage, kCaptionNotice);
        return;
    }
    OpenRecordSet(ctx.records1, sql::kShelfEntryOfBook, RecordSource::SqlStatement,
                  {state.BookTitle, state.SiteName});
    if (RecordCount(ctx.records1) != 0) {
        w.ShowMessage(kRefusedMessage, kCaptionNotice);
        return;
    }
    OpenRecordSet(ctx.records1, table::kShelf, RecordSource::TableName);
    AddRecord(ctx.records1);
    WriteText(ctx.records1, shelf_pos::kBookTitle, state.BookTitle);
    WriteText(ctx.records1, shelf_pos::kAuthor, state.Author);
    WriteText(ctx.records1, shelf_pos::kBookId, state.BookId);
    WriteText(ctx.records1, shelf_pos::kBookmark, state.ChapterTitle);
    WriteText(ctx.records1, shelf_pos::kIdPrefix, state.BookIdPrefix);
    WriteText(ctx.records1, shelf_pos::kChapter, std::to_string(state.ChapterIndex));
    WriteText(ctx.records1, shelf_pos::kSite, state.SiteName);
    // A file that cannot be written (read-only, locked by another program) must not be reported
    // as a successful add: the store's own reason is shown instead.
    const bool saved = SaveRecord(ctx.records1);
    const std::string reason = saved ? std::string() : LastStoreError(ctx.records1);
    LoadShelfList(ctx);
    if (!saved) {
        if (!reason.empty()) {  // a closed file has already said so when it was opened
            w.ShowMessage(reason, "错误");
        }
        return;
    }
    w.ShowMessage("添加成功", kCaptionNotice);
}

void UpdateBookmark(ReaderContext& ctx) {
    const OpenBookState& state = ctx.state;
    OpenRecordSet(ctx.records1, sql::kShelfEntryOfBook, RecordSource::SqlStatement,
                  {state.BookTitle, state.SiteName});
    if (RecordCount(ctx.records1) == 0) {
        return;
    }
    WriteText(ctx.records1, shelf_pos::kBookmark, state.ChapterTitle);
    WriteText(ctx.records1, shelf_pos::kChapter, std::to_string(state.ChapterIndex));
    SaveRecord(ctx.records1);
    LoadShelfList(ctx);
}

void DeleteShelfEntry(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    const int r = w.SelectedRow(超级列表框书架);
    // Without a selected row nothing is deleted, even a stored row whose title and website are
    // empty.
    if (r >= 0) {
        const Text title = w.CellText(超级列表框书架, r, 0);
        const Text site = w.CellText(超级列表框书架, r, 3);
        OpenRecordSet(ctx.records1, sql::kShelfEntryToDelete, RecordSource::SqlStatement,
                      {title, site});
        DeleteRecords(ctx.records1, DeleteScope::CurrentRecord);
        SaveRecord(ctx.records1);
    }
    LoadShelfList(ctx);
}

void OfferShelfOnClose(ReaderContext& ctx) {
    std::remove(ctx.ChapterPagePath().c_str());  // a missing file is fine
    OpenRecordSet(ctx.records1, sql::kShelfEntriesWithTitle, RecordSource::SqlStatement,
                  {ctx.state.BookTitle});
    if (RecordCount(ctx.records1) == 0 &&
        ctx.window.AskYesNo("不存在此图书，是否加入书架？", kCaptionNotice)) {
        AddBookToShelf(ctx);
    }
}

}  // namespace qingwu
