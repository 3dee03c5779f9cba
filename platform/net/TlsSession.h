#pragma once

#include "platform/net/StreamError.h"
#include "platform/net/TlsSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ssl_st;     // OpenSSL's SSL
struct ssl_ctx_st; // and SSL_CTX, whose headers stay out of this one

// One TLS session over a non-blocking TCP descriptor it does not own. Bytes go out without
// raising SIGPIPE; bytes that were read off the descriptor before TLS began are fed to the
// handshake first. Failures are stream errors of the SSL domain whose reason is OpenSSL's
// (with the certificate check's verdict when that is what failed), or POSIX errors.
class TlsSession {
public:
    enum class Status { Done, WantRead, WantWrite, Closed, Failed };

    // Null, with the reason in *error, when the settings cannot be used (a server without its
    // certificate or key, a file that does not load).
    static std::unique_ptr<TlsSession> create(const TlsSettings& settings, const std::string& defaultPeerName, int fd,
                                              std::vector<std::uint8_t> alreadyReceived, StreamError* error);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    Status handshake();
    // On Done, *count holds the bytes read or written (more than 0).
    Status read(std::uint8_t* buffer, std::size_t length, std::size_t* count);
    Status write(const std::uint8_t* bytes, std::size_t length, std::size_t* count);
    // Decrypted bytes, or bytes not yet decrypted, held inside the session: readable without
    // the descriptor becoming readable.
    bool hasBufferedBytes() const;
    // Says goodbye to the peer if it can without waiting.
    void shutdown();
    StreamError error() const { return m_error; }

private:
    struct Bio;
    TlsSession() = default;
    Status outcome(int result);

    ssl_ctx_st* m_context = nullptr;
    ssl_st* m_ssl = nullptr;
    std::unique_ptr<Bio> m_bio;
    StreamError m_error;
};
