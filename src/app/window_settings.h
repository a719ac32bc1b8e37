#pragma once
// The persisted window settings under "Software\qv" (an INI file on Linux),
// and the rules that turn stored values into the main window's first geometry.

#include <QRect>
#include <QSettings>
#include <QSize>

#include <memory>
#include <optional>

namespace velmar::app {

// QSettings(NativeFormat, UserScope, "qv"): the registry key Software\qv on
// Windows, ~/.config/qv.conf here.
std::unique_ptr<QSettings> openSettings();

inline constexpr int kMinWindowWidth = 503;
inline constexpr int kMaxWindowWidth = 1191;

// What frmMain holds; an absent value takes its default.
struct StoredMainWindow {
    std::optional<int> height, height2, width, top, left;
    std::optional<bool> show3Sou, autoResize, userOddsMode;
};

struct MainWindowStart {
    QRect geometry; // left, top, width, height
    int height2 = 700;
    bool showThreeRaces = false;
    bool autoResize = true;
    bool userOddsMode = false;
};

// Height (700); Height2 (700) when the stored height is below 100 (the window
// was closed rolled up); Width (690); Top and Left centred on the screen by
// integer division (toward zero) unless stored.
MainWindowStart mainWindowStart(const StoredMainWindow& stored, const QSize& screen);

StoredMainWindow readMainWindow(QSettings& settings);
void writeMainWindow(QSettings& settings, const QRect& geometry, int height2, bool show3Sou,
                     bool autoResize, bool userOddsMode);

// Left/Top of a secondary window's section, centred on the screen by default.
QPoint storedPosition(QSettings& settings, const QString& section, const QSize& windowSize,
                      const QSize& screen);
void writePosition(QSettings& settings, const QString& section, const QPoint& topLeft);

// The developer switch: [Option] DeveloperMode in the INI file named like the
// executable with ".ini". Read as an integer, as the original reader did:
// non-zero is on; missing or not a number is off.
bool readDeveloperMode(const QString& iniPath);

} // namespace velmar::app
