#include "app/main_window.h"

#include "app/toolbar_images.h"
#include "app/window_settings.h"
#include "bets/bet_text.h"
#include "engine/grid_sort.h"
#include "engine/main_grid.h"
#include "engine/update_bets.h"
#include "engine/user_odds.h"
#include "history/history_store.h"
#include "views/bet_detail_window.h"
#include "views/detail_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

// The help page and pictures live in the static library's resources.
static void initResources() {
    Q_INIT_RESOURCE(velmar);
}

namespace velmar::app {

namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
std::string us(const QString& s) {
    return s.toStdString();
}

// The maker's pages; any address may stand in for them.
const char* const kProductUrl = "https://velmar.example.com/";
const char* const kSupportUrl = "https://velmar.example.com/support/";
const char* const kDataServiceUrl = "https://cnx.example.com/";

constexpr int kTopPanelHeight = 100;
const std::vector<int> kInitialWidths = {26, 26, 125, 228, 228, 228, 57, 50, 57, 50, 49, 35};

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

} // namespace

TfrmQV::TfrmQV(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), home_(options_.home) {
    setObjectName(QStringLiteral("frmQV"));
    setWindowTitle(QStringLiteral("Velmar"));
    initResources();
    beep_ = [] { QApplication::beep(); };

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("pnlTop"));
    panel->setFixedHeight(kTopPanelHeight);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xF6, 0xDC));
    panel->setPalette(pal);
    layout->addWidget(panel);
    buildActions();
    buildTopPanel(panel);
    // The grid's place stays reserved while the grid is hidden (no race yet).
    auto* gridArea = new QWidget(central);
    auto* gridLayout = new QVBoxLayout(gridArea);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    buildGrid();
    grid_->setParent(gridArea);
    gridLayout->addWidget(grid_);
    layout->addWidget(gridArea, 1);
    setCentralWidget(central);
    buildStatusBar();

    setAcceptDrops(true);
    setMinimumWidth(kMinWindowWidth);
    setMaximumWidth(kMaxWindowWidth);

    developerMode_ = readDeveloperMode(options_.developerIni);
    if (developerMode_) {
        action(QStringLiteral("popBar1"))->setVisible(true);
        action(QStringLiteral("popBrimfast"))->setVisible(true);
    }

    readSettings();

    // The two secondary windows live as long as the main window.
    frmSyosai_ = new views::TfrmSyosai(this);
    frmKaime_ = new views::TfrmKaime(this);
    {
        auto settings = openSettings();
        frmSyosai_->move(storedPosition(*settings, QStringLiteral("frmDetail"),
                                        frmSyosai_->frameGeometry().size(), screenSize()));
        frmKaime_->move(storedPosition(*settings, QStringLiteral("frmKaime"),
                                       frmKaime_->frameGeometry().size(), screenSize()));
    }
    connect(frmSyosai_, &views::TfrmSyosai::shownChanged, this,
            [this](bool shown) { detailWindowShown_ = shown; });
    connect(frmKaime_, &views::TfrmKaime::shownChanged, this,
            [this](bool shown) { betWindowShown_ = shown; });

    // Without its history the program still works; the store says why.
    if (options_.connectHistory) {
        historyStore_ = std::make_unique<history::HistoryStore>();
        const Status connected = historyStore_->connectHistory(
            history::HistoryLocation{home_, {}, history::kHistoryPassword});
        if (connected) {
            history_ = historyStore_->supplier();
        } else {
            showMessage(qs(connected.error().message));
        }
    }
}

TfrmQV::~TfrmQV() = default;

// ---------------------------------------------------------------- building

QAction* TfrmQV::addCommand(QMenu* menu, const QString& name, const QString& caption,
                            const QString& shortcut, bool windowWide) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) {
        a->setShortcut(QKeySequence(shortcut));
        // Popup items show their key; the window-wide item of the same command
        // is the one that reacts to it.
        a->setShortcutContext(windowWide ? Qt::WindowShortcut : Qt::WidgetShortcut);
    }
    if (menu) {
        menu->addAction(a);
    }
    if (windowWide) {
        addAction(a);
    }
    return a;
}

QAction* TfrmQV::action(const QString& name) const {
    return findChild<QAction*>(name);
}
QMenu* TfrmQV::menu(const QString& name) const {
    return findChild<QMenu*>(name);
}

