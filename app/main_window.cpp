#include "app/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <climits>

#include "app/artwork.h"
#include "app/chapter_key_filter.h"
#include "app/message_presenter.h"
#include "app/page_view.h"
#include "app/qt_text.h"
#include "app/report_list.h"
#include "app/restored_size.h"
#include "app/splitter_bar.h"
#include "app/title_box.h"
#include "app/toolbar.h"
#include "app/window_port.h"
#include "reading/book_opening.h"
#include "reading/chapter_reader.h"
#include "reading/control_names.h"
#include "reading/search_books.h"
#include "shelf/bookshelf.h"
#include "store/tables.h"
#include "web/fetch_page.h"

namespace qingwu {
namespace {

namespace cn = control;

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The toolbar's height: enough for a 32 × 32 picture with its caption under it, never reaching
// the reading area below.
constexpr int kToolbarMinHeight = 28;
constexpr int kReadingAreaTop = 56;

constexpr int kSplitterMin = 80;
constexpr int kSplitterMax = 240;

}  // namespace

MainWindow::MainWindow(std::string runDirectory, MessagePresenter& presenter)
    : presenter_(presenter), runDirectory_(std::move(runDirectory)) {
    setWindowTitle(QStringLiteral("青梧电子书阅读器\r\n"));
    setWindowIcon(WindowIcon());
    resize(kOuterWidth, kOuterHeight);  // the client size, until the frame's margins are known
    new RestoredOuterSize(*this, QSize(kOuterWidth, kOuterHeight));

    CreateControls();
    ctx_ = std::make_unique<ReaderContext>(
        ReaderContext{*port_, 记录集1, 记录集2, state_, runDirectory_, OperationEpochs{}, Text{}});
    keyFilter_ = std::make_unique<ChapterKeyFilter>([this] { NextChapter(*ctx_); },
                                                    [this] { PreviousChapter(*ctx_); });
    ConnectEvents();
    InitMainWindow();
}

MainWindow::~MainWindow() {
    // The window is about to be destroyed: the arrow keys stop here.
    RemoveChapterKeyHook(*keyFilter_);
}

MainWindowPort& MainWindow::Port() {
    return *port_;
}

void MainWindow::CreateControls() {
    // Creates a control of kind W under parent, names it and places it; registers it for the
    // operations' port once that exists.
    std::vector<std::pair<ControlName, QWidget*>> made;
    const auto place = [&made](auto* widget, ControlName name, int x, int y, int w, int h) {
        widget->setObjectName(Utf8(name));
        widget->setGeometry(x, y, w, h);
        made.emplace_back(name, widget);
        return widget;
    };
    const auto button = [&](QWidget* parent, ControlName name, const char* caption, int x, int y,
                            int w, int h) {
        return place(new QPushButton(QString::fromUtf8(caption), parent), name, x, y, w, h);
    };
    const auto selector = [&](QWidget* parent, ControlName name, int x, int y, int w, int h) {
        auto* box = place(new QComboBox(parent), name, x, y, w, h);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        return box;
    };
    const auto group = [&](QWidget* parent, ControlName name, const char* caption, int x, int y,
                           int w, int h) {
        return place(new QGroupBox(QString::fromUtf8(caption), parent), name, x, y, w, h);
    };
    const auto list = [&](QWidget* parent, ControlName name, ReportList::Look look, int x, int y,
                          int w,
                          int h) { return place(new ReportList(look, parent), name, x, y, w, h); };

    工具条1 = place(new Toolbar(this), cn::工具条1, 0, 0, 594, kToolbarMinHeight);
    工具条1->AddButton(QStringLiteral("我的书架"), 0);
    工具条1->AddSeparator();
    工具条1->AddButton(QStringLiteral("加入书架"), 1);
    工具条1->AddSeparator();
    工具条1->AddButton(QStringLiteral("上一章"), 2);
    工具条1->AddSeparator();
    工具条1->AddButton(QStringLiteral("下一章"), 3);
    工具条1->AddSeparator();
    工具条1->AddButton(QStringLiteral("设置"), 4);
    工具条1->AddSeparator();
    工具条1->AddSeparator();
    工具条1->resize(594,
                    std::clamp(工具条1->sizeHint().height(), kToolbarMinHeight, kReadingAreaTop));

    编辑框书名 = place(new TitleBox(this), cn::编辑框书名, 328, 9, 104, 31);
    按钮搜索 = button(this, cn::按钮搜索, "搜索", 440, 9, 40, 31);
    组合框1 = selector(this, cn::组合框1, 488, 8, 88, 20);

    分组框我的书架 = group(this, cn::分组框我的书架, "我的书架", 0, 56, 472, 328);
    超级列表框书架 = list(分组框我的书架, cn::超级列表框书架, ReportList::Look::GridAndWholeRow, 0,
                          16, 472, 272);
    超级列表框书架->AddColumn(QStringLiteral("书籍名称"), 100, Qt::AlignLeft);
    超级列表框书架->AddColumn(QStringLiteral("作者"), 100, Qt::AlignHCenter);
    超级列表框书架->AddColumn(QStringLiteral("书签"), 200, Qt::AlignHCenter);
    超级列表框书架->AddColumn(QStringLiteral("书库"), 70, Qt::AlignLeft);
    按钮加入书架 = button(分组框我的书架, cn::按钮加入书架, "加入书架", 24, 296, 72, 24);
    按钮载入书签 = button(分组框我的书架, cn::按钮载入书签, "载入书签", 136, 296, 72, 24);
    按钮删除书签 = button(分组框我的书架, cn::按钮删除书签, "删除书签", 248, 296, 72, 24);
    按钮关闭 = button(分组框我的书架, cn::按钮关闭, "关闭", 368, 296, 72, 24);

    分组框1 = group(this, cn::分组框1, "", 0, 56, 589, 400);
    超级列表框章节列表 =
        list(分组框1, cn::超级列表框章节列表, ReportList::Look::Plain, 3, 8, 105, 336);
    超级列表框章节列表->AddColumn(QStringLiteral("章节名称"), 100, Qt::AlignLeft);
    分隔条1 = place(new SplitterBar(分组框1), cn::分隔条1, 108, 8, 5, 336);
    超文本浏览框1 = place(new PageView(分组框1), cn::超文本浏览框1, 113, 8, 440, 336);

    分组框设置 = group(分组框1, cn::分组框设置, "设置", 204, 0, 152, 88);
    标签字体 =
        place(new QLabel(QStringLiteral("字体大小："), 分组框设置), cn::标签字体, 13, 22, 56, 16);
    组合框字体大小 = selector(分组框设置, cn::组合框字体大小, 69, 22, 72, 20);
    组合框字体大小->addItems(
        {QStringLiteral("大字体"), QStringLiteral("中字体"), QStringLiteral("默认字体")});
    标签背景颜色 = place(new QLabel(QStringLiteral("背景颜色："), 分组框设置), cn::标签背景颜色, 13,
                         46, 56, 16);
    组合框背景颜色 = selector(分组框设置, cn::组合框背景颜色, 69, 46, 72, 20);
    组合框背景颜色->addItems({QStringLiteral("默认白色"), QStringLiteral("经典明黄"),
                              QStringLiteral("经典淡蓝"), QStringLiteral("经典淡灰")});

    超级列表框页面列表 =
        list(分组框1, cn::超级列表框页面列表, ReportList::Look::Plain, 48, 56, 64, 288);
    超级列表框页面列表->AddColumn(QStringLiteral("序号"), 100, Qt::AlignLeft);

    分组框搜索 = group(分组框1, cn::分组框搜索, "搜索结果", 144, 32, 264, 248);
    超级列表框搜索结果 = list(分组框搜索, cn::超级列表框搜索结果, ReportList::Look::GridAndWholeRow,
                              8, 16, 248, 176);
    超级列表框搜索结果->AddColumn(QStringLiteral("书籍名称"), 145, Qt::AlignLeft);
    超级列表框搜索结果->AddColumn(QStringLiteral("作者"), 100, Qt::AlignLeft);
    按钮确定 = button(分组框搜索, cn::按钮确定, "确定", 40, 200, 72, 32);
    按钮取消 = button(分组框搜索, cn::按钮取消, "取消", 152, 200, 72, 32);

    // The panels lie over the reading area and cover what is beneath them; the page list is
    // never shown.
    for (QGroupBox* panel : {分组框我的书架, 分组框设置, 分组框搜索}) {
        panel->setAutoFillBackground(true);
    }
    分组框我的书架->raise();
    for (QWidget* hidden :
         {static_cast<QWidget*>(分组框我的书架), static_cast<QWidget*>(分组框设置),
          static_cast<QWidget*>(超级列表框页面列表), static_cast<QWidget*>(分组框搜索)}) {
        hidden->hide();
    }

    port_ = std::make_unique<WindowPort>(presenter_, *超文本浏览框1);
    for (const auto& [name, widget] : made) {
        port_->Register(name, widget);
    }
}

void MainWindow::ConnectEvents() {
    ReaderContext& ctx = *ctx_;
    connect(工具条1, &Toolbar::itemClicked, this, &MainWindow::RunToolbarButton);
    connect(按钮搜索, &QPushButton::clicked, this, [&ctx] { SearchBooks(ctx); });
    connect(编辑框书名, &TitleBox::enterReleased, this, [&ctx] { SearchBooks(ctx); });
    connect(按钮加入书架, &QPushButton::clicked, this, [&ctx] { AddBookToShelf(ctx); });
    connect(按钮载入书签, &QPushButton::clicked, this, [&ctx] { OpenShelfEntry(ctx); });
    connect(按钮删除书签, &QPushButton::clicked, this, [&ctx] { DeleteShelfEntry(ctx); });
    connect(按钮关闭, &QPushButton::clicked, 分组框我的书架, &QWidget::hide);
    connect(按钮确定, &QPushButton::clicked, this, [&ctx] { OpenSearchResult(ctx); });
    connect(按钮取消, &QPushButton::clicked, 分组框搜索, &QWidget::hide);
    connect(超级列表框章节列表, &ReportList::rowActivated, this,
            [&ctx] { ShowSelectedChapter(ctx); });
    connect(分隔条1, &SplitterBar::dragged, this, &MainWindow::MoveSplitter);
    // Only a choice by the user: a change of the index by the program raises no activated().
    connect(组合框字体大小, &QComboBox::activated, this, [&ctx] { SaveReaderSettings(ctx); });
    connect(组合框背景颜色, &QComboBox::activated, this, [&ctx] { SaveReaderSettings(ctx); });
}

void MainWindow::InitMainWindow() {
    MainWindowPort& w = *port_;
    const StoreErrorSink showStoreError = [this](const std::string& message) {
        presenter_.Show(message, "错误", MessagePresenter::Buttons::Ok);
    };
    数据库连接1.SetErrorSink(showStoreError);
    数据库连接2.SetErrorSink(showStoreError);

    超文本浏览框1->ShowHomePage();
    InstallChapterKeyHook(*keyFilter_);

    OpenDatabase(数据库连接1, runDirectory_ + "/data/db1.mdb", "");
    BindRecordSet(记录集1, 数据库连接1);
    OpenRecordSet(记录集1, table::kSettings, RecordSource::TableName);
    // Only the first record counts. Stored values beyond int are held to its range, which still
    // selects the last item or nothing.
    const auto index = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    };
    w.SetSelectedIndex(cn::组合框字体大小, index(ReadInteger(记录集1, settings_pos::kFontSize)));
    w.SetSelectedIndex(cn::组合框背景颜色,
                       index(ReadInteger(记录集1, settings_pos::kBackgroundColour)));

