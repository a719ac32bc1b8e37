#include "online/sign_in.h"

namespace velmar::online {

SignInCheck CheckSignIn(TmodHttp& http, const std::string& provider, const std::string& userId,
                        const std::string& password, const std::string& authAddress) {
    std::string text = http.RequestSignInPage(provider, userId, password, "https://" + authAddress);
    if (text.find(kFramePhrase) != std::string::npos)
        return {SignInStatus::Member, {}};
    if (text.find(provider == kNifty ? "200" : "403") != std::string::npos)
        return {SignInStatus::Guest, {}};
    FailureKind kind = http.lastFailure().kind;
    if (kind == FailureKind::Certificate || kind == FailureKind::CaFile)
        return {SignInStatus::Failed, failureText(http.lastFailure())};
    return {SignInStatus::Failed, kSignInFailed};
}

std::string signInStatusLine(const std::string& userId, const std::string& provider,
                             SignInStatus status) {
    if (status == SignInStatus::Failed)
        return {};
    std::string who = provider == kBiglobe ? "BIGLOBE" : "@nifty";
    return userId + "は" + who + (status == SignInStatus::Member ? "メンバー" : "ゲスト") +
           "として認証されています";
}

} // namespace velmar::online
