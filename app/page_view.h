#pragma once

#include <QTextBrowser>
#include <string>

namespace qingwu {

// The HTML view: shows the chapter page and the home page. It runs no scripts and loads nothing
// besides the page it is given: images, style sheets and any other resource a page refers to are
// never fetched, neither from the network nor from local files, and a click on a link goes
// nowhere.
class PageView : public QTextBrowser {
    Q_OBJECT

  public:
    explicit PageView(QWidget* parent);

    // Shows the page file at path (UTF-8), whose bytes are GBK. A file that cannot be read shows
    // a short note instead.
    void ShowPageFile(const std::string& path);
    // Shows the welcome page compiled into the program.
    void ShowHomePage();

    QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace qingwu
