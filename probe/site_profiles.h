#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_set.h"
#include "store/tables.h"
#include "text/text.h"

namespace qingwu::probe {

// Every field of 书库信息, in the table's order.
inline constexpr std::array<std::string_view, 19> kSiteFields = {
    site_field::kName,
    site_field::kSearchAddress,
    site_field::kAuthorPattern,
    site_field::kBookIdPattern,
    site_field::kIdPrefixPattern,
    site_field::kTitlePattern,
    site_field::kTitleBefore,
    site_field::kTitleAfter,
    site_field::kChapterListTemplate,
    site_field::kChapterPageTemplate,
    site_field::kChapterPattern,
    site_field::kChapterNumberBefore,
    site_field::kChapterNumberAfter,
    site_field::kChapterNameBefore,
    site_field::kChapterNameAfter,
    site_field::kHeadingBefore,
    site_field::kHeadingAfter,
    site_field::kContentBefore,
    site_field::kContentAfter,
};

// One row of 书库信息, every field read as the reader reads it (GBK text, empty when absent).
struct SiteProfile {
    std::array<Text, kSiteFields.size()> values;

    // The value of a field named by one of the site_field constants; empty for any other name.
    const Text& Get(std::string_view field) const;
    const Text& Name() const { return Get(site_field::kName); }
};

// The profile file (sk.mdb) opened the way the reader opens it: read-write, never created.
class ProfileFile {
  public:
    ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // Opens the file at path (UTF-8). False when it does not exist or the store cannot open it;
    // error then says why.
    bool Open(const std::string& path, std::string* error);

    // Every row, in the order the store yields them (the order of the reader's website list).
    std::vector<SiteProfile> AllRows();

    // The row the reader's profile lookup finds for a website name (its first match).
    std::optional<SiteProfile> Find(const Text& siteName);

    // The store's messages for statements it refused since the file was opened (UTF-8).
    const std::vector<std::string>& StoreErrors() const { return storeErrors_; }

  private:
    SiteProfile ReadCurrent() const;

    DatabaseConnection connection_;
    RecordSet records_;
    std::vector<std::string> storeErrors_;
};

}  // namespace qingwu::probe
