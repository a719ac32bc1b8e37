// The main window: start-up settings, the commands on an empty program,
// navigation with its beeps, header sorting, user odds entry, the detail and
// bet-detail windows, and the roads into the import.

#include "app_fixture.h"

#include "app/window_settings.h"
#include "bets/bet_text.h"
#include "data/atomic_file.h"
#include "data/horse_line.h"
#include "data/import.h"
#include "data/sjis.h"
#include "engine/main_grid.h"
#include "engine/user_odds.h"
#include "views/bet_detail_window.h"
#include "views/detail_texts.h"
#include "views/detail_window.h"

#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QUrl>

#include <fstream>

using namespace velmar;
using namespace velmar::apptest;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

QSize screenSize() {
    return QGuiApplication::primaryScreen()->geometry().size();
}

// Horse numbers of the grid rows, top to bottom.
QList<int> gridHorses(app::TfrmQV& w) {
    QList<int> horses;
    for (int r = 0; r < w.grid()->rowCount(); ++r) {
        horses << engine::horseNumberOfCell(w.grid()->cell(r, 1).toStdString());
    }
    return horses;
}

void clickHeader(app::TfrmQV& w, int col) {
    QHeaderView* header = w.grid()->horizontalHeader();
    const int x = header->sectionViewportPosition(col) + header->sectionSize(col) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

// Centre of the horse-name anchor in a row, in grid viewport coordinates.
QPoint anchorPoint(app::TfrmQV& w, int row) {
    app::MarkupGrid* g = w.grid();
    const QRect cell = g->cellRect(row, 2);
    const auto runs = app::layoutMarkup(g->cellMarkup(row, 2), QRectF(cell).adjusted(2, 0, -2, 0),
                                        g->font(), g->cellAlignment(row, 2));
    for (const auto& r : runs) {
        if (!r.href.isEmpty()) {
            return r.rect.center().toPoint();
        }
    }
    return {};
}

void sendDrop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    // A drop reaches the widget that accepted the drag when it entered.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();

    void startRules_data();
    void startRules();
    void startsFromStoredSettings_data();
    void startsFromStoredSettings();
    void writesSettingsAtClose();
    void developerSwitch_data();
    void developerSwitch();
    void commandsCaptionsAndShortcuts();

    void emptyProgramCommands();
    void navigationAndBeeps();
    void headerClicksSortThroughTheTable();
    void displayModeAndAutoResize();
    void userOddsEntryStoresRanks();
    void anchorOpensDetailWindow();
    void betDetailWindowShowsAndSaves();
    void importRoads();
    void downloadNoticeAndSaveQuestion();

  private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<QTemporaryDir> homeDir_;
    std::filesystem::path home_;
    Recorder rec_;
};

void MainWindowTest::initTestCase() {
    QVERIFY(settingsDir_.isValid());
}

void MainWindowTest::init() {
    useSettingsFolder(settingsDir_.path());
    homeDir_ = std::make_unique<QTemporaryDir>();
    home_ = pathOf(homeDir_->path());
    std::filesystem::create_directories(home_ / "Gap");
    rec_ = Recorder{};
}

void MainWindowTest::startRules_data() {
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("height2");

    QTest::newRow("nothing saved")
        << QVariantMap{} << QSize(1920, 1080) << QRect(960 - 345, 540 - 350, 690, 700) << 700;
    QTest::newRow("odd screen: integer division")
        << QVariantMap{{"width", 691}, {"height", 701}} << QSize(1367, 769)
        << QRect(683 - 345, 384 - 350, 691, 701) << 700;
    QTest::newRow("rolled up: Height2 instead")
        << QVariantMap{{"height", 60}, {"height2", 640}} << QSize(1000, 800)
        << QRect(500 - 345, 400 - 320, 690, 640) << 640;
    QTest::newRow("99 is rolled up, 100 is not")
        << QVariantMap{{"height", 100}, {"height2", 640}} << QSize(1000, 800)
        << QRect(500 - 345, 400 - 50, 690, 100) << 640;
    QTest::newRow("stored place") << QVariantMap{{"height", 99},
                                                 {"height2", 500},
                                                 {"top", -20},
                                                 {"left", 30}}
                                  << QSize(1000, 800) << QRect(30, -20, 690, 500) << 500;
    QTest::newRow("small screen, negative centre")
        << QVariantMap{} << QSize(601, 401) << QRect(300 - 345, 200 - 350, 690, 700) << 700;
}

