#include "app/window_settings.h"

#include <QFile>

namespace velmar::app {

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("qv"));
}

MainWindowStart mainWindowStart(const StoredMainWindow& stored, const QSize& screen) {
    MainWindowStart start;
    int height = stored.height.value_or(700);
    start.height2 = stored.height2.value_or(700);
    if (height < 100) {
        height = start.height2;
    }
    const int width = stored.width.value_or(690);
    // C++ integer division truncates toward zero, as the stored defaults need.
    const int top = stored.top.value_or(screen.height() / 2 - height / 2);
    const int left = stored.left.value_or(screen.width() / 2 - width / 2);
    start.geometry = QRect(left, top, width, height);
    start.showThreeRaces = stored.show3Sou.value_or(false);
    start.autoResize = stored.autoResize.value_or(true);
    start.userOddsMode = stored.userOddsMode.value_or(false);
    return start;
}

namespace {

std::optional<int> intValue(QSettings& s, const QString& key) {
    if (!s.contains(key)) {
        return std::nullopt;
    }
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<bool> boolValue(QSettings& s, const QString& key) {
    if (!s.contains(key)) {
        return std::nullopt;
    }
    const QString text = s.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1")) {
        return true;
    }
    if (text == QLatin1String("false") || text == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

} // namespace

StoredMainWindow readMainWindow(QSettings& settings) {
    StoredMainWindow stored;
    settings.beginGroup(QStringLiteral("frmMain"));
    stored.height = intValue(settings, QStringLiteral("Height"));
    stored.height2 = intValue(settings, QStringLiteral("Height2"));
    stored.width = intValue(settings, QStringLiteral("Width"));
    stored.top = intValue(settings, QStringLiteral("Top"));
    stored.left = intValue(settings, QStringLiteral("Left"));
    stored.show3Sou = boolValue(settings, QStringLiteral("Show3Sou"));
    stored.autoResize = boolValue(settings, QStringLiteral("AutoResize"));
    stored.userOddsMode = boolValue(settings, QStringLiteral("UserOddsMode"));
    settings.endGroup();
    return stored;
}

void writeMainWindow(QSettings& settings, const QRect& geometry, int height2, bool show3Sou,
                     bool autoResize, bool userOddsMode) {
    settings.beginGroup(QStringLiteral("frmMain"));
    settings.setValue(QStringLiteral("Top"), geometry.top());
    settings.setValue(QStringLiteral("Left"), geometry.left());
    settings.setValue(QStringLiteral("Height"), geometry.height());
    settings.setValue(QStringLiteral("Height2"), height2);
    settings.setValue(QStringLiteral("Width"), geometry.width());
    settings.setValue(QStringLiteral("AutoResize"), autoResize);
    settings.setValue(QStringLiteral("Show3Sou"), show3Sou);
    settings.setValue(QStringLiteral("UserOddsMode"), userOddsMode);
    settings.endGroup();
}

QPoint storedPosition(QSettings& settings, const QString& section, const QSize& windowSize,
                      const QSize& screen) {
    settings.beginGroup(section);
    const int top = intValue(settings, QStringLiteral("Top"))
                        .value_or(screen.height() / 2 - windowSize.height() / 2);
    const int left = intValue(settings, QStringLiteral("Left"))
                         .value_or(screen.width() / 2 - windowSize.width() / 2);
    settings.endGroup();
    return QPoint(left, top);
}

void writePosition(QSettings& settings, const QString& section, const QPoint& topLeft) {
    settings.beginGroup(section);
    settings.setValue(QStringLiteral("Left"), topLeft.x());
    settings.setValue(QStringLiteral("Top"), topLeft.y());
    settings.endGroup();
}

bool readDeveloperMode(const QString& iniPath) {
    if (!QFile::exists(iniPath)) {
        return false;
    }
    QSettings ini(iniPath, QSettings::IniFormat);
    bool ok = false;
    const int v = ini.value(QStringLiteral("Option/DeveloperMode")).toString().trimmed().toInt(&ok);
    return ok && v != 0;
}

} // namespace velmar::app
