#pragma once
// TfrmProgress: the small window shown while a run walks through every race
// of the day. Its abort button only raises a flag; the run reads the flag
// between two races, so the race being worked on is always finished.

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <functional>

namespace velmar::views {

class TfrmProgress : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmProgress(QWidget* parent = nullptr);
    ~TfrmProgress() override;

    // The one dialog that exists, or none.
    static TfrmProgress* current();

    QProgressBar* gauge() const { return Gauge1_; }
    QPushButton* btnAbort() const { return btnAbort_; }
    bool abortRequested() const { return abortRequested_; }
    void resetAbort() { abortRequested_ = false; }
    void setPosition(int percent);

    // Told true when the dialog is created and false when it is asked to close.
    std::function<void(bool)> progressShownChanged;
    // Runs when the dialog is destroyed (the caller shows its window again).
    std::function<void()> destroyed;

  signals:
    void abortPressed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Esc does not close a running run

  private:
    QProgressBar* Gauge1_;
    QPushButton* btnAbort_;
    bool abortRequested_ = false;
};

} // namespace velmar::views