void MainWindowTest::startRules() {
    QFETCH(QVariantMap, stored);
    QFETCH(QSize, screen);
    QFETCH(QRect, geometry);
    QFETCH(int, height2);
    app::StoredMainWindow s;
    auto opt = [&stored](const char* key) -> std::optional<int> {
        return stored.contains(key) ? std::optional<int>(stored[key].toInt()) : std::nullopt;
    };
    s.width = opt("width");
    s.height = opt("height");
    s.height2 = opt("height2");
    s.top = opt("top");
    s.left = opt("left");
    const app::MainWindowStart start = app::mainWindowStart(s, screen);
    QCOMPARE(start.geometry, geometry);
    QCOMPARE(start.height2, height2);
    QCOMPARE(start.autoResize, true);
    QCOMPARE(start.showThreeRaces, false);
    QCOMPARE(start.userOddsMode, false);
}

void MainWindowTest::startsFromStoredSettings_data() {
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<QList<bool>>("flags"); // showThreeRaces, autoResize, userOddsMode

    QTest::newRow("defaults") << QVariantMap{} << QSize(690, 700) << true
                              << QList<bool>{false, true, false};
    QTest::newRow("stored, closed rolled up")
        << QVariantMap{{"Height", 40},        {"Height2", 640},      {"Width", 800},
                       {"Top", 10},           {"Left", 20},          {"Show3Sou", true},
                       {"AutoResize", false}, {"UserOddsMode", true}}
        << QSize(800, 640) << false << QList<bool>{true, false, true};
    QTest::newRow("width kept inside the limits")
        << QVariantMap{{"Width", 2000}, {"Height", 600}} << QSize(1191, 600) << false
        << QList<bool>{false, true, false};
}

void MainWindowTest::startsFromStoredSettings() {
    QFETCH(QVariantMap, stored);
    QFETCH(QSize, size);
    QFETCH(bool, centred);
    QFETCH(QList<bool>, flags);
    {
        auto settings = app::openSettings();
        settings->beginGroup("frmMain");
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            settings->setValue(it.key(), it.value());
        }
        settings->endGroup();
    }
    auto w = makeWindow(home_, rec_);
    QCOMPARE(w->size(), size);
    if (centred) {
        QCOMPARE(w->pos(), QPoint(screenSize().width() / 2 - size.width() / 2,
                                  screenSize().height() / 2 - size.height() / 2));
    } else if (stored.contains("Top")) {
        QCOMPARE(w->pos(), QPoint(stored["Left"].toInt(), stored["Top"].toInt()));
    }
    QCOMPARE(w->showThreeRaces(), flags[0]);
    QCOMPARE(w->autoResize(), flags[1]);
    QCOMPARE(w->userOddsMode(), flags[2]);
    QCOMPARE(w->grid()->editingEnabled(), false); // the mode is applied when first shown
    w->show();
    QCOMPARE(w->grid()->editingEnabled(), flags[2]);
    QCOMPARE(w->minimumWidth(), 503);
    QCOMPARE(w->maximumWidth(), 1191);
    QVERIFY(rec_.messages.isEmpty());
}

void MainWindowTest::writesSettingsAtClose() {
    auto w = makeWindow(home_, rec_);
    w->show();
    w->setAutoResize(false);
    w->setShowThreeRaces(true);
    w->resize(900, 555);
    w->move(33, 44);
    w->detailWindow()->move(111, 122);
    w->betWindow()->move(211, 222);
    w->close();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "qv");
    QCOMPARE(settings.value("frmMain/Width").toInt(), 900);
    QCOMPARE(settings.value("frmMain/Height").toInt(), 555);
    QCOMPARE(settings.value("frmMain/Height2").toInt(), 555);
    QCOMPARE(settings.value("frmMain/Left").toInt(), 33);
    QCOMPARE(settings.value("frmMain/Top").toInt(), 44);
    QCOMPARE(settings.value("frmMain/Show3Sou").toBool(), true);
    QCOMPARE(settings.value("frmMain/AutoResize").toBool(), false);
    QCOMPARE(settings.value("frmMain/UserOddsMode").toBool(), false);
    QCOMPARE(settings.value("frmDetail/Left").toInt(), 111);
    QCOMPARE(settings.value("frmDetail/Top").toInt(), 122);
    QCOMPARE(settings.value("frmKaime/Left").toInt(), 211);
    QCOMPARE(settings.value("frmKaime/Top").toInt(), 222);

    // The next start reads them back.
    auto again = makeWindow(home_, rec_);
    QCOMPARE(again->size(), QSize(900, 555));
    QCOMPARE(again->showThreeRaces(), true);
    QCOMPARE(again->autoResize(), false);
    QCOMPARE(again->detailWindow()->pos(), QPoint(111, 122));
    QCOMPARE(again->betWindow()->pos(), QPoint(211, 222));
}

