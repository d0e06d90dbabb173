// The control operations the reading and shelf operations use, by control name.
#include <QComboBox>
#include <QLineEdit>

#include "tests/app/window_fixture.h"
#include "tests/reading/fixture_site.h"

namespace qingwu::test {
namespace {

class WindowPortTest : public WindowTest {};

TEST_F(WindowPortTest, SelectorIndexIsHeldToTheItems) {
    ASSERT_TRUE(run.ExecSk("DELETE FROM 书库信息;"));
    Make();
    MainWindowPort& w = window->Port();
    auto* sites = Find<QComboBox>("组合框1");
    w.SetSelectedIndex(control::组合框1, 0);  // no items: nothing selected
    EXPECT_EQ(w.SelectedIndex(control::组合框1), -1);
    w.AppendItem(control::组合框1, Gbk("甲"));
    w.AppendItem(control::组合框1, Gbk("乙"));
    EXPECT_EQ(w.ItemCount(control::组合框1), 2);
    EXPECT_EQ(w.ItemText(control::组合框1, 1), Gbk("乙"));
    EXPECT_EQ(w.ItemText(control::组合框1, 2), "");
    EXPECT_EQ(w.ItemText(control::组合框1, -1), "");
    w.SetSelectedIndex(control::组合框1, 5);
    EXPECT_EQ(w.SelectedIndex(control::组合框1), 1);
    EXPECT_EQ(sites->currentText(), QString::fromUtf8("乙"));
    w.SetSelectedIndex(control::组合框1, -7);
    EXPECT_EQ(w.SelectedIndex(control::组合框1), -1);
}

TEST_F(WindowPortTest, VisibilityIsTheControlsOwnAndEditTextIsGbk) {
    Make();  // not shown: every control's own visibility still reads as set
    MainWindowPort& w = window->Port();
    EXPECT_TRUE(w.IsVisible(control::超级列表框书架));  // on the hidden shelf panel
    EXPECT_FALSE(w.IsVisible(control::分组框我的书架));
    w.SetVisible(control::分组框我的书架, true);
    EXPECT_TRUE(w.IsVisible(control::分组框我的书架));
    EXPECT_FALSE(w.IsVisible(control::超级列表框页面列表));

    w.SetEditText(control::编辑框书名, Gbk("斗破苍穹"));
    EXPECT_EQ(Find<QLineEdit>("编辑框书名")->text(), QString::fromUtf8("斗破苍穹"));
    EXPECT_EQ(w.EditText(control::编辑框书名), Gbk("斗破苍穹"));
}

TEST_F(WindowPortTest, NamesOfNoControlOrTheWrongKindReadEmptyAndWriteNothing) {
    Make();
    MainWindowPort& w = window->Port();
    for (ControlName name : {ControlName("不存在"), control::按钮搜索}) {
        SCOPED_TRACE(std::string(name));
        w.AppendItem(name, "x");
        EXPECT_EQ(w.ItemCount(name), 0);
        EXPECT_EQ(w.SelectedIndex(name), -1);
        EXPECT_EQ(w.InsertRow(name, -1, "x"), -1);
        EXPECT_EQ(w.RowCount(name), 0);
        EXPECT_EQ(w.CellText(name, 0, 0), "");
        EXPECT_EQ(w.SelectedRow(name), -1);
        EXPECT_EQ(w.EditText(name), "");
    }
    EXPECT_FALSE(w.IsVisible("不存在"));
}

}  // namespace
}  // namespace qingwu::test
