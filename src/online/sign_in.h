#pragma once
// The provider sign-in check: the provider's page tells whether the account is
// a paying member or a guest of the data service.

#include "online/http_client.h"

#include <string>

namespace velmar::online {

enum class SignInStatus { Member, Guest, Failed };

inline constexpr const char* kSignInFailed =
    "認証できませんでした。ユーザーIDとパスワードをお確かめください。";
inline constexpr const char* kFramePhrase = "このページにはフレームが使用されていますが";

struct SignInCheck {
    SignInStatus status = SignInStatus::Failed;
    std::string message; // what to tell the user when the check failed
};

// Requests "https://" + authAddress and classifies the answer. A refused
// server certificate fails with its own explanation instead of the
// credentials message, since checking the credentials would not help.
SignInCheck CheckSignIn(TmodHttp& http, const std::string& provider, const std::string& userId,
                        const std::string& password, const std::string& authAddress);

// The status line: the user ID followed by "はBIGLOBEメンバーとして認証されています"
// and its siblings; empty for a failed check.
std::string signInStatusLine(const std::string& userId, const std::string& provider,
                             SignInStatus status);

} // namespace velmar::online