void MainWindowTest::developerSwitch_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<bool>("shown");
    QTest::newRow("on") << "[Option]\nDeveloperMode=1\n" << true;
    QTest::newRow("off") << "[Option]\nDeveloperMode=0\n" << false;
    QTest::newRow("not a number reads as off") << "[Option]\nDeveloperMode=true\n" << false;
    QTest::newRow("other section") << "[Other]\nDeveloperMode=1\n" << false;
    QTest::newRow("no file") << QString() << false;
}

void MainWindowTest::developerSwitch() {
    QFETCH(QString, ini);
    QFETCH(bool, shown);
    const QString path = QDir(homeDir_->path()).filePath("velmar.ini");
    if (!ini.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini.toUtf8());
    }
    auto w = makeWindow(home_, rec_, path);
    QCOMPARE(w->developerMode(), shown);
    QCOMPARE(w->action("popBrimfast")->isVisible(), shown);
    QCOMPARE(w->action("popBar1")->isVisible(), shown);
    QCOMPARE(w->action("popHtml")->isVisible(), false);
    QCOMPARE(w->action("mnuHtml")->isVisible(), false);
}

void MainWindowTest::commandsCaptionsAndShortcuts() {
    auto w = makeWindow(home_, rec_);
    const struct {
        const char* name;
        const char* caption;
        const char* keys;
    } items[] = {
        {"D2", "CNXデータをダウンロードして読み込む(&D)...", "Ctrl+D"},
        {"D1", "既存のCNXデータを読み込む(&O)...", "Ctrl+O"},
        {"S1", "予想レースの選択(&S)...", "Ctrl+S"},
        {"P1", "前のレース(&B)", "Ctrl+B"},
        {"N5", "次のレース(&N)", "Ctrl+N"},
        {"mnuMap", "展開マップを表示", "Ctrl+M"},
        {"N10", "人気手入力モード切替", "Ctrl+R"},
        {"P2", "印刷(&P)", "Ctrl+P"},
        {"O1", "オプション(&O)...", "Ctrl+T"},
        {"S2", "買い目の詳細ウインドウを表示(&S)", "Ctrl+W"},
        {"mnuHelp", "ヘルプを表示(&H)", "F1"},
        {"popPrint", "印刷(&P)", "Ctrl+P"},
        {"popVantage", "CorvaneVantage用買い目ファイルを出力(&G)...", "Ctrl+G"},
        {"popGaibuShisu", "CorvaneVantage用外部指数ファイルを出力(&I)...", "Ctrl+I"},
        {"popCSV", "CSVファイルの書き出し(&V)...", "Ctrl+V"},
        {"popBrimfast", "(開発者用)Brimfast!用買い目一括ファイル(&K)...", "Ctrl+K"},
        {"popHtml", "(開発者用)メルマガ用HTMLを出力(&H)...", "Ctrl+H"},
        {"popURL1", "ソフトの購入・サポート(&S)", ""},
        {"popURL2", "CorvaneOnLine(&K)", ""},
        {"popVersion", "バージョン情報(&A)...", ""},
        {"pop2Sou", "2走前まで表示する(&T)", ""},
        {"pop3Sou", "3走前まで表示する(&H)", ""},
        {"popResize", "予想時にウインドウを自動リサイズ(&R)", ""},
        {"popOption", "オプション(&O)...", "Ctrl+T"},
        {"popKaime", "買い目の詳細ウインドウを表示(&S)", "Ctrl+W"},
    };
    for (const auto& item : items) {
        QAction* a = w->action(item.name);
        QVERIFY2(a, item.name);
        QCOMPARE(a->text(), QString::fromUtf8(item.caption));
        QCOMPARE(a->shortcut(), QKeySequence(QString::fromUtf8(item.keys)));
    }
    QVERIFY(!w->menuBar()->isVisible());
    const char* const hints[10] = {"CNXデータをダウンロードして読み込む (Ctrl+D)",
                                   "既存のCNXデータを読み込む （Ctrl+O)",
                                   "レースの選択 (Ctrl+S)",
                                   "前のレース (Ctrl+B)",
                                   "次のレース (Ctrl+N)",
                                   "展開マップを表示 (Ctrl+M)",
                                   "人気手入力モードの切り替え (Ctrl+R)",
                                   "出力...",
                                   "単勝GAP馬一覧",
                                   "ヘルプ..."};
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(w->toolButton(i)->toolTip(), QString::fromUtf8(hints[i]));
        QCOMPARE(w->toolButton(i)->objectName(), QStringLiteral("ImgBtn%1").arg(i));
        QCOMPARE(w->toolButton(i)->isVisible(), i != 5 && i != 6);
    }
    // The hidden menu bar's shortcuts still reach their commands.
    QTest::keyClick(w.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(w.get(), Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(rec_.beeps, 3);
    // The web page commands open the browser, never inside the program.
    w->action("popURL1")->trigger();
    w->action("popURL2")->trigger();
    QCOMPARE(rec_.urls.size(), 2);
    QVERIFY(rec_.urls[0] != rec_.urls[1]);
}

void MainWindowTest::emptyProgramCommands() {
    auto w = makeWindow(home_, rec_);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTest::qWait(20);
    QCOMPARE(w->currentRace(), -1);
    QVERIFY(!w->grid()->isVisible());
    // Race selection, previous and next beep; everything else does nothing.
    for (const char* name : {"S1", "P1", "N5"}) {
        w->action(name)->trigger();
    }
    QCOMPARE(rec_.beeps, 3);
    w->openDialogHook = [](const QString&, const QString&, const QString&) { return QString(); };
    for (const char* name : {"S2", "popKaime", "N10", "N10", "D1", "pop2Sou", "pop3Sou",
                             "popResize", "popPrint", "popCSV", "mnuMap", "O1"}) {
        w->action(name)->trigger();
    }
    w->headerClick(8);
    w->showDetail(1, true);
    QCOMPARE(rec_.beeps, 3);
    QVERIFY(rec_.messages.isEmpty());
    QVERIFY(!w->betWindow()->isVisible());
    QVERIFY(!w->detailWindow()->isVisible());
    QVERIFY(w->prediction() == nullptr);
    w->action("mnuHelp")->trigger();
    QTRY_VERIFY(QApplication::topLevelWidgets().size() > 0);
    bool helpShown = false;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        helpShown |= top->objectName() == "frmHelp" && top->isVisible();
    }
    QVERIFY(helpShown);
}

