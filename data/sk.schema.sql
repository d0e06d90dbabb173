-- sk.mdb: one profile per supported novel website, maintained outside the reader. Every field
-- is text and is read by name; the rows are in sk.rows.sql.
CREATE TABLE 书库信息 (
    书库名称 TEXT,            -- website name, the key of every lookup
    书库网站搜索页地址 TEXT,  -- address of the search page
    作者正则 TEXT,            -- group 1: an author on the search result page
    书号正则 TEXT,            -- group 1: a book number on the search result page
    书号前缀正则 TEXT,        -- group 1: an id prefix on the search result page
    书名正则 TEXT,            -- group 1: a title on the search result page
    书名前过滤文本 TEXT,
    书名后过滤文本 TEXT,
    网址章节列表页 TEXT,      -- chapter-list address; 文章序号 and 文章子序号 are filled in
    网址章节内容页 TEXT,      -- chapter address before the chapter's number
    书库列出全部章节正则 TEXT, -- group 1: a chapter's number, group 2: its name
    章节序号前过滤文本 TEXT,
    章节序号后过滤文本 TEXT,
    章节名称前过滤文本 TEXT,
    章节名称后过滤文本 TEXT,
    小说标题前过滤文本 TEXT,  -- markers around the chapter title on a chapter page
    小说标题后过滤文本 TEXT,
    小说内容前过滤文本 TEXT,  -- markers around the chapter text on a chapter page
    小说内容后过滤文本 TEXT
);
