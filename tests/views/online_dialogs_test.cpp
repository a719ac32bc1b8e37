// The sign-in, proxy and download dialogs driving the download sequence
// against the loopback test service.

#include "online/password_cipher.h"
#include "test_service.h"
#include "views/download_dialog.h"
#include "views/proxy_dialog.h"
#include "views/sign_in_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace velmar::views {
namespace {

namespace fs = std::filesystem;
using online::test::TempDir;
using online::test::TestService;

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        // Settings go to a private folder.
        ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        static int argc = 1;
        static char name[] = "online_dialogs_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    TempDir config_;
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

const char* kCatalogue = "[SITE_AUTH]\r\nURLB=@HOST@/auth/biglobe\r\nURLN=@HOST@/auth/nifty\r\n"
                         "[SITE_DATA_GUEST]\r\nURLB=@HOST@/data/guest/\r\n"
                         "[SITE_DATA_MEMBER]\r\nURLB=@HOST@/data/member/\r\n"
                         "[SYUTSUBA+KYOUSOUBA_ALL]\r\nPATHB=g/,m/\r\nPRICE=300,200\r\n"
                         "FILE=hb101010.lzh\r\n"
                         "[SUNDBL_SYUTSUBA+KYOUSOUBA]\r\nPATHB=fail9/\r\nPRICE=150\r\n"
                         "FILE=od101010.lzh\r\n"
                         "[OZZ]\r\nPATHB=o/\r\nPRICE=100,30\r\nFILE=j101010.lzh\r\n";

QVariant stored(const QString& key) {
    return onlineSettings()->value(QStringLiteral("Data/") + key);
}

class OnlineDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        auto s = onlineSettings();
        s->clear();
        s->sync();
        session.home = home.path();
        session.messageHook = [this](const QString& m) { messages << m; };
        session.confirmHook = [this](const QString& q) {
            questions << q;
            return answers.isEmpty() ? false : answers.takeFirst();
        };
        session.waitHook = [](std::chrono::milliseconds) {};
        session.importArchive = [this](const fs::path& p) { imports.push_back(p); };
    }

    void useService() {
        service = std::make_unique<TestService>();
        service->putCatalogue("settei.txt", kCatalogue);
        auto s = onlineSettings();
        s->setValue(QStringLiteral("Data/CatalogueURL"), qs(service->http("/cat/settei.txt")));
        s->setValue(QStringLiteral("Data/CAFile"), qs(service->caFile()));
        s->sync();
    }

    TempDir home;
    OnlineSession session;
    std::unique_ptr<TestService> service;
    QStringList messages, questions;
    QList<bool> answers;
    std::vector<fs::path> imports;
};

TEST_F(OnlineDialogs, SignInEnablingRuleAndStoredData) {
    {
        TfrmNinsyo dialog(session);
        EXPECT_EQ(dialog.windowTitle(), "ユーザー認証");
        EXPECT_EQ(dialog.cmbProvider()->currentIndex(), -1);
        EXPECT_FALSE(dialog.btnOK()->isEnabled());
        dialog.cmbProvider()->setCurrentIndex(0);
        dialog.txtID()->setText("id");
        EXPECT_FALSE(dialog.btnOK()->isEnabled());
        dialog.txtPass()->setText("pw");
        EXPECT_TRUE(dialog.btnOK()->isEnabled());
        dialog.txtID()->clear();
        EXPECT_FALSE(dialog.btnOK()->isEnabled());
        EXPECT_FALSE(dialog.lblMes()->isVisibleTo(&dialog));
    }
    struct Row {
        QString password;
        QString shown;
        QStringList messages;
    };
    const Row rows[] = {
        {qs(online::EncryptPassword("パスワード")), "パスワード", {}},
        {"AAAA", "", {"Rijndael: Input not valid - too short"}},
        {"", "", {}},
    };
    for (const Row& r : rows) {
        messages.clear();
        auto s = onlineSettings();
        s->setValue("Data/Provider", 1);
        s->setValue("Data/UserID", "abc");
        s->setValue("Data/Password", r.password);
        s->sync();
        TfrmNinsyo dialog(session);
        EXPECT_EQ(dialog.cmbProvider()->currentText(), "@nifty");
        EXPECT_EQ(dialog.txtID()->text(), "abc");
        EXPECT_EQ(dialog.txtPass()->text(), r.shown);
        EXPECT_EQ(messages, r.messages);
        EXPECT_EQ(dialog.btnOK()->isEnabled(), !r.shown.isEmpty());
    }
}

TEST_F(OnlineDialogs, ProxyDialogCopiesOnOkOnly) {
    session.proxy = {"proxy.example", 8080, "u", "p"};
    {
        TfrmOption dialog(session.proxy);
        EXPECT_EQ(dialog.txtAdress()->text(), "proxy.example");
        EXPECT_EQ(dialog.txtPort()->value(), 8080);
        dialog.txtAdress()->setText("other");
        dialog.btnCancel()->click();
    }
    EXPECT_EQ(session.proxy.ProxyAddress, "proxy.example");
    TfrmOption dialog(session.proxy);
    dialog.txtAdress()->setText("other");
    dialog.txtPort()->setValue(3128);
    dialog.txtID()->setText("");
    dialog.txtPass()->setText("secret");
    dialog.btnOK()->click();
    EXPECT_EQ(session.proxy.ProxyAddress, "other");
    EXPECT_EQ(session.proxy.ProxyPort, 3128);
    EXPECT_EQ(session.proxy.ProxyUser, "");
    EXPECT_EQ(session.proxy.ProxyPassword, "secret");
}