void MainWindowTest::navigationAndBeeps() {
    writeDay(home_, "20261213", 3);
    auto w = makeWindow(home_, rec_);
    QSignalSpy predicted(w.get(), &app::TfrmQV::racePredicted);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    QVERIFY(w->grid()->isVisible());
    QCOMPARE(w->titleLabel(0)->text(), qs(w->raceDay().texts(0).titleText1));
    QCOMPARE(w->titleLabel(1)->text(), qs(w->raceDay().texts(0).titleText2));

    QMenu* races = w->menu("popMenu");
    QCOMPARE(races->actions().size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(races->actions()[i]->text(), qs(w->raceDay().texts(i).menuCaption));
    }

    const struct {
        const char* command;
        int race;
        int beeps;
    } steps[] = {{"P1", 0, 1}, {"N5", 1, 1}, {"N5", 2, 1}, {"N5", 2, 2},
                 {"P1", 1, 2}, {"P1", 0, 2}, {"P1", 0, 3}};
    for (const auto& step : steps) {
        w->action(step.command)->trigger();
        QCOMPARE(w->currentRace(), step.race);
        QCOMPARE(rec_.beeps, step.beeps);
        QCOMPARE(w->prediction()->raceIndex, step.race);
        QCOMPARE(w->titleLabel(0)->text(), qs(w->raceDay().texts(step.race).titleText1));
        QCOMPARE(w->grid()->rowCount(), int(w->prediction()->grid.rows.size()));
    }
    races->actions()[2]->trigger();
    QCOMPARE(w->currentRace(), 2);
    QCOMPARE(predicted.last().at(0).toInt(), 2);
    // The race menu pops up instead of beeping when there are races.
    w->action("S1")->trigger();
    QCOMPARE(rec_.beeps, 3);
    QTRY_VERIFY(races->isVisible());
    races->hide();
}

