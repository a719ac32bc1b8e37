#include "online/password_cipher.h"

#include "data/sjis.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <array>
#include <memory>
#include <stdexcept>

namespace velmar::online {

namespace {

constexpr size_t kBlock = 16;
constexpr std::string_view kPassPhrase = "VRM_Kite";

// The key lives only for one operation and is wiped on every way out.
class KeyBuffer {
  public:
    KeyBuffer() {
        key_.fill(0);
        for (size_t i = 0; i < kPassPhrase.size(); ++i)
            key_[i % key_.size()] ^= static_cast<unsigned char>(kPassPhrase[i]);
    }
    ~KeyBuffer() { OPENSSL_cleanse(key_.data(), key_.size()); }
    KeyBuffer(const KeyBuffer&) = delete;
    KeyBuffer& operator=(const KeyBuffer&) = delete;
    const unsigned char* data() const { return key_.data(); }

  private:
    std::array<unsigned char, 32> key_;
};

// Plain text buffers are wiped as well, so no password stays behind.
struct WipedString {
    std::string s;
    ~WipedString() {
        if (!s.empty())
            OPENSSL_cleanse(s.data(), s.size());
    }
};

struct CtxFree {
    void operator()(EVP_CIPHER_CTX* c) const {
        EVP_CIPHER_CTX_reset(c); // cleanses the expanded key schedule
        EVP_CIPHER_CTX_free(c);
    }
};
using CtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

// Runs AES-256-ECB over whole blocks without the library's own padding.
bool runCipher(bool encrypt, std::string_view in, std::string& out) {
    KeyBuffer key;
    CtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return false;
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_256_ecb(), nullptr, key.data(), nullptr,
                          encrypt ? 1 : 0) != 1)
        return false;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    out.assign(in.size() + kBlock, '\0');
    int n1 = 0, n2 = 0;
    if (EVP_CipherUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &n1,
                         reinterpret_cast<const unsigned char*>(in.data()),
                         static_cast<int>(in.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + n1, &n2) !=
            1) {
        OPENSSL_cleanse(out.data(), out.size());
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(n1 + n2));
    return true;
}

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    auto byteAt = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = byteAt(i) << 16 | byteAt(i + 1) << 8 | byteAt(i + 2);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += kAlphabet[v & 63];
    }
    size_t rest = bytes.size() - i;
    if (rest == 1) {
        unsigned v = byteAt(i) << 16;
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += "==";
    } else if (rest == 2) {
        unsigned v = byteAt(i) << 16 | byteAt(i + 1) << 8;
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += '=';
    }
    return out;
}

std::string base64Decode(std::string_view text) {
    std::string out;
    unsigned acc = 0;
    int bits = 0;
    for (char c : text) {
        int v = base64Value(c);
        if (v < 0)
            continue;
        acc = (acc << 6 | static_cast<unsigned>(v)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>(acc >> bits & 0xFF);
        }
    }
    return out;
}

std::string EncryptPassword(std::string_view plainUtf8) {
    if (plainUtf8.empty())
        return {};
    WipedString plain{data::utf8ToSjis(plainUtf8)};
    size_t n = kBlock - plain.s.size() % kBlock; // 1..16: a full block when already aligned
    plain.s.append(n, static_cast<char>(n));
    WipedString cipher;
    if (!runCipher(true, plain.s, cipher.s))
        throw std::runtime_error("AES-256-ECB is not available");
    return base64Encode(cipher.s);
}

Result<std::string> DecryptPassword(std::string_view stored) {
    std::string bytes = base64Decode(stored);
    if (bytes.size() < kBlock)
        return Error{kCipherTooShort};
    bytes.resize(bytes.size() / kBlock * kBlock);
    WipedString plain;
    if (!runCipher(false, bytes, plain.s))
        return Error{kCipherTooShort};
    unsigned n = static_cast<unsigned char>(plain.s.back());
    if (n < 1 || n > kBlock)
        return std::string();
    plain.s.resize(plain.s.size() - n);
    return data::sjisToUtf8(plain.s);
}

} // namespace velmar::online
