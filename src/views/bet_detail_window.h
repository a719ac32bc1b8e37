#pragma once
// TfrmKaime: the bet-detail window, "買い目の詳細". A read-only memo with every
// ticket of the race shown, the race title in its status panel, and commands
// to save the text (CP932, CR LF) or copy the selection.

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

#include <functional>
#include <string>
#include <vector>

namespace velmar::views {

class TfrmKaime : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfrmKaime(QWidget* parent = nullptr);

    // Status panel title and memo lines (UTF-8 texts from the core).
    void setBetText(const std::string& title, const std::vector<std::string>& lines);
    QString statusText() const;
    QStringList memoLines() const;
    QPlainTextEdit* memo() const { return memo_; }

    // The save command: asks for the file (default name from the status
    // text) and writes the memo. Replaceable dialog for tests.
    void saveCommand();
    std::function<QString(const QString& title, const QString& filter, const QString& name)>
        saveDialogHook;
    // Writes the memo lines as CP932 text with CR LF line ends, replacing the
    // file in one piece. Returns an empty text or the error to show.
    QString saveTo(const QString& path) const;
    void copySelection();

  signals:
    void shownChanged(bool shown);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QPlainTextEdit* memo_;
    QLabel* spSkinStatusPanel1_;
};

} // namespace velmar::views
