#pragma once
// The output commands of the main window (bet file, external index file, CSV
// day file, developer bulk bet file, printing, newsletter pass), the pace map
// and about commands, and the progress dialog of every day-wide run. They are
// attached to the main window's actions by name and keep the secondary
// windows they own (pace map, progress dialog).

#include "app/main_window.h"
#include "bets/day_export.h"
#include "views/about_box.h"
#include "views/gap_map_window.h"
#include "views/pace_map_window.h"
#include "views/progress_dialog.h"

#include <QObject>
#include <QPointer>
#include <QPrinter>

#include <functional>
#include <memory>

namespace velmar::app {

class OutputCommands : public QObject {
    Q_OBJECT
  public:
    // Connects the commands to the window's actions; owned by the window.
    explicit OutputCommands(TfrmQV& window);

    void betFileCommand();    // mnuVantage / popVantage
    void indexFileCommand();  // mnuGaibuShisu / popGaibuShisu
    void csvFileCommand();    // popCSV
    void bulkFileCommand();   // mnuBrimfast / popBrimfast (developer mode only)
    void printCommand();      // P2 / popPrint
    void newsletterCommand(); // mnuHtml / popHtml
    void paceMapCommand();    // mnuMap
    void aboutCommand();      // popVersion
    void gapMapCommand();     // ImgBtn8: the day's gap horses, created first when missing

    views::TfrmGraph* paceMap() const { return paceMap_; }
    views::TfrmProgress* progressDialog() const { return progress_; }
    views::TfrmGAP* gapMap() const { return gapMap_; }

    // The printer of a print; null when none can be had. Default: the print
    // dialog on the platform's default printer (a file there prints a PDF).
    std::function<std::unique_ptr<QPrinter>()> printerHook;
    // The folder chooser of the newsletter command (empty: cancelled).
    std::function<QString(const QString& caption)> folderHook;
    // Runs the about box instead of its modal loop (tests drive it).
    std::function<void(views::TfrmAbout*)> aboutHook;

    // A day-wide run as the user sees it: the windows hidden, the progress
    // dialog shown, then the dialog closed, the remembered race predicted
    // again and the windows shown as before.
    struct RunState {
        TfrmQV::HiddenWindows hidden;
        int rememberedRace = -1;
        bool paceMapOpen = false;
        bool gapMapOpen = false;
    };
    RunState beginRun();
    bets::DayRunCallbacks runCallbacks();
    void endRun(const RunState& state, bool predictRemembered = true);

  signals:
    // A progress dialog was opened for a run (tests press its abort button).
    void progressOpened(views::TfrmProgress* dialog);

  private:
    void dayExport(bets::DayExportKind kind, const QString& title, const QString& filter,
                   const QString& fileName, const QString& suffix);
    QString askFile(const QString& title, const QString& filter, const QString& fileName,
                    const QString& suffix);
    void openProgress();
    void closeProgress();
    void printToPrinter(QPrinter& printer);
    void showGapMap(const std::filesystem::path& file);

    TfrmQV& window_;
    QPointer<views::TfrmProgress> progress_;
    QPointer<views::TfrmGraph> paceMap_;
    QPointer<views::TfrmGAP> gapMap_;
    QString lastFolder_;
};

// The folder chooser's caption of the newsletter command.
inline constexpr const char* kNewsletterFolderCaption = "HTMLの出力先フォルダを選択してください";
inline constexpr const char* kNoPrinterMessage = "プリンタが取得できません。処理を中止します。";

// The newsletter pass's working lists: conditionNameText of the races grouped
// by venue (at most three venues, while the races keep the first race's
// date) and the labels a1, a2, ... b1, ... c1, ...
struct NewsletterLists {
    std::vector<std::string> venues;
    std::vector<std::vector<std::string>> races;  // per venue
    std::vector<std::vector<std::string>> labels; // per venue
};
NewsletterLists newsletterLists(const data::RaceDay& day);

} // namespace velmar::app
