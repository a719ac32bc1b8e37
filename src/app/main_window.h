#pragma once
// TfrmQV: the main window. It owns the state of the running program (the race
// day, the prediction shown, the display settings) and turns menu, toolbar and
// grid actions into calls of the core; everything it shows comes from the core.

#include "app/markup_grid.h"
#include "bets/day_export.h"
#include "data/race_day.h"
#include "engine/prediction.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QToolButton>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QTextBrowser;

namespace velmar::history {
class HistoryStore;
}

namespace velmar::views {
class TfrmSyosai;
class TfrmKaime;
} // namespace velmar::views

namespace velmar::app {

struct MainWindowOptions {
    std::filesystem::path home; // the Velmar home (race-day files, Gap/, UserOdds/, Data/)
    QString archive;            // imported when the window is first shown
    QString developerIni;       // the developer switch file
    bool connectHistory = true; // open Data/QV.FDB at creation
};

// Injectable signal for "the system beep" (tests count it).
using BeepHook = std::function<void()>;

class TfrmQV : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfrmQV(MainWindowOptions options, QWidget* parent = nullptr);
    ~TfrmQV() override;

    // --- state read by the other windows and commands ---
    const std::filesystem::path& home() const { return home_; }
    std::filesystem::path gapFolder() const { return home_ / "Gap"; }
    const data::RaceDay& raceDay() const { return day_; }
    // The race shown, or none before the first prediction.
    const engine::Prediction* prediction() const { return prediction_ ? &*prediction_ : nullptr; }
    int currentRace() const { return currentRace_; }
    int sortCode() const { return sortCode_; }
    bool showThreeRaces() const { return showThreeRaces_; }
    bool autoResize() const { return autoResize_; }
    bool userOddsMode() const { return userOddsMode_; }
    bool developerMode() const { return developerMode_; }
    bool historyConnected() const { return static_cast<bool>(history_); }
    history::HistoryStore* historyStore() const { return historyStore_.get(); }
    bool detailWindowShown() const { return detailWindowShown_; }
    bool betWindowShown() const { return betWindowShown_; }
    int height2() const { return height2_; }
    MarkupGrid* grid() const { return grid_; }
    QLabel* titleLabel(int i) const { return i == 0 ? lblTitle1_ : lblTitle2_; }
    QLabel* betLabel(int i) const { return lblKai_.at(size_t(i)); }
    QProgressBar* gauge() const { return gauData_; }
    QLabel* sortStatus() const { return staUserOdds_; }
    views::TfrmSyosai* detailWindow() const { return frmSyosai_; }
    views::TfrmKaime* betWindow() const { return frmKaime_; }
    // An action, menu or toolbar button by its component name (D1, popPrint, ImgBtn7 ...).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QToolButton* toolButton(int i) const { return imgBtn_.at(size_t(i)); }

    // The one save dialog of the exports: asks for a file (title, Qt filter,
    // proposed name in `folder`) and, when it exists, asks
    // "同名のファイルが存在します。上書きしてもよろしいですか？" (Yes/Cancel).
    // Empty when the user cancels.
    QString askSaveFileName(const QString& title, const QString& filter, const QString& folder,
                            const QString& defaultName);
    // Replaceable for tests: how the file dialog itself is asked.
    std::function<QString(const QString& title, const QString& filter, const QString& start)>
        saveDialogHook;
    std::function<QString(const QString& title, const QString& filter, const QString& start)>
        openDialogHook;

    // Day-wide runs hide the windows and restore them afterwards.
    struct HiddenWindows {
        bool main = false, detail = false, bet = false;
        int detailEntry = 0;
    };
    HiddenWindows hideWindowsForRun();
    void restoreWindowsAfterRun(const HiddenWindows& hidden);

    // The history lookup given to each prediction; empty when not connected.
    void setHistorySupplier(engine::HistorySupplier supplier) { history_ = std::move(supplier); }
    void setBeepHook(BeepHook hook) { beep_ = std::move(hook); }

    // --- commands (also reached through the menus) ---
    void predictRace(int k);
    void importArchive(const QString& path);
    bool loadDayFromHome(); // loadRaceDay over the home; true when a day was loaded
    void selectRace();      // S1 / ImgBtn2
    void previousRace();    // P1 / ImgBtn3
    void nextRace();        // N5 / ImgBtn4
    void openArchiveCommand();
    void downloadCommand();
    void showBetDetails(); // S2
    void showDetail(int horse, bool bringForward);
    void setShowThreeRaces(bool on); // pop2Sou / pop3Sou
    void setAutoResize(bool on);     // popResize
    void toggleUserOddsMode();       // N10
    void applyUserOddsMode();
    void headerClick(int col);
    void autoResizeWindow();
    void showHelp();
    void openUrl(const QString& url);
    void refreshBetText();

