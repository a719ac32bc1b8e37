// The output commands of the main window: the day-wide exports behind the
// progress dialog (cancel, overwrite question, a malformed race), printing to
// a PDF file, the print title block, the pace map and the about box.

#include "app_fixture.h"

#include "app/output_commands.h"
#include "app/print_sheet.h"
#include "data/sjis.h"
#include "views/about_box.h"
#include "views/detail_window.h"
#include "views/pace_map_window.h"
#include "views/progress_dialog.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

#include <cmath>
#include <fstream>
#include <set>

using namespace velmar;
using namespace velmar::apptest;

namespace {

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << bytes;
}

std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

class OutputCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();

    void indexExportCancelledAfterThirdRace();
    void overwriteCancelLeavesTheFile();
    void malformedRaceStopsTheRunAndRestoresWindows();
    void printsTitleAndGridToPdf();
    void printTitleLines_data();
    void printTitleLines();
    void paceMapColours_data();
    void paceMapColours();
    void paceMapNudgeAndWindow();
    void aboutBoxShapeAndFade();
    void gapMapCreatedShownAndExported();
    void bulkFileOnlyInDeveloperMode();
    void newsletterPassFillsTheHiddenGrid();
    void paceMapPrintsOnePage();
    void aboutBoxGoesWhenInactive();

  private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<QTemporaryDir> homeDir_;
    std::filesystem::path home_;
    Recorder rec_;
};

void OutputCommandsTest::initTestCase() {
    QVERIFY(settingsDir_.isValid());
}

void OutputCommandsTest::init() {
    useSettingsFolder(settingsDir_.path());
    homeDir_ = std::make_unique<QTemporaryDir>();
    home_ = pathOf(homeDir_->path());
    std::filesystem::create_directories(home_ / "Gap");
    rec_ = Recorder{};
}

void OutputCommandsTest::indexExportCancelledAfterThirdRace() {
    writeDay(home_, "20261213", 6, 10);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    w->predictRace(4);
    w->showDetail(5, true);
    QVERIFY(w->detailWindow()->isVisible());
    w->action("mnuMap")->trigger();
    QVERIFY(commands->paceMap() && commands->paceMap()->isVisible());

    const QString target = QDir(homeDir_->path()).filePath("day.idx");
    QString offeredName, offeredFilter;
    w->saveDialogHook = [&](const QString&, const QString& filter,
                            const QString& start) -> QString {
        offeredName = QFileInfo(start).fileName();
        offeredFilter = filter;
        return target;
    };
    // The abort button is pressed once the third race is done; the run
    // stops before the fourth.
    bool mainHiddenDuringRun = false;
    connect(commands, &app::OutputCommands::progressOpened, this, [&](views::TfrmProgress* dialog) {
        mainHiddenDuringRun = !w->isVisible() && !w->detailWindow()->isVisible() &&
                              !commands->paceMap()->isVisible() && w->progressShown();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Velmar"));
        QCOMPARE(dialog->btnAbort()->text(), QStringLiteral("中止する(&A)"));
        connect(dialog->gauge(), &QProgressBar::valueChanged, dialog, [dialog](int v) {
            if (v == 50) {
                QTest::mouseClick(dialog->btnAbort(), Qt::LeftButton);
            }
        });
    });
    w->action("popGaibuShisu")->trigger();

    QCOMPARE(offeredName, QStringLiteral("qv261213.idx"));
    QCOMPARE(offeredFilter, QStringLiteral("外部指数ファイル(*.idx)"));
    QVERIFY(mainHiddenDuringRun);
    const std::vector<std::string> lines = crlfLines(fileBytes(pathOf(target)));
    QVERIFY(!lines.empty());
    QCOMPARE(lines.front(), std::string("QV"));
    std::set<std::string> races;
    for (size_t i = 1; i < lines.size(); ++i) {
        // venue, date, race number: the race is the first three fields.
        const size_t third = lines[i].find(',', lines[i].find(',') + 1);
        races.insert(lines[i].substr(0, lines[i].find(',', third + 1)));
    }
    QCOMPARE(races.size(), size_t(3));
    QCOMPARE(lines.size(), size_t(1 + 3 * 10));
    // Everything as before: the remembered race, the detail window on its
    // horse, the pace map, no progress dialog left.
    QCOMPARE(w->currentRace(), 4);
    QVERIFY(w->isVisible());
    QVERIFY(w->detailWindow()->isVisible());
    QCOMPARE(w->detailWindow()->cmbBamei()->currentIndex(), 4);
    QVERIFY(commands->paceMap()->isVisible());
    QVERIFY(!w->progressShown());
    QVERIFY(views::TfrmProgress::current() == nullptr);
}