    OpenDatabase(数据库连接2, runDirectory_ + "/data/sk.mdb", "");
    BindRecordSet(记录集2, 数据库连接2);
    OpenRecordSet(记录集2, table::kSites, RecordSource::TableName);
    const int n = RecordCount(记录集2);
    for (int i = 0; i < n; ++i) {
        w.AppendItem(cn::组合框1, ReadText(记录集2, site_field::kName));
        MoveNext(记录集2);
    }
    w.SetSelectedIndex(cn::组合框1, 0);
}

void MainWindow::ShowCentred() {
    const QRect area = screen()->availableGeometry();
    // move() places a window's frame, so the outer size centres it.
    move(area.center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));
    show();
    // The shown window becomes the active one (its first activation loads the shelf list), also
    // where no window manager activates new windows.
    activateWindow();
}

void MainWindow::LayoutMainWindow() {
    if (分组框1 == nullptr) {
        return;  // not all controls exist yet
    }
    const QSize outer = frameGeometry().size();
    分组框1->resize(outer.width() - 9, outer.height() - 90);
    const int readingHeight = 分组框1->height() - 10;
    超级列表框章节列表->resize(超级列表框章节列表->width(), readingHeight);
    分隔条1->resize(分隔条1->width(), readingHeight);
    超文本浏览框1->resize(分组框1->width() - 10 - 超级列表框章节列表->width(), readingHeight);
    超级列表框章节列表->SetColumnWidth(0, 超级列表框章节列表->width());
}

