#pragma once

#include <string_view>

namespace qingwu {

// Tables and fields of the two database files. Names are UTF-8, as the schema spells them.
namespace table {
inline constexpr std::string_view kSettings = "设置";   // db1.mdb: reader settings, one row
inline constexpr std::string_view kShelf = "书签列表";  // db1.mdb: the bookshelf
inline constexpr std::string_view kSites = "书库信息";  // sk.mdb: website profiles
}  // namespace table

// 设置: two integer fields, addressed by position.
namespace settings_pos {
inline constexpr int kFontSize = 0;          // 字体大小
inline constexpr int kBackgroundColour = 1;  // 背景颜色
}  // namespace settings_pos

// 书签列表: seven text fields, addressed by position.
namespace shelf_pos {
inline constexpr int kBookTitle = 0;  // 书籍名称
inline constexpr int kAuthor = 1;     // 作者
inline constexpr int kBookId = 2;     // 书号
inline constexpr int kBookmark = 3;   // 书签: title of the chapter last shown
inline constexpr int kIdPrefix = 4;   // 书号前缀
inline constexpr int kChapter = 5;    // 当前章节: 0-based row, decimal text
inline constexpr int kSite = 6;       // 书库
}  // namespace shelf_pos

// 书库信息: every field is text and is addressed by name.
namespace site_field {
inline constexpr std::string_view kName = "书库名称";
inline constexpr std::string_view kSearchAddress = "书库网站搜索页地址";
inline constexpr std::string_view kAuthorPattern = "作者正则";
inline constexpr std::string_view kBookIdPattern = "书号正则";
inline constexpr std::string_view kIdPrefixPattern = "书号前缀正则";
inline constexpr std::string_view kTitlePattern = "书名正则";
inline constexpr std::string_view kTitleBefore = "书名前过滤文本";
inline constexpr std::string_view kTitleAfter = "书名后过滤文本";
inline constexpr std::string_view kChapterListTemplate = "网址章节列表页";
inline constexpr std::string_view kChapterPageTemplate = "网址章节内容页";
inline constexpr std::string_view kChapterPattern = "书库列出全部章节正则";
inline constexpr std::string_view kChapterNumberBefore = "章节序号前过滤文本";
inline constexpr std::string_view kChapterNumberAfter = "章节序号后过滤文本";
inline constexpr std::string_view kChapterNameBefore = "章节名称前过滤文本";
inline constexpr std::string_view kChapterNameAfter = "章节名称后过滤文本";
inline constexpr std::string_view kHeadingBefore = "小说标题前过滤文本";
inline constexpr std::string_view kHeadingAfter = "小说标题后过滤文本";
inline constexpr std::string_view kContentBefore = "小说内容前过滤文本";
inline constexpr std::string_view kContentAfter = "小说内容后过滤文本";
}  // namespace site_field

// Every statement the program issues. Values are bound to the '?' placeholders, never spliced.
namespace sql {
// The profile of one website (value: the website name).
inline constexpr std::string_view kSiteProfile = "Select * from 书库信息 where 书库名称 = ?";
// Is the open book on the shelf (values: title, website).
inline constexpr std::string_view kShelfEntryOfBook =
    "select * from 书签列表 where 书籍名称 = ? and 书库 = ?";
// Is a book of this title on the shelf, under any website (value: title).
inline constexpr std::string_view kShelfEntriesWithTitle =
    "select * from 书签列表 where 书籍名称 = ?";
// The shelf entry to reopen (values: title, website).
inline constexpr std::string_view kShelfEntryToReopen =
    "SELECT * FROM 书签列表 where 书籍名称=? and 书库 = ?";
// The shelf entry to delete (values: title, website).
inline constexpr std::string_view kShelfEntryToDelete =
    "Select * from 书签列表 WHERE 书籍名称 = ? and 书库 = ?";
}  // namespace sql

}  // namespace qingwu
