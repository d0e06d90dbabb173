#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "reading/open_book_state.h"
#include "reading/reader_context.h"
#include "store/record_set.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace qingwu {

class ChapterKeyFilter;
class MessagePresenter;
class PageView;
class ReportList;
class SplitterBar;
class TitleBox;
class Toolbar;
class WindowPort;

// The program's one window. It creates every control with its name, kind, place and content,
// owns the two database connections and record sets and the open-book state, lays out the
// reading area, and connects each user event to its operation in reading/ or shelf/. It does no
// reading or shelf work itself.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Outer size (frame and title bar included) whenever the window is not maximised.
    static constexpr int kOuterWidth = 600;
    static constexpr int kOuterHeight = 549;

    // runDirectory: the folder holding data/ (UTF-8, no trailing slash). Every message box goes
    // through presenter, which must outlive the window. Runs InitMainWindow.
    MainWindow(std::string runDirectory, MessagePresenter& presenter);
    ~MainWindow() override;

    // Shows the window centred on its screen.
    void ShowCentred();

    // Sizes the reading area and its three controls from the window's outer size.
    void LayoutMainWindow();
    // Moves the splitter bar by target - start (target held to 80..240) and fits the chapter list
    // and the HTML view to it.
    void MoveSplitter(int start, int target);
    // The toolbar's action for an item number; separators and unknown numbers do nothing.
    void RunToolbarButton(int item);

    ReaderContext& Context() { return *ctx_; }
    MainWindowPort& Port();

    // The controls, named as the window's control table names them; each carries its name as its
    // object name. Owned by the window through Qt's parenting.
    Toolbar* 工具条1 = nullptr;
    TitleBox* 编辑框书名 = nullptr;
    QPushButton* 按钮搜索 = nullptr;
    QComboBox* 组合框1 = nullptr;
    QGroupBox* 分组框我的书架 = nullptr;
    ReportList* 超级列表框书架 = nullptr;
    QPushButton* 按钮加入书架 = nullptr;
    QPushButton* 按钮载入书签 = nullptr;
    QPushButton* 按钮删除书签 = nullptr;
    QPushButton* 按钮关闭 = nullptr;
    QGroupBox* 分组框1 = nullptr;
    ReportList* 超级列表框章节列表 = nullptr;
    SplitterBar* 分隔条1 = nullptr;
    PageView* 超文本浏览框1 = nullptr;
    QGroupBox* 分组框设置 = nullptr;
    QLabel* 标签字体 = nullptr;
    QComboBox* 组合框字体大小 = nullptr;
    QLabel* 标签背景颜色 = nullptr;
    QComboBox* 组合框背景颜色 = nullptr;
    ReportList* 超级列表框页面列表 = nullptr;
    QGroupBox* 分组框搜索 = nullptr;
    ReportList* 超级列表框搜索结果 = nullptr;
    QPushButton* 按钮确定 = nullptr;
    QPushButton* 按钮取消 = nullptr;

    // db1.mdb (settings and shelf) and sk.mdb (website profiles).
    DatabaseConnection 数据库连接1;
    DatabaseConnection 数据库连接2;
    RecordSet 记录集1;
    RecordSet 记录集2;

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectEvents();
    void InitMainWindow();

    MessagePresenter& presenter_;
    std::string runDirectory_;
    OpenBookState state_;
    std::unique_ptr<WindowPort> port_;
    std::unique_ptr<ReaderContext> ctx_;
    std::unique_ptr<ChapterKeyFilter> keyFilter_;
    bool shownOnce_ = false;
    bool activatedOnce_ = false;
    bool closed_ = false;
};

}  // namespace qingwu