void TfrmQV::buildActions() {
    // MainMenu1: hidden menu bar whose items still answer their shortcuts.
    mainMenu_ = menuBar();
    mainMenu_->setObjectName(QStringLiteral("MainMenu1"));
    auto* file = mainMenu_->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    auto* d2 = addCommand(file, QStringLiteral("D2"),
                          QStringLiteral("CNXデータをダウンロードして読み込む(&D)..."),
                          QStringLiteral("Ctrl+D"), true);
    auto* d1 =
        addCommand(file, QStringLiteral("D1"), QStringLiteral("既存のCNXデータを読み込む(&O)..."),
                   QStringLiteral("Ctrl+O"), true);
    auto* race = mainMenu_->addMenu(QStringLiteral("レース(&R)"));
    race->setObjectName(QStringLiteral("mnuRace"));
    auto* s1 = addCommand(race, QStringLiteral("S1"), QStringLiteral("予想レースの選択(&S)..."),
                          QStringLiteral("Ctrl+S"), true);
    auto* p1 = addCommand(race, QStringLiteral("P1"), QStringLiteral("前のレース(&B)"),
                          QStringLiteral("Ctrl+B"), true);
    auto* n5 = addCommand(race, QStringLiteral("N5"), QStringLiteral("次のレース(&N)"),
                          QStringLiteral("Ctrl+N"), true);
    auto* tools = mainMenu_->addMenu(QStringLiteral("ツール(&T)"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    addCommand(tools, QStringLiteral("mnuMap"), QStringLiteral("展開マップを表示"),
               QStringLiteral("Ctrl+M"), true);
    auto* n10 = addCommand(tools, QStringLiteral("N10"), QStringLiteral("人気手入力モード切替"),
                           QStringLiteral("Ctrl+R"), true);
    tools->addSeparator();
    addCommand(tools, QStringLiteral("P2"), QStringLiteral("印刷(&P)"), QStringLiteral("Ctrl+P"),
               true);
    addCommand(tools, QStringLiteral("mnuVantage"),
               QStringLiteral("CorvaneVantageシリーズ用買い目ファイルを出力(&G)..."),
               QStringLiteral("Ctrl+G"), true);
    addCommand(tools, QStringLiteral("mnuGaibuShisu"),
               QStringLiteral("CorvaneVantage4用外部指数ファイルを出力(&I)..."),
               QStringLiteral("Ctrl+I"), true);
    auto* bulk = addCommand(tools, QStringLiteral("mnuBrimfast"),
                            QStringLiteral("(開発者用)Brimfast!用買い目一括ファイル(&K)"),
                            QStringLiteral("Ctrl+K"), true);
    auto* html = addCommand(tools, QStringLiteral("mnuHtml"),
                            QStringLiteral("(開発者用)メルマガ用HTMLを出力(&H)..."),
                            QStringLiteral("Ctrl+H"), true);
    tools->addSeparator();
    auto* o1 = addCommand(tools, QStringLiteral("O1"), QStringLiteral("オプション(&O)..."),
                          QStringLiteral("Ctrl+T"), true);
    auto* s2 =
        addCommand(tools, QStringLiteral("S2"), QStringLiteral("買い目の詳細ウインドウを表示(&S)"),
                   QStringLiteral("Ctrl+W"), true);
    auto* help = mainMenu_->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelpMenu"));
    auto* mnuHelp = addCommand(help, QStringLiteral("mnuHelp"), QStringLiteral("ヘルプを表示(&H)"),
                               QStringLiteral("F1"), true);
    mainMenu_->setVisible(false);
    // Never shown; the bulk file item follows the developer switch through
    // popBrimfast, whose shortcut reaches it.
    bulk->setVisible(false);
    html->setVisible(false);

    connect(d2, &QAction::triggered, this, &TfrmQV::downloadCommand);
    connect(d1, &QAction::triggered, this, &TfrmQV::openArchiveCommand);
    connect(s1, &QAction::triggered, this, &TfrmQV::selectRace);
    connect(p1, &QAction::triggered, this, &TfrmQV::previousRace);
    connect(n5, &QAction::triggered, this, &TfrmQV::nextRace);
    connect(n10, &QAction::triggered, this, &TfrmQV::toggleUserOddsMode);
    connect(s2, &QAction::triggered, this, &TfrmQV::showBetDetails);
    connect(mnuHelp, &QAction::triggered, this, &TfrmQV::showHelp);

    // popMenu: the race list.
    auto* popMenu = new QMenu(this);
    popMenu->setObjectName(QStringLiteral("popMenu"));

    // popOutput: the exports; each item runs the main menu command of the same job.
    auto* popOutput = new QMenu(this);
    popOutput->setObjectName(QStringLiteral("popOutput"));
    auto relay = [this](QAction* from, const QString& to) {
        connect(from, &QAction::triggered, this, [this, to] {
            if (QAction* target = action(to)) {
                target->trigger();
            }
        });
    };
    relay(addCommand(popOutput, QStringLiteral("popPrint"), QStringLiteral("印刷(&P)"),
                     QStringLiteral("Ctrl+P"), false),
          QStringLiteral("P2"));
    relay(addCommand(popOutput, QStringLiteral("popVantage"),
                     QStringLiteral("CorvaneVantage用買い目ファイルを出力(&G)..."),
                     QStringLiteral("Ctrl+G"), false),
          QStringLiteral("mnuVantage"));
    relay(addCommand(popOutput, QStringLiteral("popGaibuShisu"),
                     QStringLiteral("CorvaneVantage用外部指数ファイルを出力(&I)..."),
                     QStringLiteral("Ctrl+I"), false),
          QStringLiteral("mnuGaibuShisu"));
    // The CSV export has no main menu item: this one answers Ctrl+V itself.
    addCommand(popOutput, QStringLiteral("popCSV"), QStringLiteral("CSVファイルの書き出し(&V)..."),
               QStringLiteral("Ctrl+V"), true);
    auto* bar1 = popOutput->addSeparator();
    bar1->setObjectName(QStringLiteral("popBar1"));
    bar1->setVisible(false);
    auto* popBrimfast = addCommand(popOutput, QStringLiteral("popBrimfast"),
                                   QStringLiteral("(開発者用)Brimfast!用買い目一括ファイル(&K)..."),
                                   QStringLiteral("Ctrl+K"), true);
    popBrimfast->setVisible(false);
    relay(popBrimfast, QStringLiteral("mnuBrimfast"));
    auto* popHtml = addCommand(popOutput, QStringLiteral("popHtml"),
                               QStringLiteral("(開発者用)メルマガ用HTMLを出力(&H)..."),
                               QStringLiteral("Ctrl+H"), false);
    popHtml->setVisible(false);
    relay(popHtml, QStringLiteral("mnuHtml"));

    // pop3: help and web pages.
    auto* pop3 = new QMenu(this);
    pop3->setObjectName(QStringLiteral("pop3"));
    relay(addCommand(pop3, QStringLiteral("popHelp"), QStringLiteral("ヘルプを表示(&H)"),
                     QStringLiteral("F1"), false),
          QStringLiteral("mnuHelp"));
    auto* home = pop3->addMenu(QStringLiteral("ホームページ(&H)..."));
    home->setObjectName(QStringLiteral("popHomePage"));
    auto* url1 = addCommand(home, QStringLiteral("popURL1"),
                            QStringLiteral("ソフトの購入・サポート(&S)"), QString(), false);
    auto* url2 = addCommand(home, QStringLiteral("popURL2"), QStringLiteral("CorvaneOnLine(&K)"),
                            QString(), false);
    addCommand(pop3, QStringLiteral("popVersion"), QStringLiteral("バージョン情報(&A)..."),
               QString(), false);
    connect(url1, &QAction::triggered, this, [this] { openUrl(QString::fromLatin1(kSupportUrl)); });
    connect(url2, &QAction::triggered, this,
            [this] { openUrl(QString::fromLatin1(kDataServiceUrl)); });

    // popGrid: two or three past races, and the automatic window size.
    auto* popGrid = new QMenu(this);
    popGrid->setObjectName(QStringLiteral("popGrid"));
    auto* pop2Sou = addCommand(popGrid, QStringLiteral("pop2Sou"),
                               QStringLiteral("2走前まで表示する(&T)"), QString(), false);
    auto* pop3Sou = addCommand(popGrid, QStringLiteral("pop3Sou"),
                               QStringLiteral("3走前まで表示する(&H)"), QString(), false);
    popGrid->addSeparator();
    auto* popResize =
        addCommand(popGrid, QStringLiteral("popResize"),
                   QStringLiteral("予想時にウインドウを自動リサイズ(&R)"), QString(), false);
    auto* group = new QActionGroup(this);
    for (QAction* a : {pop2Sou, pop3Sou}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    popResize->setCheckable(true);
    connect(popGrid, &QMenu::aboutToShow, this, [this, pop2Sou, pop3Sou, popResize] {
        pop2Sou->setChecked(!showThreeRaces_);
        pop3Sou->setChecked(showThreeRaces_);
        popResize->setChecked(autoResize_);
    });
    connect(pop2Sou, &QAction::triggered, this, [this] { setShowThreeRaces(false); });
    connect(pop3Sou, &QAction::triggered, this, [this] { setShowThreeRaces(true); });
    connect(popResize, &QAction::triggered, this, [this] { setAutoResize(!autoResize_); });

    // popTools: not attached to any control; its items run the tools menu commands.
    auto* popTools = new QMenu(this);
    popTools->setObjectName(QStringLiteral("popTools"));
    relay(addCommand(popTools, QStringLiteral("popOption"), QStringLiteral("オプション(&O)..."),
                     QStringLiteral("Ctrl+T"), false),
          QStringLiteral("O1"));
    relay(addCommand(popTools, QStringLiteral("popKaime"),
                     QStringLiteral("買い目の詳細ウインドウを表示(&S)"), QStringLiteral("Ctrl+W"),
                     false),
          QStringLiteral("S2"));
    Q_UNUSED(o1);
}

void TfrmQV::buildTopPanel(QWidget* panel) {
    static const char* const hints[10] = {"CNXデータをダウンロードして読み込む (Ctrl+D)",
                                          "既存のCNXデータを読み込む （Ctrl+O)",
                                          "レースの選択 (Ctrl+S)",
                                          "前のレース (Ctrl+B)",
                                          "次のレース (Ctrl+N)",
                                          "展開マップを表示 (Ctrl+M)",
                                          "人気手入力モードの切り替え (Ctrl+R)",
                                          "出力...",
                                          "単勝GAP馬一覧",
                                          "ヘルプ..."};
    int x = 4;
    for (int i = 0; i < 10; ++i) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QStringLiteral("ImgBtn%1").arg(i));
        b->setToolTip(QString::fromUtf8(hints[i]));
        b->setIcon(toolbarIcon(i));
        b->setIconSize(QSize(36, 30));
        b->setAutoRaise(true);
        b->setGeometry(x, 3, 40, 36);
        imgBtn_[size_t(i)] = b;
        if (i == 5 || i == 6) {
            b->hide();
        } else {
            x += 42;
        }
    }
    imgBtn_[6]->setCheckable(true);
    auto trigger = [this](int i, const QString& name) {
        connect(imgBtn_[size_t(i)], &QToolButton::clicked, this, [this, name] {
            if (QAction* a = action(name)) {
                a->trigger();
            }
        });
    };
    trigger(0, QStringLiteral("D2"));
    trigger(1, QStringLiteral("D1"));
    trigger(2, QStringLiteral("S1"));
    trigger(3, QStringLiteral("P1"));
    trigger(4, QStringLiteral("N5"));
    trigger(5, QStringLiteral("mnuMap"));
    trigger(6, QStringLiteral("N10"));
    connect(imgBtn_[7], &QToolButton::clicked, this,
            [this] { menu(QStringLiteral("popOutput"))->popup(QCursor::pos()); });
    // ImgBtn8 (gap map) is wired by the gap map window's owner.
    connect(imgBtn_[9], &QToolButton::clicked, this,
            [this] { menu(QStringLiteral("pop3"))->popup(QCursor::pos()); });

    auto* link = new QToolButton(panel);
    link->setObjectName(QStringLiteral("imgHomePage"));
    link->setToolTip(QStringLiteral("Velmarのホームページを表示"));
    link->setIcon(homePageIcon());
    link->setIconSize(QSize(72, 30));
    link->setAutoRaise(true);
    link->setGeometry(x + 6, 3, 78, 36);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &QToolButton::clicked, this,
            [this] { openUrl(QString::fromLatin1(kProductUrl)); });

    for (int i = 0; i < 4; ++i) {
        auto* img = new QLabel(panel);
        img->setObjectName(QStringLiteral("imgPatt%1").arg(i));
        img->setGeometry(x + 96 + i * 50, 10, 48, 22);
        img->setPixmap(patternImage(i, false));
        imgPatt_[size_t(i)] = img;
    }

    lblTitle1_ = new QLabel(panel);
    lblTitle1_->setObjectName(QStringLiteral("lblTitle1"));
    lblTitle1_->setGeometry(8, 44, 484, 24);
    QFont titleFont = gridFont(16);
    titleFont.setBold(true);
    lblTitle1_->setFont(titleFont);
    lblTitle1_->setStyleSheet(QStringLiteral("color: #5A2D00;"));
    lblTitle2_ = new QLabel(panel);
    lblTitle2_->setObjectName(QStringLiteral("lblTitle2"));
    lblTitle2_->setGeometry(8, 72, 484, 20);
    lblTitle2_->setFont(gridFont(12));
    for (QLabel* l : {lblTitle1_, lblTitle2_}) {
        l->setTextFormat(Qt::PlainText);
    }

    // The bet panel: quinella, trio and trifecta side by side, a title over
    // two lines each.
    static const int groupX[3] = {497, 631, 765};
    for (int g = 0; g < 4; ++g) {
        auto* frame = new QFrame(panel);
        frame->setObjectName(QStringLiteral("kai%1").arg(g));
        frame->setStyleSheet(QStringLiteral("QFrame { background: #FFFBEF; border: 1px solid "
                                            "#E8C77A; border-radius: 3px; }"));
        if (g < 3) {
            frame->setGeometry(groupX[g] - 3, 42, 134, 55);
        }
        frame->hide();
        kai_[size_t(g)] = frame;
    }
    for (int i = 0; i < 19; ++i) {
        auto* l = new QLabel(panel);
        l->setObjectName(QStringLiteral("lblKai%1").arg(i));
        l->setTextFormat(Qt::PlainText);
        l->setFont(gridFont(11));
        const int g = i / 5;
        const int line = i % 5;
        if (g < 3 && line < 3) {
            l->setGeometry(groupX[g], 44 + line * 17, 133, 16);
            if (line == 0) {
                QFont bold = gridFont(11);
                bold.setBold(true);
                l->setFont(bold);
                l->setStyleSheet(QStringLiteral("color: #A03000;"));
            }
        }
        l->hide();
        lblKai_[size_t(i)] = l;
    }
}

