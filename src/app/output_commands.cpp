#include "app/output_commands.h"

#include "app/print_sheet.h"
#include "history/gap_data.h"
#include "history/history_store.h"
#include "views/about_box.h"
#include "views/detail_window.h"
#include "views/pace_map_window.h"
#include "views/progress_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinterInfo>

#include <cmath>

namespace velmar::app {

namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
std::filesystem::path pathOf(const QString& s) {
    return std::filesystem::path(s.toStdString());
}
// "Name(*.ext)|*.ext" as the dialog's filter text.
QString dialogFilter(const char* filter) {
    return QString::fromUtf8(filter).section(QLatin1Char('|'), 0, 0);
}

} // namespace

NewsletterLists newsletterLists(const data::RaceDay& day) {
    NewsletterLists lists;
    if (day.raceCount == 0) {
        return lists;
    }
    const std::string firstDate = day.texts(0).raceDateText;
    for (int k = 0; k < day.raceCount && day.texts(k).raceDateText == firstDate; ++k) {
        const data::RaceTexts& t = day.texts(k);
        size_t v = 0;
        while (v < lists.venues.size() && lists.venues[v] != t.venueLabel) {
            ++v;
        }
        if (v == lists.venues.size()) {
            if (lists.venues.size() == 3) {
                continue; // at most three venues
            }
            lists.venues.push_back(t.venueLabel);
            lists.races.emplace_back();
            lists.labels.emplace_back();
        }
        lists.races[v].push_back(t.conditionNameText);
        lists.labels[v].push_back(std::string(1, char('a' + v)) +
                                  std::to_string(lists.labels[v].size() + 1));
    }
    return lists;
}

OutputCommands::OutputCommands(TfrmQV& window) : QObject(&window), window_(window) {
    setObjectName(QStringLiteral("outputCommands"));
    lastFolder_ = QString::fromStdString(window.home().string());
    auto hook = [this](const QString& name, void (OutputCommands::*command)()) {
        if (QAction* a = window_.action(name)) {
            connect(a, &QAction::triggered, this, command);
        }
    };
    hook(QStringLiteral("mnuVantage"), &OutputCommands::betFileCommand);
    hook(QStringLiteral("mnuGaibuShisu"), &OutputCommands::indexFileCommand);
    hook(QStringLiteral("popCSV"), &OutputCommands::csvFileCommand);
    hook(QStringLiteral("mnuBrimfast"), &OutputCommands::bulkFileCommand);
    hook(QStringLiteral("P2"), &OutputCommands::printCommand);
    hook(QStringLiteral("mnuHtml"), &OutputCommands::newsletterCommand);
    hook(QStringLiteral("mnuMap"), &OutputCommands::paceMapCommand);
    hook(QStringLiteral("popVersion"), &OutputCommands::aboutCommand);
    if (QToolButton* b = window_.toolButton(8)) {
        connect(b, &QToolButton::clicked, this, &OutputCommands::gapMapCommand);
    }
    // An import reloads an open gap map.
    window_.refreshGapMapHook = [this] {
        if (gapMap_) {
            gapMapCommand();
        }
    };

    // Every prediction redraws an open pace map.
    connect(&window_, &TfrmQV::racePredicted, this, [this](int) {
        if (paceMap_) {
            paceMap_->setRace(window_.prediction());
            paceMap_->redraw();
        }
    });

    // The main window's own day-wide run (gap data at import) shows this
    // progress dialog too and keeps the pace map out of sight meanwhile.
    window_.dayRunUi.begin = [this] {
        openProgress();
        return runCallbacks();
    };
    window_.dayRunUi.end = [this] { closeProgress(); };
}

// ---------------------------------------------------------------- day runs

