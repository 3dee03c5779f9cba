#include "platform/net/TlsSession.h"

#include "platform/net/SocketAddress.h"
#include "platform/net/SocketCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

bool isYes(const TlsSettings& settings, const char* key)
{
    auto it = settings.find(key);
    return it != settings.end() && it->second == "1";
}

std::string valueOf(const TlsSettings& settings, const char* key)
{
    auto it = settings.find(key);
    return it == settings.end() ? std::string() : it->second;
}

// What OpenSSL says about its last failure, as an error of the SSL domain.
StreamError openSslError(const std::string& fallback)
{
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0)
        return {StreamErrorDomain::Ssl, -1, fallback};
    const char* reason = ERR_reason_error_string(code);
    return {StreamErrorDomain::Ssl, ERR_GET_REASON(code), reason ? reason : fallback};
}

// Accepts chains that end in a root nobody vouched for; everything else is judged as usual.
int verifyAllowingAnyRoot(int preverified, X509_STORE_CTX* context)
{
    if (preverified)
        return 1;
    switch (X509_STORE_CTX_get_error(context)) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        X509_STORE_CTX_set_error(context, X509_V_OK);
        return 1;
    default:
        return 0;
    }
}

bool configureServer(SSL_CTX* context, const TlsSettings& settings, StreamError* error)
{
    const std::string chain = valueOf(settings, TlsSettingKeys::CertificateChainFile);
    const std::string key = valueOf(settings, TlsSettingKeys::PrivateKeyFile);
    if (chain.empty() || key.empty()) {
        *error = {StreamErrorDomain::Ssl, -1, "a server needs a certificate chain and a private key"};
        return false;
    }
    if (SSL_CTX_use_certificate_chain_file(context, chain.c_str()) != 1
        || SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) != 1
        || SSL_CTX_check_private_key(context) != 1) {
        *error = openSslError("the certificate or key does not load");
        return false;
    }
    return true;
}

bool configureClient(SSL_CTX* context, const TlsSettings& settings, StreamError* error)
{
    if (valueOf(settings, TlsSettingKeys::ValidatesCertificateChain) == "0") {
        SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
        return true;
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER,
                       isYes(settings, TlsSettingKeys::AllowsAnyRoot) ? verifyAllowingAnyRoot : nullptr);
    SSL_CTX_set_default_verify_paths(context);
    const std::string anchors = valueOf(settings, TlsSettingKeys::TrustAnchorsFile);
    if (!anchors.empty() && SSL_CTX_load_verify_locations(context, anchors.c_str(), nullptr) != 1) {
        *error = openSslError("the trust anchors do not load");
        return false;
    }
    if (isYes(settings, TlsSettingKeys::AllowsExpiredCertificates))
        X509_VERIFY_PARAM_set_flags(SSL_CTX_get0_param(context), X509_V_FLAG_NO_CHECK_TIME);
    return true;
}

void expectPeerName(SSL* ssl, const std::string& name)
{
    if (name.empty())
        return;
    if (SocketAddress::numeric(name, 0)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), name.c_str());
        return;
    }
    SSL_set1_host(ssl, name.c_str());
    SSL_set_tlsext_host_name(ssl, name.c_str());
}

} // namespace

// The descriptor as OpenSSL's byte channel: sends never raise SIGPIPE, and the bytes read
// before TLS began come first.
struct TlsSession::Bio {
    int fd = -1;
    std::vector<std::uint8_t> early;
    std::size_t earlyUsed = 0;
    BIO* bio = nullptr;

    static BIO_METHOD* method();
    static int write(BIO* bio, const char* bytes, int length);
    static int read(BIO* bio, char* buffer, int length);
    static long control(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }
    std::size_t earlyLeft() const { return early.size() - earlyUsed; }
};

BIO_METHOD* TlsSession::Bio::method()
{
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "floorpad socket");
        BIO_meth_set_write(m, &Bio::write);
        BIO_meth_set_read(m, &Bio::read);
        BIO_meth_set_ctrl(m, &Bio::control);
        BIO_meth_set_create(m, [](BIO* b) {
            BIO_set_init(b, 1);
            return 1;
        });
        return m;
    }();
    return method;
}

