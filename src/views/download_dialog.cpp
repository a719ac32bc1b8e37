#include "views/download_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace velmar::views {

namespace fs = std::filesystem;

namespace {

// Waits while the window keeps repainting.
void waitResponsive(std::chrono::milliseconds ms) {
    QEventLoop loop;
    QTimer::singleShot(int(ms.count()), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void letEventsRun() {
    QApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace

TfrmDownload::TfrmDownload(const OnlineSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("frmDownload"));
    setWindowTitle(QStringLiteral("CNXデータのダウンロード"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    lblMember_ = new QLabel(this);
    lblMember_->setObjectName(QStringLiteral("lblMember"));
    lblList_ = new QLabel(this);
    lblList_->setObjectName(QStringLiteral("lblList"));
    layout->addWidget(lblMember_);
    layout->addWidget(lblList_);

    sListView1_ = new QTreeWidget(this);
    sListView1_->setObjectName(QStringLiteral("sListView1"));
    sListView1_->setRootIsDecorated(false);
    sListView1_->setSortingEnabled(false);
    sListView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sListView1_->setHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("種別"),
                                  QStringLiteral("価格(税込)"), QStringLiteral("パス")});
    sListView1_->header()->setSectionsClickable(false);
    sListView1_->setColumnWidth(0, 160);
    sListView1_->setColumnWidth(1, 200);
    sListView1_->setColumnWidth(2, 90);
    sListView1_->setColumnHidden(3, true); // the address: never seen
    sListView1_->setMinimumSize(500, 220);
    layout->addWidget(sListView1_);

    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(new QLabel(QStringLiteral("保存先："), this));
    txtDir_ = new QLineEdit(this);
    txtDir_->setObjectName(QStringLiteral("txtDir"));
    btnDir_ = new QToolButton(this);
    btnDir_->setObjectName(QStringLiteral("btnDir"));
    btnDir_->setText(QStringLiteral("..."));
    btnDir_->setToolTip(QStringLiteral("保存先のフォルダを指定"));
    dirRow->addWidget(txtDir_, 1);
    dirRow->addWidget(btnDir_);
    layout->addLayout(dirRow);

    lblDownFile_ = new QLabel(this);
    lblDownFile_->setObjectName(QStringLiteral("lblDownFile"));
    Gauge1_ = new QProgressBar(this);
    Gauge1_->setObjectName(QStringLiteral("Gauge1"));
    Gauge1_->setRange(0, 100);
    Gauge1_->setValue(0);
    Gauge1_->setVisible(false);
    layout->addWidget(lblDownFile_);
    layout->addWidget(Gauge1_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK_ = new QPushButton(QStringLiteral("&OK"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setEnabled(false);
    btnCancel_ = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnCancel_);
    layout->addLayout(buttons);

    // The data folder: Data/Dir, by default the home's "CNX".
    auto settings = onlineSettings();
    txtDir_->setText(settings
                         ->value(QStringLiteral("Data/Dir"),
                                 QString::fromStdString((session_.home / "CNX").string()))
                         .toString());

    online::DownloadCallbacks cb;
    cb.ask = [this](const std::string& q) { return session_.confirm(this, qs(q)); };
    cb.message = [this](const std::string& m) { session_.message(this, qs(m)); };
    cb.processEvents = letEventsRun;
    cb.wait = session_.waitHook ? session_.waitHook : waitResponsive;
    cb.workBegin = [this](int64_t total) { total_ = total; };
    cb.work = [this](int64_t count) {
        if (total_ > 0)
            Gauge1_->setValue(int(std::lround(double(count) / double(total_) * 100.0)));
    };
    cb.workEnd = [this] { Gauge1_->setValue(0); };
    cb.fileStarted = [this](const std::string& text) {
        Gauge1_->setVisible(true);
        lblDownFile_->setText(qs(text));
        sListView1_->repaint();
        letEventsRun();
    };
    cb.busy = [this](bool on) {
        running_ = on;
        btnOK_->setEnabled(!on);
        btnCancel_->setEnabled(!on);
    };
    cb.importArchive = [this](const fs::path& archive) {
        hide();
        if (session_.importArchive)
            session_.importArchive(archive);
    };
    download_ = std::make_unique<online::CnxDownload>(session_.home, onlineSettingsOf(session_),
                                                      std::move(cb));

    connect(sListView1_, &QTreeWidget::itemChanged, this, [this] { updateOK(); });
    connect(sListView1_, &QTreeWidget::itemClicked, this, [this] { updateOK(); });
    connect(txtDir_, &QLineEdit::textChanged, this, [this] { updateOK(); });
    connect(btnDir_, &QToolButton::clicked, this, &TfrmDownload::btnDirClick);
    connect(btnOK_, &QPushButton::clicked, this, &TfrmDownload::btnOKClick);
    connect(btnCancel_, &QPushButton::clicked, this, &TfrmDownload::reject);
}

TfrmDownload::~TfrmDownload() = default;

bool TfrmDownload::PrepareDownload(const QString& provider, const QString& userId,
                                   const QString& password) {
    download_->setDataFolder(fs::path(utf8(txtDir_->text())));
    if (!download_->PrepareDownload(utf8(provider), utf8(userId), utf8(password)))
        return false;
    lblMember_->setText(qs(download_->statusLine()));
    lblList_->setText(qs(download_->listCaption()));
    fillList();
    return true;
}

void TfrmDownload::fillList() {
    QSignalBlocker block(sListView1_);
    sListView1_->clear();
    for (const online::OfferItem& item : download_->items()) {
        auto* row = new QTreeWidgetItem(sListView1_);
        row->setText(0, qs(item.entry.fileName));
        row->setText(1, qs(item.entry.kind));
        row->setText(2, qs(item.entry.price + "円"));
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setText(3, qs(item.entry.address));
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setCheckState(0, item.checked ? Qt::Checked : Qt::Unchecked);
    }
}

void TfrmDownload::syncChecks() {
    for (int i = 0; i < sListView1_->topLevelItemCount(); ++i)
        download_->setChecked(size_t(i),
                              sListView1_->topLevelItem(i)->checkState(0) == Qt::Checked);
}

void TfrmDownload::updateOK() {
    if (running_)
        return;
    syncChecks();
    btnOK_->setEnabled(download_->okEnabled(utf8(txtDir_->text())));
}

void TfrmDownload::btnDirClick() {
    const QString caption = QStringLiteral("CNXデータの保存先フォルダを指定してください");
    QString chosen = session_.folderHook
                         ? session_.folderHook(caption, txtDir_->text())
                         : QFileDialog::getExistingDirectory(this, caption, txtDir_->text());
    if (!chosen.isEmpty())
        txtDir_->setText(chosen);
}

void TfrmDownload::btnOKClick() {
    syncChecks();
    online::DownloadOutcome outcome = download_->downloadChecked(fs::path(utf8(txtDir_->text())));
    Gauge1_->setValue(0);
    if (outcome == online::DownloadOutcome::Completed) {
        accept();
        return;
    }
    // Fetched items are gone from the list; the rest keep their ticks.
    fillList();
    updateOK();
}

void TfrmDownload::reject() {
    if (running_)
        return; // no closing while the transfer runs
    QDialog::reject();
}

void TfrmDownload::done(int result) {
    auto settings = onlineSettings();
    settings->setValue(QStringLiteral("Data/Dir"), txtDir_->text());
    download_->close();
    QDialog::done(result);
}

} // namespace velmar::views
