#include "views/progress_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace velmar::views {

namespace {
TfrmProgress* currentDialog = nullptr;
}

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Velmar"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("処理中です。しばらくお待ちください..."), this);
    text->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(text);
    Gauge1_ = new QProgressBar(this);
    Gauge1_->setObjectName(QStringLiteral("Gauge1"));
    Gauge1_->setRange(0, 100);
    Gauge1_->setValue(0);
    Gauge1_->setTextVisible(false);
    layout->addWidget(Gauge1_);
    btnAbort_ = new QPushButton(QStringLiteral("中止する(&A)"), this);
    btnAbort_->setObjectName(QStringLiteral("btnAbort"));
    layout->addWidget(btnAbort_, 0, Qt::AlignHCenter);
    connect(btnAbort_, &QPushButton::clicked, this, [this] {
        abortRequested_ = true;
        emit abortPressed();
    });
    setFixedSize(320, sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    currentDialog = this;
}

TfrmProgress::~TfrmProgress() {
    if (currentDialog == this) {
        currentDialog = nullptr;
    }
    if (destroyed) {
        destroyed();
    }
}

TfrmProgress* TfrmProgress::current() {
    return currentDialog;
}

void TfrmProgress::setPosition(int percent) {
    Gauge1_->setValue(std::clamp(percent, 0, 100));
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
    if (progressShownChanged) {
        progressShownChanged(false);
    }
    QDialog::closeEvent(event);
}

void TfrmProgress::reject() {
    // Only the abort button stops a run.
}

} // namespace velmar::views
