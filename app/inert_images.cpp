#include "app/inert_images.h"

#include <QAbstractTextDocumentLayout>
#include <QObject>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextObjectInterface>

namespace qingwu {
namespace {

// The picture handler that loads nothing: a box of the stated size with a thin grey frame.
class InertImageHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

  public:
    explicit InertImageHandler(QObject* parent) : QObject(parent) {}

    QSizeF intrinsicSize(QTextDocument* /*document*/, int /*position*/,
                         const QTextFormat& format) override {
        const QTextImageFormat image = format.toImageFormat();
        const qreal width = image.width() > 0 ? image.width() : kDefaultSide;
        const qreal height = image.height() > 0 ? image.height() : kDefaultSide;
        return {width, height};
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* /*document*/,
                    int /*position*/, const QTextFormat& /*format*/) override {
        painter->save();
        painter->setPen(QColor(0xC0, 0xC0, 0xC0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

  private:
    static constexpr qreal kDefaultSide = 16;
};

}  // namespace

void MakeImagesInert(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    layout->registerHandler(QTextFormat::ImageObject, new InertImageHandler(layout));
}

}  // namespace qingwu

#include "inert_images.moc"