int TlsSession::Bio::write(BIO* bio, const char* bytes, int length)
{
    BIO_clear_retry_flags(bio);
    auto* self = static_cast<Bio*>(BIO_get_data(bio));
    const ssize_t sent = SocketCalls::sendNoSignal(self->fd, bytes, static_cast<std::size_t>(length));
    if (sent < 0 && SocketCalls::mustRetryLater(errno))
        BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

int TlsSession::Bio::read(BIO* bio, char* buffer, int length)
{
    BIO_clear_retry_flags(bio);
    auto* self = static_cast<Bio*>(BIO_get_data(bio));
    if (self->earlyLeft() > 0) {
        const std::size_t count = std::min(self->earlyLeft(), static_cast<std::size_t>(length));
        std::memcpy(buffer, self->early.data() + self->earlyUsed, count);
        self->earlyUsed += count;
        return static_cast<int>(count);
    }
    const ssize_t got = SocketCalls::receive(self->fd, buffer, static_cast<std::size_t>(length));
    if (got < 0 && SocketCalls::mustRetryLater(errno))
        BIO_set_retry_read(bio);
    return static_cast<int>(got);
}

std::unique_ptr<TlsSession> TlsSession::create(const TlsSettings& settings, const std::string& defaultPeerName, int fd,
                                               std::vector<std::uint8_t> alreadyReceived, StreamError* error)
{
    const bool isServer = isYes(settings, TlsSettingKeys::IsServer);
    std::unique_ptr<TlsSession> session(new TlsSession());
    SSL_CTX* context = SSL_CTX_new(isServer ? TLS_server_method() : TLS_client_method());
    session->m_context = context;
    if (!context) {
        *error = openSslError("no TLS context");
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // A peer that just closes ends the stream as a plain connection's would; the framing above
    // decides whether anything is missing.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (!(isServer ? configureServer(context, settings, error) : configureClient(context, settings, error)))
        return nullptr;
    SSL* ssl = SSL_new(context);
    session->m_ssl = ssl;
    session->m_bio = std::make_unique<Bio>();
    session->m_bio->fd = fd;
    session->m_bio->early = std::move(alreadyReceived);
    BIO* bio = BIO_new(Bio::method());
    if (!ssl || !bio) {
        BIO_free(bio);
        *error = openSslError("no TLS session");
        return nullptr;
    }
    BIO_set_data(bio, session->m_bio.get());
    SSL_set_bio(ssl, bio, bio);
    if (isServer) {
        SSL_set_accept_state(ssl);
    } else {
        SSL_set_connect_state(ssl);
        auto name = settings.find(TlsSettingKeys::PeerName);
        expectPeerName(ssl, name != settings.end() ? name->second : defaultPeerName);
    }
    return session;
}

TlsSession::~TlsSession()
{
    SSL_free(m_ssl);
    SSL_CTX_free(m_context);
}

TlsSession::Status TlsSession::outcome(int result)
{
    const int savedErrno = errno;
    switch (SSL_get_error(m_ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return Status::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return Status::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return Status::Closed;
    case SSL_ERROR_SYSCALL:
        if (ERR_peek_last_error() == 0) {
            // The peer went away without a goodbye, or the descriptor failed.
            if (savedErrno == 0) {
                if (SSL_is_init_finished(m_ssl))
                    return Status::Closed;
                m_error = {StreamErrorDomain::Ssl, -1, "the peer closed the connection during the handshake"};
            } else {
                m_error = {StreamErrorDomain::Posix, savedErrno, {}};
            }
            return Status::Failed;
        }
        [[fallthrough]];
    default:
        m_error = openSslError("TLS failure");
        if (const long verdict = SSL_get_verify_result(m_ssl); verdict != X509_V_OK)
            m_error.reason += std::string(": ") + X509_verify_cert_error_string(verdict);
        return Status::Failed;
    }
}

TlsSession::Status TlsSession::handshake()
{
    ERR_clear_error();
    errno = 0;
    const int result = SSL_do_handshake(m_ssl);
    return result == 1 ? Status::Done : outcome(result);
}

TlsSession::Status TlsSession::read(std::uint8_t* buffer, std::size_t length, std::size_t* count)
{
    ERR_clear_error();
    errno = 0;
    const int result = SSL_read_ex(m_ssl, buffer, length, count);
    return result == 1 ? Status::Done : outcome(result);
}

TlsSession::Status TlsSession::write(const std::uint8_t* bytes, std::size_t length, std::size_t* count)
{
    ERR_clear_error();
    errno = 0;
    const int result = SSL_write_ex(m_ssl, bytes, length, count);
    return result == 1 ? Status::Done : outcome(result);
}

bool TlsSession::hasBufferedBytes() const
{
    return SSL_pending(m_ssl) > 0 || SSL_has_pending(m_ssl) || m_bio->earlyLeft() > 0;
}

void TlsSession::shutdown()
{
    if (SSL_is_init_finished(m_ssl)) {
        ERR_clear_error();
        SSL_shutdown(m_ssl);
        ERR_clear_error();
    }
}
