#include "app/artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace qingwu {
namespace {

const QColor kInk(0x2f, 0x4f, 0x4f);
const QColor kLeaf(0x3c, 0x8d, 0x5a);
const QColor kPaper(0xfb, 0xf6, 0xe4);
const QColor kSpines[] = {QColor(0xb0, 0x3a, 0x2e), QColor(0x2e, 0x6d, 0xb0),
                          QColor(0xc9, 0x93, 0x2b), QColor(0x3c, 0x8d, 0x5a)};

// Every picture is drawn on a 32 × 32 grid and scaled to the size asked for.
QPainter& Begin(QPainter& p, int size) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    return p;
}

void DrawShelf(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    for (int i = 0; i < 4; ++i) {
        p.setBrush(kSpines[i]);
        p.drawRect(QRectF(5 + i * 6, 6 + (i % 2) * 3, 5, 19 - (i % 2) * 3));
    }
    p.setBrush(QColor(0x8b, 0x5a, 0x2b));
    p.drawRect(QRectF(2, 25, 28, 4));
}

void DrawBook(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    QPolygonF left({QPointF(3, 8), QPointF(15, 10), QPointF(15, 27), QPointF(3, 25)});
    QPolygonF right({QPointF(17, 10), QPointF(29, 8), QPointF(29, 25), QPointF(17, 27)});
    p.drawPolygon(left);
    p.drawPolygon(right);
    p.setPen(QPen(kInk.lighter(160), 1));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(6, 13 + i * 4), QPointF(13, 14.2 + i * 4));
        p.drawLine(QPointF(19, 14.2 + i * 4), QPointF(26, 13 + i * 4));
    }
}

void DrawAddToShelf(QPainter& p) {
    DrawBook(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x8b, 0x3e));
    p.drawEllipse(QPointF(24, 8), 7, 7);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 4), QPointF(24, 12));
    p.drawLine(QPointF(20, 8), QPointF(28, 8));
}

void DrawArrow(QPainter& p, bool toRight) {
    QPainterPath arrow;
    arrow.moveTo(4, 12);
    arrow.lineTo(17, 12);
    arrow.lineTo(17, 5);
    arrow.lineTo(29, 16);
    arrow.lineTo(17, 27);
    arrow.lineTo(17, 20);
    arrow.lineTo(4, 20);
    arrow.closeSubpath();
    if (!toRight) {
        p.translate(32, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x2e, 0x6d, 0xb0));
    p.drawPath(arrow);
}

void DrawSettings(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(0x8a, 0x8f, 0x99));
    QPainterPath gear;
    const QPointF c(16, 16);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 45.0);
        p.drawRect(QRectF(-3, -14, 6, 6));
        p.restore();
    }
    p.drawEllipse(c, 10, 10);
    p.setBrush(kPaper);
    p.drawEllipse(c, 4, 4);
}

void DrawLeaf(QPainter& p) {
    QPainterPath leaf;
    leaf.moveTo(16, 2);
    leaf.cubicTo(26, 4, 28, 12, 16, 16);
    leaf.cubicTo(4, 12, 6, 4, 16, 2);
    p.setPen(QPen(kLeaf.darker(140), 1));
    p.setBrush(kLeaf);
    p.drawPath(leaf);
    p.drawLine(QPointF(16, 4), QPointF(16, 15));
}

QPixmap Picture(int size, void (*draw)(QPainter&)) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    draw(Begin(p, size));
    return pixmap;
}

}  // namespace

QPixmap ToolbarPicture(int k, int size) {
    switch (k) {
        case 0:
            return Picture(size, DrawShelf);
        case 1:
            return Picture(size, DrawAddToShelf);
        case 2:
            return Picture(size, [](QPainter& p) { DrawArrow(p, false); });
        case 3:
            return Picture(size, [](QPainter& p) { DrawArrow(p, true); });
        case 4:
            return Picture(size, DrawSettings);
        default:
            return {};
    }
}

QList<QPixmap> ToolbarImageList() {
    QList<QPixmap> pictures;
    for (int k = 0; k < 5; ++k) {
        pictures.append(ToolbarPicture(k, 32));
    }
    return pictures;
}

QIcon WindowIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(Picture(size, [](QPainter& p) {
            p.save();
            p.translate(0, 6);
            p.scale(1.0, 0.8);
            DrawBook(p);
            p.restore();
            DrawLeaf(p);
        }));
    }
    return icon;
}

}  // namespace qingwu