void MainWindowTest::headerClicksSortThroughTheTable() {
    writeDay(home_, "20261213", 2, 14);
    auto w = makeWindow(home_, rec_);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    QVERIFY(w->prediction()->hasRatings && w->prediction()->hasOdds);
    const int n = w->grid()->rowCount();
    QList<int> horseOrder;
    for (int h = 1; h <= n; ++h) {
        horseOrder << h;
    }
    QCOMPARE(gridHorses(*w), horseOrder);

    auto oIndex = [&w](int h) { return w->prediction()->runners[size_t(h - 1)].oIndex; };
    auto qv = [&w](int h) { return w->prediction()->runners[size_t(h - 1)].qvIndex; };

    // O: O index descending (ties in horse order), then odds ascending, then horse order.
    clickHeader(*w, 8);
    QCOMPARE(w->sortCode(), 8);
    QCOMPARE(w->sortStatus()->text(), QStringLiteral("O指数でソート"));
    QCOMPARE(w->grid()->sortMarkerColumn(), 8);
    QCOMPARE(w->grid()->sortMarkerAscending(), false);
    QList<int> rows = gridHorses(*w);
    for (int i = 1; i < n; ++i) {
        QVERIFY(oIndex(rows[i - 1]) > oIndex(rows[i]) ||
                (oIndex(rows[i - 1]) == oIndex(rows[i]) && rows[i - 1] < rows[i]));
    }
    clickHeader(*w, 8);
    QCOMPARE(w->sortCode(), 88);
    QCOMPARE(w->sortStatus()->text(), QStringLiteral("オッズでソート"));
    QCOMPARE(w->grid()->sortMarkerAscending(), true);
    clickHeader(*w, 8);
    QCOMPARE(w->sortCode(), 1);
    QCOMPARE(w->sortStatus()->text(), QString());
    QCOMPARE(w->grid()->sortMarkerColumn(), 1);
    QCOMPARE(gridHorses(*w), horseOrder);

    // Past-race columns do nothing.
    clickHeader(*w, 10);
    const QList<int> byQv = gridHorses(*w);
    for (int i = 1; i < n; ++i) {
        QVERIFY(qv(byQv[i - 1]) >= qv(byQv[i]));
    }
    clickHeader(*w, 4);
    QCOMPARE(w->sortCode(), 10);
    QCOMPARE(gridHorses(*w), byQv);

    // Every row keeps its own cells and colours when it moves.
    for (int r = 0; r < n; ++r) {
        const auto& row = w->prediction()->grid.rows[size_t(r)];
        QCOMPARE(byQv[r], int(row.horse));
        QCOMPARE(w->grid()->cell(r, 2), qs(row.cells[2].text));
        QCOMPARE(w->grid()->cellStyle(r, 0).background, QColor(qs(row.cells[0].background)));
    }

    // The sort stays for the next race, shown descending.
    w->action("N5")->trigger();
    QCOMPARE(w->sortCode(), 10);
    QCOMPARE(w->grid()->sortMarkerColumn(), 10);
    QCOMPARE(w->sortStatus()->text(), QStringLiteral("QV指数でソート"));
}

void MainWindowTest::displayModeAndAutoResize() {
    writeDay(home_, "20261213", 1, 12);
    auto w = makeWindow(home_, rec_);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    // Auto-resize on (default): two races shown, 12 rows + header.
    QCOMPARE(w->size(), QSize(947, 13 * 41 + 150));
    QCOMPARE(w->grid()->columnWidth(3), 0);
    QMenu* popGrid = w->menu("popGrid");
    emit popGrid->aboutToShow();
    QVERIFY(w->action("pop2Sou")->isChecked());
    QVERIFY(!w->action("pop3Sou")->isChecked());
    QVERIFY(w->action("popResize")->isChecked());
    w->action("pop3Sou")->trigger();
    QCOMPARE(w->size(), QSize(1175, 13 * 41 + 150));
    QCOMPARE(w->grid()->columnWidth(3), 228);
    // Auto-resize off: switching back keeps the window and column 3.
    w->action("popResize")->trigger();
    QVERIFY(!w->autoResize());
    w->action("pop2Sou")->trigger();
    QVERIFY(!w->showThreeRaces());
    QCOMPARE(w->size(), QSize(1175, 13 * 41 + 150));
    QCOMPARE(w->grid()->columnWidth(3), 228);
    emit popGrid->aboutToShow();
    QVERIFY(w->action("pop2Sou")->isChecked());
    QVERIFY(!w->action("popResize")->isChecked());
}

