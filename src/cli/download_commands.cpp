// Downloading CNX data from the data service: sign in through the provider,
// list what is on offer, buy and fetch chosen archives, import the top one.

#include "cli/commands.h"
#include "data/import.h"
#include "data/race_day.h"
#include "data/text.h"
#include "online/download.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace velmar::cli {

namespace {

namespace fs = std::filesystem;

struct DownloadOptions {
    std::string home;
    std::string provider;
    std::string user;
    std::string password;
    std::string catalogue = online::kDefaultCatalogueUrl;
    std::string caFile;
    std::string proxy;
    std::string proxyUser;
    std::string proxyPassword;
    bool list = false;
    std::vector<std::string> get;
    std::string dir;
    bool yes = false;
    bool json = false;
};

// Message texts use CR LF (they are the program's own); the terminal gets LF.
std::string forTerminal(std::string text) {
    return data::replaceAll(std::move(text), "\r\n", "\n");
}

bool askOnTerminal(const std::string& question, bool assumeYes) {
    std::cerr << forTerminal(question) << (assumeYes ? " [y/N] y" : " [y/N] ") << std::flush;
    if (assumeYes) {
        std::cerr << std::endl;
        return true;
    }
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    answer = data::trim(answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

bool parseProxy(const std::string& text, online::ProxySettings& proxy) {
    size_t colon = text.rfind(':');
    int32_t port = 0;
    if (colon == std::string::npos || colon == 0 || !data::tryIntOf(text.substr(colon + 1), port) ||
        port <= 0 || port > 65535)
        return false;
    proxy.ProxyAddress = text.substr(0, colon);
    proxy.ProxyPort = port;
    return true;
}

void runDownload(const DownloadOptions& o) {
    if (o.provider != online::kBiglobe && o.provider != online::kNifty) {
        fail("プロバイダーは BIGLOBE または @nifty を指定してください");
        return;
    }
    if (o.list == !o.get.empty()) {
        fail("--list または --get のどちらか一方を指定してください");
        return;
    }
    const fs::path home = resolveHome(o.home);
    std::error_code ec;
    fs::create_directories(home, ec);
    if (ec) {
        fail("ホームフォルダを作成できません: " + home.string() + " (" + ec.message() + ")");
        return;
    }

    online::OnlineSettings settings;
    settings.catalogueUrl = o.catalogue;
    settings.http.caFile = o.caFile;
    if (!o.proxy.empty() && !parseProxy(o.proxy, settings.http.proxy)) {
        fail("プロキシは HOST:PORT の形で指定してください: " + o.proxy);
        return;
    }
    settings.http.proxy.ProxyUser = o.proxyUser;
    settings.http.proxy.ProxyPassword = o.proxyPassword;

    bool anyFailure = false;
    std::string importSummary;
    online::DownloadCallbacks cb;
    cb.ask = [&](const std::string& q) { return askOnTerminal(q, o.yes); };
    cb.message = [&](const std::string& m) {
        std::cerr << forTerminal(m) << std::endl;
        anyFailure = true;
    };
    cb.fileStarted = [](const std::string& t) { std::cerr << t << std::endl; };
    cb.importArchive = [&](const fs::path& archive) {
        std::error_code gapEc;
        fs::create_directories(home / "Gap", gapEc);
        data::RaceDay day;
        data::ImportHooks hooks;
        hooks.createGapData = [&home](const fs::path& gapFile, const data::RaceDay& d) {
            return createGapDataForImport(home, gapFile, d);
        };
        auto result = data::importArchive(home, archive, day, hooks);
        if (!result.ok()) {
            std::cerr << forTerminal(*result.message) << std::endl;
            anyFailure = true;
            return;
        }
        importSummary = archive.filename().string() + " を取り込みました (" +
                        std::to_string(day.raceCount) + " レース)";
    };
    online::CnxDownload download(home, settings, cb);
    const fs::path folder = o.dir.empty() ? home / "CNX" : fs::absolute(o.dir);
    download.setDataFolder(folder);

    if (!download.PrepareDownload(o.provider, o.user, o.password)) {
        setExitCode(1);
        return;
    }
    if (o.list) {
        if (o.json) {
            nlohmann::json files = nlohmann::json::array();
            for (const auto& item : download.items())
                files.push_back({{"file", item.entry.fileName},
                                 {"kind", item.entry.kind},
                                 {"price", std::stoll(item.entry.price)},
                                 {"address", item.entry.address}});
            std::cout << nlohmann::json{{"status", download.statusLine()}, {"files", files}}.dump(2)
                      << std::endl;
        } else {
            std::cout << download.statusLine() << "\n" << download.listCaption() << "\n";
            for (const auto& item : download.items())
                std::cout << item.entry.fileName << "\t" << item.entry.kind << "\t"
                          << item.entry.price << "円\n";
            std::cout << std::flush;
        }
        download.close();
        return;
    }

    std::cout << download.statusLine() << std::endl;
    auto missing = download.checkByName(o.get);
    if (!missing.empty()) {
        std::string names;
        for (const auto& m : missing)
            names += (names.empty() ? "" : ", ") + m;
        fail("現在ダウンロードできないファイルです: " + names);
        download.close();
        return;
    }
    online::DownloadOutcome outcome = download.downloadChecked(folder);
    download.close();
    switch (outcome) {
    case online::DownloadOutcome::Declined:
        fail("ダウンロードを中止しました");
        return;
    case online::DownloadOutcome::Stopped:
        setExitCode(1);
        return;
    case online::DownloadOutcome::Completed:
        break;
    }
    for (const std::string& name : o.get)
        std::cout << (folder / name).string() << std::endl;
    if (!importSummary.empty())
        std::cout << importSummary << std::endl;
    if (anyFailure)
        setExitCode(1);
}

} // namespace

void registerDownloadCommands(CLI::App& app) {
    auto o = std::make_shared<DownloadOptions>();
    CLI::App* cmd = app.add_subcommand(
        "download", "CNX データをダウンロードします（プロバイダー認証、一覧、購入、取り込み）");
    cmd->add_option("--home", o->home, "Velmar のホームフォルダ");
    cmd->add_option("--provider", o->provider, "BIGLOBE または @nifty")->required();
    cmd->add_option("--user", o->user, "プロバイダーのユーザーID")->required();
    cmd->add_option("--password", o->password, "プロバイダーのパスワード")->required();
    cmd->add_option("--catalogue", o->catalogue,
                    "データサービスの設定ファイル (settei.txt) のアドレス")
        ->capture_default_str();
    cmd->add_option("--ca-file", o->caFile, "サーバー証明書を検証する CA 証明書ファイル (PEM)");
    cmd->add_option("--proxy", o->proxy, "プロキシサーバー HOST:PORT");
    cmd->add_option("--proxy-user", o->proxyUser, "プロキシの認証ID");
    cmd->add_option("--proxy-password", o->proxyPassword, "プロキシの認証パスワード");
    cmd->add_flag("--list", o->list, "ダウンロードできるファイルを表示します");
    cmd->add_option("--get", o->get, "ダウンロードするファイル名（カンマ区切り）")->delimiter(',');
    cmd->add_option("--dir", o->dir, "保存先フォルダ（既定: ホーム/CNX）");
    cmd->add_flag("--yes", o->yes, "確認にすべて「はい」と答えます");
    cmd->add_flag("--json", o->json, "--list の結果を JSON で出力します");
    cmd->callback([o] { runDownload(*o); });
}

} // namespace velmar::cli