void OutputCommandsTest::overwriteCancelLeavesTheFile() {
    writeDay(home_, "20261213", 3, 8);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    struct Case {
        const char* action;
        const char* file;
    };
    for (const Case& c : {Case{"popCSV", "a.csv"}, Case{"popGaibuShisu", "a.idx"},
                          Case{"popVantage", "kaime.kmi"}}) {
        const std::filesystem::path target = home_ / c.file;
        writeBytes(target, "earlier content\r\n");
        w->saveDialogHook = [&](const QString&, const QString&, const QString&) {
            return qs(target.string());
        };
        QSignalSpy opened(commands, &app::OutputCommands::progressOpened);
        rec_.questions.clear();
        rec_.answer = false;
        w->action(c.action)->trigger();
        QCOMPARE(rec_.questions, QStringList{QStringLiteral(
                                     "同名のファイルが存在します。上書きしてもよろしいですか？")});
        QCOMPARE(fileBytes(target), std::string("earlier content\r\n"));
        QCOMPARE(opened.count(), 0);
        // Yes replaces it.
        rec_.answer = true;
        w->action(c.action)->trigger();
        QVERIFY(fileBytes(target) != "earlier content\r\n");
    }
}

void OutputCommandsTest::malformedRaceStopsTheRunAndRestoresWindows() {
    writeDay(home_, "20261213", 6, 10);
    // RunnerCount of the fifth race is not a number.
    const std::filesystem::path races = home_ / "cnx_den1.vd2";
    std::vector<std::string> lines = crlfLines(fileBytes(races));
    QVERIFY(lines.size() >= 6);
    lines[4].replace(336, 2, "1x");
    std::string joined;
    for (const auto& l : lines) {
        joined += l + "\r\n";
    }
    writeBytes(races, joined);

    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    w->predictRace(1);
    w->showDetail(3, true);
    const std::filesystem::path target = home_ / "day.csv";
    writeBytes(target, "earlier content\r\n");
    w->saveDialogHook = [&](const QString&, const QString&, const QString&) {
        return qs(target.string());
    };
    rec_.answer = true;
    rec_.messages.clear();
    w->action("popCSV")->trigger();
    QCOMPARE(rec_.messages.size(), 1);
    // The message names the file line, the race and the bad value.
    QVERIFY2(rec_.messages.front().contains(QStringLiteral("5 行目")) &&
                 rec_.messages.front().contains(QStringLiteral("1x")),
             qPrintable(rec_.messages.front()));
    QCOMPARE(fileBytes(target), std::string("earlier content\r\n"));
    QCOMPARE(w->currentRace(), 1);
    QVERIFY(w->isVisible());
    QVERIFY(w->detailWindow()->isVisible());
    QCOMPARE(w->detailWindow()->cmbBamei()->currentIndex(), 2);
    QVERIFY(!w->progressShown());
    QVERIFY(commands->progressDialog() == nullptr);
}

void OutputCommandsTest::printsTitleAndGridToPdf() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) reads the printed PDF back");
    writeDay(home_, "20261213", 12, 14, 11);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    // A race from 9R on with bets: all three columns.
    int race = -1;
    for (int k = 0; k < w->raceDay().raceCount && race < 0; ++k) {
        w->predictRace(k);
        const engine::Prediction& p = *w->prediction();
        if (p.markedHorses[0] > 0 && p.raceNo >= 9 && !p.betPanel.trifecta.title.empty()) {
            race = k;
        }
    }
    QVERIFY2(race >= 0, "no race with trifecta bets in the generated day");

    // No printer: the message, nothing printed.
    commands->printerHook = [] { return std::unique_ptr<QPrinter>(); };
    rec_.messages.clear();
    w->action("popPrint")->trigger();
    QCOMPARE(rec_.messages, QStringList{QString::fromUtf8(app::kNoPrinterMessage)});

    const QString pdf = QDir(homeDir_->path()).filePath("sheet.pdf");
    commands->printerHook = [&pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    };
    w->action("popPrint")->trigger();
    QVERIFY(QFileInfo::exists(pdf));
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    const engine::Prediction& pred = *w->prediction();
    auto squeezed = [](QString s) { return s.remove(QLatin1Char(' ')).remove(QChar(0x3000)); };
    const QString all = squeezed(text);
    QVERIFY2(all.contains(squeezed(qs(pred.titleText1))), qPrintable(text.left(400)));
    QVERIFY(all.contains(squeezed(qs(pred.titleText2))));
    static const char* const patterns[] = {"", "パターン⇒本命", "パターン⇒順当", "パターン⇒波乱",
                                           "パターン⇒大穴"};
    QVERIFY(all.contains(QString::fromUtf8(patterns[pred.racePattern])));
    for (const std::string& line : app::printTitleLines(pred)) {
        QVERIFY2(all.contains(squeezed(qs(line))), line.c_str());
    }
    // The grid's cells as text: the horse names of the race.
    QVERIFY(all.contains(squeezed(qs(pred.runners[0].horseName))));
}