void MainWindowTest::userOddsEntryStoresRanks() {
    writeDay(home_, "20261213", 2, 8);
    auto w = makeWindow(home_, rec_);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    QSignalSpy stored(w.get(), &app::TfrmQV::userOddsStored);
    w->action("N10")->trigger();
    QVERIFY(w->userOddsMode());
    QVERIFY(w->grid()->editingEnabled());

    const int n = w->grid()->rowCount();
    QCOMPARE(n, 8);
    const data::RaceTexts& texts = w->raceDay().texts(0);
    const auto odsFile = home_ / "UserOdds" / engine::userOddsFileName(texts);
    // Horse h gets rank n + 1 - h; the last entry completes the race.
    for (int r = 0; r < n; ++r) {
        QVERIFY(w->grid()->openEditor(r, 6));
        QComboBox* combo = w->grid()->activeEditor();
        QVERIFY(combo);
        QCOMPARE(combo->count(), n + 1);
        QCOMPARE(combo->itemText(0), QString());
        const int rank = n - r;
        QCOMPARE(combo->itemText(rank), QStringLiteral("%1位").arg(rank));
        emit combo->activated(rank);
        QCOMPARE(w->grid()->cell(r, 6),
                 QStringLiteral("<BR><P Align=\"center\">%1位</p>").arg(rank));
        if (r < n - 1) {
            QCOMPARE(stored.count(), 0);
            QVERIFY(!std::filesystem::exists(odsFile));
        }
        QTRY_VERIFY(!w->grid()->activeEditor());
    }
    QCOMPARE(stored.count(), 1);
    for (int h = 1; h <= n; ++h) {
        QCOMPARE(w->prediction()->runners[size_t(h - 1)].oddsRank, n + 1 - h);
    }
    const QString text = qs(data::sjisToUtf8(fileBytes(odsFile)));
    QVERIFY2(text.contains(qs("[" + engine::userOddsSection(texts) + "]")), qPrintable(text));
    QVERIFY2(text.contains("OddsRank=8,7,6,5,4,3,2,1"), qPrintable(text));
    // The bet panel shows the re-evaluated bets.
    QCOMPARE(w->betLabel(0)->text(), qs(w->prediction()->betPanel.quinella.title));
    QCOMPARE(w->betLabel(0)->isVisibleTo(w.get()), w->prediction()->betPanel.shown);

    // Clearing one entry stores nothing; the mode off keeps the typed texts.
    QVERIFY(w->grid()->openEditor(0, 6));
    emit w->grid()->activeEditor()->activated(0);
    QCOMPARE(w->grid()->cell(0, 6), QString());
    QCOMPARE(stored.count(), 1);
    w->action("N10")->trigger();
    QVERIFY(!w->grid()->editingEnabled());
    QCOMPARE(w->grid()->cell(1, 6), QStringLiteral("<BR><P Align=\"center\">7位</p>"));
    QVERIFY(!w->grid()->openEditor(1, 6));
    QVERIFY(rec_.messages.isEmpty());
}

void MainWindowTest::anchorOpensDetailWindow() {
    writeDay(home_, "20261213", 2, 10);
    auto w = makeWindow(home_, rec_);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const int row = 3;
    const int horse = engine::horseNumberOfCell(w->grid()->cell(row, 1).toStdString());
    const QPoint at = anchorPoint(*w, row);
    QVERIFY(!at.isNull());
    QVERIFY(!w->detailWindow()->isVisible());
    QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, at);
    views::TfrmSyosai* d = w->detailWindow();
    QTRY_VERIFY(d->isVisible());
    QVERIFY(w->detailWindowShown());
    QCOMPARE(d->cmbBamei()->count(), 10);
    QCOMPARE(d->cmbBamei()->currentIndex(), horse - 1);
    const engine::Prediction& p = *w->prediction();
    QCOMPARE(d->cmbBamei()->currentText(),
             qs(views::runnerEntry(horse, p.runners[size_t(horse - 1)].horseName)));
    const data::HorseLine line{w->raceDay().horseLine(p.firstRunner + horse - 1)};
    const views::DetailTexts t = views::detailTexts(line, p.runnerHintText[size_t(horse - 1)]);
    QCOMPARE(d->label("lblTiti")->text(), qs(t.titi));
    QCOMPARE(d->label("lblSouSyokin")->text(), qs(t.souSyokin));
    QCOMPARE(d->label("lbl1")->text(), qs(t.records[0]));
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 16; ++c) {
            QCOMPARE(d->grid()->cell(r, c), qs(t.rows[size_t(r)].cells[size_t(c)]));
        }
    }
    // Choosing another runner in the list fills it.
    d->cmbBamei()->setCurrentIndex(0);
    const data::HorseLine first{w->raceDay().horseLine(p.firstRunner)};
    QCOMPARE(d->label("lblHaha")->text(), qs(first.damNameText()));

    // The next race refreshes the shown window with horse 1 of that race.
    d->cmbBamei()->setCurrentIndex(5);
    w->action("N5")->trigger();
    QCOMPARE(d->cmbBamei()->currentIndex(), 0);
    QCOMPARE(d->cmbBamei()->count(), int(w->prediction()->runners.size()));
    const data::HorseLine next{w->raceDay().horseLine(w->prediction()->firstRunner)};
    QCOMPARE(d->label("lblTiti")->text(), qs(next.sireNameText()));
    d->hide();
    QVERIFY(!w->detailWindowShown());
}

