#include "views/gap_map_window.h"

#include "bets/day_export.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QVBoxLayout>

namespace velmar::views {

namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QSettings settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qv"));
}

// A cell that holds text, a single space included.
bool hasText(const QString& cell) {
    return !cell.isEmpty();
}

} // namespace

TfrmGAP::TfrmGAP(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmGAP"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(history::kGapMapDefaultCaption));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setFixedHeight(40);
    ImgBtn1_ = new QToolButton(top);
    ImgBtn1_->setObjectName(QStringLiteral("ImgBtn1"));
    ImgBtn1_->setToolTip(QString::fromUtf8(history::kGapMapButtonHint));
    ImgBtn1_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    ImgBtn1_->setIconSize(QSize(28, 28));
    ImgBtn1_->setAutoRaise(true);
    ImgBtn1_->setGeometry(4, 2, 36, 36);
    layout->addWidget(top);

    Grid1_ = new app::MarkupGrid(this);
    Grid1_->setObjectName(QStringLiteral("Grid1"));
    Grid1_->setColumnCount(3);
    for (int c = 0; c < 3; ++c) {
        Grid1_->setHeaderText(c, QString::fromUtf8(history::kGapMapHeaders[size_t(c)]));
    }
    Grid1_->setColumnWidths(
        {history::kGapMapColumnWidths.begin(), history::kGapMapColumnWidths.end()});
    Grid1_->setDataRowHeight(history::kGapMapRowHeight);
    Grid1_->setHeaderHeight(history::kGapMapRowHeight);
    layout->addWidget(Grid1_, 1);

    // Text cells black on white; the header and the venue column centred;
    // a silver line above every venue but the first.
    Grid1_->cellStyleHook = [this](int row, int col) {
        if (hasText(Grid1_->cell(row, col))) {
            return app::CellStyle{Qt::white, Qt::black};
        }
        return app::CellStyle{};
    };
    Grid1_->alignmentHook = [](int row, int col) -> Qt::Alignment {
        if (row < 0 || col == 0) {
            return Qt::AlignHCenter | Qt::AlignVCenter;
        }
        return Qt::AlignLeft | Qt::AlignVCenter;
    };
    Grid1_->cellBorderHook = [this](int row, int) {
        app::CellBorder border;
        const QString venue = Grid1_->cell(row, 0);
        if (row > 0 && hasText(venue) && venue != QStringLiteral(" ")) {
            border.top = true;
            border.width = 2;
            border.color = QColor(192, 192, 192);
        }
        return border;
    };
    connect(Grid1_, &app::MarkupGrid::anchorClicked, this, &TfrmGAP::onAnchor);
    connect(ImgBtn1_, &QToolButton::clicked, this, &TfrmGAP::bulkBetFileCommand);

    resize(history::kGapMapWidth, 115);
    QSettings s = settings();
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    const int top0 =
        s.value(QStringLiteral("frmGap/Top"), (screen.height() - height()) / 2).toInt();
    const int left0 =
        s.value(QStringLiteral("frmGap/Left"), (screen.width() - width()) / 2).toInt();
    move(left0, top0);
}

bool TfrmGAP::loadGapMap(const std::filesystem::path& file, const data::RaceDay& day) {
    auto loaded = history::loadGapMap(file, day);
    if (!loaded) {
        if (showMessage) {
            showMessage(qs(loaded.error().message));
        }
        return false;
    }
    map_ = std::move(*loaded);
    setWindowTitle(qs(map_.caption));
    Grid1_->beginUpdate();
    Grid1_->setRowCount(int(map_.rows.size()));
    for (int r = 0; r < int(map_.rows.size()); ++r) {
        for (int c = 0; c < 3; ++c) {
            Grid1_->setCell(r, c, qs(map_.rows[size_t(r)][size_t(c)]));
        }
    }
    Grid1_->endUpdate();
    resize(history::kGapMapWidth, map_.windowHeight);
    return true;
}

void TfrmGAP::onAnchor(int, int col, const QString& value) {
    if (col == 1) {
        emit raceRequested(value.toInt());
    } else if (col == 2) {
        const QStringList parts = value.split(QLatin1Char(','));
        if (parts.size() == 2) {
            emit horseRequested(parts[0].toInt(), parts[1].toInt());
        }
    }
}

void TfrmGAP::bulkBetFileCommand() {
    if (!askSaveFile || map_.date.empty()) {
        return;
    }
    const QString filter = QString::fromUtf8(history::kGapBetFileFilter).section('|', 0, 0);
    const QString path =
        askSaveFile(QStringLiteral("名前を付けて保存"), filter, qs(history::gapBetFileName(map_)));
    if (path.isEmpty()) {
        return;
    }
    const history::GapBetLines bet = history::gapBetLines(map_);
    const Status written =
        bets::writeLinesFile(std::filesystem::path(path.toStdString()), bet.lines);
    if (!written && showMessage) {
        showMessage(qs(written.error().message));
    }
}

void TfrmGAP::closeEvent(QCloseEvent* event) {
    QSettings s = settings();
    s.setValue(QStringLiteral("frmGap/Top"), y());
    s.setValue(QStringLiteral("frmGap/Left"), x());
    QWidget::closeEvent(event);
}

} // namespace velmar::views