void OutputCommandsTest::printTitleLines_data() {
    QTest::addColumn<int>("raceNo");
    QTest::addColumn<int>("m1");
    QTest::addColumn<QString>("trifectaTitle");
    QTest::addColumn<QStringList>("expected");
    const QString a = QStringLiteral("馬連 流し                       3連複 流し");
    QTest::newRow("no bets") << 11 << 0 << "3連単" << QStringList{"T1", "T2", ""};
    QTest::newRow("8R: two columns") << 8 << 3 << "3連単 1着流し"
                                     << QStringList{"T1",
                                                    "T2",
                                                    "",
                                                    "パターン⇒順当",
                                                    "",
                                                    a,
                                                    "　軸⇒ 3                        　軸⇒ 3",
                                                    "相手⇒ 1, 5                     相手⇒ 1, 5, 7"};
    QTest::newRow("11R: three columns")
        << 11 << 3 << "3連単 1着流し"
        << QStringList{"T1",
                       "T2",
                       "",
                       "パターン⇒順当",
                       "",
                       a + QStringLiteral("                      3連単 1着流し"),
                       "　軸⇒ 3                        　軸⇒ 3                        "
                       "　 1着⇒ 3",
                       "相手⇒ 1, 5                     相手⇒ 1, 5, 7                  "
                       "相手⇒ 1, 5, 7, 9"};
    QTest::newRow("11R, blank trifecta title")
        << 11 << 3 << "  "
        << QStringList{"T1",
                       "T2",
                       "",
                       "パターン⇒順当",
                       "",
                       a,
                       "　軸⇒ 3                        　軸⇒ 3",
                       "相手⇒ 1, 5                     相手⇒ 1, 5, 7"};
}

void OutputCommandsTest::printTitleLines() {
    QFETCH(int, raceNo);
    QFETCH(int, m1);
    QFETCH(QString, trifectaTitle);
    QFETCH(QStringList, expected);
    engine::Prediction p;
    p.titleText1 = "T1";
    p.titleText2 = "T2";
    p.raceNo = raceNo;
    p.markedHorses = {m1, 1, 5, 7, 9, 2};
    p.racePattern = 2;
    p.betPanel.quinella = {"馬連 流し", " 軸　⇒ 3", "相手⇒ 1, 5", true};
    p.betPanel.trio = {"3連複 流し", " 軸　⇒ 3", "相手⇒ 1, 5, 7", true};
    p.betPanel.trifecta = {trifectaTitle.toStdString(), " 1着　⇒ 3", "相手⇒ 1, 5, 7, 9", true};
    QStringList got;
    for (const std::string& line : app::printTitleLines(p)) {
        got << qs(line);
    }
    QCOMPARE(got, expected);
}

void OutputCommandsTest::paceMapColours_data() {
    QTest::addColumn<int>("runners");
    QTest::addColumn<QStringList>("colours");
    QTest::newRow("9") << 9
                       << QString("#ffffff #000000 #ff0000 #0000ff #ffff00 #008000 #ff9900 "
                                  "#ff33ff #ffccff")
                              .split(' ');
    QTest::newRow("16") << 16
                        << QString("#ffffff #dddddd #000000 #666666 #ff3300 #bb0000 #0000ff "
                                   "#00ffff #ffff00 #cccc00 #008000 #99ff66 #ff6600 #ffbb00 "
                                   "#ff33ff #ffccff")
                               .split(' ');
    QTest::newRow("18") << 18
                        << QString("#ffffff #dddddd #000000 #666666 #ff3300 #bb0000 #0000ff "
                                   "#00ffff #ffff00 #cccc00 #008000 #99ff66 #ff6600 #ffaa00 "
                                   "#ffcc99 #ff33ff #ffccff #dd00dd")
                               .split(' ');
    QTest::newRow("3: black") << 3 << QString("#000000 #000000 #000000").split(' ');
    QTest::newRow("5: first five")
        << 5 << QString("#ffffff #000000 #ff0000 #0000ff #ffff00").split(' ');
}

