#include "views/online_session.h"

#include <QMessageBox>
#include <QSettings>

namespace velmar::views {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string utf8(const QString& text) {
    QByteArray b = text.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

void OnlineSession::message(QWidget* parent, const QString& text) const {
    if (messageHook) {
        messageHook(text);
        return;
    }
    QMessageBox::information(parent, QStringLiteral("Velmar"), text);
}

bool OnlineSession::confirm(QWidget* parent, const QString& text) const {
    if (confirmHook)
        return confirmHook(text);
    return QMessageBox::question(parent, QStringLiteral("Velmar"), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::unique_ptr<QSettings> onlineSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("qv"));
}

online::OnlineSettings onlineSettingsOf(const OnlineSession& session) {
    online::OnlineSettings s;
    auto settings = onlineSettings();
    settings->beginGroup(QStringLiteral("Data"));
    s.catalogueUrl = utf8(settings
                              ->value(QStringLiteral("CatalogueURL"),
                                      QString::fromLatin1(online::kDefaultCatalogueUrl))
                              .toString());
    s.http.caFile = utf8(settings->value(QStringLiteral("CAFile")).toString());
    settings->endGroup();
    s.http.proxy = session.proxy;
    return s;
}

} // namespace velmar::views