void TfrmQV::buildGrid() {
    grid_ = new MarkupGrid(this);
    grid_->setObjectName(QStringLiteral("Grid1"));
    grid_->setColumnCount(engine::kGridColumns);
    const auto& headers = engine::gridHeaders();
    for (int c = 0; c < engine::kGridColumns; ++c) {
        grid_->setHeaderText(c, qs(headers[size_t(c)]));
    }
    grid_->setColumnWidths(kInitialWidths);
    grid_->setHeaderHeight(engine::kGridHeaderHeight);
    grid_->setDataRowHeight(engine::kGridRowHeight);
    grid_->setHeaderGradient(QColor(0xFF, 0xED, 0xA7), QColor(0xFB, 0xB0, 0x26));
    grid_->setSortMarker(1, true);
    grid_->headerHintHook = [](int col) {
        const auto& hints = engine::gridHeaderHints();
        return col >= 0 && col < engine::kGridColumns ? qs(hints[size_t(col)]) : QString();
    };
    // The main grid never sorts itself: header clicks go through the sort table.
    grid_->canSortHook = [](int) { return false; };
    grid_->alignmentHook = [](int row, int) -> Qt::Alignment {
        return row < 0 ? (Qt::AlignHCenter | Qt::AlignVCenter) : Qt::AlignVCenter;
    };
    grid_->cellStyleHook = [this](int row, int col) {
        CellStyle style;
        if (const engine::GridCell* c = predictedCell(row, col)) {
            style.background = QColor(qs(c->background));
            style.font = QColor(qs(c->fontColor));
        }
        return style;
    };
    grid_->cellBorderHook = [this](int row, int col) {
        CellBorder border;
        if (const engine::GridCell* c = predictedCell(row, col); c && c->rightBorderWidth > 0) {
            border.right = true;
            border.width = c->rightBorderWidth;
            border.color = QColor(qs(c->rightBorderColor));
        }
        return border;
    };
    grid_->editorItemsHook = [this](int, int col) -> std::optional<QStringList> {
        if (col != engine::kUserOddsColumn || !prediction_) {
            return std::nullopt;
        }
        QStringList items;
        for (const auto& item : engine::userOddsItems(grid_->rowCount())) {
            items << qs(item);
        }
        return items;
    };
    connect(grid_, &MarkupGrid::headerClicked, this, &TfrmQV::headerClick);
    connect(grid_, &MarkupGrid::anchorClicked, this,
            [this](int, int, const QString& value) { showDetail(value.toInt(), true); });
    connect(grid_, &MarkupGrid::comboChanged, this, &TfrmQV::onComboChanged);
    connect(grid_, &MarkupGrid::contextMenuRequestedAt, this,
            [this](const QPoint& at) { menu(QStringLiteral("popGrid"))->popup(at); });
    // Hidden until the first prediction.
    grid_->hide();
}