void OutputCommandsTest::paceMapColours() {
    QFETCH(int, runners);
    QFETCH(QStringList, colours);
    QStringList got;
    for (const QColor& c : views::paceMapColors(runners)) {
        got << c.name();
    }
    QCOMPARE(got, colours);
    if (runners == 18) {
        QCOMPARE(QSet<QString>(got.begin(), got.end()).size(), 18);
    }
}

void OutputCommandsTest::paceMapNudgeAndWindow() {
    // Occupied places push a point right and down, starting over after each move.
    std::vector<std::string> occupied;
    QCOMPARE(views::nudgePoint(1, 1, false, occupied), std::make_pair(1.0, 1.0));
    views::nudgePoint(1, 1, false, occupied);
    views::nudgePoint(1, 1, false, occupied);
    QCOMPARE(occupied, (std::vector<std::string>{"1,1", "1.1,0.9", "1.2,0.8"}));
    std::vector<std::string> pattern{"2,2"};
    views::nudgePoint(2, 2, true, pattern);
    QCOMPARE(pattern.back(), std::string("2.2,1.8"));

    writeDay(home_, "20261213", 3, 9);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    w->action("mnuMap")->trigger();
    views::TfrmGraph* map = commands->paceMap();
    QVERIFY(map);
    QCOMPARE(map->windowTitle(), QStringLiteral("展開マップ"));
    const engine::Prediction& p = *w->prediction();
    for (int i = 0; i < 18; ++i) {
        QCOMPARE(map->nameLabel(i)->isVisibleTo(map), i < int(p.runners.size()));
    }
    QCOMPARE(map->nameLabel(0)->text(), qs(" 1 " + p.runners[0].horseName));
    QVERIFY(map->chart()->points().empty()); // no coordinates are computed
    // Another race replaces the legend at once.
    w->predictRace(1);
    QCOMPARE(map->nameLabel(0)->text(), qs(" 1 " + w->prediction()->runners[0].horseName));
    // A right click on the chart toggles the pattern display; closing stores it.
    QVERIFY(!map->radPattern()->isChecked());
    QTest::mouseClick(map->chart(), Qt::RightButton);
    QVERIFY(map->radPattern()->isChecked());
    map->close();
    QTRY_VERIFY(commands->paceMap() == nullptr);
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("qv"));
    QCOMPARE(s.value("frmGraph/ShowPattern").toBool(), true);
}

void OutputCommandsTest::aboutBoxShapeAndFade() {
    auto* about = new views::TfrmAbout(views::TfrmAbout::Use::About);
    QPointer<views::TfrmAbout> guard(about);
    QCOMPARE(about->size(), QSize(410, 180));
    // Shaped: the corners are cut off, the middle is inside.
    QVERIFY(about->shape().contains(QPoint(205, 90)));
    QVERIFY(!about->shape().contains(QPoint(0, 0)));
    QVERIFY(!about->shape().contains(QPoint(0, 179)));
    QCOMPARE(about->timer()->interval(), 1);
    QCOMPARE(about->alpha(), 0);
    QList<int> steps;
    about->timer()->start();
    while (about->timer()->isActive() && steps.size() < 40) {
        about->fadeStep();
        steps << about->alpha();
    }
    QList<int> expected;
    for (int v = 20; v < 255; v += 20) {
        expected << v;
    }
    expected << 255;
    QCOMPARE(steps, expected);
    QVERIFY(!about->timer()->isActive());
    // A picture that is all transparent leaves no runs.
    QImage blank(8, 4, QImage::Format_RGB32);
    blank.fill(Qt::magenta);
    QVERIFY(views::regionOfPicture(blank, QColor(Qt::magenta).rgb()).isEmpty());
    // A click closes and frees it.
    about->show();
    QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(205, 90));
    QTRY_VERIFY(guard.isNull());
}

