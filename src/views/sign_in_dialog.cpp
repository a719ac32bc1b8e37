#include "views/sign_in_dialog.h"

#include "online/password_cipher.h"
#include "views/download_dialog.h"
#include "views/proxy_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace velmar::views {

TfrmNinsyo::TfrmNinsyo(OnlineSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("frmNinsyo"));
    setWindowTitle(QStringLiteral("ユーザー認証"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    cmbProvider_ = new QComboBox(this);
    cmbProvider_->setObjectName(QStringLiteral("cmbProvider"));
    cmbProvider_->addItems({QStringLiteral("BIGLOBE"), QStringLiteral("@nifty")});
    txtID_ = new QLineEdit(this);
    txtID_->setObjectName(QStringLiteral("txtID"));
    txtPass_ = new QLineEdit(this);
    txtPass_->setObjectName(QStringLiteral("txtPass"));
    txtPass_->setEchoMode(QLineEdit::Password);
    form->addRow(QString(), cmbProvider_);
    form->addRow(QStringLiteral("ID："), txtID_);
    form->addRow(QStringLiteral("PASS："), txtPass_);
    layout->addLayout(form);

    lblMes_ = new QLabel(QStringLiteral("認証中です。しばらくお待ちください..."), this);
    lblMes_->setObjectName(QStringLiteral("lblMes"));
    lblMes_->setStyleSheet(QStringLiteral("color: red;"));
    lblMes_->setVisible(false);
    layout->addWidget(lblMes_);

    auto* hint = new QLabel(
        QStringLiteral("セキュリティソフトをお使いの方でうまくダウンロードができない場合は"
                       "セキュリティソフトを切って、再度お試しください。"),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK_ = new QPushButton(QStringLiteral("&OK"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnOK_->setDefault(true);
    btnCancel_ = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnCancel_);
    layout->addLayout(buttons);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* panelLayout = new QVBoxLayout(panel);
    auto* proxyText =
        new QLabel(QStringLiteral("プロキシサーバーを使用している場合、下のボタンを押して"
                                  "設定を行ってください。(正常に接続できていれば設定する"
                                  "必要はありません)"),
                   panel);
    proxyText->setWordWrap(true);
    btnProxy_ = new QPushButton(QStringLiteral("プロキシサーバーの設定"), panel);
    btnProxy_->setObjectName(QStringLiteral("btnProxy"));
    panelLayout->addWidget(proxyText);
    panelLayout->addWidget(btnProxy_);
    layout->addWidget(panel);

    // Stored sign-in data (Data/Provider, UserID, Password).
    auto settings = onlineSettings();
    settings->beginGroup(QStringLiteral("Data"));
    cmbProvider_->setCurrentIndex(settings->value(QStringLiteral("Provider"), -1).toInt());
    txtID_->setText(settings->value(QStringLiteral("UserID")).toString());
    const QString stored = settings->value(QStringLiteral("Password")).toString();
    settings->endGroup();
    if (!stored.isEmpty()) {
        auto plain = online::DecryptPassword(utf8(stored));
        if (plain)
            txtPass_->setText(qs(*plain));
        else
            session_.message(this, qs(plain.error().message));
    }

    connect(cmbProvider_, &QComboBox::currentIndexChanged, this, [this] { updateOK(); });
    connect(txtID_, &QLineEdit::textChanged, this, [this] { updateOK(); });
    connect(txtPass_, &QLineEdit::textChanged, this, [this] { updateOK(); });
    connect(btnOK_, &QPushButton::clicked, this, &TfrmNinsyo::btnOKClick);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnProxy_, &QPushButton::clicked, this, &TfrmNinsyo::btnProxyClick);
    updateOK();
    setFixedSize(sizeHint());
}

void TfrmNinsyo::updateOK() {
    btnOK_->setEnabled(!cmbProvider_->currentText().isEmpty() && !txtID_->text().isEmpty() &&
                       !txtPass_->text().isEmpty());
}

void TfrmNinsyo::btnProxyClick() {
    TfrmOption dialog(session_.proxy, this);
    dialog.exec();
}

void TfrmNinsyo::btnOKClick() {
    lblMes_->setVisible(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint();
    QApplication::processEvents();

    // The credentials are stored before they are checked.
    {
        auto settings = onlineSettings();
        settings->beginGroup(QStringLiteral("Data"));
        settings->setValue(QStringLiteral("Provider"), cmbProvider_->currentIndex());
        settings->setValue(QStringLiteral("UserID"), txtID_->text());
        settings->setValue(QStringLiteral("Password"),
                           qs(online::EncryptPassword(utf8(txtPass_->text()))));
        settings->endGroup();
        settings->sync();
    }

    TfrmDownload download(session_, parentWidget());
    bool prepared =
        download.PrepareDownload(cmbProvider_->currentText(), txtID_->text(), txtPass_->text());
    QApplication::restoreOverrideCursor();
    if (!prepared) {
        lblMes_->setVisible(false);
        return; // stays open for another try
    }
    hide();
    if (session_.showDownloadHook)
        session_.showDownloadHook(download);
    else
        download.exec();
    accept();
}

void showSignIn(OnlineSession& session, QWidget* parent) {
    TfrmNinsyo dialog(session, parent);
    dialog.exec();
}

} // namespace velmar::views