void TfrmQV::buildStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    staCaption_ = new QLabel(QStringLiteral("Velmar"), bar);
    staCaption_->setObjectName(QStringLiteral("staCaption"));
    staCaption_->setMinimumWidth(120);
    staUserOdds_ = new QLabel(bar);
    staUserOdds_->setObjectName(QStringLiteral("staUserOdds"));
    staUserOdds_->setMinimumWidth(160);
    gauData_ = new QProgressBar(bar);
    gauData_->setObjectName(QStringLiteral("gauData"));
    gauData_->setRange(0, 100);
    gauData_->setValue(0);
    gauData_->setTextVisible(false);
    gauData_->setFixedWidth(160);
    gauData_->setFixedHeight(14);
    bar->addWidget(staCaption_);
    bar->addWidget(staUserOdds_, 1);
    bar->addPermanentWidget(gauData_);
}

// ---------------------------------------------------------------- settings

void TfrmQV::readSettings() {
    auto settings = openSettings();
    const MainWindowStart start = mainWindowStart(readMainWindow(*settings), screenSize());
    resize(start.geometry.size());
    move(start.geometry.topLeft());
    height2_ = start.height2;
    // autoResize is still off here, so switching the display mode resizes nothing.
    setShowThreeRaces(start.showThreeRaces);
    autoResize_ = start.autoResize;
    userOddsMode_ = start.userOddsMode;
}

