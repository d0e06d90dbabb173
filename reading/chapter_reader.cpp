#include "reading/chapter_reader.h"

#include <cstdio>
#include <memory>

#include "reading/site_profile.h"
#include "shelf/bookshelf.h"
#include "store/tables.h"
#include "web/fetch_page.h"
#include "web/text_between.h"

namespace qingwu {
namespace {

using control::组合框字体大小;
using control::组合框背景颜色;
using control::超级列表框章节列表;
using control::超级列表框页面列表;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Replaces the file's whole content with the bytes; a failure (no data folder, read-only disk)
// is ignored, as the view is pointed at the path regardless.
void WriteWholeFile(const std::string& path, const Text& bytes) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    }
}

// True when `next` is a row of the chapter list; shows the message otherwise.
bool IsChapterRow(ReaderContext& ctx, long long next, const char* message) {
    const int count = ctx.window.RowCount(超级列表框章节列表);
    if (next < 0 || next >= count) {
        ctx.window.ShowMessage(message, "错误信息");
        return false;
    }
    return true;
}

void StepToChapter(ReaderContext& ctx, int next) {
    MainWindowPort& w = ctx.window;
    w.SetSelectedRow(超级列表框章节列表, ctx.state.ChapterIndex);
    ShowChapter(ctx, next);
    // An overtaking show (another step, a row activation) owns the selection.
    if (!ctx.epochs.closing && ctx.state.ChapterIndex == next) {
        w.SetSelectedRow(超级列表框章节列表, next);
    }
}

}  // namespace

Text ColourValue(int colourIndex) {
    switch (colourIndex) {
        case 1:
            return "beige";
        case 2:
            return "aliceblue";
        case 3:
            return "#D7D7D7";
        default:
            return {};
    }
}

Text HeadingLevel(int sizeIndex) {
    return (sizeIndex >= 0 && sizeIndex <= 2) ? std::to_string(sizeIndex + 1) : Text("0");
}

Text BuildChapterPage(const Text& colour, const Text& headingLevel, const Text& title,
                      const Text& content) {
    Text page;
    page.reserve(64 + colour.size() + title.size() + content.size());
    page += "<html><body bgcolor=\"";
    page += colour;
    page += "\"><h";
    page += headingLevel;
    page += ">";
    page += title;
    page += content;
    page += "</h";
    page += headingLevel;
    page += "></body></html>";
    return page;
}

void ShowChapter(ReaderContext& ctx, int n) {
    MainWindowPort& w = ctx.window;
    OpenBookState& state = ctx.state;
    const uint64_t ticket = ++ctx.epochs.chapter;
    const auto overtaken = [&ctx, ticket] {
        return ctx.epochs.closing || ctx.epochs.chapter != ticket;
    };

    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }
    w.RepaintView();

    const Text address = state.ChapterPageAddress + w.CellText(超级列表框页面列表, n, 0);
    Text page;
    {
        BusyScope busy(w);
        page = FetchPage(address);
    }
    if (overtaken()) {
        return;
    }

    // The markers of the open book's own website.
    OpenRecordSet(ctx.records2, sql::kSiteProfile, RecordSource::SqlStatement, {state.SiteName});
    const Text contentBefore = ReadText(ctx.records2, site_field::kContentBefore);
    const Text contentAfter = ReadText(ctx.records2, site_field::kContentAfter);
    const Text titleBefore = ReadText(ctx.records2, site_field::kHeadingBefore);
    const Text titleAfter = ReadText(ctx.records2, site_field::kHeadingAfter);
    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }

    const Text title = TextBetween(page, titleBefore, titleAfter);
    const Text content = TextBetween(page, contentBefore, contentAfter);
    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }

    const Text colour = ColourValue(w.SelectedIndex(组合框背景颜色));
    const Text level = HeadingLevel(w.SelectedIndex(组合框字体大小));
    const std::string path = ctx.ChapterPagePath();
    WriteWholeFile(path, BuildChapterPage(colour, level, title, content));
    state.ChapterTitle = title;
    w.ShowPageFile(path);
    w.FocusView();
    state.ChapterIndex = n;
    UpdateBookmark(ctx);
    w.ProcessPendingEvents();
}

void NextChapter(ReaderContext& ctx) {
    // Computed wide: a stored chapter held to the integer range must not overflow here.
    const long long next = static_cast<long long>(ctx.state.ChapterIndex) + 1;
    if (IsChapterRow(ctx, next, "这已经是最后一章了!")) {
        StepToChapter(ctx, static_cast<int>(next));
    }
}

void PreviousChapter(ReaderContext& ctx) {
    const long long previous = static_cast<long long>(ctx.state.ChapterIndex) - 1;
    if (IsChapterRow(ctx, previous, "这已经是第一章了!")) {
        StepToChapter(ctx, static_cast<int>(previous));
    }
}

void ShowSelectedChapter(ReaderContext& ctx) {
    const int row = ctx.window.SelectedRow(超级列表框章节列表);
    if (row >= 0) {
        ShowChapter(ctx, row);
    }
}

void SaveReaderSettings(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    // Delete, add and save as one transaction: a crash half-way never leaves 设置 without its row.
    InTransaction(ctx.records1, [&] {
        OpenRecordSet(ctx.records1, table::kSettings, RecordSource::TableName);
        DeleteRecords(ctx.records1, DeleteScope::WholeTable);
        AddRecord(ctx.records1);
        WriteInteger(ctx.records1, settings_pos::kFontSize, w.SelectedIndex(组合框字体大小));
        WriteInteger(ctx.records1, settings_pos::kBackgroundColour,
                     w.SelectedIndex(组合框背景颜色));
        SaveRecord(ctx.records1);
    });
    if (w.SelectedRow(超级列表框章节列表) >= 0) {
        ShowChapter(ctx, ctx.state.ChapterIndex);
    }
}

}  // namespace qingwu
