#include "views/proxy_dialog.h"

#include "views/online_session.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmar::views {

TfrmOption::TfrmOption(online::ProxySettings& proxy, QWidget* parent)
    : QDialog(parent), proxy_(proxy) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("プロキシサーバーの設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    auto* text =
        new QLabel(QStringLiteral("プロキシサーバーの設定をしてください。(正常に接続できていれば"
                                  "設定する必要はありません)"),
                   this);
    text->setWordWrap(true);
    layout->addWidget(text);

    auto* form = new QFormLayout;
    txtAdress_ = new QLineEdit(qs(proxy.ProxyAddress), this);
    txtAdress_->setObjectName(QStringLiteral("txtAdress"));
    txtPort_ = new QSpinBox(this);
    txtPort_->setObjectName(QStringLiteral("txtPort"));
    txtPort_->setRange(0, 65535);
    txtPort_->setValue(proxy.ProxyPort);
    form->addRow(QStringLiteral("アドレス："), txtAdress_);
    form->addRow(QStringLiteral("ポート："), txtPort_);
    layout->addLayout(form);

    auto* group = new QGroupBox(QStringLiteral("認証(必要な場合のみ)"), this);
    auto* groupForm = new QFormLayout(group);
    txtID_ = new QLineEdit(qs(proxy.ProxyUser), group);
    txtID_->setObjectName(QStringLiteral("txtID"));
    txtPass_ = new QLineEdit(qs(proxy.ProxyPassword), group);
    txtPass_->setObjectName(QStringLiteral("txtPass"));
    txtPass_->setEchoMode(QLineEdit::Password);
    groupForm->addRow(QStringLiteral("ID："), txtID_);
    groupForm->addRow(QStringLiteral("パスワード："), txtPass_);
    layout->addWidget(group);

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
    connect(btnOK_, &QPushButton::clicked, this, &TfrmOption::btnOKClick);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint());
}

void TfrmOption::btnOKClick() {
    proxy_.ProxyAddress = utf8(txtAdress_->text());
    proxy_.ProxyPort = txtPort_->value();
    proxy_.ProxyUser = utf8(txtID_->text());
    proxy_.ProxyPassword = utf8(txtPass_->text());
    accept();
}

} // namespace velmar::views
