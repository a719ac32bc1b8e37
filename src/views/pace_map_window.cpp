#include "views/pace_map_window.h"

#include "data/sjis.h"
#include "data/text.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>

namespace velmar::views {

namespace {

constexpr int kChartSize = 550;
constexpr double kAxisMax = 11.0;

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::vector<QColor> colorsOf(std::initializer_list<unsigned> rgb) {
    std::vector<QColor> out;
    for (unsigned v : rgb) {
        out.emplace_back(QRgb(v));
    }
    return out;
}

QSettings settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qv"));
}

} // namespace

std::vector<QColor> paceMapColors(int n) {
    if (n <= 0) {
        return {};
    }
    if (n <= 3 || n >= 19) {
        return std::vector<QColor>(size_t(n), QColor(Qt::black));
    }
    if (n <= 8) {
        auto all = colorsOf(
            {0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFFFF00, 0x008000, 0xFF9900, 0xFF66FF});
        all.resize(size_t(n));
        return all;
    }
    switch (n) {
    case 9:
        return colorsOf({0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFFFF00, 0x008000, 0xFF9900,
                         0xFF33FF, 0xFFCCFF});
    case 10:
        return colorsOf({0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFFFF00, 0x008000, 0xFF6600,
                         0xFFBB00, 0xFF33FF, 0xFFCCFF});
    case 11:
        return colorsOf({0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFFFF00, 0x008000, 0x99FF66,
                         0xFF6600, 0xFFBB00, 0xFF33FF, 0xFFCCFF});
    case 12:
        return colorsOf({0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0xFFFF00, 0xCCCC00, 0x008000,
                         0x99FF66, 0xFF6600, 0xFFBB00, 0xFF33FF, 0xFFCCFF});
    case 13:
        return colorsOf({0xFFFFFF, 0x000000, 0xFF0000, 0x0000FF, 0x00FFFF, 0xFFFF00, 0xCCCC00,
                         0x008000, 0x99FF66, 0xFF6600, 0xFFBB00, 0xFF33FF, 0xFFCCFF});
    case 14:
        return colorsOf({0xFFFFFF, 0x000000, 0xFF3300, 0xBB0000, 0x0000FF, 0x00FFFF, 0xFFFF00,
                         0xCCCC00, 0x008000, 0x99FF66, 0xFF6600, 0xFFBB00, 0xFF33FF, 0xFFCCFF});
    case 15:
        return colorsOf({0xFFFFFF, 0x000000, 0x666666, 0xFF3300, 0xBB0000, 0x0000FF, 0x00FFFF,
                         0xFFFF00, 0xCCCC00, 0x008000, 0x99FF66, 0xFF6600, 0xFFBB00, 0xFF33FF,
                         0xFFCCFF});
    case 16:
    case 17: {
        auto c = colorsOf({0xFFFFFF, 0xDDDDDD, 0x000000, 0x666666, 0xFF3300, 0xBB0000, 0x0000FF,
                           0x00FFFF, 0xFFFF00, 0xCCCC00, 0x008000, 0x99FF66, 0xFF6600, 0xFFBB00,
                           0xFF33FF, 0xFFCCFF});
        if (n == 17) {
            c.emplace_back(QRgb(0xDD00DD));
        }
        return c;
    }
    default: // 18
        return colorsOf({0xFFFFFF, 0xDDDDDD, 0x000000, 0x666666, 0xFF3300, 0xBB0000, 0x0000FF,
                         0x00FFFF, 0xFFFF00, 0xCCCC00, 0x008000, 0x99FF66, 0xFF6600, 0xFFAA00,
                         0xFFCC99, 0xFF33FF, 0xFFCCFF, 0xDD00DD});
    }
}

std::string coordinateText(double v) {
    // Rounded to the tenths the nudge steps make, so 0.1 + 0.2 reads "0.3".
    const double r = std::round(v * 1e9) / 1e9;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, r);
    return std::string(buf, res.ptr);
}

std::pair<double, double> nudgePoint(double x, double y, bool pattern,
                                     std::vector<std::string>& occupied) {
    const double step = pattern ? 0.2 : 0.1;
    size_t i = 0;
    while (i < occupied.size()) {
        if (occupied[i] == coordinateText(x) + "," + coordinateText(y)) {
            x += step;
            y -= step;
            i = 0;
        } else {
            ++i;
        }
    }
    occupied.push_back(coordinateText(x) + "," + coordinateText(y));
    return {x, y};
}

