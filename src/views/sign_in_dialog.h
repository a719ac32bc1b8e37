#pragma once
// TfrmNinsyo: provider, ID and password; stores them (the password
// enciphered), signs in and opens the download window.

#include "views/online_session.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmar::views {

class TfrmNinsyo : public QDialog {
    Q_OBJECT
  public:
    TfrmNinsyo(OnlineSession& session, QWidget* parent = nullptr);

    QComboBox* cmbProvider() const { return cmbProvider_; }
    QLineEdit* txtID() const { return txtID_; }
    QLineEdit* txtPass() const { return txtPass_; }
    QLabel* lblMes() const { return lblMes_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    QPushButton* btnProxy() const { return btnProxy_; }

    void btnOKClick();
    void btnProxyClick();

  private:
    void updateOK();

    OnlineSession& session_;
    QComboBox* cmbProvider_;
    QLineEdit* txtID_;
    QLineEdit* txtPass_;
    QLabel* lblMes_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
    QPushButton* btnProxy_;
};

// The download command after its notice: the sign-in dialog, modal.
void showSignIn(OnlineSession& session, QWidget* parent);

} // namespace velmar::views
