#include "app/page_view.h"

#include <QFile>
#include <QTextDocument>

#include "app/inert_images.h"
#include "app/qt_text.h"

namespace qingwu {
namespace {

// The view's document. A text document whose view declines a resource goes on to read it from
// the local file system itself; this one loads nothing, whatever the page names.
class TextOnlyDocument : public QTextDocument {
  public:
    explicit TextOnlyDocument(QObject* parent) : QTextDocument(parent) {}

  protected:
    QVariant loadResource(int /*type*/, const QUrl& /*name*/) override { return {}; }
};

}  // namespace

PageView::PageView(QWidget* parent) : QTextBrowser(parent) {
    setDocument(new TextOnlyDocument(this));
    MakeImagesInert(*document());
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setSearchPaths({});
    // The vertical bar is always there, as in the system's web view. A bar that came and went
    // with the page's length would change the text width and lay every long chapter out twice.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QVariant PageView::loadResource(int /*type*/, const QUrl& /*name*/) {
    // Nothing a page refers to is loaded: the view shows text only.
    return {};
}

void PageView::ShowPageFile(const std::string& path) {
    QFile file(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    if (!file.open(QIODevice::ReadOnly)) {
        setPlainText(QStringLiteral("无法打开页面文件：") + file.fileName());
        return;
    }
    const QByteArray bytes = file.readAll();
    setHtml(ToQString(TextView(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

void PageView::ShowHomePage() {
    QFile file(QStringLiteral(":/welcome.html"));
    if (!file.open(QIODevice::ReadOnly)) {
        clear();
        return;
    }
    setHtml(QString::fromUtf8(file.readAll()));
}

}  // namespace qingwu
