#include "views/about_box.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>

namespace velmar::views {

namespace {
constexpr QRgb kTransparent = 0xFFFF00FF; // magenta: never used in the artwork
const QColor kTextColor(58, 29, 29);
} // namespace

QImage aboutPicture() {
    QImage image(410, 180, QImage::Format_RGB32);
    image.fill(kTransparent);
    QPainter p(&image);
    // No antialiasing at the edge: the shape is cut by exact colour.
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath card;
    card.addRoundedRect(QRectF(4, 4, 402, 172), 28, 28);
    QLinearGradient sky(0, 4, 0, 176);
    sky.setColorAt(0, QColor(0xFF, 0xF4, 0xD6));
    sky.setColorAt(1, QColor(0xF2, 0xC9, 0x7A));
    p.fillPath(card, sky);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipPath(card);
    // A turf band and a running rail.
    QPainterPath turf;
    turf.moveTo(0, 150);
    turf.cubicTo(120, 120, 280, 170, 410, 135);
    turf.lineTo(410, 180);
    turf.lineTo(0, 180);
    turf.closeSubpath();
    p.fillPath(turf, QColor(0x4E, 0x8A, 0x3A));
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 2));
    p.drawLine(QPointF(0, 132), QPointF(410, 118));
    for (int x = 10; x < 410; x += 40) {
        p.drawLine(QPointF(x, 132 - x * 14.0 / 410), QPointF(x, 146 - x * 14.0 / 410));
    }
    // The product name.
    QFont title(QStringLiteral("IPAPGothic"));
    title.setPixelSize(46);
    title.setBold(true);
    p.setPen(QColor(0x8B, 0x2E, 0x16));
    p.drawText(QRectF(0, 14, 410, 56), Qt::AlignCenter, QStringLiteral("Velmar"));
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0x8B, 0x2E, 0x16), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(card);
    p.end();
    return image;
}

QRegion regionOfPicture(const QImage& image, QRgb transparent) {
    QRegion region;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = transparent | 0xFF000000u;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int x = 0;
        while (x < img.width()) {
            while (x < img.width() && (line[x] | 0xFF000000u) == key) {
                ++x;
            }
            const int start = x;
            while (x < img.width() && (line[x] | 0xFF000000u) != key) {
                ++x;
            }
            if (x > start) {
                region += QRect(start, y, x - start, 1);
            }
        }
    }
    return region;
}

TfrmAbout::TfrmAbout(Use use, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), use_(use), picture_(aboutPicture()) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(picture_.size());
    const QRgb transparent = picture_.pixel(0, picture_.height() - 1);
    shape_ = regionOfPicture(picture_, transparent);
    if (shape_.isEmpty()) {
        shape_ = QRegion(picture_.rect());
    }
    setMask(shape_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(1);
    connect(Timer1_, &QTimer::timeout, this, &TfrmAbout::fadeStep);
    if (use_ == Use::About) {
        alpha_ = 0;
        setWindowOpacity(0.0);
        setWindowModality(Qt::ApplicationModal);
    }
}

void TfrmAbout::exec() {
    QPointer<TfrmAbout> self(this);
    Timer1_->start();
    show();
    activateWindow();
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (self) {
        loop.exec();
    }
}

void TfrmAbout::fadeStep() {
    if (alpha_ + 20 < 255) {
        alpha_ += 20;
    } else {
        alpha_ = 255;
        Timer1_->stop();
    }
    setWindowOpacity(alpha_ / 255.0);
}

void TfrmAbout::releaseWhenActive(QWidget* mainWindow) {
    mainWindow->installEventFilter(this);
}

void TfrmAbout::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    p.setPen(kTextColor);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QRect(0, 92, width(), 18), Qt::AlignCenter, QString::fromUtf8(kAboutNotice));
    p.drawText(QRect(0, 110, width(), 18), Qt::AlignCenter, QString::fromUtf8(kAboutVersion));
}

void TfrmAbout::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        release();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TfrmAbout::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) {
        release();
    }
    QWidget::changeEvent(event);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched != this) {
        watched->removeEventFilter(this);
        release();
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmAbout::release() {
    if (released_) {
        return;
    }
    released_ = true;
    Timer1_->stop();
    close(); // WA_DeleteOnClose frees it
}

} // namespace velmar::views
