// A chapter page is only ever read: whatever markup a website puts into a chapter (scripts,
// forms, frames, links, images and style sheets pointing at local files or back at the site),
// the HTML view runs nothing, loads nothing, follows no link and shows no local file.
#include <QImage>
#include <QPixmap>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest/QTest>
#include <string>
#include <vector>

#include "app/page_view.h"
#include "tests/faults/window_fixture.h"

namespace qingwu::test {
namespace {

// Pixels of pure red in a picture of the widget.
int RedPixels(QWidget& widget) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        }
    }
    return red;
}

class PageSecurity : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AddProfile("青梧书屋");
        // A local picture that must never appear: a red square.
        png_ = run_.Path() + "/red.png";
        QImage red(64, 64, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        ASSERT_TRUE(red.save(QString::fromStdString(png_)));
    }

    // A chapter full of active and referring markup; every address it names is either a local
    // file or the test's own site, so a load of any of them would show.
    std::string HostileContent() {
        const std::string site = site_.Server().Url("");
        const std::vector<std::string> pieces = {
            "<p>" + Gbk("正文开始") + "</p>",
            "<script>document.write(String.fromCharCode(69,88,69,67))</script>",
            "<p><a href=\"file:///etc/passwd\">" + Gbk("本地链接") + "</a> <a href=\"" + site +
                "/followed\">" + Gbk("站内链接") + "</a></p>",
            "<img src=\"file://" + png_ + "\" width=\"64\" height=\"64\">",
            "<img src=\"" + png_ + "\" width=\"64\" height=\"64\">",
            "<img src=\"red.png\" width=\"64\" height=\"64\">",
            "<img src=\"" + site + "/pixel.png\">",
            "<table background=\"" + png_ +
                "\" width=\"200\" height=\"80\"><tr><td "
                "background=\"" +
                png_ + "\">" + Gbk("表格") + "</td></tr></table>",
            "<p style=\"background-image: url(" + png_ + ")\">" + Gbk("背景") + "</p>",
            "<link rel=\"stylesheet\" href=\"" + site + "/style.css\">",
            "<style>@import url(" + site + "/imported.css);</style>",
            "<meta http-equiv=\"refresh\" content=\"0;url=" + site + "/refresh\">",
            "<form action=\"" + site +
                "/steal\" method=\"post\"><input name=\"a\" value=\"b\">"
                "<input type=\"submit\"></form>",
            // The view drops what follows a frame; they come last.
            "<iframe src=\"file:///etc/passwd\"></iframe>",
            "<object data=\"file:///etc/passwd\"></object>",
        };
        std::string content;
        for (const std::string& piece : pieces) {
            content += piece;
        }
        return content;
    }

    // Clicks the link whose text is linkUtf8.
    void ClickLink(QTextBrowser& view, const char* linkUtf8) {
        QTextCursor cursor = view.document()->find(QString::fromUtf8(linkUtf8));
        ASSERT_FALSE(cursor.isNull()) << linkUtf8;
        cursor.setPosition(cursor.selectionStart() + 1);
        const QPoint at = view.cursorRect(cursor).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }

    std::string png_;
};

TEST_F(PageSecurity, ChapterMarkupRunsNothingAndLoadsNothing) {
    site_.SetChapterContent(2, HostileContent());
    OpenWindow();
    OpenBook();
    const std::size_t requestsBefore = site_.Server().RequestCount();
    ActivateChapter(1);
    PageView& view = *Window().超文本浏览框1;
    ASSERT_TRUE(WaitUntil([&] { return view.toPlainText().contains(QStringLiteral("站内链接")); }))
        << view.toHtml().toStdString();

    // Only the chapter page itself was asked for: no picture, style sheet, refresh or form
    // went to the site.
    EXPECT_EQ(site_.Server().RequestCount(), requestsBefore + 1);
    const QString text = view.toPlainText();
    EXPECT_FALSE(text.contains(QStringLiteral("EXEC"))) << "a script ran";
    EXPECT_FALSE(text.contains(QStringLiteral("root:"))) << "a local file was shown";
    // The document holds no picture of the local file, under any of its names.
    for (const QUrl& url :
         {QUrl::fromLocalFile(QString::fromStdString(png_)), QUrl(QStringLiteral("red.png"))}) {
        EXPECT_TRUE(view.document()->resource(QTextDocument::ImageResource, url).isNull())
            << url.toString().toStdString();
    }
    EXPECT_EQ(RedPixels(view), 0) << "the local picture is drawn";

    // Links go nowhere: the chapter stays, nothing local is shown, nothing is fetched.
    ClickLink(view, "本地链接");
    ClickLink(view, "站内链接");
    EXPECT_TRUE(view.toPlainText().contains(QStringLiteral("正文开始")));
    EXPECT_FALSE(view.toPlainText().contains(QStringLiteral("root:")));
    EXPECT_EQ(site_.Server().RequestCount(), requestsBefore + 1);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    window_.reset();
    ExpectDb1({{"2", "0"}}, {});
}

TEST_F(PageSecurity, AnOrdinaryBrowserWouldShowThePicture) {
    // The check above can see the picture: a plain text browser allowed to read local files
    // draws it.
    QTextBrowser plain;
    plain.resize(400, 300);
    plain.setSearchPaths({QString::fromStdString(run_.Path())});
    plain.setHtml(QStringLiteral("<img src=\"red.png\" width=\"64\" height=\"64\">"));
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    EXPECT_GT(RedPixels(plain), 1000);
}

}  // namespace
}  // namespace qingwu::test
