#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "probe/site_profiles.h"

namespace qingwu::probe {

// A fault of a profile row. An error keeps the reader from using the row as intended; a warning
// names something that works but is unusual.
struct Finding {
    bool error = true;
    std::string_view field;  // the field concerned; empty for the row as a whole
    std::string message;     // UTF-8
};

// Checks one row on its own: empty required fields, patterns that do not compile or lack the
// capture groups the reader uses, address templates without placeholders, empty end markers.
std::vector<Finding> CheckProfile(const SiteProfile& profile);

// Checks every row; a row whose name an earlier row already has is unreachable (the reader's
// lookups find the first). Result [i] belongs to rows[i].
std::vector<std::vector<Finding>> CheckProfiles(const std::vector<SiteProfile>& rows);

bool HasError(const std::vector<Finding>& findings);

}  // namespace qingwu::probe