    // Developer HTML mode and day-wide runs change what a prediction does.
    void setHtmlMode(bool on) { htmlMode_ = on; }
    void setProgressShown(bool on) { progressShown_ = on; }
    bool progressShown() const { return progressShown_; }
    engine::PredictOptions predictOptions() const;

    // Messages and questions go through these (tests answer them instead of a box).
    std::function<void(const QString& text)> messageHook;
    std::function<bool(const QString& text)> confirmHook;
    std::function<void(const QString& url)> urlHook;
    // The provider sign-in dialog of the download command (set by its owner).
    std::function<void()> signInHook;
    // Runs the gap map command again when its window is open (set by its owner).
    std::function<void()> refreshGapMapHook;

    // Day-wide runs: beginDayRun hides the windows, marks the progress as
    // shown (no history lookups) and returns the callbacks of the progress
    // dialog (dayRunUi.begin, when its owner installed one; else the status
    // gauge); endDayRun closes it and restores the windows.
    struct DayRunUi {
        std::function<bets::DayRunCallbacks()> begin;
        std::function<void()> end;
    };
    DayRunUi dayRunUi;
    bets::DayRunCallbacks beginDayRun();
    void endDayRun();
    void showMessage(const QString& text);
    // True when the user answers with `yes`.
    bool confirm(const QString& text, QMessageBox::StandardButtons buttons,
                 QMessageBox::StandardButton yes);

  signals:
    void racePredicted(int k);     // after every prediction (pace map, gap map)
    void dayImported();            // after an import that reloaded the day
    void userOddsStored(int k);    // the typed ranks were stored and written
    void activatedBySecondStart(); // a second start asked this one forward
    void aboutToClose();           // settings written; secondary windows may save theirs
    void startupFinished();        // the first show's import, load and first race are done

  public slots:
    void bringToFront();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildActions();
    void buildTopPanel(QWidget* panel);
    void buildStatusBar();
    void buildGrid();
    void readSettings();
    void writeSettings();
    void rebuildRaceMenu();
    void showPrediction();
    void fillGrid();
    void afterBetsChanged();
    void showPattern(int pattern);
    void showBetPanel(const engine::Prediction& p);
    void onComboChanged(int row, int col, int index, const QString& text);
    int horseOfRow(int row) const;
    const engine::GridCell* predictedCell(int row, int col) const;
    void beep();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption,
                        const QString& shortcut, bool windowWide);

    MainWindowOptions options_;
    std::filesystem::path home_;
    data::RaceDay day_;
    std::optional<engine::Prediction> prediction_;
    int currentRace_ = -1;
    int sortCode_ = 1;
    bool showThreeRaces_ = false;
    bool autoResize_ = false; // read from the settings after the display mode
    bool userOddsMode_ = false;
    bool developerMode_ = false;
    bool detailWindowShown_ = false;
    bool betWindowShown_ = false;
    int height2_ = 700;
    bool firstShowDone_ = false;
    bool htmlMode_ = false;
    HiddenWindows hiddenForRun_;
    bool progressShown_ = false;
    std::unique_ptr<QTextBrowser> help_;
    std::unique_ptr<history::HistoryStore> historyStore_;
    engine::HistorySupplier history_;
    BeepHook beep_;

    MarkupGrid* grid_ = nullptr;
    QLabel* lblTitle1_ = nullptr;
    QLabel* lblTitle2_ = nullptr;
    std::array<QLabel*, 4> imgPatt_{};
    std::array<QLabel*, 19> lblKai_{};
    std::array<QWidget*, 4> kai_{};
    std::array<QToolButton*, 10> imgBtn_{};
    QProgressBar* gauData_ = nullptr;
    QLabel* staCaption_ = nullptr;
    QLabel* staUserOdds_ = nullptr;
    QMenuBar* mainMenu_ = nullptr;
    views::TfrmSyosai* frmSyosai_ = nullptr;
    views::TfrmKaime* frmKaime_ = nullptr;
};

} // namespace velmar::app
