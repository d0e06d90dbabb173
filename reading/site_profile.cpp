#include "reading/site_profile.h"

#include "store/tables.h"

namespace qingwu {

Text SelectedSiteName(const ReaderContext& ctx) {
    const int index = ctx.window.SelectedIndex(control::组合框1);
    return index < 0 ? Text() : ctx.window.ItemText(control::组合框1, index);
}

Text ReadSiteField(ReaderContext& ctx, const Text& siteName, std::string_view field) {
    OpenRecordSet(ctx.records2, sql::kSiteProfile, RecordSource::SqlStatement, {siteName});
    return ReadText(ctx.records2, field);
}

}  // namespace qingwu
