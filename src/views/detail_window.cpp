#include "views/detail_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

namespace velmar::views {

namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The panel behind the labels: a dark band for the runner list, a light field
// for the captions.
class DetailPanel : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0xFF, 0xF8, 0xE6));
        QLinearGradient band(0, 0, 0, 38);
        band.setColorAt(0, QColor(0x2E, 0x5E, 0x3A));
        band.setColorAt(1, QColor(0x1C, 0x3F, 0x26));
        p.fillRect(QRect(0, 0, width(), 38), band);
        p.setPen(QColor(0xD8, 0xC8, 0x98));
        p.drawLine(QPoint(262, 46), QPoint(262, height() - 8));
    }
};

const char* const kRecordNames[26] = {
    "lbl1",     "lbl2",     "lbl3",     "lbl4",     "lbl5",     "lbl6",     "lbl7",
    "lbl8",     "lbl9",     "lbl10",    "lbl1000",  "lbl1200",  "lbl1400",  "lbl1600",
    "lbl1800",  "lbl2000",  "lbl2200",  "lbl2400",  "lbl1000d", "lbl1200d", "lbl1400d",
    "lbl1600d", "lbl1800d", "lbl2000d", "lbl2200d", "lbl2400d"};
const char* const kRecordCaptions[26] = {
    "全成績",       "全芝",         "全ダート",  "芝重",      "ダート重",  "芝右回り",  "芝左回り",
    "ダート右回り", "ダート左回り", "直線成績",  "芝～1000m", "芝～1200m", "芝～1400m", "芝～1600m",
    "芝～1800m",    "芝～2000m",    "芝～2200m", "芝2201m～", "ダ～1000m", "ダ～1200m", "ダ～1400m",
    "ダ～1600m",    "ダ～1800m",    "ダ～2000m", "ダ～2200m", "ダ2201m～"};

struct InfoField {
    const char* name;
    const char* caption;
};
const InfoField kInfoFields[11] = {
    {"lblSanti", "産地"},      {"lblSeisansya", "生産者"},  {"lblBanusi", "馬主"},
    {"lblChokyosi", "調教師"}, {"lblSouSyokin", "総賞金"},  {"lblHonSyokin", "本賞金"},
    {"lblTiti", "父"},         {"lblHaha", "母"},           {"lblHahaTiti", "母父"},
    {"lblHahaHaha", "母母"},   {"lblKyakusitu", "連対脚質"}};

} // namespace

