// velmar: the desktop program.
//
//   velmar [--home DIR] [ARCHIVE.lzh]
//
// The home is --home, else $VELMAR_HOME, else ~/.local/share/velmar. A second
// start while Velmar runs brings the running window to the front and ends.

#include "app/main_window.h"
#include "app/output_commands.h"
#include "app/single_instance.h"
#include "views/proxy_dialog.h"
#include "views/sign_in_dialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QProxyStyle>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <filesystem>

namespace {

std::filesystem::path resolveHome(const QString& option) {
    if (!option.isEmpty()) {
        return std::filesystem::path(option.toStdString());
    }
    const QByteArray env = qgetenv("VELMAR_HOME");
    if (!env.isEmpty()) {
        return std::filesystem::path(env.toStdString());
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return std::filesystem::path(QDir(data).filePath(QStringLiteral("velmar")).toStdString());
}

// Hints appear after 250 ms, and the next one at once within 250 ms.
class HintTimingStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay || hint == QStyle::SH_ToolTip_FallAsleepDelay) {
            return 250;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Test and measurement hooks print one line each on standard output.
void testLine(const char* text) {
    if (qEnvironmentVariableIsSet("VELMAR_TEST_HOOKS")) {
        std::printf("%s\n", text);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(new HintTimingStyle); // the application owns its style
    QApplication::setApplicationName(QStringLiteral("Velmar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmar"));

    QCommandLineParser parser;
    QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("Velmar home folder"),
                                  QStringLiteral("DIR"));
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("save the window after the first race"),
                                        QStringLiteral("PNG"));
    screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption exitOption(QStringLiteral("exit-after-first-race"),
                                  QStringLiteral("end once the first race is shown"));
    exitOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption noHistoryOption(QStringLiteral("no-history"),
                                       QStringLiteral("start without the history database"));
    noHistoryOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addHelpOption();
    parser.addOption(noHistoryOption);
    parser.addOption(homeOption);
    parser.addOption(screenshotOption);
    parser.addOption(exitOption);
    parser.addPositionalArgument(QStringLiteral("archive"), QStringLiteral("CNX archive (.lzh)"));
    parser.process(app);

    // Single instance: a second start only brings the first forward.
    velmar::app::SingleInstance instance(velmar::app::SingleInstance::defaultFolder());
    if (!instance.acquire()) {
        testLine("second instance: handed over");
        return 0;
    }

    const std::filesystem::path home = resolveHome(parser.value(homeOption));
    std::error_code ec;
    std::filesystem::create_directories(home / "Gap", ec);
    if (ec) {
        QMessageBox::critical(nullptr, QStringLiteral("Velmar"),
                              QStringLiteral("フォルダを作成できません: %1\n%2")
                                  .arg(QString::fromStdString((home / "Gap").string()),
                                       QString::fromStdString(ec.message())));
        return 1;
    }

    // The splash: the about box without owner, painted once before the main
    // window is built; it goes when the main window becomes active.
    QPointer<velmar::views::TfrmAbout> splash =
        new velmar::views::TfrmAbout(velmar::views::TfrmAbout::Use::Splash);
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    velmar::app::MainWindowOptions options;
    options.home = home;
    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty()) {
        options.archive = args.first();
    }
    options.developerIni = QApplication::applicationFilePath() + QStringLiteral(".ini");
    options.connectHistory = !parser.isSet(noHistoryOption);
    velmar::app::TfrmQV window(options);
    // Exports, printing, pace map, about box and the progress dialog of day-wide runs.
    new velmar::app::OutputCommands(window);
    if (splash) {
        splash->releaseWhenActive(&window);
        // Where the main window never takes activation (no window manager),
        // the splash still goes once the start-up is done.
        QObject::connect(&window, &velmar::app::TfrmQV::startupFinished, splash, &QWidget::close);
    }
    QObject::connect(&instance, &velmar::app::SingleInstance::activationRequested, &window,
                     &velmar::app::TfrmQV::bringToFront);
    QObject::connect(&window, &velmar::app::TfrmQV::activatedBySecondStart,
                     [] { testLine("activated by a second start"); });

    // Online download: the sign-in dialog after the download notice, and the
    // proxy settings (kept in memory while the window lives) behind "O1".
    velmar::views::OnlineSession online;
    online.home = home;
    online.importArchive = [&window](const std::filesystem::path& archive) {
        window.importArchive(QString::fromStdString(archive.string()));
    };
    window.signInHook = [&online, &window] { velmar::views::showSignIn(online, &window); };
    if (QAction* o1 = window.action(QStringLiteral("O1"))) {
        QObject::connect(o1, &QAction::triggered, &window, [&online, &window] {
            velmar::views::TfrmOption dialog(online.proxy, &window);
            dialog.exec();
        });
    }

    const QString screenshot = parser.value(screenshotOption);
    const bool exitAfterFirst = parser.isSet(exitOption) || !screenshot.isEmpty();
    if (exitAfterFirst) {
        // Ends once the start-up is done: the first race on screen, or the
        // empty window when there is no day.
        QObject::connect(&window, &velmar::app::TfrmQV::startupFinished, &window, [&] {
            QTimer::singleShot(0, &window, [&] {
                if (!screenshot.isEmpty()) {
                    window.grab().save(screenshot);
                }
                window.close();
            });
        });
    }
    window.show();
    testLine("ready");
    return app.exec();
}
