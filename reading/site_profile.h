#pragma once

#include <string_view>

#include "reading/reader_context.h"

namespace qingwu {

// The text of the item selected in 组合框1; empty when nothing is selected.
Text SelectedSiteName(const ReaderContext& ctx);

// Opens 记录集2 on the profile of the named website and reads one field (empty when the website
// has no profile row).
Text ReadSiteField(ReaderContext& ctx, const Text& siteName, std::string_view field);

// Marks the window busy (wait cursor) for the lifetime of the object.
class BusyScope {
  public:
    explicit BusyScope(MainWindowPort& window) : window_(window) { window_.SetBusy(true); }
    ~BusyScope() { window_.SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    MainWindowPort& window_;
};

}  // namespace qingwu