void MainWindow::MoveSplitter(int start, int target) {
    target = std::clamp(target, kSplitterMin, kSplitterMax);
    分隔条1->move(分隔条1->x() + target - start, 分隔条1->y());
    超级列表框章节列表->resize(分隔条1->x() - 5, 超级列表框章节列表->height());
    超文本浏览框1->setGeometry(分隔条1->x() + 5, 超文本浏览框1->y(),
                               分组框1->width() - 20 - 超级列表框章节列表->width(),
                               超文本浏览框1->height());
    超级列表框章节列表->SetColumnWidth(0, 超级列表框章节列表->width());
}

void MainWindow::RunToolbarButton(int item) {
    ReaderContext& ctx = *ctx_;
    switch (item) {
        case 0:
            if (!分组框我的书架->isHidden()) {
                LoadShelfList(ctx);
                分组框我的书架->hide();
            } else {
                ctx.window.SetVisible(control::分组框我的书架, true);
            }
            break;
        case 2:
            AddBookToShelf(ctx);
            break;
        case 4:
            PreviousChapter(ctx);
            break;
        case 6:
            NextChapter(ctx);
            break;
        case 8:
            ctx.window.SetVisible(control::分组框设置, 分组框设置->isHidden());
            break;
        default:
            break;
    }
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate && !activatedOnce_) {
        activatedOnce_ = true;
        LoadShelfList(*ctx_);
    }
    return handled;
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        LayoutMainWindow();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutMainWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();  // the window always closes
    if (closed_) {
        return;
    }
    closed_ = true;
    // Operations waiting on the network stop without writing anything, then the shelf offer.
    ctx_->epochs.closing = true;
    CancelAllFetches();
    OfferShelfOnClose(*ctx_);
}

}  // namespace qingwu
