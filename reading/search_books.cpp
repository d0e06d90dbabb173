#include "reading/search_books.h"

#include <string>

#include "reading/site_profile.h"
#include "store/tables.h"
#include "web/fetch_page.h"
#include "web/regex_matcher.h"

namespace qingwu {
namespace {

using control::分组框搜索;
using control::编辑框书名;
using control::超级列表框搜索结果;

// One parsing pass: the pass's pattern, looked up again from the website selected now, run over
// the result page; action(i, v) for every match i (from 1) with its first group v.
template <typename Action>
void RunPass(ReaderContext& ctx, const Text& page, std::string_view patternField, Action&& action) {
    RegexMatcher matcher;
    const Text pattern = ReadSiteField(ctx, SelectedSiteName(ctx), patternField);
    // A website without a profile row reads as empty patterns, and the empty pattern matches an
    // empty page once: such a pass finds nothing, so the search ends with its failure message.
    if (pattern.empty() || !matcher.Create(pattern, true, false, true)) {
        return;
    }
    const int n = matcher.Execute(page);
    for (int i = 1; i <= n; ++i) {
        action(i, matcher.SubMatchText(i, 1));
    }
}

}  // namespace

void SearchBooks(ReaderContext& ctx) {
    MainWindowPort& w = ctx.window;
    OpenBookState& state = ctx.state;

    w.RemoveAllRows(超级列表框搜索结果);
    const Text title = w.EditText(编辑框书名);
    if (title.empty()) {
        w.ShowMessage("请输入书名！", "错误！");
        return;
    }
    const uint64_t ticket = ++ctx.epochs.search;
    const auto overtaken = [&ctx, ticket] {
        return ctx.epochs.closing || ctx.epochs.search != ticket;
    };

    state.FoundBookIds.clear();
    state.FoundIdPrefixes.clear();

    const Text address = ReadSiteField(ctx, SelectedSiteName(ctx), site_field::kSearchAddress);
    const Text body = "searchclass=1&searchkey=" + title;
    Text page;
    {
        BusyScope busy(w);
        page = FetchPage(address, Text("POST"), std::nullopt, {}, body);
    }
    if (overtaken()) {
        return;
    }

    RunPass(ctx, page, site_field::kAuthorPattern, [&](int i, const Text& author) {
        const int row = w.InsertRow(超级列表框搜索结果, -1, std::to_string(i));
        w.SetCellText(超级列表框搜索结果, row, 1, author);
    });
    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }
    RunPass(ctx, page, site_field::kBookIdPattern,
            [&](int, const Text& id) { state.FoundBookIds.push_back(id); });
    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }
    RunPass(ctx, page, site_field::kIdPrefixPattern,
            [&](int, const Text& prefix) { state.FoundIdPrefixes.push_back(prefix); });
    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }
    RunPass(ctx, page, site_field::kTitlePattern, [&](int i, const Text& bookTitle) {
        w.SetCellText(超级列表框搜索结果, i - 1, 0, bookTitle);
    });
    w.ProcessPendingEvents();
    if (overtaken()) {
        return;
    }

    if (state.FoundBookIds.empty()) {
        w.ShowMessage("请检查输入的书名是否正确或该网站不存在此图书！", "错误信息");
        return;
    }
    w.SelectRowWithFocus(超级列表框搜索结果, 0);
    w.SetVisible(分组框搜索, true);
    // The searched website belongs to these results; it becomes the open book's website only
    // when one of them is opened.
    ctx.searchedSite = SelectedSiteName(ctx);
}

}  // namespace qingwu