void MainWindowTest::betDetailWindowShowsAndSaves() {
    writeDay(home_, "20261213", 12, 0, 11);
    auto w = makeWindow(home_, rec_);
    w->show();
    QTRY_COMPARE(w->currentRace(), 0);
    // Find a race with bets among the day's twelve.
    int withBets = -1;
    int dark = 0;
    for (int k = 0; k < 12; ++k) {
        w->predictRace(k);
        const engine::Prediction& p = *w->prediction();
        if (p.betPanel.shown && withBets < 0) {
            withBets = k;
        }
        // The pattern indicator lights the race's pattern only when it has bets.
        for (int i = 0; i < 4; ++i) {
            const bool lit =
                w->findChild<QLabel*>(QStringLiteral("imgPatt%1").arg(i))->property("lit").toBool();
            QCOMPARE(lit, !p.patternText.empty() && p.racePattern == i + 1);
        }
        dark += p.patternText.empty() && p.racePattern != 0;
        QCOMPARE(w->betLabel(0)->isVisibleTo(w.get()), p.betPanel.shown);
    }
    qInfo("races with a pattern but no bets: %d", dark);
    w->predictRace(withBets);
    QVERIFY(withBets >= 0);
    QVERIFY(!w->betWindow()->isVisible());
    w->action("S2")->trigger();
    views::TfrmKaime* b = w->betWindow();
    QVERIFY(b->isVisible());
    QVERIFY(w->betWindowShown());
    QCOMPARE(b->windowTitle(), QStringLiteral("買い目の詳細"));
    QCOMPARE(b->size(), QSize(392, 443));
    auto expected = bets::betText(*w->prediction(), w->raceDay().texts(withBets));
    QCOMPARE(b->statusText(), qs(expected.title));
    QStringList lines;
    for (const auto& l : expected.lines) {
        lines << qs(l);
    }
    QCOMPARE(b->memoLines(), lines);

    // Save: the proposed name and CP932 text with CR LF.
    QString proposed;
    const auto target = home_ / "kaime.txt";
    b->saveDialogHook = [&](const QString& title, const QString& filter, const QString& name) {
        proposed = name;
        Q_UNUSED(title);
        Q_UNUSED(filter);
        return QString::fromStdString(target.string());
    };
    b->findChild<QAction*>("mnuSave")->trigger();
    QCOMPARE(proposed, qs(bets::betTextFileName(expected.title)));
    QCOMPARE(fileBytes(target), data::sjisLines(expected.lines));

    // The next race rewrites the shown text.
    w->predictRace((withBets + 1) % 12);
    expected = bets::betText(*w->prediction(), w->raceDay().texts(w->currentRace()));
    QCOMPARE(b->statusText(), qs(expected.title));
    QCOMPARE(b->memoLines().size(), int(expected.lines.size()));
    b->findChild<QAction*>("mnuClose")->trigger();
    QVERIFY(!b->isVisible());
    QVERIFY(!w->betWindowShown());
}