TEST_F(OnlineDialogs, RefusedSignInKeepsTheDialogOpenWithCredentialsStored) {
    useService();
    TfrmNinsyo dialog(session);
    dialog.cmbProvider()->setCurrentIndex(0);
    dialog.txtID()->setText("member");
    dialog.txtPass()->setText("wrong");
    bool shown = false;
    session.showDownloadHook = [&](TfrmDownload&) { shown = true; };
    dialog.btnOK()->click();
    EXPECT_FALSE(shown);
    EXPECT_EQ(messages,
              QStringList{"認証できませんでした。ユーザーIDとパスワードをお確かめください。"});
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.lblMes()->isVisibleTo(&dialog));
    EXPECT_EQ(stored("Provider").toInt(), 0);
    EXPECT_EQ(stored("UserID").toString(), "member");
    EXPECT_EQ(stored("Password").toString(), qs(online::EncryptPassword("wrong")));
}

TEST_F(OnlineDialogs, SignInThenDownloadAndImport) {
    useService();
    std::string big(300000, 'b');
    service->putFile("hb101010.lzh", big);
    TfrmNinsyo dialog(session);
    dialog.cmbProvider()->setCurrentIndex(0);
    dialog.txtID()->setText("member");
    dialog.txtPass()->setText("secret");
    bool shown = false;
    int gaugeMax = 0;
    fs::path catalogueCopy = home.path() / "settei.txt";
    session.showDownloadHook = [&](TfrmDownload& w) {
        shown = true;
        EXPECT_EQ(w.windowTitle(), "CNXデータのダウンロード");
        EXPECT_EQ(w.lblMember()->text(), "memberはBIGLOBEメンバーとして認証されています");
        EXPECT_EQ(w.lblList()->text(),
                  "ダウンロードしたいファイルにチェックをしてOKボタンを押してください");
        QTreeWidget* list = w.sListView1();
        ASSERT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(list->headerItem()->text(2), "価格(税込)");
        EXPECT_TRUE(list->isColumnHidden(3));
        QTreeWidgetItem* hb = list->topLevelItem(0);
        EXPECT_EQ(hb->text(0), "hb101010.lzh");
        EXPECT_EQ(hb->text(1), "出馬表+競走馬");
        EXPECT_EQ(hb->text(2), "210円");
        EXPECT_EQ(hb->textAlignment(2) & Qt::AlignRight, Qt::AlignRight);
        EXPECT_EQ(hb->text(3), qs(service->https("/data/member/m/")));
        EXPECT_EQ(w.txtDir()->text(), qs((home.path() / "CNX").string()));
        EXPECT_TRUE(fs::exists(catalogueCopy));

        EXPECT_FALSE(w.btnOK()->isEnabled());
        hb->setCheckState(0, Qt::Checked);
        list->topLevelItem(2)->setCheckState(0, Qt::Checked);
        EXPECT_TRUE(w.btnOK()->isEnabled());
        w.txtDir()->clear();
        EXPECT_FALSE(w.btnOK()->isEnabled());
        w.txtDir()->setText(qs((home.path() / "data").string()));
        EXPECT_TRUE(w.btnOK()->isEnabled());

        QObject::connect(w.Gauge1(), &QProgressBar::valueChanged,
                         [&](int v) { gaugeMax = std::max(gaugeMax, v); });
        answers = {true};
        w.btnOK()->click();
        EXPECT_EQ(w.result(), QDialog::Accepted);
    };
    dialog.btnOK()->click();
    ASSERT_TRUE(shown);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(questions, QStringList{"チェックされたファイルの合計金額は241円(税込)になります。"
                                     "\r\n\r\nダウンロードしてもよろしいですか？"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(imports, std::vector<fs::path>{home.path() / "data" / "hb101010.lzh"});
    EXPECT_EQ(gaugeMax, 100);
    EXPECT_FALSE(fs::exists(catalogueCopy)); // removed when the window closed
    EXPECT_EQ(stored("Dir").toString(), qs((home.path() / "data").string()));
    EXPECT_TRUE(fs::exists(home.path() / "kakin.log"));
}

TEST_F(OnlineDialogs, StoppedRunLeavesTheWindowOpenWithTheRestTicked) {
    useService();
    TfrmDownload w(session);
    ASSERT_TRUE(w.PrepareDownload("BIGLOBE", "member", "secret"));
    QTreeWidget* list = w.sListView1();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i)
        list->topLevelItem(i)->setCheckState(0, Qt::Checked);
    answers = {true, false}; // buy; then give up the failing od101010
    w.btnOK()->click();
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_TRUE(imports.empty());
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "hb101010.lzh");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "od101010.lzh");
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_TRUE(w.btnOK()->isEnabled());
    EXPECT_TRUE(w.btnCancel()->isEnabled());
    EXPECT_TRUE(fs::exists(home.path() / "CNX" / "j101010.lzh"));
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[1],
              "od101010.lzhがダウンロードできませんでした。\r\n\r\n再度ダウンロードを試みますか？");
}

} // namespace
} // namespace velmar::views
