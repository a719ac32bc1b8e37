#pragma once
// What the online dialogs share with the main window: the home, the proxy
// settings (in memory for the life of the main window, never written), the
// import of a downloaded archive, and replaceable message boxes for tests.

#include "online/download.h"

#include <QString>

#include <chrono>

#include <filesystem>
#include <functional>
#include <memory>

class QSettings;
class QWidget;

namespace velmar::views {

class TfrmDownload;

struct OnlineSession {
    std::filesystem::path home;
    online::ProxySettings proxy;
    // Imports a downloaded archive into the main window.
    std::function<void(const std::filesystem::path& archive)> importArchive;

    // Tests answer instead of a box; empty means the real box.
    std::function<void(const QString& text)> messageHook;
    std::function<bool(const QString& text)> confirmHook;
    std::function<QString(const QString& caption, const QString& start)> folderHook;
    // Shows the prepared download window modally (tests drive it instead).
    std::function<void(TfrmDownload& window)> showDownloadHook;
    // Pause between download attempts (tests shorten it).
    std::function<void(std::chrono::milliseconds)> waitHook;

    void message(QWidget* parent, const QString& text) const;
    bool confirm(QWidget* parent, const QString& text) const;
};

// The settings "Software\qv" (an INI file on Linux).
std::unique_ptr<QSettings> onlineSettings();

// The catalogue address and the CA file from section Data (keys CatalogueURL,
// CAFile), with the proxy of the session.
online::OnlineSettings onlineSettingsOf(const OnlineSession& session);

QString qs(const std::string& utf8);
std::string utf8(const QString& text);

} // namespace velmar::views
