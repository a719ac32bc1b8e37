#include "online/download.h"

#include "data/atomic_file.h"
#include "online/purchase_log.h"

#include <thread>

namespace velmar::online {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds kRetryPause{1000};

bool isCertificateFailure(const TransferFailure& f) {
    return f.kind == FailureKind::Certificate || f.kind == FailureKind::CaFile;
}

} // namespace

std::string retryQuestion(const std::string& fileName) {
    return fileName + "がダウンロードできませんでした。" + "\r\n\r\n" +
           "再度ダウンロードを試みますか？";
}

std::string finalFailureMessage(const std::string& fileName) {
    return fileName + "がダウンロードできませんでした。" + "\r\n\r\n" +
           "間をあけて再度ダウンロードを試みてください。";
}

CnxDownload::CnxDownload(fs::path home, OnlineSettings settings, DownloadCallbacks callbacks)
    : home_(std::move(home)), dataFolder_(home_ / "CNX"), settings_(std::move(settings)),
      cb_(std::move(callbacks)), http_(settings_.http) {
    TransferEvents ev;
    ev.workBegin = cb_.workBegin;
    ev.work = cb_.work;
    ev.workEnd = cb_.workEnd;
    ev.processEvents = cb_.processEvents;
    http_.setEvents(std::move(ev));
}

void CnxDownload::say(const std::string& text) const {
    if (cb_.message)
        cb_.message(text);
}

void CnxDownload::letEventsRun() const {
    if (cb_.processEvents)
        cb_.processEvents();
}

void CnxDownload::pause() const {
    if (cb_.wait)
        cb_.wait(kRetryPause);
    else
        std::this_thread::sleep_for(kRetryPause);
}

fs::path CnxDownload::purchaseLogPath() const {
    return home_ / kPurchaseLogName;
}

bool CnxDownload::fetchWithRetries(const std::string& url, const fs::path& to, int attempts) {
    for (int i = 1;; ++i) {
        if (http_.FetchToFile(provider_, userId_, password_, url, to))
            return true;
        if (i == attempts)
            return false;
        letEventsRun();
        pause();
    }
}

bool CnxDownload::PrepareDownload(const std::string& provider, const std::string& userId,
                                  const std::string& password) {
    // The catalogue is public: fetched as "BIGLOBE" without credentials.
    provider_ = kBiglobe;
    userId_.clear();
    password_.clear();
    if (!fetchWithRetries(settings_.catalogueUrl, cataloguePath(), 3)) {
        say(isCertificateFailure(http_.lastFailure()) ? failureText(http_.lastFailure())
                                                      : std::string(kCatalogueFailed));
        return false;
    }
    auto bytes = data::readFile(cataloguePath());
    if (!bytes) {
        say(kCatalogueFailed);
        return false;
    }
    IniFile ini = IniFile::parse(*bytes);

    SignInCheck check = CheckSignIn(http_, provider, userId, password, authAddress(ini, provider));
    status_ = check.status;
    if (check.status == SignInStatus::Failed) {
        say(check.message);
        return false;
    }
    statusLine_ = signInStatusLine(userId, provider, check.status);

    provider_ = provider;
    userId_ = userId;
    password_ = password;
    items_.clear();
    std::vector<TCnx> entries;
    for (const CatalogueSection& s : kCatalogueSections) {
        auto part = ReadCatalogueSection(ini, s, provider, check.status == SignInStatus::Member);
        entries.insert(entries.end(), part.begin(), part.end());
    }
    for (const TCnx& e : offeredEntries(entries, ListLocalFiles(dataFolder_)))
        items_.push_back({e, false});
    listCaption_ = items_.empty() ? kListEmpty : kListHasFiles;
    return true;
}

void CnxDownload::setChecked(size_t index, bool checked) {
    if (index < items_.size())
        items_[index].checked = checked;
}

std::vector<std::string> CnxDownload::checkByName(const std::vector<std::string>& names) {
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        bool found = false;
        for (OfferItem& item : items_)
            if (item.entry.fileName == name) {
                item.checked = true;
                found = true;
            }
        if (!found)
            missing.push_back(name);
    }
    return missing;
}

bool CnxDownload::okEnabled(const std::string& folderText) const {
    if (folderText.empty())
        return false;
    for (const OfferItem& item : items_)
        if (item.checked)
            return true;
    return false;
}

int64_t CnxDownload::checkedTotal() const {
    int64_t total = 0;
    for (const OfferItem& item : items_)
        if (item.checked)
            total += std::stoll(item.entry.price);
    return total;
}

std::string CnxDownload::confirmationText() const {
    return "チェックされたファイルの合計金額は" + std::to_string(checkedTotal()) +
           "円(税込)になります。" + "\r\n\r\n" + "ダウンロードしてもよろしいですか？";
}

DownloadOutcome CnxDownload::downloadChecked(const fs::path& folder) {
    if (!cb_.ask || !cb_.ask(confirmationText()))
        return DownloadOutcome::Declined;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directory(folder, ec);
        if (ec) {
            say("フォルダを作成できません: " + folder.string() + " (" + ec.message() + ")");
            return DownloadOutcome::Stopped;
        }
    }
    if (userId_.empty() || password_.empty()) {
        say(kNoCredentials);
        return DownloadOutcome::Stopped;
    }
    auto setBusy = [&](bool on) {
        if (cb_.busy)
            cb_.busy(on);
    };
    setBusy(true);
    fs::path last;
    // From the bottom up: the odds archives first, the race cards last.
    for (size_t i = items_.size(); i-- > 0;) {
        letEventsRun();
        if (!items_[i].checked)
            continue;
        const TCnx entry = items_[i].entry;
        if (cb_.fileStarted)
            cb_.fileStarted(entry.fileName + "をダウンロード中...");
        letEventsRun();
        std::string url = entry.address + entry.fileName;
        fs::path target = folder / entry.fileName;
        if (!fetchWithRetries(url, target, 3)) {
            if (!cb_.ask || !cb_.ask(retryQuestion(entry.fileName))) {
                setBusy(false);
                return DownloadOutcome::Stopped;
            }
            letEventsRun();
            if (!http_.FetchToFile(provider_, userId_, password_, url, target)) {
                say(isCertificateFailure(http_.lastFailure())
                        ? entry.fileName + "がダウンロードできませんでした。" + "\r\n\r\n" +
                              failureText(http_.lastFailure())
                        : finalFailureMessage(entry.fileName));
                setBusy(false);
                return DownloadOutcome::Stopped;
            }
        }
        last = target;
        std::tm when{};
        if (cb_.now) {
            when = cb_.now();
        } else {
            std::time_t t = std::time(nullptr);
            localtime_r(&t, &when);
        }
        Status logged = AppendPurchaseLog(purchaseLogPath(),
                                          purchaseLogLine(when, entry.fileName, entry.price,
                                                          purchaseAccount(userId_, provider_)));
        if (!logged)
            say(logged.error().message);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    setBusy(false);
    if (!last.empty() && fs::exists(last, ec) && cb_.importArchive)
        cb_.importArchive(last);
    return DownloadOutcome::Completed;
}

void CnxDownload::close() {
    std::error_code ec;
    fs::remove(cataloguePath(), ec);
}

} // namespace velmar::online
