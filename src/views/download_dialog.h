#pragma once
// TfrmDownload: the offered CNX archives with their prices; the user ticks,
// chooses the folder and confirms, and the download sequence of the core runs
// with this window showing its progress.

#include "online/download.h"
#include "views/online_session.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace velmar::views {

class TfrmDownload : public QDialog {
    Q_OBJECT
  public:
    TfrmDownload(const OnlineSession& session, QWidget* parent = nullptr);
    ~TfrmDownload() override;

    // Catalogue, sign-in check and list; false after telling the user why.
    bool PrepareDownload(const QString& provider, const QString& userId, const QString& password);

    QLabel* lblMember() const { return lblMember_; }
    QLabel* lblList() const { return lblList_; }
    QLabel* lblDownFile() const { return lblDownFile_; }
    QTreeWidget* sListView1() const { return sListView1_; }
    QLineEdit* txtDir() const { return txtDir_; }
    QToolButton* btnDir() const { return btnDir_; }
    QProgressBar* Gauge1() const { return Gauge1_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    online::CnxDownload& core() { return *download_; }

    void btnOKClick();
    void btnDirClick();

  public slots:
    void done(int result) override;
    void reject() override;

  private:
    void fillList();
    void updateOK();
    void syncChecks();

    const OnlineSession& session_;
    std::unique_ptr<online::CnxDownload> download_;
    int64_t total_ = 0;
    bool running_ = false;
    QLabel* lblMember_;
    QLabel* lblList_;
    QLabel* lblDownFile_;
    QTreeWidget* sListView1_;
    QLineEdit* txtDir_;
    QToolButton* btnDir_;
    QProgressBar* Gauge1_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
};

} // namespace velmar::views
