// The HTML view shows the page it is given and loads nothing else.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <fstream>

#include "app/page_view.h"
#include "tests/support/temp_run_dir.h"

namespace qingwu {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(PageViewTest, ShowsTheGbkPageFileAndLoadsNoImageItNames) {
    test::TempRunDir run;
    const std::string imagePath = run.DataPath("picture.png");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(imagePath)));
    const QUrl absolute = QUrl::fromLocalFile(QString::fromStdString(imagePath));
    const QUrl relative(QStringLiteral("picture.png"));
    // <h1>第一章</h1>, two images and a style sheet, in GBK.
    const std::string page =
        "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>"
        "<h1>\xB5\xDA\xD2\xBB\xD5\xC2</h1><img src=\"" +
        absolute.toString().toStdString() + "\"><img src=\"picture.png\"></body></html>";
    const std::string pagePath = run.DataPath("1.html");
    WriteFile(pagePath, page);
    WriteFile(run.DataPath("style.css"), "h1 { color: red }");

    PageView view(nullptr);
    view.resize(300, 200);
    view.ShowPageFile(pagePath);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(view.toPlainText().contains(QString::fromUtf8("第一章")));
    QTextDocument* doc = view.document();
    EXPECT_TRUE(doc->resource(QTextDocument::ImageResource, absolute).isNull());
    EXPECT_TRUE(doc->resource(QTextDocument::ImageResource, relative).isNull());
    EXPECT_TRUE(doc->resource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("style.css")))
                    .isNull());

    // A plain text browser given the same page does read the file: the check above can fail.
    QTextBrowser plain;
    plain.setHtml(view.toHtml());
    EXPECT_FALSE(plain.document()->resource(QTextDocument::ImageResource, absolute).isNull());
}

TEST(PageViewTest, FileThatCannotBeReadShowsANote) {
    PageView view(nullptr);
    view.ShowPageFile("/nonexistent/qingwu/1.html");
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("/nonexistent/qingwu/1.html")));
}

TEST(PageViewTest, HomePageIsTheBundledWelcomePage) {
    PageView view(nullptr);
    view.ShowHomePage();
    EXPECT_TRUE(view.toPlainText().contains(QString::fromUtf8("欢迎使用青梧电子书阅读器")));
    EXPECT_FALSE(view.openLinks());
    EXPECT_FALSE(view.openExternalLinks());
}

}  // namespace
}  // namespace qingwu
