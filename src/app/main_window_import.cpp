#include "app/main_window.h"

#include "data/import.h"
#include "history/gap_data.h"
#include "history/history_store.h"

#include <QApplication>

namespace velmar::app {

namespace {
QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
} // namespace

bets::DayRunCallbacks TfrmQV::beginDayRun() {
    hiddenForRun_ = hideWindowsForRun();
    progressShown_ = true;
    if (dayRunUi.begin) {
        return dayRunUi.begin();
    }
    // Without a progress dialog the status-bar gauge shows the run.
    bets::DayRunCallbacks callbacks;
    callbacks.processEvents = [] { QApplication::processEvents(); };
    callbacks.abortRequested = [] { return false; };
    callbacks.progress = [this](int percent) { gauData_->setValue(percent); };
    return callbacks;
}

void TfrmQV::endDayRun() {
    if (dayRunUi.end) {
        dayRunUi.end();
    }
    gauData_->setValue(0);
    progressShown_ = false;
    restoreWindowsAfterRun(hiddenForRun_);
}

void TfrmQV::importArchive(const QString& path) {
    data::ImportHooks hooks;
    hooks.progress = [this](int percent) {
        gauData_->setValue(percent);
        // The gauge repaints while the archive is extracted.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    hooks.createGapData = [this](const std::filesystem::path& gapFile,
                                 const data::RaceDay& day) -> Status {
        // Gap data need the odds of the same day; without them the import goes on.
        if (!data::oddsOfSameDay(day)) {
            return okStatus();
        }
        const bets::DayRunCallbacks callbacks = beginDayRun();
        engine::PredictOptions options = predictOptions();
        options.progressShown = true;
        history::HistoryStore* store =
            historyStore_ && historyStore_->connected() ? historyStore_.get() : nullptr;
        // No race to show again here: the import's next step shows race 0.
        auto created = history::createGapData(day, gapFile, -1, options, store, callbacks);
        endDayRun();
        if (!created) {
            return created.error();
        }
        return okStatus();
    };
    hooks.showFirstRace = [this](const data::RaceDay&) {
        rebuildRaceMenu();
        predictRace(0);
    };
    hooks.refreshGapMap = [this](const data::RaceDay&) {
        if (refreshGapMapHook) {
            refreshGapMapHook();
        }
    };
    const data::ImportResult result =
        data::importArchive(home_, std::filesystem::path(path.toStdString()), day_, hooks);
    gauData_->setValue(0);
    if (!result.ok()) {
        // The day shown stays as it was.
        showMessage(qs(*result.message));
        return;
    }
    if (day_.raceCount == 0) {
        // Odds without a race card: nothing to show.
        rebuildRaceMenu();
        prediction_.reset();
        currentRace_ = -1;
        grid_->hide();
    }
    emit dayImported();
}

void TfrmQV::downloadCommand() {
    const QString notice = QStringLiteral(
        "【ご注意】\r\n\r\n自動ダウンロード機能は定額パック(Aコース、Bコース、Cコース)に\r\n"
        "対応しておりませんので、定額パックをご契約の方は、ブラウザを\r\n"
        "利用してダウンロードしてください。\r\n\r\n自動ダウンロードを継続しますか？");
    if (!confirm(notice, QMessageBox::Yes | QMessageBox::Abort, QMessageBox::Yes)) {
        return;
    }
    if (signInHook) {
        signInHook();
        return;
    }
    showMessage(QStringLiteral("このプログラムではプロバイダー認証を利用できません。"));
}

} // namespace velmar::app
