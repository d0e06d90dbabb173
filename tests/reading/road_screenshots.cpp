// Walks a reader's road on the demo site (which must answer on 127.0.0.1:18080) in a real window
// on a temporary copy of the delivered data, and saves a picture of the window at each stop:
// the search results, a chapter, the same chapter in 经典明黄 / 中字体, and the shelf.
//
//   road_screenshots OUT_DIR [TITLE]
#include <curl/curl.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "app/title_box.h"
#include "app/toolbar.h"
#include "tests/support/temp_run_dir.h"
#include "web/fetch_page.h"

namespace {

bool Save(qingwu::MainWindow& window, const QString& dir, const char* name) {
    QApplication::processEvents();
    const QString path = dir + QStringLiteral("/") + QString::fromUtf8(name);
    const bool ok = window.grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", path.toUtf8().constData());
    return ok;
}

void ClickToolbar(qingwu::MainWindow& window, int item) {
    QTest::mouseClick(window.工具条1->ItemWidget(item), Qt::LeftButton);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR [TITLE]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    curl_global_init(CURL_GLOBAL_ALL);
    QApplication app(argc, argv);
    qingwu::SetPendingEventsPump([] { QCoreApplication::processEvents(); });
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString title = argc > 2 ? QString::fromUtf8(argv[2]) : QStringLiteral("唐诗");

    qingwu::test::TempRunDir run;
    qingwu::MessagePresenter presenter;
    presenter.UseScriptedAnswers();
    bool ok = true;
    {
        qingwu::MainWindow window(run.Path(), presenter);
        window.ShowCentred();
        QApplication::processEvents();

        window.编辑框书名->setText(title);
        QTest::mouseClick(window.按钮搜索, Qt::LeftButton);
        ok &= window.分组框搜索->isVisible();
        ok &= Save(window, out, "1-search-results.png");

        QTest::mouseClick(window.按钮确定, Qt::LeftButton);
        ClickToolbar(window, 6);
        ok &= Save(window, out, "2-chapter.png");

        ClickToolbar(window, 8);
        window.组合框背景颜色->setCurrentIndex(1);
        emit window.组合框背景颜色->activated(1);
        window.组合框字体大小->setCurrentIndex(1);
        emit window.组合框字体大小->activated(1);
        ok &= Save(window, out, "3-chapter-yellow-medium.png");
        ClickToolbar(window, 8);

        ClickToolbar(window, 2);  // add to the shelf
        ClickToolbar(window, 0);  // show it
        ok &= Save(window, out, "4-shelf.png");
        window.close();
    }
    for (const auto& box : presenter.Shown()) {
        std::printf("message: [%s] %s\n", box.caption.c_str(), box.text.c_str());
    }
    qingwu::SetPendingEventsPump({});
    curl_global_cleanup();
    return ok ? 0 : 1;
}
