#include "online/http_client.h"

#include "data/shared_library.h"
#include "data/sjis.h"
#include "data/text.h"

#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace velmar::online {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
constexpr const char* kAccept = "Accept: text/html, */*";
constexpr long kMaxRedirects = 15;

// libcurl is opened on first use (see SharedLibrary): only the commands that
// talk to a server pay for loading it and its TLS, LDAP and Kerberos libraries.
struct CurlApi {
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_perform) easy_perform = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
    bool ready = false;
    std::string error;
};

const CurlApi& curl() {
    static const CurlApi api = [] {
        static data::SharedLibrary lib{"libcurl.so.4", "libcurl.so", "libcurl-4.dll",
                                       "libcurl.4.dylib"};
        CurlApi a;
        if (!lib.load()) {
            a.error = lib.error();
            return a;
        }
        a.ready = lib.symbol("curl_global_init", a.global_init) &&
                  lib.symbol("curl_easy_init", a.easy_init) &&
                  lib.symbol("curl_easy_setopt", a.easy_setopt) &&
                  lib.symbol("curl_easy_perform", a.easy_perform) &&
                  lib.symbol("curl_easy_getinfo", a.easy_getinfo) &&
                  lib.symbol("curl_easy_strerror", a.easy_strerror) &&
                  lib.symbol("curl_easy_cleanup", a.easy_cleanup) &&
                  lib.symbol("curl_slist_append", a.slist_append) &&
                  lib.symbol("curl_slist_free_all", a.slist_free_all);
        if (!a.ready)
            a.error = "libcurl に必要な関数がありません";
        else
            a.global_init(CURL_GLOBAL_DEFAULT);
        return a;
    }();
    return api;
}

struct EasyFree {
    void operator()(CURL* h) const { curl().easy_cleanup(h); }
};
struct ListFree {
    void operator()(curl_slist* l) const { curl().slist_free_all(l); }
};

// Where the body of one request goes and how its progress is reported.
struct Sink {
    std::string* body = nullptr;
    FILE* file = nullptr;
    int writeErrno = 0;
    TransferEvents* events = nullptr;
    bool begun = false;
    int64_t lastCount = -1;
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    size_t n = size * count;
    if (sink->body) {
        sink->body->append(data, n);
        return n;
    }
    if (std::fwrite(data, 1, n, sink->file) != n) {
        sink->writeErrno = errno ? errno : EIO;
        return 0; // makes libcurl stop with a write error
    }
    return n;
}

int onProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
               curl_off_t ulNow) {
    auto* sink = static_cast<Sink*>(user);
    TransferEvents& ev = *sink->events;
    bool receiving = dlTotal > 0 || dlNow > 0;
    curl_off_t total = receiving ? dlTotal : ulTotal;
    curl_off_t now = receiving ? dlNow : ulNow;
    if (!sink->begun && (total > 0 || now > 0)) {
        sink->begun = true;
        if (ev.workBegin)
            ev.workBegin(total);
    }
    if (sink->begun && now != sink->lastCount) {
        sink->lastCount = now;
        if (ev.work)
            ev.work(now);
    }
    if (ev.processEvents)
        ev.processEvents();
    return 0;
}

bool isUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

// One configured easy handle: the client set-up shared by both operations.
class Request {
  public:
    Request(const HttpSettings& settings, const std::string& provider, const std::string& url,
            Sink& sink)
        : h_(curl().ready ? curl().easy_init() : nullptr) {
        if (!h_)
            return;
        CURL* h = h_.get();
        errorBuffer_[0] = '\0';
        curl().easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer_);
        curl().easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl().easy_setopt(h, CURLOPT_URL, url.c_str());
        curl().easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl().easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl().easy_setopt(h, CURLOPT_HTTP_VERSION,
                           provider == kNifty ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
        headers_.reset(curl().slist_append(nullptr, kAccept));
        curl().easy_setopt(h, CURLOPT_HTTPHEADER, headers_.get());
        curl().easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
        curl().easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl().easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
        // Cookie engine on with nothing loaded: cookies live for this request only.
        curl().easy_setopt(h, CURLOPT_COOKIEFILE, "");

        // The server certificate is always verified.
        curl().easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
        curl().easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!settings.caFile.empty())
            curl().easy_setopt(h, CURLOPT_CAINFO, settings.caFile.c_str());

        const ProxySettings& p = settings.proxy;
        std::string address = data::trim(p.ProxyAddress);
        if (!address.empty()) {
            curl().easy_setopt(h, CURLOPT_PROXY, address.c_str());
            curl().easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(p.ProxyPort));
            curl().easy_setopt(h, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
            if (!data::trim(p.ProxyUser).empty() && !data::trim(p.ProxyPassword).empty()) {
                curl().easy_setopt(h, CURLOPT_PROXYUSERNAME, p.ProxyUser.c_str());
                curl().easy_setopt(h, CURLOPT_PROXYPASSWORD, p.ProxyPassword.c_str());
                // Credentials go out only when the proxy asks for them.
                curl().easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
            }
        } else {
            // No proxy from the environment either: only the settings decide.
            curl().easy_setopt(h, CURLOPT_PROXY, "");
        }

        curl().easy_setopt(h, CURLOPT_CONNECTTIMEOUT, settings.connectTimeoutSeconds);
        curl().easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl().easy_setopt(h, CURLOPT_LOW_SPEED_TIME, settings.stallTimeoutSeconds);

