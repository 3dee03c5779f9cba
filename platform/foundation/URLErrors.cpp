#include "platform/foundation/URLErrors.h"

#include "platform/foundation/NSError.h"

#include <cerrno>
#include <netdb.h>

#include <curl/curl.h>

namespace URLErrors {

namespace {
const std::pair<int, std::string> badServerResponse {NSURLError::BadServerResponse, "The server returned a bad response."};
const std::pair<int, std::string> offline {NSURLError::NotConnectedToInternet, "The Internet connection appears to be offline."};
} // namespace

std::pair<int, std::string> fromCurl(int curlCode, int cause, bool requestSent)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OPERATION_TIMEDOUT:
        return {NSURLError::TimedOut, "The request timed out."};
    case CURLE_COULDNT_RESOLVE_HOST:
        if (cause == EAI_AGAIN)
            return offline;
        [[fallthrough]];
    case CURLE_COULDNT_RESOLVE_PROXY:
        return {NSURLError::CannotFindHost, "A server with the specified hostname could not be found."};
    case CURLE_COULDNT_CONNECT:
        if (cause == ENETUNREACH || cause == EHOSTUNREACH || cause == ENETDOWN || cause == EADDRNOTAVAIL)
            return offline;
        return {NSURLError::CannotConnectToHost, "Could not connect to the server."};
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return {NSURLError::NetworkConnectionLost, "The network connection was lost."};
    case CURLE_TOO_MANY_REDIRECTS:
        return {NSURLError::HTTPTooManyRedirects, "too many HTTP redirects"};
    case CURLE_UNSUPPORTED_PROTOCOL: // also a reply that is not HTTP at all
        return requestSent ? badServerResponse : std::pair<int, std::string> {NSURLError::UnsupportedURL, "unsupported URL"};
    case CURLE_URL_MALFORMAT:
        return {NSURLError::BadURL, "bad URL"};
    case CURLE_PEER_FAILED_VERIFICATION:
        return {NSURLError::ServerCertificateUntrusted, "The certificate for this server is invalid."};
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return {NSURLError::SecureConnectionFailed, "An SSL error has occurred and a secure connection to the server cannot be made."};
    case CURLE_FILE_COULDNT_READ_FILE:
        return {NSURLError::FileDoesNotExist, "The requested URL was not found on this server."};
    case CURLE_WEIRD_SERVER_REPLY:
        return badServerResponse;
    case CURLE_OUT_OF_MEMORY: // once asked, a header line past libcurl's bound
        if (requestSent)
            return badServerResponse;
        [[fallthrough]];
    default:
        return {NSURLError::Unknown, curl_easy_strerror(static_cast<CURLcode>(curlCode))};
    }
}

} // namespace URLErrors
