-- db1.mdb: the reader settings and the bookshelf.

-- The reader settings, one row: the chosen entries of the font size and background colour
-- selectors (字体大小: 0 大字体, 1 中字体, 2 默认字体; 背景颜色: 0 默认白色, 1 经典明黄,
-- 2 经典淡蓝, 3 经典淡灰). Read and written by position.
CREATE TABLE 设置 (
    字体大小 INTEGER,
    背景颜色 INTEGER
);
INSERT INTO 设置 (字体大小, 背景颜色) VALUES (2, 0);

-- The bookshelf, one row per book, read and written by position in this order. A book is
-- identified by (书籍名称, 书库); 当前章节 is the 0-based row of the chapter last shown, as text.
CREATE TABLE 书签列表 (
    书籍名称 TEXT,
    作者 TEXT,
    书号 TEXT,
    书签 TEXT,
    书号前缀 TEXT,
    当前章节 TEXT,
    书库 TEXT
);