TfrmSyosai::TfrmSyosai(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      cmbBamei_(nullptr), grid2_(nullptr) {
    setObjectName(QStringLiteral("frmSyosai"));
    setWindowTitle(QStringLiteral("詳細情報"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* panel = new DetailPanel(this);
    panel->setFixedSize(600, 330);
    layout->addWidget(panel);

    cmbBamei_ = new QComboBox(panel);
    cmbBamei_->setObjectName(QStringLiteral("cmbBamei"));
    cmbBamei_->setGeometry(8, 7, 230, 24);
    cmbBamei_->setFont(app::gridFont(13));
    connect(cmbBamei_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) {
            fillDetail(i);
        }
    });

    auto* seinen = addLabel(panel, QStringLiteral("lblSeinen"), QRect(248, 10, 150, 18), true);
    auto* umakigou = addLabel(panel, QStringLiteral("lblUmakigou"), QRect(404, 10, 190, 18), true);
    for (QLabel* white : {seinen, umakigou}) {
        white->setStyleSheet(QStringLiteral("color: white;"));
    }

    // Profile fields on the left, records on the right, as caption and value.
    for (int i = 0; i < 11; ++i) {
        const int y = 48 + i * 25;
        auto* caption = new QLabel(QString::fromUtf8(kInfoFields[i].caption), panel);
        caption->setGeometry(10, y, 56, 18);
        caption->setFont(app::gridFont(12));
        caption->setStyleSheet(QStringLiteral("color: #6B3A00;"));
        addLabel(panel, QString::fromLatin1(kInfoFields[i].name), QRect(68, y, 190, 18), true);
    }
    for (int i = 0; i < 26; ++i) {
        int x = 0;
        int y = 0;
        if (i < 10) {
            x = 270 + (i % 2) * 166;
            y = 48 + (i / 2) * 21;
        } else {
            const int k = i < 18 ? i - 10 : i - 18;
            x = 270 + (i < 18 ? 0 : 166);
            y = 48 + 5 * 21 + 6 + k * 21;
        }
        auto* caption = new QLabel(QString::fromUtf8(kRecordCaptions[i]), panel);
        caption->setGeometry(x, y, 80, 18);
        caption->setFont(app::gridFont(12));
        caption->setStyleSheet(QStringLiteral("color: #6B3A00;"));
        auto* value =
            addLabel(panel, QString::fromLatin1(kRecordNames[i]), QRect(x + 82, y, 80, 18), true);
        value->setText(QStringLiteral("  0  0  0  0"));
    }

    grid2_ = new app::MarkupGrid(this);
    grid2_->setObjectName(QStringLiteral("Grid2"));
    grid2_->setColumnCount(16);
    grid2_->setRowCount(5);
    static const char* const headers[16] = {
        "開催日", "レース", "条件",     "距離",     "タイム", "頭数",   "人気",   "着順",
        "騎手",   "斤量",   "ペース/F", "通過順位", "体重　", "馬番　", "着差　", "1（2）着馬"};
    for (int c = 0; c < 16; ++c) {
        grid2_->setHeaderText(c, QString::fromUtf8(headers[c]));
    }
    grid2_->setRowHeaders({QStringLiteral("5走前"), QStringLiteral("4走前"),
                           QStringLiteral("3走前"), QStringLiteral("2走前"),
                           QStringLiteral("1走前")},
                          41);
    grid2_->setColumnWidths({80, 84, 56, 68, 43, 36, 34, 34, 46, 36, 64, 80, 34, 34, 34, 112});
    grid2_->setDataRowHeight(18);
    grid2_->setHeaderHeight(18);
    grid2_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid2_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid2_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid2_->alignmentHook = [](int row, int col) -> Qt::Alignment {
        if (row < 0) {
            return Qt::AlignHCenter | Qt::AlignVCenter;
        }
        const int c = col + 1; // columns as counted with the fixed column
        const bool right = (c >= 5 && c <= 8) || (c >= 10 && c <= 15);
        return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    };
    grid2_->cellStyleHook = [this](int row, int) {
        app::CellStyle style;
        if (row >= 0 && row < 5) {
            if (rowColors_[size_t(row)] == PastRowColor::OtherVenue) {
                style.font = QColor(128, 0, 0);
            } else if (rowColors_[size_t(row)] == PastRowColor::NoTime) {
                style.font = QColor(128, 128, 128);
            }
        }
        return style;
    };
    const int gridHeight = 18 + 5 * 18 + grid2_->horizontalScrollBar()->sizeHint().height() + 4;
    grid2_->setFixedHeight(gridHeight);
    layout->addWidget(grid2_);
    setFixedSize(600, 330 + gridHeight);

    // Without caption buttons, Esc hides the window.
    auto* hideKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(hideKey, &QShortcut::activated, this, &QWidget::hide);
}

QLabel* TfrmSyosai::addLabel(QWidget* parent, const QString& name, const QRect& rect, bool) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setFont(app::gridFont(12));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* TfrmSyosai::label(const QString& name) const {
    return findChild<QLabel*>(name);
}

void TfrmSyosai::setRace(const data::RaceDay* day, const engine::Prediction* prediction) {
    day_ = day;
    prediction_ = prediction;
}

void TfrmSyosai::showDetail(int horse, bool bringForward) {
    {
        const QSignalBlocker block(cmbBamei_);
        cmbBamei_->clear();
        if (prediction_) {
            for (size_t i = 0; i < prediction_->runners.size(); ++i) {
                cmbBamei_->addItem(qs(runnerEntry(int(i) + 1, prediction_->runners[i].horseName)));
            }
        }
        cmbBamei_->setCurrentIndex(horse - 1 < cmbBamei_->count() ? horse - 1 : -1);
    }
    if (cmbBamei_->currentIndex() >= 0) {
        fillDetail(cmbBamei_->currentIndex());
    }
    if (bringForward) {
        show();
        raise();
        activateWindow();
    }
}

void TfrmSyosai::fillDetail(int index) {
    grid2_->beginUpdate();
    grid2_->clearCells();
    rowColors_.fill(PastRowColor::Normal);
    if (!day_ || !prediction_ || index < 0 || index >= int(prediction_->runners.size())) {
        grid2_->endUpdate();
        return;
    }
    const data::HorseLine horse{day_->horseLine(prediction_->firstRunner + index)};
    const std::string hint = size_t(index) < prediction_->runnerHintText.size()
                                 ? prediction_->runnerHintText[size_t(index)]
                                 : std::string();
    const DetailTexts t = detailTexts(horse, hint);
    const std::pair<const char*, const std::string*> fields[] = {
        {"lblSeinen", &t.seinen},       {"lblUmakigou", &t.umakigou},
        {"lblSanti", &t.santi},         {"lblSeisansya", &t.seisansya},
        {"lblBanusi", &t.banusi},       {"lblChokyosi", &t.chokyosi},
        {"lblSouSyokin", &t.souSyokin}, {"lblHonSyokin", &t.honSyokin},
        {"lblTiti", &t.titi},           {"lblHaha", &t.haha},
        {"lblHahaTiti", &t.hahaTiti},   {"lblHahaHaha", &t.hahaHaha},
        {"lblKyakusitu", &t.kyakusitu}};
    for (const auto& [name, text] : fields) {
        if (QLabel* l = label(QString::fromLatin1(name))) {
            l->setText(qs(*text));
        }
    }
    for (int i = 0; i < 26; ++i) {
        if (QLabel* l = label(QString::fromLatin1(kRecordNames[i]))) {
            l->setText(qs(t.records[size_t(i)]));
        }
    }
    for (int r = 0; r < 5; ++r) {
        const DetailPastRow& row = t.rows[size_t(r)];
        if (!row.used) {
            continue;
        }
        rowColors_[size_t(r)] = row.color;
        for (int c = 0; c < 16; ++c) {
            grid2_->setCell(r, c, qs(row.cells[size_t(c)]));
        }
    }
    grid2_->endUpdate();
    grid2_->scrollToTop();
    grid2_->horizontalScrollBar()->setValue(0);
}

void TfrmSyosai::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shownChanged(true);
}

void TfrmSyosai::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit shownChanged(false);
}

// The window can be dragged by its panel.
void TfrmSyosai::mousePressEvent(QMouseEvent* event) {
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TfrmSyosai::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        move(event->globalPosition().toPoint() - dragOffset_);
    }
}

} // namespace velmar::views
