#include "reading/book_opening.h"

#include <climits>
#include <string>
#include <vector>

#include "reading/chapter_reader.h"
#include "reading/site_profile.h"
#include "store/tables.h"
#include "text/gbk.h"
#include "web/fetch_page.h"
#include "web/regex_matcher.h"
#include "web/text_between.h"

namespace qingwu {
namespace {

using control::分组框我的书架;
using control::分组框搜索;
using control::组合框1;
using control::编辑框书名;
using control::超级列表框书架;
using control::超级列表框搜索结果;
using control::超级列表框章节列表;
using control::超级列表框页面列表;

// Every occurrence of placeholder in text replaced by value, scanning from the start by
// characters.
Text ReplaceAll(const Text& text, const Text& placeholder, const Text& value) {
    Text out;
    out.reserve(text.size());
    int from = 1;
    for (;;) {
        const int at = Find(text, placeholder, from);
        if (at < 0) {
            break;
        }
        out.append(text, from - 1, at - from);
        out += value;
        from = at + static_cast<int>(placeholder.size());
    }
    if (from - 1 < static_cast<int>(text.size())) {
        out.append(text, from - 1, std::string::npos);
    }
    return out;
}

// The leading decimal number of a stored chapter text, truncated toward zero; 0 for an empty or
// non-numeric text.
int LeadingNumber(const Text& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

// Fetches the chapter list of the book being opened; false when the opening was overtaken by a
// newer one (or the window is closing) and must stop without writing more.
bool LoadChapterListFor(ReaderContext& ctx, uint64_t ticket) {
    MainWindowPort& w = ctx.window;
    const auto overtaken = [&ctx, ticket] {
        return ctx.epochs.closing || ctx.epochs.opening != ticket;
    };
    w.ProcessPendingEvents();
    if (overtaken()) {
        return false;
    }
    w.RemoveAllRows(超级列表框章节列表);
    w.RemoveAllRows(超级列表框页面列表);
    Text page;
    {
        BusyScope busy(w);
        page = FetchPage(ctx.state.ChapterListAddress);
    }
    if (overtaken()) {
        return false;
    }
    ParseChapterList(ctx, page);
    w.ProcessPendingEvents();
    return !overtaken();
}

}  // namespace

Text FillAddressTemplate(const Text& addressTemplate, const Text& bookId, const Text& idPrefix) {
    static const Text kIdPrefixPlaceholder = Utf8ToGbk("文章子序号");
    static const Text kBookIdPlaceholder = Utf8ToGbk("文章序号");
    return ReplaceAll(ReplaceAll(addressTemplate, kIdPrefixPlaceholder, idPrefix),
                      kBookIdPlaceholder, bookId);
}

void OpenSearchResult(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    OpenBookState& state = ctx.state;

    // A click without a selected row, or on a row the id or prefix pass found nothing for, opens
    // nothing.
    const int r = w.SelectedRow(超级列表框搜索结果);
    if (r < 0 || r >= static_cast<int>(state.FoundBookIds.size()) ||
        r >= static_cast<int>(state.FoundIdPrefixes.size())) {
        return;
    }
    const uint64_t ticket = ++ctx.epochs.opening;

    // Everything about the book comes from the website its search ran on.
    const Text site = ctx.searchedSite;
    OpenRecordSet(ctx.records2, sql::kSiteProfile, RecordSource::SqlStatement, {site});
    state.ChapterListAddress = ReadText(ctx.records2, site_field::kChapterListTemplate);
    state.ChapterPageAddress = ReadText(ctx.records2, site_field::kChapterPageTemplate);

    w.SetVisible(分组框搜索, false);

    const Text prefix = state.FoundIdPrefixes[r];
    const Text id = state.FoundBookIds[r];
    state.ChapterListAddress = FillAddressTemplate(state.ChapterListAddress, id, prefix);
    state.ChapterPageAddress = FillAddressTemplate(state.ChapterPageAddress, id, prefix);

    state.BookTitle = w.CellText(超级列表框搜索结果, r, 0);
    state.Author = w.CellText(超级列表框搜索结果, r, 1);
    state.BookId = id;
    state.BookIdPrefix = prefix;
    state.SiteName = site;

    if (!LoadChapterListFor(ctx, ticket)) {
        return;
    }
    ShowChapter(ctx, 0);
    if (!ctx.epochs.closing && ctx.epochs.opening == ticket) {
        w.SelectRowWithFocus(超级列表框章节列表, 0);
    }
}

void OpenShelfEntry(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    OpenBookState& state = ctx.state;

    const int r = w.SelectedRow(超级列表框书架);
    const Text title = w.CellText(超级列表框书架, r, 0);
    const Text site = w.CellText(超级列表框书架, r, 3);
    const uint64_t ticket = ++ctx.epochs.opening;

    OpenRecordSet(ctx.records1, sql::kShelfEntryToReopen, RecordSource::SqlStatement,
                  {title, site});
    OpenRecordSet(ctx.records2, sql::kSiteProfile, RecordSource::SqlStatement, {site});
    state.ChapterListAddress = ReadText(ctx.records2, site_field::kChapterListTemplate);
    state.ChapterPageAddress = ReadText(ctx.records2, site_field::kChapterPageTemplate);

    const Text prefix = ReadText(ctx.records1, shelf_pos::kIdPrefix);
    const Text id = ReadText(ctx.records1, shelf_pos::kBookId);
    const Text storedChapter = ReadText(ctx.records1, shelf_pos::kChapter);
    // The author comes with the entry, so a reopened book never carries the previous book's.
    const Text author = ReadText(ctx.records1, shelf_pos::kAuthor);

    state.ChapterListAddress = FillAddressTemplate(state.ChapterListAddress, id, prefix);
    state.ChapterPageAddress = FillAddressTemplate(state.ChapterPageAddress, id, prefix);

    w.SetVisible(分组框我的书架, false);
    w.SetEditText(编辑框书名, title);

    state.SiteName = site;
    state.BookTitle = title;
    state.BookId = id;
    state.BookIdPrefix = prefix;
    state.Author = author;

    const int items = w.ItemCount(组合框1);
    for (int i = 0; i < items; ++i) {
        if (w.ItemText(组合框1, i) == state.SiteName) {
            w.SetSelectedIndex(组合框1, i);
            break;
        }
    }

    if (!LoadChapterListFor(ctx, ticket)) {
        return;
    }
    const int n = LeadingNumber(storedChapter);
    ShowChapter(ctx, n);
    if (!ctx.epochs.closing && ctx.epochs.opening == ticket) {
        w.SelectRowWithFocus(超级列表框章节列表, n);
    }
}

void LoadChapterList(ReaderContext& ctx) {
    LoadChapterListFor(ctx, ++ctx.epochs.opening);
}

void ParseChapterList(ReaderContext& ctx, const Text& page) {
    MainWindowPort& w = ctx.window;
    RegexMatcher matcher;
    // The chapter pattern of the open book's own website.
    const Text pattern = ReadSiteField(ctx, ctx.state.SiteName, site_field::kChapterPattern);
    if (matcher.Create(pattern, true, false, true)) {
        const int count = matcher.Execute(page);
        if (count > 0) {
            const int groups = matcher.SubMatchCount();
            static const Text kColumnCaption = Utf8ToGbk("子匹配文本(");
            for (int g = 1; g <= groups; ++g) {
                w.AddColumn(超级列表框页面列表, kColumnCaption + std::to_string(g) + ")", 150);
            }
            if (groups >= 1) {
                std::vector<Text> numbers;
                std::vector<Text> names;
                numbers.reserve(count);
                names.reserve(count);
                for (int j = 1; j <= count; ++j) {
                    numbers.push_back(matcher.SubMatchText(j, 1));
                    names.push_back(matcher.SubMatchText(j, 2));
                }
                w.AppendRows(超级列表框页面列表, numbers);
                w.AppendRows(超级列表框章节列表, names);
            }
            w.ProcessPendingEvents();
        }
    }
}

}  // namespace qingwu