        curl().easy_setopt(h, CURLOPT_WRITEFUNCTION, onData);
        curl().easy_setopt(h, CURLOPT_WRITEDATA, &sink);
        curl().easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl().easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl().easy_setopt(h, CURLOPT_XFERINFODATA, &sink);
    }

    CURL* get() const { return h_.get(); }

    // Pre-emptive Basic authentication with these credentials.
    void basicAuth(const std::string& user, const std::string& password) {
        curl().easy_setopt(h_.get(), CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl().easy_setopt(h_.get(), CURLOPT_USERNAME, user.c_str());
        curl().easy_setopt(h_.get(), CURLOPT_PASSWORD, password.c_str());
    }

    void emptyPost() {
        curl().easy_setopt(h_.get(), CURLOPT_POST, 1L);
        curl().easy_setopt(h_.get(), CURLOPT_POSTFIELDS, "");
        curl().easy_setopt(h_.get(), CURLOPT_POSTFIELDSIZE, 0L);
    }

    // Runs the request and classifies the outcome.
    TransferFailure perform(Sink& sink) {
        TransferFailure f;
        if (!h_) {
            f.kind = FailureKind::Connection;
            f.detail = curl().ready ? "curl_easy_init" : curl().error;
            return f;
        }
        CURLcode rc = curl().easy_perform(h_.get());
        if (sink.begun && sink.events->workEnd)
            sink.events->workEnd();
        long status = 0;
        curl().easy_getinfo(h_.get(), CURLINFO_RESPONSE_CODE, &status);
        f.httpStatus = status;
        std::string why = errorBuffer_[0] ? errorBuffer_ : curl().easy_strerror(rc);
        switch (rc) {
        case CURLE_OK:
            if (status >= 400) {
                f.kind = FailureKind::HttpStatus;
                f.detail = "HTTP " + std::to_string(status);
            }
            break;
        case CURLE_PEER_FAILED_VERIFICATION:
            f.kind = FailureKind::Certificate;
            f.detail = why;
            break;
        case CURLE_SSL_CACERT_BADFILE:
            f.kind = FailureKind::CaFile;
            f.detail = why;
            break;
        case CURLE_WRITE_ERROR:
            if (sink.writeErrno) {
                f.kind = FailureKind::LocalFile;
                f.detail = std::strerror(sink.writeErrno);
                break;
            }
            [[fallthrough]];
        default:
            f.kind = FailureKind::Connection;
            f.detail = why;
            break;
        }
        return f;
    }

  private:
    std::unique_ptr<CURL, EasyFree> h_;
    std::unique_ptr<curl_slist, ListFree> headers_;
    char errorBuffer_[CURL_ERROR_SIZE];
};

} // namespace

TmodHttp::TmodHttp(HttpSettings settings, TransferEvents events)
    : settings_(std::move(settings)), events_(std::move(events)) {}

bool TmodHttp::FetchToFile(const std::string& provider, const std::string& userId,
                           const std::string& password, const std::string& url,
                           const fs::path& destination) {
    failure_ = {};
    fs::path dir = destination.parent_path().empty() ? fs::path(".") : destination.parent_path();
    std::string tmpl = (dir / ("." + destination.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        failure_ = {FailureKind::LocalFile, 0, std::strerror(errno)};
        return false;
    }
    fs::path tmp = tmpl;
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        failure_ = {FailureKind::LocalFile, 0, std::strerror(errno)};
        ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    }

    Sink sink;
    sink.file = file;
    sink.events = &events_;
    Request req(settings_, provider, url, sink);
    // Always pre-emptive Basic, even with empty credentials (the catalogue).
    req.basicAuth(userId, password);
    if (provider == kNifty)
        req.emptyPost();
    failure_ = req.perform(sink);

    bool ok = failure_.kind == FailureKind::None;
    if (ok && (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0)) {
        failure_ = {FailureKind::LocalFile, 0, std::strerror(errno)};
        ok = false;
    }
    // mkstemp makes the file private; a downloaded file gets the usual mode.
    if (ok)
        ::fchmod(::fileno(file), 0644);
    if (std::fclose(file) != 0 && ok) {
        failure_ = {FailureKind::LocalFile, 0, std::strerror(errno)};
        ok = false;
    }
    if (ok) {
        if (::rename(tmp.c_str(), destination.c_str()) != 0) {
            failure_ = {FailureKind::LocalFile, 0, std::strerror(errno)};
            ok = false;
        }
    }
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

std::string TmodHttp::RequestSignInPage(const std::string& provider, const std::string& userId,
                                        const std::string& password, const std::string& url) {
    std::string body;
    Sink sink;
    sink.body = &body;
    sink.events = &events_;
    Request req(settings_, provider, url, sink);
    if (!userId.empty() && !password.empty())
        req.basicAuth(userId, password);
    failure_ = req.perform(sink);
    if (failure_.kind == FailureKind::HttpStatus)
        return std::to_string(failure_.httpStatus);
    if (failure_.kind != FailureKind::None)
        return "0";
    return isUtf8(body) ? body : data::sjisToUtf8(body);
}

std::string failureText(const TransferFailure& f) {
    switch (f.kind) {
    case FailureKind::None:
        return {};
    case FailureKind::HttpStatus:
        return "サーバーが要求を受け付けませんでした。(HTTP " + std::to_string(f.httpStatus) + ")";
    case FailureKind::Certificate:
        return "サーバーの証明書を確認できませんでした。接続先が正しいか、CA証明書の設定をお確かめ"
               "ください。(" +
               f.detail + ")";
    case FailureKind::CaFile:
        return "CA証明書ファイルを読み込めませんでした。(" + f.detail + ")";
    case FailureKind::Connection:
        return "サーバーに接続できませんでした。(" + f.detail + ")";
    case FailureKind::LocalFile:
        return "ファイルを書き込めませんでした。(" + f.detail + ")";
    }
    return {};
}

} // namespace velmar::online