void OutputCommands::openProgress() {
    if (paceMap_) {
        paceMap_->hide();
    }
    if (gapMap_) {
        gapMap_->hide();
    }
    if (!progress_) {
        progress_ = new views::TfrmProgress(nullptr);
        progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    progress_->resetAbort();
    progress_->progressShownChanged = [this](bool shown) { window_.setProgressShown(shown); };
    window_.setProgressShown(true);
    progress_->setPosition(0);
    progress_->show();
    emit progressOpened(progress_);
}

void OutputCommands::closeProgress() {
    if (progress_) {
        progress_->close();
        delete progress_.data();
    }
    window_.setProgressShown(false);
    if (paceMap_) {
        paceMap_->show();
    }
    if (gapMap_) {
        gapMap_->show();
    }
}

bets::DayRunCallbacks OutputCommands::runCallbacks() {
    bets::DayRunCallbacks callbacks;
    callbacks.processEvents = [] { QApplication::processEvents(); };
    callbacks.abortRequested = [this] { return progress_ && progress_->abortRequested(); };
    callbacks.progress = [this](int percent) {
        if (progress_) {
            progress_->setPosition(percent);
        }
    };
    return callbacks;
}

OutputCommands::RunState OutputCommands::beginRun() {
    RunState state;
    state.rememberedRace = window_.currentRace();
    state.paceMapOpen = bool(paceMap_);
    state.gapMapOpen = bool(gapMap_);
    if (paceMap_) {
        paceMap_->hide();
    }
    if (gapMap_) {
        gapMap_->hide();
    }
    state.hidden = window_.hideWindowsForRun();
    openProgress();
    return state;
}

void OutputCommands::endRun(const RunState& state, bool predictRemembered) {
    if (progress_) {
        progress_->close();
        delete progress_.data();
    }
    window_.setProgressShown(false);
    if (predictRemembered && state.rememberedRace >= 0 &&
        state.rememberedRace < window_.raceDay().raceCount) {
        window_.predictRace(state.rememberedRace);
    }
    window_.restoreWindowsAfterRun(state.hidden);
    if (state.paceMapOpen && paceMap_) {
        paceMap_->setRace(window_.prediction());
        paceMap_->redraw();
        paceMap_->show();
    }
    if (state.gapMapOpen && gapMap_) {
        gapMap_->show();
    }
}

// ---------------------------------------------------------------- exports

QString OutputCommands::askFile(const QString& title, const QString& filter,
                                const QString& fileName, const QString& suffix) {
    QString path = window_.askSaveFileName(title, filter, lastFolder_, fileName);
    if (path.isEmpty()) {
        return {};
    }
    lastFolder_ = QFileInfo(path).absolutePath();
    if (QFileInfo(path).suffix().isEmpty()) {
        // The default extension; a file of that name is asked about too.
        path += suffix;
        if (QFileInfo::exists(path) &&
            !window_.confirm(
                QStringLiteral("同名のファイルが存在します。上書きしてもよろしいですか？"),
                QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Yes)) {
            return {};
        }
    }
    return path;
}

void OutputCommands::betFileCommand() {
    const engine::Prediction* p = window_.prediction();
    if (!p || window_.currentRace() < 0) {
        return;
    }
    const QString path = askFile(QStringLiteral("名前を付けて保存"),
                                 dialogFilter("CorvaneVantageシリーズ 買い目ファイル(*.kmi)|*.kmi"),
                                 QStringLiteral("kaime.kmi"), QStringLiteral(".kmi"));
    if (path.isEmpty()) {
        return;
    }
    const auto lines = bets::betFileLines(window_.raceDay(), window_.currentRace(), *p);
    const Status written = bets::writeLinesFile(pathOf(path), lines);
    if (!written) {
        window_.showMessage(qs(written.error().message));
    }
}

void OutputCommands::dayExport(bets::DayExportKind kind, const QString& title,
                               const QString& filter, const QString& fileName,
                               const QString& suffix) {
    if (window_.raceDay().raceCount == 0) {
        return; // no day loaded: nothing to write
    }
    const QString path = askFile(title, filter, fileName, suffix);
    if (path.isEmpty()) {
        return;
    }
    const RunState state = beginRun();
    engine::PredictOptions options = window_.predictOptions();
    options.progressShown = true;
    // The remembered race is predicted again by the window itself.
    auto result =
        bets::exportDayFile(kind, pathOf(path), window_.raceDay(), -1, options, runCallbacks());
    endRun(state);
    if (!result) {
        // Nothing was written; an earlier file of that name is as it was.
        window_.showMessage(qs(result.error().message));
    }
}

void OutputCommands::indexFileCommand() {
    if (window_.raceDay().raceCount == 0) {
        return;
    }
    dayExport(bets::DayExportKind::Index, QStringLiteral("名前を付けて保存"),
              dialogFilter("外部指数ファイル(*.idx)|*.idx"),
              qs(bets::indexFileName(window_.raceDay())), QStringLiteral(".idx"));
}

void OutputCommands::csvFileCommand() {
    if (window_.raceDay().raceCount == 0) {
        return;
    }
    dayExport(bets::DayExportKind::Csv, QStringLiteral("名前を付けて保存"),
              dialogFilter("CSVファイル(*.CSV)|*.CSV"), qs(bets::csvFileName(window_.raceDay())),
              QStringLiteral(".csv"));
}

void OutputCommands::bulkFileCommand() {
    if (!window_.developerMode() || window_.raceDay().raceCount == 0) {
        return;
    }
    dayExport(bets::DayExportKind::Bulk, QStringLiteral("名前を付けて保存"),
              dialogFilter("買い目一括ファイル(*.kmi)|*.kmi"),
              qs(bets::bulkFileName(window_.raceDay())), QStringLiteral(".kmi"));
}

// ---------------------------------------------------------------- printing

void OutputCommands::printCommand() {
    const engine::Prediction* p = window_.prediction();
    if (!p) {
        return;
    }
    std::unique_ptr<QPrinter> printer;
    if (printerHook) {
        printer = printerHook();
    } else if (!QPrinterInfo::defaultPrinter().isNull() ||
               !QPrinterInfo::availablePrinters().isEmpty()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        QPrintDialog dialog(printer.get(), &window_);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
    } else {
        // No printer at all: the dialog still offers a PDF file.
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        QPrintDialog dialog(printer.get(), &window_);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
    }
    if (!printer || !printer->isValid()) {
        window_.showMessage(QString::fromUtf8(kNoPrinterMessage));
        return;
    }
    printToPrinter(*printer);
}

void OutputCommands::printToPrinter(QPrinter& printer) {
    const std::vector<std::string> title = printTitleLines(*window_.prediction());
    if (!printRaceSheet(printer, title, *window_.grid())) {
        window_.showMessage(QString::fromUtf8(kNoPrinterMessage));
    }
}

// ---------------------------------------------------------------- newsletter

void OutputCommands::newsletterCommand() {
    const QString caption = QString::fromUtf8(kNewsletterFolderCaption);
    const QString folder =
        folderHook ? folderHook(caption) : QFileDialog::getExistingDirectory(&window_, caption);
    if (folder.isEmpty()) {
        return;
    }
    // The lists are built as the pass defines them; no file is written from them.
    const NewsletterLists lists = newsletterLists(window_.raceDay());
    Q_UNUSED(lists);
    RunState state = beginRun();
    window_.setHtmlMode(true);
    if (progress_ && !progress_->abortRequested()) {
        progress_->setPosition(100);
    }
    endRun(state);
    window_.setHtmlMode(false);
    std::error_code ec;
    std::filesystem::remove(window_.home() / "tk.tmp", ec);
}

// ---------------------------------------------------------------- pace map

void OutputCommands::paceMapCommand() {
    if (paceMap_) {
        paceMap_->show();
        paceMap_->raise();
        paceMap_->activateWindow();
        return;
    }
    paceMap_ = new views::TfrmGraph(window_.frameGeometry(), &window_);
    paceMap_->setRace(window_.prediction());
    paceMap_->redraw();
    paceMap_->show();
}

// ---------------------------------------------------------------- gap map

void OutputCommands::gapMapCommand() {
    const data::RaceDay& day = window_.raceDay();
    if (day.raceCount == 0) {
        return;
    }
    const auto file = history::gapFilePath(window_.home(), day);
    if (!file) {
        window_.showMessage(qs(file.error().message));
        return;
    }
    if (!std::filesystem::exists(*file)) {
        if (!window_.confirm(qs(history::gapDataQuestion(day)),
                             QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Yes)) {
            return;
        }
        if (!data::oddsOfSameDay(day)) {
            window_.showMessage(QString::fromUtf8(history::kOddsNotSameDayMessage));
            return;
        }
        const RunState state = beginRun();
        engine::PredictOptions options = window_.predictOptions();
        options.progressShown = true;
        history::HistoryStore* store = window_.historyStore();
        if (store && !store->connected()) {
            store = nullptr;
        }
        auto created = history::createGapData(day, *file, -1, options, store, runCallbacks());
        endRun(state);
        if (!created) {
            window_.showMessage(qs(created.error().message));
            return;
        }
        if (!std::filesystem::exists(*file)) {
            return; // cancelled: no gap file, the next command asks again
        }
    }
    showGapMap(*file);
}

void OutputCommands::showGapMap(const std::filesystem::path& file) {
    if (!gapMap_) {
        gapMap_ = new views::TfrmGAP(&window_);
        gapMap_->askSaveFile = [this](const QString& title, const QString& filter,
                                      const QString& name) {
            return askFile(title, filter, name, QStringLiteral(".kmi"));
        };
        gapMap_->showMessage = [this](const QString& text) { window_.showMessage(text); };
        connect(gapMap_, &views::TfrmGAP::raceRequested, this,
                [this](int race) { window_.predictRace(race); });
        connect(gapMap_, &views::TfrmGAP::horseRequested, this, [this](int race, int horse) {
            window_.predictRace(race);
            window_.showDetail(horse, true);
        });
    }
    if (!gapMap_->loadGapMap(file, window_.raceDay())) {
        return;
    }
    gapMap_->show();
    gapMap_->raise();
    gapMap_->activateWindow();
}

// ---------------------------------------------------------------- about

void OutputCommands::aboutCommand() {
    auto* about = new views::TfrmAbout(views::TfrmAbout::Use::About, &window_);
    if (aboutHook) {
        aboutHook(about);
        return;
    }
    about->exec();
}

} // namespace velmar::app