void TfrmQV::writeSettings() {
    auto settings = openSettings();
    writeMainWindow(*settings, QRect(pos(), size()), height2_, showThreeRaces_, autoResize_,
                    userOddsMode_);
    writePosition(*settings, QStringLiteral("frmDetail"), frmSyosai_->pos());
    writePosition(*settings, QStringLiteral("frmKaime"), frmKaime_->pos());
    settings->sync();
}

// ---------------------------------------------------------------- events

void TfrmQV::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShowDone_) {
        return;
    }
    firstShowDone_ = true;
    applyUserOddsMode();
    // The rest runs once the window is on screen.
    QTimer::singleShot(0, this, [this] {
        if (!options_.archive.isEmpty()) {
            importArchive(options_.archive);
        }
        std::error_code ec;
        if (std::filesystem::exists(home_ / data::kRaceFileName, ec) &&
            std::filesystem::exists(home_ / data::kHorseFileName, ec)) {
            if (loadDayFromHome()) {
                predictRace(0);
            }
        }
        emit startupFinished();
    });
}

void TfrmQV::closeEvent(QCloseEvent* event) {
    writeSettings();
    emit aboutToClose();
    if (historyStore_ && historyStore_->connected()) {
        history_ = {};
        const Status closed = historyStore_->disconnectHistory();
        if (!closed) {
            showMessage(qs(closed.error().message));
        }
    }
    frmSyosai_->hide();
    frmKaime_->hide();
    if (help_) {
        help_->close();
    }
    event->accept();
}

