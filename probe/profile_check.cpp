#include "probe/profile_check.h"

#include <unordered_map>

#include "probe/display.h"
#include "store/tables.h"
#include "text/gbk.h"
#include "web/regex_check.h"
#include "web/text_between.h"

namespace qingwu::probe {
namespace {

struct PatternNeed {
    std::string_view field;
    int groups;  // capture groups the reader uses
};

constexpr PatternNeed kPatterns[] = {
    {site_field::kAuthorPattern, 1},   {site_field::kBookIdPattern, 1},
    {site_field::kIdPrefixPattern, 1}, {site_field::kTitlePattern, 1},
    {site_field::kChapterPattern, 2},
};

// Fields the reader needs a value in; the filter texts it stores but never applies are not
// among them, and the start markers may be empty (the cut then starts at the page's start).
constexpr std::string_view kRequired[] = {
    site_field::kName,
    site_field::kSearchAddress,
    site_field::kAuthorPattern,
    site_field::kBookIdPattern,
    site_field::kIdPrefixPattern,
    site_field::kTitlePattern,
    site_field::kChapterListTemplate,
    site_field::kChapterPageTemplate,
    site_field::kChapterPattern,
    site_field::kHeadingAfter,
    site_field::kContentAfter,
};

bool HasPlaceholder(const Text& addressTemplate) {
    static const Text kBookId = Utf8ToGbk("文章序号");
    static const Text kIdPrefix = Utf8ToGbk("文章子序号");
    return Find(addressTemplate, kBookId, 1) > 0 || Find(addressTemplate, kIdPrefix, 1) > 0;
}

bool IsWebAddress(const Text& address) {
    const auto startsWith = [&address](TextView prefix) {
        if (address.size() < prefix.size()) {
            return false;
        }
        for (size_t i = 0; i < prefix.size(); ++i) {
            char c = address[i];
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
            if (c != prefix[i]) {
                return false;
            }
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}

}  // namespace

std::vector<Finding> CheckProfile(const SiteProfile& profile) {
    std::vector<Finding> findings;
    for (const std::string_view field : kRequired) {
        if (profile.Get(field).empty()) {
            findings.push_back({true, field, "is empty"});
        }
    }
    for (const PatternNeed& need : kPatterns) {
        const Text& pattern = profile.Get(need.field);
        if (pattern.empty()) {
            continue;
        }
        std::string error;
        int offset = -1;
        if (!CheckPattern(pattern, &error, &offset)) {
            findings.push_back({true, need.field,
                                "does not compile at character " + std::to_string(offset) + ": " +
                                    error + " (" + MarkOffset(pattern, offset) + ")"});
            continue;
        }
        const int groups = CaptureGroupCount(pattern);
        if (groups < need.groups) {
            findings.push_back(
                {true, need.field,
                 "has " + std::to_string(groups) + " capture group(s), the reader needs " +
                     std::to_string(need.groups) +
                     (need.groups == 1 ? " (group 1 is the value)"
                                       : " (group 1 is the chapter number, group 2 its name)")});
        }
    }
    const Text& listTemplate = profile.Get(site_field::kChapterListTemplate);
    if (!listTemplate.empty() && !HasPlaceholder(listTemplate)) {
        findings.push_back({true, site_field::kChapterListTemplate,
                            "has neither 文章序号 nor 文章子序号: every book gets the same "
                            "chapter list"});
    }
    const Text& pageTemplate = profile.Get(site_field::kChapterPageTemplate);
    if (!pageTemplate.empty() && !HasPlaceholder(pageTemplate)) {
        findings.push_back({false, site_field::kChapterPageTemplate,
                            "has neither 文章序号 nor 文章子序号: chapter numbers must then be "
                            "unique across the whole website"});
    }
    const Text& searchAddress = profile.Get(site_field::kSearchAddress);
    if (!searchAddress.empty() && !IsWebAddress(searchAddress)) {
        findings.push_back(
            {false, site_field::kSearchAddress, "does not begin with http:// or https://"});
    }
    if (profile.Get(site_field::kHeadingBefore).empty()) {
        findings.push_back({false, site_field::kHeadingBefore,
                            "is empty: the title is cut from the page's start"});
    }
    if (profile.Get(site_field::kContentBefore).empty()) {
        findings.push_back({false, site_field::kContentBefore,
                            "is empty: the content is cut from the page's start"});
    }
    return findings;
}

std::vector<std::vector<Finding>> CheckProfiles(const std::vector<SiteProfile>& rows) {
    std::vector<std::vector<Finding>> all;
    all.reserve(rows.size());
    std::unordered_map<Text, size_t> firstRowOfName;
    for (size_t i = 0; i < rows.size(); ++i) {
        std::vector<Finding> findings = CheckProfile(rows[i]);
        if (!rows[i].Name().empty()) {
            const auto [at, fresh] = firstRowOfName.emplace(rows[i].Name(), i);
            if (!fresh) {
                findings.push_back({true, site_field::kName,
                                    "repeats the name of row " + std::to_string(at->second) +
                                        ": the reader only ever finds that row"});
            }
        }
        all.push_back(std::move(findings));
    }
    return all;
}

bool HasError(const std::vector<Finding>& findings) {
    for (const Finding& finding : findings) {
        if (finding.error) {
            return true;
        }
    }
    return false;
}

}  // namespace qingwu::probe
