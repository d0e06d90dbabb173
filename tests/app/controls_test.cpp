// Every control of the window: name, kind, parent, place, visibility and content at start.
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/page_view.h"
#include "app/report_list.h"
#include "app/splitter_bar.h"
#include "app/toolbar.h"
#include "tests/app/window_fixture.h"

namespace qingwu::test {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class ControlsTest : public WindowTest {};

TEST_F(ControlsTest, EveryControlHasItsNameKindParentPlaceAndVisibility) {
    struct Row {
        const char* name;
        const char* kind;    // a Qt or program class the control must be
        const char* parent;  // empty: the window
        QRect geometry;
        bool visible;
        const char* caption;  // group box title or button text; nullptr: none to check
    };
    const Row rows[] = {
        {"编辑框书名", "qingwu::TitleBox", "", {328, 9, 104, 31}, true, nullptr},
        {"按钮搜索", "QPushButton", "", {440, 9, 40, 31}, true, "搜索"},
        {"组合框1", "QComboBox", "", {488, 8, 88, 20}, true, nullptr},
        {"分组框我的书架", "QGroupBox", "", {0, 56, 472, 328}, false, "我的书架"},
        {"超级列表框书架",
         "qingwu::ReportList",
         "分组框我的书架",
         {0, 16, 472, 272},
         true,
         nullptr},
        {"按钮加入书架", "QPushButton", "分组框我的书架", {24, 296, 72, 24}, true, "加入书架"},
        {"按钮载入书签", "QPushButton", "分组框我的书架", {136, 296, 72, 24}, true, "载入书签"},
        {"按钮删除书签", "QPushButton", "分组框我的书架", {248, 296, 72, 24}, true, "删除书签"},
        {"按钮关闭", "QPushButton", "分组框我的书架", {368, 296, 72, 24}, true, "关闭"},
        {"分组框1", "QGroupBox", "", {0, 56, 589, 400}, true, ""},
        {"超级列表框章节列表", "qingwu::ReportList", "分组框1", {3, 8, 105, 336}, true, nullptr},
        {"分隔条1", "qingwu::SplitterBar", "分组框1", {108, 8, 5, 336}, true, nullptr},
        {"超文本浏览框1", "qingwu::PageView", "分组框1", {113, 8, 440, 336}, true, nullptr},
        {"分组框设置", "QGroupBox", "分组框1", {204, 0, 152, 88}, false, "设置"},
        {"标签字体", "QLabel", "分组框设置", {13, 22, 56, 16}, true, nullptr},
        {"组合框字体大小", "QComboBox", "分组框设置", {69, 22, 72, 20}, true, nullptr},
        {"标签背景颜色", "QLabel", "分组框设置", {13, 46, 56, 16}, true, nullptr},
        {"组合框背景颜色", "QComboBox", "分组框设置", {69, 46, 72, 20}, true, nullptr},
        {"超级列表框页面列表", "qingwu::ReportList", "分组框1", {48, 56, 64, 288}, false, nullptr},
        {"分组框搜索", "QGroupBox", "分组框1", {144, 32, 264, 248}, false, "搜索结果"},
        {"超级列表框搜索结果",
         "qingwu::ReportList",
         "分组框搜索",
         {8, 16, 248, 176},
         true,
         nullptr},
        {"按钮确定", "QPushButton", "分组框搜索", {40, 200, 72, 32}, true, "确定"},
        {"按钮取消", "QPushButton", "分组框搜索", {152, 200, 72, 32}, true, "取消"},
    };
    Make();  // before the first show lays out the reading area
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* control = Find(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->inherits(row.kind)) << control->metaObject()->className();
        QWidget* parent = *row.parent == '\0' ? window.get() : Find(row.parent);
        EXPECT_EQ(control->parentWidget(), parent);
        EXPECT_EQ(control->geometry(), row.geometry);
        EXPECT_EQ(!control->isHidden(), row.visible);
        if (row.caption != nullptr) {
            if (auto* group = qobject_cast<QGroupBox*>(control)) {
                EXPECT_EQ(group->title(), Q(row.caption));
            } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                EXPECT_EQ(button->text(), Q(row.caption));
            }
        }
    }
    EXPECT_EQ(Find<QLabel>("标签字体")->text(), Q("字体大小："));
    EXPECT_EQ(Find<QLabel>("标签背景颜色")->text(), Q("背景颜色："));
    EXPECT_TRUE(Find<QLineEdit>("编辑框书名")->text().isEmpty());
    // The panels lie over the reading area's controls.
    QWidget* shelfPanel = Find("分组框我的书架");
    EXPECT_GT(window->children().indexOf(shelfPanel), window->children().indexOf(Find("分组框1")));
}

TEST_F(ControlsTest, ListViewsHaveTheirColumnsAndLook) {
    struct Column {
        const char* caption;
        int width;
        Qt::Alignment alignment;
    };
    struct Row {
        const char* name;
        bool gridAndWholeRow;
        std::vector<Column> columns;
    };
    const Row rows[] = {
        {"超级列表框书架",
         true,
         {{"书籍名称", 100, Qt::AlignLeft},
          {"作者", 100, Qt::AlignHCenter},
          {"书签", 200, Qt::AlignHCenter},
          {"书库", 70, Qt::AlignLeft}}},
        {"超级列表框搜索结果",
         true,
         {{"书籍名称", 145, Qt::AlignLeft}, {"作者", 100, Qt::AlignLeft}}},
        {"超级列表框章节列表", false, {{"章节名称", 100, Qt::AlignLeft}}},
        {"超级列表框页面列表", false, {{"序号", 100, Qt::AlignLeft}}},
    };
    Make();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* list = Find<ReportList>(row.name);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->model()->columnCount(), static_cast<int>(row.columns.size()));
        for (int c = 0; c < static_cast<int>(row.columns.size()); ++c) {
            SCOPED_TRACE(c);
            const Column& column = row.columns[static_cast<std::size_t>(c)];
            EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), Q(column.caption));
            EXPECT_EQ(list->ColumnWidth(c), column.width);
            const auto align = list->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
            EXPECT_EQ(Qt::Alignment(align.toInt()) & Qt::AlignHorizontal_Mask, column.alignment);
        }
        EXPECT_EQ(list->showGrid(), row.gridAndWholeRow);
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_FALSE(list->horizontalHeader()->isHidden());
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    }
}

TEST_F(ControlsTest, SelectorsHoldTheirItemsAndTheTitleBoxItsFont) {
    Make();
    const QStringList sizes = {Q("大字体"), Q("中字体"), Q("默认字体")};
    const QStringList colours = {Q("默认白色"), Q("经典明黄"), Q("经典淡蓝"), Q("经典淡灰")};
    for (const auto& [name, items] :
         {std::pair{"组合框字体大小", sizes}, std::pair{"组合框背景颜色", colours}}) {
        SCOPED_TRACE(name);
        auto* box = Find<QComboBox>(name);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isEditable());
        QStringList shown;
        for (int i = 0; i < box->count(); ++i) {
            shown << box->itemText(i);
        }
        EXPECT_EQ(shown, items);
    }

    const QFont font = Find<QLineEdit>("编辑框书名")->font();
    EXPECT_EQ(font.pixelSize(), 19);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_FALSE(font.italic());
    // Whichever face stands in for 宋体 draws Chinese.
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
        << family.toStdString();
}

}  // namespace
}  // namespace qingwu::test
