#pragma once
// The download sequence behind the download window and `velmar-cli download`:
// catalogue, sign-in check, the offered list, the confirmed total, the
// download loop with its retries, the purchase log and the hand-over of the
// archive nearest the top of the list to the import. Everything the user sees
// or answers goes through callbacks.

#include "online/catalogue.h"
#include "online/http_client.h"
#include "online/sign_in.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velmar::online {

// The data service's catalogue address (a placeholder host of the maker;
// configurable in the settings and on the command line).
inline constexpr const char* kDefaultCatalogueUrl = "http://data.velmar.jp/settei/settei.txt";
inline constexpr const char* kCatalogueFileName = "settei.txt";

inline constexpr const char* kCatalogueFailed =
    "CorvaneOnLineの設定ファイルが取得できませんでした。\r\n\r\nもう一度認証をやり直してください。";
inline constexpr const char* kListHasFiles =
    "ダウンロードしたいファイルにチェックをしてOKボタンを押してください";
inline constexpr const char* kListEmpty = "現在ダウンロードできるファイルはありません";
inline constexpr const char* kNoCredentials =
    "なんらかの理由でユーザーIDまたはパスワードが取得できませんでした。";

struct OnlineSettings {
    std::string catalogueUrl = kDefaultCatalogueUrl;
    HttpSettings http;
};

struct DownloadCallbacks {
    std::function<bool(const std::string& question)> ask; // Yes -> true
    std::function<void(const std::string& text)> message;
    std::function<void()> processEvents;
    // Pause between attempts (1000 ms); tests pass a short one.
    std::function<void(std::chrono::milliseconds)> wait;
    // Transfer progress of the running request.
    std::function<void(int64_t total)> workBegin;
    std::function<void(int64_t count)> work;
    std::function<void()> workEnd;
    // The file now being fetched: text for the label ("…をダウンロード中...").
    std::function<void(const std::string& text)> fileStarted;
    // True while the loop runs (OK and Cancel disabled), false when it ends.
    std::function<void(bool)> busy;
    // Receives the downloaded archive nearest the top of the list.
    std::function<void(const std::filesystem::path& archive)> importArchive;
    // Local time of the purchase log lines.
    std::function<std::tm()> now;
};

struct OfferItem {
    TCnx entry;
    bool checked = false;
};

enum class DownloadOutcome {
    Declined,  // the total was not confirmed
    Stopped,   // a failure ended the run; the window stays open
    Completed, // every ticked item was fetched (and the top one handed on)
};

class CnxDownload {
  public:
    CnxDownload(std::filesystem::path home, OnlineSettings settings, DownloadCallbacks callbacks);
    CnxDownload(const CnxDownload&) = delete;
    CnxDownload& operator=(const CnxDownload&) = delete;

    // Catalogue (three attempts), sign-in check, list. False after telling the
    // user why through `message`.
    bool PrepareDownload(const std::string& provider, const std::string& userId,
                         const std::string& password);

    // The folder whose files count as already on disk (default home/CNX).
    void setDataFolder(std::filesystem::path folder) { dataFolder_ = std::move(folder); }
    const std::filesystem::path& dataFolder() const { return dataFolder_; }

    SignInStatus status() const { return status_; }
    const std::string& statusLine() const { return statusLine_; }   // lblMember
    const std::string& listCaption() const { return listCaption_; } // lblList
    const std::vector<OfferItem>& items() const { return items_; }
    void setChecked(size_t index, bool checked);
    // Ticks the items of these names; returns the names not on the list.
    std::vector<std::string> checkByName(const std::vector<std::string>& names);

    // OK is enabled when at least one item is ticked and a folder is given.
    bool okEnabled(const std::string& folderText) const;
    int64_t checkedTotal() const;
    std::string confirmationText() const;

    // The OK action: confirm the total, fetch the ticked items from the bottom
    // of the list up into the folder, log each purchase, and hand the top-most
    // archive to the import.
    DownloadOutcome downloadChecked(const std::filesystem::path& folder);

    // The window closes: the catalogue copy goes.
    void close();

    std::filesystem::path cataloguePath() const { return home_ / kCatalogueFileName; }
    std::filesystem::path purchaseLogPath() const;
    TmodHttp& http() { return http_; }

  private:
    bool fetchWithRetries(const std::string& url, const std::filesystem::path& to, int attempts);
    void say(const std::string& text) const;
    void letEventsRun() const;
    void pause() const;

    std::filesystem::path home_;
    std::filesystem::path dataFolder_;
    OnlineSettings settings_;
    DownloadCallbacks cb_;
    TmodHttp http_;
    std::string provider_, userId_, password_;
    SignInStatus status_ = SignInStatus::Failed;
    std::string statusLine_, listCaption_;
    std::vector<OfferItem> items_;
};

// Question after three failed attempts and message after the fourth.
std::string retryQuestion(const std::string& fileName);
std::string finalFailureMessage(const std::string& fileName);

} // namespace velmar::online
