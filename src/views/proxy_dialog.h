#pragma once
// TfrmOption: the proxy settings of the session.

#include "online/http_client.h"

#include <QDialog>

class QLineEdit;
class QSpinBox;
class QPushButton;

namespace velmar::views {

class TfrmOption : public QDialog {
    Q_OBJECT
  public:
    TfrmOption(online::ProxySettings& proxy, QWidget* parent = nullptr);

    QLineEdit* txtAdress() const { return txtAdress_; }
    QSpinBox* txtPort() const { return txtPort_; }
    QLineEdit* txtID() const { return txtID_; }
    QLineEdit* txtPass() const { return txtPass_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }

  private:
    void btnOKClick();

    online::ProxySettings& proxy_;
    QLineEdit* txtAdress_;
    QSpinBox* txtPort_;
    QLineEdit* txtID_;
    QLineEdit* txtPass_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
};

} // namespace velmar::views