void OutputCommandsTest::gapMapCreatedShownAndExported() {
    writeDay(home_, "20261213", 12, 16, 5);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    w->predictRace(2);
    const std::filesystem::path gapFile = home_ / "Gap" / "261213.gap";
    std::filesystem::remove(gapFile);

    // Declined: nothing is created, nothing shown.
    rec_.answer = false;
    w->toolButton(8)->click();
    QCOMPARE(rec_.questions.size(), 1);
    QVERIFY(rec_.questions.front().startsWith(
        QStringLiteral("2026年12月13日のGAPデータがありません。")));
    QVERIFY(!std::filesystem::exists(gapFile));
    QVERIFY(commands->gapMap() == nullptr);

    // Accepted: the day is run behind the progress dialog, the file written
    // and shown; the race shown before is shown again.
    rec_.answer = true;
    QSignalSpy opened(commands, &app::OutputCommands::progressOpened);
    w->toolButton(8)->click();
    QCOMPARE(opened.count(), 1);
    QVERIFY(std::filesystem::exists(gapFile));
    QCOMPARE(w->currentRace(), 2);
    views::TfrmGAP* map = commands->gapMap();
    QVERIFY(map && map->isVisible());
    QCOMPARE(map->windowTitle(), QStringLiteral("2026年12月13日の単勝GAPホースMAP"));
    const std::vector<std::string> lines = crlfLines(fileBytes(gapFile));
    QVERIFY2(!lines.empty(), "the generated day has gap horses");
    QCOMPARE(map->grid()->rowCount(), int(lines.size()));
    QCOMPARE(map->height(), 18 * int(lines.size()) + 115);
    // The second command shows the file without asking again.
    rec_.questions.clear();
    w->toolButton(8)->click();
    QVERIFY(rec_.questions.isEmpty());
    QCOMPARE(opened.count(), 1);

    // The links: a race label predicts its race, a horse opens its detail.
    emit map->grid()->anchorClicked(0, 1, QStringLiteral("4"));
    QCOMPARE(w->currentRace(), 4);
    emit map->grid()->anchorClicked(0, 2, QStringLiteral("5,3"));
    QCOMPARE(w->currentRace(), 5);
    QVERIFY(w->detailWindow()->isVisible());
    QCOMPARE(w->detailWindow()->cmbBamei()->currentIndex(), 2);
    // Drawing: text cells black on white, a silver line above each later venue.
    QCOMPARE(map->grid()->cellStyle(0, 0).background, QColor(Qt::white));
    for (int r = 1; r < map->grid()->rowCount(); ++r) {
        const QString venue = map->grid()->cell(r, 0);
        const bool newVenue = !venue.isEmpty() && venue != QStringLiteral(" ");
        QCOMPARE(map->grid()->cellBorder(r, 1).top, newVenue);
    }
    QVERIFY(!map->grid()->cellBorder(0, 1).top);

    // The bulk win/place file: two lines per listed horse.
    const std::filesystem::path kmi = home_ / "gap.kmi";
    w->saveDialogHook = [&](const QString&, const QString&, const QString&) {
        return qs(kmi.string());
    };
    map->imgBtn1()->click();
    const std::vector<std::string> bets = crlfLines(fileBytes(kmi));
    QCOMPARE(bets.size(), 2 * lines.size());
    for (size_t i = 0; i + 1 < bets.size(); i += 2) {
        QCOMPARE(bets[i].size(), size_t(19));
        QCOMPARE(bets[i].substr(2, 8), std::string("20261213"));
        QCOMPARE(bets[i][12], '0');
        QCOMPARE(bets[i + 1][12], '1');
        QCOMPARE(bets[i].substr(0, 12), bets[i + 1].substr(0, 12));
    }
}

void OutputCommandsTest::bulkFileOnlyInDeveloperMode() {
    writeDay(home_, "20261213", 12, 14, 11);
    const QString ini = QDir(homeDir_->path()).filePath("velmar.ini");
    for (bool developer : {false, true}) {
        {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(developer ? "[Option]\nDeveloperMode=1\n" : "[Option]\nDeveloperMode=0\n");
        }
        auto w = makeWindow(home_, rec_, ini);
        new app::OutputCommands(*w);
        w->show();
        QTRY_COMPARE(w->currentRace(), 0);
        int asked = 0;
        const std::filesystem::path target = home_ / "bulk.kmi";
        w->saveDialogHook = [&](const QString&, const QString& filter, const QString& start) {
            ++asked;
            if (filter != QStringLiteral("買い目一括ファイル(*.kmi)") ||
                QFileInfo(start).fileName() != QStringLiteral("qv261213.kmi")) {
                return QString();
            }
            return qs(target.string());
        };
        w->action("popBrimfast")->trigger();
        QCOMPARE(asked, developer ? 1 : 0);
        QCOMPARE(std::filesystem::exists(target), developer);
        if (developer) {
            const std::vector<std::string> lines = crlfLines(fileBytes(target));
            QVERIFY(!lines.empty());
            QVERIFY(lines.front().rfind("'rank=", 0) == 0);
        }
    }
}

