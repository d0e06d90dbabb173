// The delivered profile row of the demo site, read as the reader reads it: all nineteen fields
// in their order, addresses that name the demo site, templates that the book's numbers fill.

#include <gtest/gtest.h>

#include "store/tables.h"
#include "tests/demo/profile_patterns.h"
#include "text/gbk.h"

namespace qingwu::demo::testing {
namespace {

TEST(DeliveredProfile, IsOneRowOfTheNineteenFieldsInTheirOrder) {
    const ProfileRows profiles = LoadDeliveredProfiles();
    ASSERT_EQ(profiles.error, "");
    using namespace site_field;
    const std::vector<std::string> order = {std::string(kName),
                                            std::string(kSearchAddress),
                                            std::string(kAuthorPattern),
                                            std::string(kBookIdPattern),
                                            std::string(kIdPrefixPattern),
                                            std::string(kTitlePattern),
                                            std::string(kTitleBefore),
                                            std::string(kTitleAfter),
                                            std::string(kChapterListTemplate),
                                            std::string(kChapterPageTemplate),
                                            std::string(kChapterPattern),
                                            std::string(kChapterNumberBefore),
                                            std::string(kChapterNumberAfter),
                                            std::string(kChapterNameBefore),
                                            std::string(kChapterNameAfter),
                                            std::string(kHeadingBefore),
                                            std::string(kHeadingAfter),
                                            std::string(kContentBefore),
                                            std::string(kContentAfter)};
    EXPECT_EQ(profiles.columns, order);
    ASSERT_EQ(profiles.rows.size(), 1u);
    const auto& row = profiles.rows.front();
    EXPECT_EQ(row.at(std::string(kName)), Utf8ToGbk("青梧书屋"));
    // Every field the reader uses holds something; an empty pattern or marker finds nothing.
    for (const std::string& field : order) {
        SCOPED_TRACE(field);
        EXPECT_FALSE(row.at(field).empty());
    }
}

TEST(DeliveredProfile, AddressesNameTheDemoSiteAndCarryBothPlaceholders) {
    const ProfileRows profiles = LoadDeliveredProfiles();
    ASSERT_EQ(profiles.rows.size(), 1u);
    const auto& row = profiles.rows.front();
    const Text origin = "http://127.0.0.1:18080/";
    EXPECT_EQ(row.at("书库网站搜索页地址"), origin + "modules/article/search.php");
    for (const char* field : {"网址章节列表页", "网址章节内容页"}) {
        SCOPED_TRACE(field);
        const Text& address = row.at(field);
        EXPECT_EQ(address.substr(0, origin.size()), origin);
        EXPECT_NE(address.find(Utf8ToGbk("文章序号")), Text::npos);
        EXPECT_NE(address.find(Utf8ToGbk("文章子序号")), Text::npos);
    }
}

TEST(DeliveredProfile, ChapterPatternGivesTheAddressPartAndTheName) {
    const ProfileRows profiles = LoadDeliveredProfiles();
    ASSERT_EQ(profiles.rows.size(), 1u);
    const Text line = Utf8ToGbk("<DD><a href=\"12.html\">第十二章 雨夜</a></dd>\n");
    // Letter case of the markup does not matter: the reader matches ignoring case.
    EXPECT_EQ(MatchGroups(profiles.rows.front().at("书库列出全部章节正则"), line),
              (std::vector<std::vector<Text>>{{"12.html", Utf8ToGbk("第十二章 雨夜")}}));
}

}  // namespace
}  // namespace qingwu::demo::testing
