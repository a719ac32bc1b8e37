#include "app/main_window.h"

namespace velmar::app {

void TfrmQV::importArchive(const QString& path) {
    Q_UNUSED(path);
}

void TfrmQV::downloadCommand() {
    const QString notice = QStringLiteral(
        "【ご注意】\r\n\r\n自動ダウンロード機能は定額パック(Aコース、Bコース、Cコース)に\r\n"
        "対応しておりませんので、定額パックをご契約の方は、ブラウザを\r\n"
        "利用してダウンロードしてください。\r\n\r\n自動ダウンロードを継続しますか？");
    if (!confirm(notice, QMessageBox::Yes | QMessageBox::Abort, QMessageBox::Yes)) {
        return;
    }
    if (signInHook) {
        signInHook();
        return;
    }
    showMessage(QStringLiteral("このプログラムではプロバイダー認証を利用できません。"));
}

} // namespace velmar::app