PaceMapContent paceMapContent(const engine::Prediction& p, bool pattern) {
    PaceMapContent c;
    const int n = int(p.runners.size());
    const std::vector<QColor> colors = paceMapColors(n);
    for (int i = 0; i < n && i < 18; ++i) {
        const engine::TBachu& b = p.runners[size_t(i)];
        const int horse = i + 1;
        if (b.returnPoints != 0 || b.winPoints != 0) {
            const auto [x, y] = nudgePoint(b.returnPoints, b.winPoints, pattern, c.occupied);
            PacePoint point{x, y, horse, colors[size_t(i)], {}};
            if (pattern) {
                point.label = qs(data::circledNumber(horse) + b.runningStyle + "・" +
                                 data::sjisLeft(b.distanceChange, 2));
            }
            c.points.push_back(point);
        }
        c.swatchColors.push_back(colors[size_t(i)]);
        c.legendNames.push_back(qs(data::padLeft(std::to_string(horse), 2) + " " + b.horseName));
    }
    return c;
}

// ---------------------------------------------------------------- chart

PaceChart::PaceChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Chart1"));
    setFixedSize(kChartSize, kChartSize);
}

void PaceChart::setPoints(std::vector<PacePoint> points, bool showLabels) {
    points_ = std::move(points);
    showLabels_ = showLabels;
    update();
}

void PaceChart::paintChart(QPainter* painter, const QRectF& rect) const {
    painter->save();
    painter->fillRect(rect, Qt::white);
    painter->setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
    painter->drawRect(rect);
    auto at = [&](double x, double y) {
        return QPointF(rect.left() + x / kAxisMax * rect.width(),
                       rect.bottom() - y / kAxisMax * rect.height());
    };
    const double side = rect.width() / 60.0;
    for (const PacePoint& p : points_) {
        const QPointF c = at(p.x, p.y);
        if (showLabels_) {
            // Text marks in place of the squares.
            painter->setPen(Qt::black);
            painter->drawText(QRectF(c.x() - 60, c.y() - 10, 120, 20), Qt::AlignCenter, p.label);
        } else {
            painter->setPen(QPen(Qt::white, 0));
            painter->setBrush(p.color);
            painter->drawRect(QRectF(c.x() - side, c.y() - side, 2 * side, 2 * side));
        }
    }
    painter->restore();
}

void PaceChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintChart(&painter, QRectF(rect()).adjusted(0, 0, -1, -1));
}

void PaceChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightPressed();
        return;
    }
    QWidget::mousePressEvent(event);
}

// ---------------------------------------------------------------- window