void MainWindowTest::importRoads() {
    QTemporaryDir archives;
    const auto day1 = writeArchives(pathOf(archives.path()), "20261213", 2);
    QVERIFY(!day1.empty());
    // Standard data for the imported day's courses.
    writeDay(home_ / "scratch", "20261213", 2, 0, 9);
    for (const auto& e : std::filesystem::directory_iterator(home_ / "scratch" / "Data")) {
        std::filesystem::create_directories(home_ / "Data");
        std::filesystem::copy_file(e.path(), home_ / "Data" / e.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // The command-line archive is imported when the window is first shown.
    auto w = makeWindow(home_, rec_, QString(), QString::fromStdString(day1.string()));
    QSignalSpy imported(w.get(), &app::TfrmQV::dayImported);
    w->show();
    QTRY_COMPARE(imported.count(), 1);
    QTRY_COMPARE(w->currentRace(), 0);
    QVERIFY(std::filesystem::exists(home_ / "Gap" / "261213.gap"));
    QVERIFY(rec_.messages.isEmpty());
    QVERIFY(w->titleLabel(1)->text().startsWith(QStringLiteral("2026年12月13日")));
    w->action("N5")->trigger();
    QCOMPARE(w->currentRace(), 1);
    const QString title = w->titleLabel(1)->text();

    // A file that is not CNX data: the message, and the day shown stays.
    const auto junk = home_ / "hz261214.lzh";
    { std::ofstream(junk, std::ios::binary) << "not an archive"; }
    w->openDialogHook = [&](const QString& t, const QString& f, const QString&) {
        rec_.questions << t << f;
        return QString::fromStdString(junk.string());
    };
    w->action("D1")->trigger();
    QCOMPARE(rec_.questions.value(0),
             QStringLiteral("「出馬表+競走馬」または「予想オッズ」(CNX)データの選択"));
    QCOMPARE(rec_.questions.value(1),
             QStringLiteral("「出馬表+競走馬」(CNX)データ (*hb*.lzh *hz*.lzh *od*.lzh);;"
                            "「予想オッズ」(CNX)データ (j*.lzh vd3_jb*.lzh)"));
    QCOMPARE(rec_.messages, QStringList{QString::fromUtf8(data::kNotCnxDataMessage)});
    QCOMPARE(w->currentRace(), 1);
    QCOMPARE(w->titleLabel(1)->text(), title);
    QCOMPARE(imported.count(), 1);

    // Drops: only ".lzh" exactly, and only the first file.
    rec_.messages.clear();
    const auto upper = home_ / "hz261214.LZH";
    std::filesystem::copy_file(junk, upper);
    sendDrop(w.get(), {QUrl::fromLocalFile(QString::fromStdString(upper.string())),
                       QUrl::fromLocalFile(QString::fromStdString(junk.string()))});
    QVERIFY(rec_.messages.isEmpty());
    sendDrop(w.get(), {QUrl::fromLocalFile(QString::fromStdString(junk.string()))});
    QCOMPARE(rec_.messages.size(), 1);

    // Another day through the open command replaces the day shown.
    rec_.messages.clear();
    const auto day2 = writeArchives(pathOf(archives.path()), "20261220", 3, 21);
    w->openDialogHook = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(day2.string());
    };
    w->action("D1")->trigger();
    QCOMPARE(imported.count(), 2);
    QCOMPARE(w->currentRace(), 0);
    QVERIFY(w->titleLabel(1)->text().startsWith(QStringLiteral("2026年12月20日")));
    QCOMPARE(w->menu("popMenu")->actions().size(), 3);

    // The folder of Data/Dir starts the open dialog when it exists.
    QString start;
    {
        auto settings = app::openSettings();
        settings->setValue("Data/Dir", archives.path());
    }
    w->openDialogHook = [&](const QString&, const QString&, const QString& s) {
        start = s;
        return QString();
    };
    w->action("D1")->trigger();
    QCOMPARE(start, archives.path());
}

void MainWindowTest::downloadNoticeAndSaveQuestion() {
    auto w = makeWindow(home_, rec_);
    rec_.answer = false;
    w->action("D2")->trigger();
    QCOMPARE(rec_.questions.size(), 1);
    QVERIFY(
        rec_.questions[0].startsWith(QStringLiteral("【ご注意】\r\n\r\n自動ダウンロード機能は")));
    QVERIFY(rec_.questions[0].endsWith(QStringLiteral("\r\n\r\n自動ダウンロードを継続しますか？")));
    QVERIFY(rec_.messages.isEmpty());
    int signIns = 0;
    w->signInHook = [&signIns] { ++signIns; };
    rec_.answer = true;
    w->action("D2")->trigger();
    QCOMPARE(signIns, 1);

    // The export save dialog asks before replacing a file.
    const auto existing = home_ / "out.kmi";
    std::ofstream(existing) << "x";
    w->saveDialogHook = [&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(existing.string());
    };
    rec_.questions.clear();
    rec_.answer = false;
    QCOMPARE(w->askSaveFileName("t", "f", QString(), "out.kmi"), QString());
    QCOMPARE(rec_.questions, QStringList{QStringLiteral(
                                 "同名のファイルが存在します。上書きしてもよろしいですか？")});
    rec_.answer = true;
    QCOMPARE(w->askSaveFileName("t", "f", QString(), "out.kmi"),
             QString::fromStdString(existing.string()));
    std::filesystem::remove(existing);
    rec_.questions.clear();
    QCOMPARE(w->askSaveFileName("t", "f", QString(), "out.kmi"),
             QString::fromStdString(existing.string()));
    QVERIFY(rec_.questions.isEmpty());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
