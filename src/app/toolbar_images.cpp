#include "app/toolbar_images.h"

#include "app/markup_grid.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velmar::app {

namespace {

void roundedFace(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(130), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 5, 5);
}

} // namespace

QIcon toolbarIcon(int button) {
    QPixmap pm(72, 60);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2); // drawn at twice the size for sharp edges
    roundedFace(p, QRectF(1, 1, 34, 28), QColor(0xFF, 0xF1, 0xC2), QColor(0xF2, 0xA8, 0x2C));
    p.setPen(QPen(QColor(0x5A, 0x2D, 0x00), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QColor ink(0x5A, 0x2D, 0x00);
    switch (button) {
    case 0: // download: an arrow into a tray
        p.drawLine(QPointF(18, 6), QPointF(18, 18));
        p.drawPolyline(QPolygonF({QPointF(13, 13), QPointF(18, 18), QPointF(23, 13)}));
        p.drawPolyline(
            QPolygonF({QPointF(9, 19), QPointF(9, 24), QPointF(27, 24), QPointF(27, 19)}));
        break;
    case 1: // open: a folder
        p.drawPolygon(QPolygonF({QPointF(8, 9), QPointF(15, 9), QPointF(17, 12), QPointF(28, 12),
                                 QPointF(28, 23), QPointF(8, 23)}));
        break;
    case 2: // race list
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(10, 9 + i * 6), QPointF(26, 9 + i * 6));
        }
        break;
    case 3: // previous
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(23, 8), QPointF(12, 15), QPointF(23, 22)}));
        break;
    case 4: // next
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(13, 8), QPointF(24, 15), QPointF(13, 22)}));
        break;
    case 5: // pace map: dots on axes
        p.drawPolyline(QPolygonF({QPointF(9, 7), QPointF(9, 23), QPointF(27, 23)}));
        p.setBrush(ink);
        p.drawEllipse(QPointF(15, 17), 1.5, 1.5);
        p.drawEllipse(QPointF(20, 12), 1.5, 1.5);
        p.drawEllipse(QPointF(24, 15), 1.5, 1.5);
        break;
    case 6: // user odds: a pencil
        p.drawLine(QPointF(11, 22), QPointF(24, 9));
        p.drawLine(QPointF(10, 23), QPointF(13, 23));
        break;
    case 7: // output: a sheet with lines
        p.drawRect(QRectF(11, 6, 14, 18));
        p.drawLine(QPointF(14, 11), QPointF(22, 11));
        p.drawLine(QPointF(14, 15), QPointF(22, 15));
        p.drawLine(QPointF(14, 19), QPointF(20, 19));
        break;
    case 8: { // gap horses: bars
        p.setBrush(ink);
        p.drawRect(QRectF(10, 16, 4, 7));
        p.drawRect(QRectF(16, 10, 4, 13));
        p.drawRect(QRectF(22, 13, 4, 10));
        break;
    }
    default: { // help
        QFont f = gridFont(18);
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(1, 1, 34, 28), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    p.end();
    pm.setDevicePixelRatio(2);
    return QIcon(pm);
}

QIcon homePageIcon() {
    QPixmap pm(144, 60);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    roundedFace(p, QRectF(1, 3, 70, 24), QColor(0x3A, 0x7A, 0x4A), QColor(0x1C, 0x3F, 0x26));
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 3, 70, 24), Qt::AlignCenter, QStringLiteral("Velmar"));
    p.end();
    pm.setDevicePixelRatio(2);
    return QIcon(pm);
}

QPixmap patternImage(int pattern, bool lit) {
    static const char* const names[4] = {"本命", "順当", "波乱", "大穴"};
    static const QColor colours[4] = {QColor(0xD0, 0x20, 0x20), QColor(0xE0, 0x80, 0x10),
                                      QColor(0x20, 0x60, 0xC0), QColor(0x80, 0x20, 0xA0)};
    QPixmap pm(96, 44);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2);
    const int i = pattern >= 0 && pattern < 4 ? pattern : 0;
    if (lit) {
        roundedFace(p, QRectF(1, 1, 46, 20), colours[i].lighter(130), colours[i]);
    } else {
        roundedFace(p, QRectF(1, 1, 46, 20), QColor(0xF0, 0xF0, 0xF0), QColor(0xC8, 0xC8, 0xC8));
    }
    QFont f = gridFont(13);
    f.setBold(lit);
    p.setFont(f);
    p.setPen(lit ? QColor(Qt::white) : QColor(0xA0, 0xA0, 0xA0));
    p.drawText(QRectF(1, 1, 46, 20), Qt::AlignCenter, QString::fromUtf8(names[i]));
    p.end();
    pm.setDevicePixelRatio(2);
    return pm;
}

} // namespace velmar::app
