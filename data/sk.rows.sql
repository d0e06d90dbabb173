-- Website profiles delivered with the reader: 青梧书屋, the demo site (qingwu-demo-site on
-- 127.0.0.1:18080). Patterns are ECMAScript-style, matched ignoring case over the whole page;
-- only a pattern's first group is used (the chapter pattern: group 1 completes the chapter's
-- address, group 2 is its name). 文章子序号 and 文章序号 in an address stand for the book's id
-- prefix and book number.
INSERT INTO 书库信息 (
    书库名称, 书库网站搜索页地址,
    作者正则, 书号正则, 书号前缀正则, 书名正则,
    书名前过滤文本, 书名后过滤文本,
    网址章节列表页, 网址章节内容页, 书库列出全部章节正则,
    章节序号前过滤文本, 章节序号后过滤文本, 章节名称前过滤文本, 章节名称后过滤文本,
    小说标题前过滤文本, 小说标题后过滤文本, 小说内容前过滤文本, 小说内容后过滤文本
) VALUES (
    '青梧书屋',
    'http://127.0.0.1:18080/modules/article/search.php',
    '<td class="even">([^<]*)</td>',
    '<td class="odd"><a href="/book/\d+/(\d+)/">',
    '<td class="odd"><a href="/book/(\d+)/\d+/">',
    '<td class="odd"><a href="/book/\d+/\d+/">([^<]*)</a></td>',
    '/">',
    '</a></td>',
    'http://127.0.0.1:18080/book/文章子序号/文章序号/',
    'http://127.0.0.1:18080/book/文章子序号/文章序号/',
    '<dd><a href="(\d+\.html)">([^<]*)</a></dd>',
    '<dd><a href="',
    '">',
    '">',
    '</a></dd>',
    '<div id="title">',
    '</div>',
    '<div id="content">',
    '</div>'
);