void OutputCommandsTest::newsletterPassFillsTheHiddenGrid() {
    writeDay(home_, "20261213", 6, 10);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    w->predictRace(3);
    w->showDetail(2, true);
    writeBytes(home_ / "tk.tmp", "x");
    QSignalSpy opened(commands, &app::OutputCommands::progressOpened);
    QStringList captions;
    commands->folderHook = [&](const QString& caption) {
        captions << caption;
        return QString();
    };
    w->action("popHtml")->trigger();
    QCOMPARE(captions, QStringList{QStringLiteral("HTMLの出力先フォルダを選択してください")});
    QCOMPARE(opened.count(), 0);
    QVERIFY(std::filesystem::exists(home_ / "tk.tmp"));
    QVERIFY(w->prediction()->html.rows.empty());

    commands->folderHook = [&](const QString&) { return homeDir_->path(); };
    w->action("popHtml")->trigger();
    QCOMPARE(opened.count(), 1);
    QVERIFY(!std::filesystem::exists(home_ / "tk.tmp"));
    QCOMPARE(w->currentRace(), 3);
    QCOMPARE(int(w->prediction()->html.rows.size()), 10); // grdHtml of the race shown
    QVERIFY(w->detailWindow()->isVisible());
    QCOMPARE(w->detailWindow()->cmbBamei()->currentIndex(), 1);
    // The mode ends with the command.
    w->predictRace(3);
    QVERIFY(w->prediction()->html.rows.empty());

    // The working lists: venues in order, labels a1.. b1..
    const app::NewsletterLists lists = app::newsletterLists(w->raceDay());
    QVERIFY(!lists.venues.empty() && lists.venues.size() <= 3);
    size_t total = 0;
    for (size_t v = 0; v < lists.venues.size(); ++v) {
        total += lists.races[v].size();
        QCOMPARE(lists.labels[v].front(), std::string(1, char('a' + v)) + "1");
    }
    QVERIFY(total <= size_t(w->raceDay().raceCount));
}

void OutputCommandsTest::paceMapPrintsOnePage() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) reads the printed PDF back");
    writeDay(home_, "20261213", 2, 12);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    w->action("mnuMap")->trigger();
    views::TfrmGraph* map = commands->paceMap();
    const QString pdf = QDir(homeDir_->path()).filePath("map.pdf");
    map->printerHook = [&pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    };
    map->btnPrint()->click();
    QProcess p;
    p.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(text.count(QLatin1Char('\f')), 1); // one page
    auto squeezed = [](QString s) { return s.remove(QLatin1Char(' ')).remove(QChar(0x3000)); };
    const QString all = squeezed(text);
    const engine::Prediction& pred = *w->prediction();
    QVERIFY(all.contains(squeezed(qs(pred.titleText1))));
    for (const engine::TBachu& b : pred.runners) {
        QVERIFY2(all.contains(squeezed(qs(b.horseName))), b.horseName.c_str());
    }
}

void OutputCommandsTest::aboutBoxGoesWhenInactive() {
    QWidget other;
    other.resize(200, 100);
    // From the menu: owned by the main window, fading in from 0.
    writeDay(home_, "20261213", 1, 8);
    auto w = makeWindow(home_, rec_);
    auto* commands = new app::OutputCommands(*w);
    QPointer<views::TfrmAbout> shown;
    commands->aboutHook = [&](views::TfrmAbout* about) { shown = about; };
    w->action("popVersion")->trigger();
    QVERIFY(shown);
    QCOMPARE(shown->parentWidget(), w.get());
    QCOMPARE(shown->alpha(), 0);
    shown->show();
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    other.show();
    other.activateWindow();
    QTRY_VERIFY(shown.isNull());

    // The splash goes once the main window is active.
    QPointer<views::TfrmAbout> splash = new views::TfrmAbout(views::TfrmAbout::Use::Splash);
    QCOMPARE(splash->alpha(), 255);
    splash->show();
    splash->releaseWhenActive(&other);
    other.activateWindow();
    QWidget third;
    third.show();
    third.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&third));
    other.activateWindow();
    QTRY_VERIFY(splash.isNull());
}

QTEST_MAIN(OutputCommandsTest)
#include "output_commands_test.moc"
