#pragma once
// Shared pieces of the desktop tests: a private settings file, a generated
// race day in a temporary Velmar home, and a main window whose beeps,
// messages and questions are recorded instead of shown.

#include "app/main_window.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>

namespace velmar::apptest {

inline std::filesystem::path pathOf(const QString& s) {
    return std::filesystem::path(s.toStdString());
}

// A generated day written into `home` (race card, odds and standard data).
inline void writeDay(const std::filesystem::path& home, const std::string& date, int races,
                     int runners = 0, std::uint64_t seed = 7) {
    tools::GenOptions options;
    options.date = date;
    options.races = races;
    options.runners = runners;
    options.seed = seed;
    const tools::RaceDay day = tools::generateRaceDay(options);
    QVERIFY(tools::writeDayFiles(home, day, tools::Generation::Vd2).ok());
    QVERIFY(tools::writeStandardData(home / "Data", day, seed).ok());
}

// The race-card archive and its odds companion of a generated day, in `dir`.
inline std::filesystem::path writeArchives(const std::filesystem::path& dir,
                                           const std::string& date, int races,
                                           std::uint64_t seed = 9) {
    tools::GenOptions options;
    options.date = date;
    options.races = races;
    options.seed = seed;
    const tools::RaceDay day = tools::generateRaceDay(options);
    auto written = tools::writeDayArchives(dir, day, tools::Generation::Vd2);
    if (!written || written->empty()) {
        return {};
    }
    return written->front();
}

// Records what the window would have shown to the user.
struct Recorder {
    int beeps = 0;
    QStringList messages;
    QStringList questions;
    QStringList urls;
    bool answer = false;
};

inline std::unique_ptr<app::TfrmQV> makeWindow(const std::filesystem::path& home, Recorder& rec,
                                               const QString& developerIni = QString(),
                                               const QString& archive = QString()) {
    app::MainWindowOptions options;
    options.home = home;
    options.archive = archive;
    options.developerIni = developerIni;
    options.connectHistory = false;
    auto window = std::make_unique<app::TfrmQV>(options);
    window->setBeepHook([&rec] { ++rec.beeps; });
    window->messageHook = [&rec](const QString& text) { rec.messages << text; };
    window->confirmHook = [&rec](const QString& text) {
        rec.questions << text;
        return rec.answer;
    };
    window->urlHook = [&rec](const QString& url) { rec.urls << url; };
    return window;
}

// Points QSettings' user scope at a private folder and empties it.
inline void useSettingsFolder(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    QFile::remove(QDir(folder).filePath(QStringLiteral("qv.conf")));
}

} // namespace velmar::apptest
