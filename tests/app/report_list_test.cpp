// The report-list control shared by the four list views.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "app/report_list.h"

namespace qingwu {
namespace {

// A list of two columns with rows "r0".."r(n-1)", shown so that clicks reach it.
class ReportListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        list.setGeometry(0, 0, 300, 400);
        list.AddColumn(QStringLiteral("名称"), 120, Qt::AlignLeft);
        list.AddColumn(QStringLiteral("作者"), 100, Qt::AlignHCenter);
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i) {
            list.InsertRow(-1, "r" + std::to_string(i));
        }
    }
    void Show() {
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    QPoint RowCentre(int row) const {
        return list.visualRect(list.model()->index(row, 0)).center();
    }

    ReportList list{ReportList::Look::GridAndWholeRow, nullptr};
};

TEST_F(ReportListTest, RowsInsertAtTheirPlaceAndCellsOutsideReadEmpty) {
    struct Case {
        const char* name;
        int at;
        int expectedRow;
    };
    const Case cases[] = {{"at the end", -1, 3},
                          {"at the front", 0, 0},
                          {"in the middle", 2, 2},
                          {"past the end", 9, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.RemoveAllRows();
        Fill(3);
        list.SetCellText(1, 1, "a1");
        EXPECT_EQ(list.InsertRow(c.at, "new"), c.expectedRow);
        EXPECT_EQ(list.RowCount(), 4);
        EXPECT_EQ(list.CellText(c.expectedRow, 0), "new");
        EXPECT_EQ(list.CellText(c.expectedRow, 1), "");
        // The author of old row 1 moved with its row.
        const int oldRow1 = c.expectedRow <= 1 ? 2 : 1;
        EXPECT_EQ(list.CellText(oldRow1, 0), "r1");
        EXPECT_EQ(list.CellText(oldRow1, 1), "a1");
    }
    // Cells that do not exist read as empty and take no writes.
    list.SetCellText(99, 0, "x");
    list.SetCellText(0, 5, "x");
    EXPECT_EQ(list.CellText(99, 0), "");
    EXPECT_EQ(list.CellText(0, 5), "");
    EXPECT_EQ(list.CellText(-1, 0), "");
    list.RemoveAllRows();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), -1);
}

TEST_F(ReportListTest, CellsKeepTheirBytesAndShowAsChinese) {
    const std::string gbk = "\xB5\xDA\xD2\xBB\xD5\xC2";  // 第一章
    const std::string invalid = "a\x81\x20z\xFF\x80";    // a broken pair, 0xFF, 0x80
    list.InsertRow(-1, gbk);
    list.SetCellText(0, 1, invalid);
    EXPECT_EQ(list.CellText(0, 0), gbk);
    EXPECT_EQ(list.CellText(0, 1), invalid);  // as written, not after a round trip
    EXPECT_EQ(list.model()->data(list.model()->index(0, 0)).toString(),
              QString::fromUtf8("第一章"));
    const auto align = list.model()->data(list.model()->index(0, 1), Qt::TextAlignmentRole);
    EXPECT_EQ(Qt::Alignment(align.toInt()) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(ReportListTest, HundredThousandRowsArriveAtOnce) {
    std::vector<Text> names;
    for (int i = 0; i < 100000; ++i) {
        names.push_back("\xB5\xDA" + std::to_string(i));
    }
    Show();
    QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
    QElapsedTimer timer;
    timer.start();
    list.AppendRows(names);
    list.SelectRowWithFocus(99999);
    QCoreApplication::processEvents();
    const qint64 ms = timer.elapsed();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(list.RowCount(), 100000);
    EXPECT_EQ(list.CellText(99999, 0), names.back());
    EXPECT_EQ(list.CellText(99999, 1), "");
    EXPECT_EQ(list.SelectedRow(), 99999);
    // Linear work takes a few tens of milliseconds; anything per row per row would take minutes.
    EXPECT_LT(ms, 3000) << "appending 100000 rows took " << ms << " ms";
    std::printf("appending and selecting 100000 rows: %lld ms\n", static_cast<long long>(ms));
}

TEST_F(ReportListTest, SelectedRowReadsAndWrites) {
    Fill(5);
    EXPECT_EQ(list.SelectedRow(), -1);
    list.SetSelectedRow(3);
    EXPECT_EQ(list.SelectedRow(), 3);
    list.SelectRowWithFocus(-2);  // ignored
    EXPECT_EQ(list.SelectedRow(), 3);
    list.SelectRowWithFocus(1);
    EXPECT_EQ(list.SelectedRow(), 1);
    EXPECT_EQ(list.currentIndex().row(), 1);  // the focus mark
    list.SetSelectedRow(7);                   // no such row
    EXPECT_EQ(list.SelectedRow(), -1);
    list.SetSelectedRow(2);
    list.SetSelectedRow(-1);
    EXPECT_EQ(list.SelectedRow(), -1);
}

// A style that asks item views to activate a row on a single click.
class SingleClickStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_ItemView_ActivateItemOnSingleClick) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

TEST_F(ReportListTest, RowsActivateByDoubleClickOrEnterNeverBySingleClick) {
    SingleClickStyle style;
    list.setStyle(&style);
    Fill(5);
    Show();
    QSignalSpy activated(&list, &ReportList::rowActivated);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(2));
    EXPECT_EQ(list.SelectedRow(), 2);
    EXPECT_EQ(activated.count(), 0);

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(3));
    EXPECT_EQ(list.SelectedRow(), 3);
    EXPECT_EQ(activated.count(), 1);

    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(activated.count(), 2);
    QTest::keyClick(&list, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(activated.count(), 3);

    // Below the last row: nothing to activate; Enter without a selected row neither.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                       QPoint(10, list.viewport()->height() - 3));
    list.SetSelectedRow(-1);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(activated.count(), 3);
    list.setStyle(nullptr);
}

}  // namespace
}  // namespace qingwu