TfrmGraph::TfrmGraph(const QRect& mainGeometry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("展開マップ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QHBoxLayout(this);
    chart_ = new PaceChart(this);
    layout->addWidget(chart_);
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setFixedWidth(220);
    auto* side = new QVBoxLayout(panel_);
    side->setSpacing(2);
    for (int i = 0; i < 18; ++i) {
        auto* row = new QHBoxLayout;
        auto* swatch = new QLabel(QStringLiteral("■"), panel_);
        swatch->setObjectName(QStringLiteral("lblIro%1").arg(i));
        auto* name = new QLabel(panel_);
        name->setObjectName(QStringLiteral("lblBamei%1").arg(i));
        row->addWidget(swatch);
        row->addWidget(name, 1);
        side->addLayout(row);
        lblIro_[size_t(i)] = swatch;
        lblBamei_[size_t(i)] = name;
        swatch->hide();
        name->hide();
    }
    side->addStretch(1);
    auto* note = new QLabel(QStringLiteral("※右クリックでも切り替え可"), panel_);
    note->setObjectName(QStringLiteral("Label1"));
    side->addWidget(note);
    radPattern_ = new QCheckBox(QStringLiteral("展開パターンで表示(&P)"), panel_);
    radPattern_->setObjectName(QStringLiteral("radPattern"));
    side->addWidget(radPattern_);
    btnPrint_ = new QPushButton(QStringLiteral("印刷(&P)"), panel_);
    btnPrint_->setObjectName(QStringLiteral("btnPrint"));
    btnClose_ = new QPushButton(QStringLiteral("閉じる(&C)"), panel_);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setDefault(true);
    side->addWidget(btnPrint_);
    side->addWidget(btnClose_);
    layout->addWidget(panel_);
    setFixedSize(sizeHint());

    connect(radPattern_, &QCheckBox::clicked, this, [this] { redraw(); });
    connect(chart_, &PaceChart::rightPressed, this, &TfrmGraph::togglePattern);
    panel_->installEventFilter(this);
    radPattern_->installEventFilter(this);
    connect(btnPrint_, &QPushButton::clicked, this, &TfrmGraph::printCommand);
    connect(btnClose_, &QPushButton::clicked, this, &TfrmGraph::close);

    QSettings s = settings();
    s.beginGroup(QStringLiteral("frmGraph"));
    const int top = s.value(QStringLiteral("Top"),
                            mainGeometry.top() + mainGeometry.height() / 2 - height() / 2)
                        .toInt();
    const int left = s.value(QStringLiteral("Left"),
                             mainGeometry.left() + mainGeometry.width() / 2 - width() / 2)
                         .toInt();
    radPattern_->setChecked(s.value(QStringLiteral("ShowPattern"), false).toBool());
    s.endGroup();
    move(left, top);
}

void TfrmGraph::setRace(const engine::Prediction* prediction) {
    prediction_ = prediction;
}

void TfrmGraph::redraw() {
    for (int i = 0; i < 18; ++i) {
        lblIro_[size_t(i)]->hide();
        lblBamei_[size_t(i)]->hide();
    }
    occupied_.clear();
    if (!prediction_) {
        chart_->setPoints({}, radPattern_->isChecked());
        return;
    }
    PaceMapContent c = paceMapContent(*prediction_, radPattern_->isChecked());
    for (size_t i = 0; i < c.legendNames.size(); ++i) {
        QPalette pal = lblIro_[i]->palette();
        pal.setColor(QPalette::WindowText, c.swatchColors[i]);
        lblIro_[i]->setPalette(pal);
        lblIro_[i]->show();
        lblBamei_[i]->setText(c.legendNames[i]);
        lblBamei_[i]->show();
    }
    occupied_ = std::move(c.occupied);
    chart_->setPoints(std::move(c.points), radPattern_->isChecked());
}

void TfrmGraph::togglePattern() {
    radPattern_->setChecked(!radPattern_->isChecked());
    redraw();
}

void TfrmGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && panel_->geometry().contains(event->pos())) {
        togglePattern();
        return;
    }
    QDialog::mousePressEvent(event);
}

bool TfrmGraph::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == panel_ || watched == radPattern_) &&
        event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        togglePattern();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmGraph::closeEvent(QCloseEvent* event) {
    QSettings s = settings();
    s.beginGroup(QStringLiteral("frmGraph"));
    s.setValue(QStringLiteral("Top"), y());
    s.setValue(QStringLiteral("Left"), x());
    s.setValue(QStringLiteral("ShowPattern"), radPattern_->isChecked());
    s.endGroup();
    QDialog::closeEvent(event);
}

void TfrmGraph::printCommand() {
    std::unique_ptr<QPrinter> printer;
    if (printerHook) {
        printer = printerHook();
    } else {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    if (printer) {
        printTo(*printer);
    }
}

void TfrmGraph::printTo(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return; // printing errors are ignored without a message
    }
    const double dpi = printer.resolution();
    // Millimetres to device pixels, truncated; vertical positions use the
    // horizontal resolution too.
    auto mm = [dpi](double v) { return double(int(v * dpi / 25.4)); };
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic")});
    font.setPointSize(10);
    painter.setFont(font);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::black);
    // Texts are placed by their top-left corner.
    auto text = [&painter](double x, double y, const QString& t) {
        painter.drawText(QRectF(x, y, 1e5, 1e5), Qt::AlignLeft | Qt::AlignTop, t);
    };
    if (prediction_) {
        text(mm(15), mm(15), qs(prediction_->titleText1));
        text(mm(15), mm(20), qs(prediction_->titleText2));
    }
    chart_->paintChart(&painter, QRectF(QPointF(mm(15), mm(38)), QPointF(mm(155), mm(178))));
    for (int i = 0; i < 18; ++i) {
        if (!lblBamei_[size_t(i)]->isVisibleTo(const_cast<TfrmGraph*>(this))) {
            continue;
        }
        painter.setPen(QColor(0xCC, 0xCC, 0xCC));
        text(mm(15.3), mm(183.3 + 5 * i), QStringLiteral("■"));
        painter.setPen(lblIro_[size_t(i)]->palette().color(QPalette::WindowText));
        text(mm(15), mm(183 + 5 * i), QStringLiteral("■"));
        painter.setPen(Qt::black);
        text(mm(19), mm(183 + 5 * i), lblBamei_[size_t(i)]->text());
    }
    painter.end();
}

} // namespace velmar::views