void TfrmQV::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // This window is never rolled up to its caption, so every height counts.
    height2_ = height();
}

void TfrmQV::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TfrmQV::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    event->acceptProposedAction();
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return;
    }
    // Only the first file counts, and only with the extension ".lzh" exactly.
    const QString path = urls.first().toLocalFile();
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && name.mid(dot) == QLatin1String(".lzh")) {
        importArchive(path);
    }
}

void TfrmQV::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
    emit activatedBySecondStart();
}

// ---------------------------------------------------------------- messages

void TfrmQV::beep() {
    if (beep_) {
        beep_();
    }
}

void TfrmQV::showMessage(const QString& text) {
    if (messageHook) {
        messageHook(text);
        return;
    }
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox::information(this, QStringLiteral("Velmar"), shown);
}

bool TfrmQV::confirm(const QString& text, QMessageBox::StandardButtons buttons,
                     QMessageBox::StandardButton yes) {
    if (confirmHook) {
        return confirmHook(text);
    }
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return QMessageBox::question(this, QStringLiteral("Velmar"), shown, buttons) == yes;
}

// ---------------------------------------------------------------- race day

bool TfrmQV::loadDayFromHome() {
    const auto loaded = data::loadRaceDay(home_, day_);
    if (!loaded) {
        showMessage(qs(loaded.error().message));
        return false;
    }
    rebuildRaceMenu();
    return *loaded;
}

void TfrmQV::rebuildRaceMenu() {
    QMenu* popMenu = menu(QStringLiteral("popMenu"));
    popMenu->clear();
    for (int i = 0; i < day_.raceCount; ++i) {
        QAction* item = popMenu->addAction(qs(day_.texts(i).menuCaption));
        item->setObjectName(QStringLiteral("race%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { predictRace(i); });
    }
}

engine::PredictOptions TfrmQV::predictOptions() const {
    engine::PredictOptions o;
    o.sortCode = sortCode_;
    o.showThreeRaces = showThreeRaces_;
    o.htmlMode = htmlMode_;
    o.history = history_;
    o.progressShown = progressShown_;
    const QDateTime now = QDateTime::currentDateTime();
    o.now = engine::DateTime{now.date().year(), now.date().month(), now.date().day(),
                             now.time().msecsSinceStartOfDay() / 1000};
    o.home = home_;
    return o;
}

void TfrmQV::predictRace(int k) {
    auto result = engine::predictRace(day_, k, predictOptions());
    if (!result) {
        // The race shown stays as it was.
        showMessage(qs(result.error().message));
        return;
    }
    prediction_ = std::move(*result);
    currentRace_ = k;
    for (const auto& message : prediction_->messages) {
        showMessage(qs(message));
    }
    showPrediction();
    autoResizeWindow();
    refreshBetText();
    frmSyosai_->setRace(&day_, &*prediction_);
    if (detailWindowShown_) {
        frmSyosai_->showDetail(1, false);
    }
    emit racePredicted(k);
}

void TfrmQV::fillGrid() {
    const engine::MainGrid& g = prediction_->grid;
    grid_->beginUpdate();
    grid_->setRowCount(int(g.rows.size()));
    for (int r = 0; r < int(g.rows.size()); ++r) {
        for (int c = 0; c < engine::kGridColumns; ++c) {
            grid_->setCell(r, c, qs(g.rows[size_t(r)].cells[size_t(c)].text));
        }
    }
    grid_->setSortMarker(g.sortMarkerColumn, g.sortAscending);
    grid_->endUpdate();
    staUserOdds_->setText(qs(g.sortStatusText));
}

void TfrmQV::showPrediction() {
    const engine::Prediction& p = *prediction_;
    lblTitle1_->setText(qs(p.titleText1));
    lblTitle2_->setText(qs(p.titleText2));
    fillGrid();
    grid_->setCurrentIndex(QModelIndex());
    grid_->scrollToTop();
    grid_->show();
    // A race without bets keeps its pattern but the indicator goes dark.
    showPattern(p.patternText.empty() ? 0 : p.racePattern);
    showBetPanel(p);
}

void TfrmQV::showPattern(int pattern) {
    for (int i = 0; i < 4; ++i) {
        imgPatt_[size_t(i)]->setPixmap(patternImage(i, pattern == i + 1));
        imgPatt_[size_t(i)]->setProperty("lit", pattern == i + 1);
    }
}

void TfrmQV::showBetPanel(const engine::Prediction& p) {
    const engine::BetPanel& panel = p.betPanel;
    // Texts are set even for hidden groups: the printed sheet reads them.
    const engine::BetPanelGroup* groups[3] = {&panel.quinella, &panel.trio, &panel.trifecta};
    for (int g = 0; g < 3; ++g) {
        lblKai_[size_t(g * 5)]->setText(qs(groups[g]->title));
        lblKai_[size_t(g * 5 + 1)]->setText(qs(groups[g]->line1));
        lblKai_[size_t(g * 5 + 2)]->setText(qs(groups[g]->line2));
    }
    // The trio lines move a few pixels in pattern 大穴.
    lblKai_[6]->move(panel.trioLine1X, lblKai_[6]->y());
    lblKai_[7]->move(panel.trioLine2X, lblKai_[7]->y());
    for (QLabel* l : lblKai_) {
        l->hide();
    }
    for (QWidget* k : kai_) {
        k->hide();
    }
    if (!panel.shown) {
        return;
    }
    for (int g = 0; g < 3; ++g) {
        if (!groups[g]->visible) {
            continue;
        }
        for (int line = 0; line < 3; ++line) {
            lblKai_[size_t(g * 5 + line)]->show();
        }
        kai_[size_t(g)]->show();
    }
}

int TfrmQV::horseOfRow(int row) const {
    return engine::horseNumberOfCell(us(grid_->cell(row, 1)));
}

const engine::GridCell* TfrmQV::predictedCell(int row, int col) const {
    if (!prediction_ || row < 0 || row >= int(prediction_->grid.rows.size()) || col < 0 ||
        col >= engine::kGridColumns) {
        return nullptr;
    }
    return &prediction_->grid.rows[size_t(row)].cells[size_t(col)];
}

// ---------------------------------------------------------------- navigation

void TfrmQV::selectRace() {
    QMenu* popMenu = menu(QStringLiteral("popMenu"));
    if (popMenu->isEmpty()) {
        beep();
        return;
    }
    popMenu->popup(QCursor::pos());
}

void TfrmQV::previousRace() {
    if (currentRace_ <= 0) {
        beep();
        return;
    }
    predictRace(currentRace_ - 1);
}

void TfrmQV::nextRace() {
    if (currentRace_ + 1 < day_.raceCount) {
        predictRace(currentRace_ + 1);
    } else {
        beep();
    }
}

// ---------------------------------------------------------------- grid

void TfrmQV::headerClick(int col) {
    if (!prediction_) {
        return;
    }
    const auto click = engine::headerClick(col, sortCode_, prediction_->favouritesRated);
    if (!click) {
        return;
    }
    engine::applySort(*prediction_, click->code, click->ascending);
    prediction_->grid.sortMarkerColumn = click->markerColumn;
    prediction_->grid.sortAscending = click->ascending;
    sortCode_ = click->code;
    fillGrid();
}

void TfrmQV::setShowThreeRaces(bool on) {
    showThreeRaces_ = on;
    autoResizeWindow();
}

void TfrmQV::setAutoResize(bool on) {
    autoResize_ = on;
}

void TfrmQV::autoResizeWindow() {
    if (!prediction_) {
        return; // nothing shown yet: the window keeps its size
    }
    const int rows = grid_->rowCount() + 1;
    const auto size = engine::autoResizeWindow(rows, showThreeRaces_, autoResize_);
    if (!size) {
        return;
    }
    grid_->setColumnWidth(3, size->column3Width);
    resize(std::clamp(size->width, kMinWindowWidth, kMaxWindowWidth), size->height);
}

void TfrmQV::showDetail(int horse, bool bringForward) {
    if (!prediction_) {
        return;
    }
    frmSyosai_->setRace(&day_, &*prediction_);
    frmSyosai_->showDetail(horse, bringForward);
}

// ---------------------------------------------------------------- user odds

void TfrmQV::toggleUserOddsMode() {
    userOddsMode_ = !userOddsMode_;
    applyUserOddsMode();
    if (prediction_) {
        engine::updateBetSuggestions(*prediction_, day_);
        afterBetsChanged();
    }
}

void TfrmQV::applyUserOddsMode() {
    grid_->setEditingEnabled(userOddsMode_);
    imgBtn_[6]->setChecked(userOddsMode_);
    action(QStringLiteral("N10"))->setCheckable(true);
    action(QStringLiteral("N10"))->setChecked(userOddsMode_);
}

void TfrmQV::onComboChanged(int row, int col, int, const QString& text) {
    if (col != engine::kUserOddsColumn || !prediction_) {
        return;
    }
    const auto stored = engine::changeUserOdds(*prediction_, day_, size_t(row), us(text), home_);
    grid_->setCell(row, col, qs(prediction_->grid.rows[size_t(row)].cells[size_t(col)].text));
    if (!stored) {
        // The runners already hold the new ranks; only the file is missing.
        showMessage(qs(stored.error().message));
        afterBetsChanged();
        return;
    }
    if (*stored) {
        afterBetsChanged();
        emit userOddsStored(currentRace_);
    }
}

void TfrmQV::afterBetsChanged() {
    const engine::Prediction& p = *prediction_;
    for (size_t r = 0; r < p.grid.rows.size(); ++r) {
        grid_->setCell(int(r), 11, qs(p.grid.rows[r].cells[11].text));
    }
    // A race without bets keeps its pattern but the indicator goes dark.
    showPattern(p.patternText.empty() ? 0 : p.racePattern);
    showBetPanel(p);
    refreshBetText();
}

// ---------------------------------------------------------------- bet details

void TfrmQV::refreshBetText() {
    if (!prediction_ || !betWindowShown_) {
        return;
    }
    const bets::BetText text = bets::betText(*prediction_, day_.texts(currentRace_));
    frmKaime_->setBetText(text.title, text.lines);
}

void TfrmQV::showBetDetails() {
    if (!grid_->isVisible() || !prediction_) {
        return;
    }
    if (!betWindowShown_) {
        betWindowShown_ = true;
        refreshBetText();
    }
    frmKaime_->show();
    frmKaime_->raise();
}

// ---------------------------------------------------------------- files

void TfrmQV::openArchiveCommand() {
    const QString title = QStringLiteral("「出馬表+競走馬」または「予想オッズ」(CNX)データの選択");
    const QString filter =
        QStringLiteral("「出馬表+競走馬」(CNX)データ (*hb*.lzh *hz*.lzh *od*.lzh);;"
                       "「予想オッズ」(CNX)データ (j*.lzh vd3_jb*.lzh)");
    QString start;
    {
        auto settings = openSettings();
        const QString dir = settings->value(QStringLiteral("Data/Dir")).toString();
        if (!dir.isEmpty() && QFileInfo(dir).isDir()) {
            start = dir;
        }
    }
    const QString path = openDialogHook ? openDialogHook(title, filter, start)
                                        : QFileDialog::getOpenFileName(this, title, start, filter);
    if (!path.isEmpty()) {
        importArchive(path);
    }
}

QString TfrmQV::askSaveFileName(const QString& title, const QString& filter, const QString& folder,
                                const QString& defaultName) {
    const QString start = folder.isEmpty() ? defaultName : QDir(folder).filePath(defaultName);
    const QString path = saveDialogHook
                             ? saveDialogHook(title, filter, start)
                             : QFileDialog::getSaveFileName(this, title, start, filter, nullptr,
                                                            QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        return {};
    }
    if (QFileInfo::exists(path) &&
        !confirm(QStringLiteral("同名のファイルが存在します。上書きしてもよろしいですか？"),
                 QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Yes)) {
        return {};
    }
    return path;
}

TfrmQV::HiddenWindows TfrmQV::hideWindowsForRun() {
    HiddenWindows hidden;
    hidden.main = isVisible();
    hidden.detail = frmSyosai_->isVisible();
    hidden.bet = frmKaime_->isVisible();
    hidden.detailEntry = frmSyosai_->cmbBamei()->currentIndex();
    frmSyosai_->hide();
    frmKaime_->hide();
    hide();
    return hidden;
}

void TfrmQV::restoreWindowsAfterRun(const HiddenWindows& hidden) {
    if (hidden.main) {
        show();
    }
    if (hidden.detail) {
        frmSyosai_->showDetail(hidden.detailEntry + 1, true);
    }
    if (hidden.bet) {
        betWindowShown_ = false;
        showBetDetails();
    }
}

// ---------------------------------------------------------------- help, web

void TfrmQV::showHelp() {
    if (!help_) {
        help_ = std::make_unique<QTextBrowser>();
        help_->setObjectName(QStringLiteral("frmHelp"));
        help_->setWindowTitle(QStringLiteral("Velmar ヘルプ"));
        help_->setOpenExternalLinks(false);
        help_->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
        help_->resize(640, 560);
    }
    help_->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void TfrmQV::openUrl(const QString& url) {
    if (urlHook) {
        urlHook(url);
        return;
    }
    QDesktopServices::openUrl(QUrl(url));
}

} // namespace velmar::app
