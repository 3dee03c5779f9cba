#include "platform/foundation/URLConnection.h"

#include "platform/foundation/URLErrors.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <mutex>
#include <netdb.h>

#include <curl/curl.h>

struct URLConnection::Handles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr; // the running thread's, see threadMulti()
    curl_slist* headers = nullptr;
};

namespace {

// Slower than this for the whole request timeout, a transfer has stalled as surely as a silent
// one: at it a picture could not arrive within the transfer's overall bound.
constexpr long kLeastBytesPerSecond = 1024;
// Idle connections a thread keeps for its next transfers.
constexpr long kKeptConnectionsPerThread = 2;

// Each thread keeps one multi handle, and in it the connections its transfers leave open, so a
// download worker's next picture from the same server needs no new connection. A multi handle
// may serve one thread only, which this keeps true; the connections close when the thread ends.
CURLM* threadMulti()
{
    struct Multi {
        CURLM* handle = nullptr;
        ~Multi() { curl_multi_cleanup(handle); }
    };
    thread_local Multi multi;
    if (!multi.handle && (multi.handle = curl_multi_init()))
        curl_multi_setopt(multi.handle, CURLMOPT_MAXCONNECTS, kKeptConnectionsPerThread);
    return multi.handle;
}

// Cookies are kept for the process, shared by every transfer that handles them.
CURLSH* cookieShare()
{
    static std::mutex lock;
    static CURLSH* share = [] {
        CURLSH* s = curl_share_init();
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(s, CURLSHOPT_LOCKFUNC, +[](CURL*, curl_lock_data, curl_lock_access, void*) { lock.lock(); });
        curl_share_setopt(s, CURLSHOPT_UNLOCKFUNC, +[](CURL*, curl_lock_data, void*) { lock.unlock(); });
        return s;
    }();
    return share;
}

// Whether an HTTP request of the transfer went out to its server: what fails after that is the
// reply's fault.
bool requestSent(CURL* easy)
{
    long sent = 0;
    char* url = nullptr;
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &sent);
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &url);
    const std::string_view effective = url ? url : "";
    return sent > 0 && (effective.starts_with("http://") || effective.starts_with("https://"));
}

// libcurl says only that the host's name could not be resolved; asked again, the system's lookup
// tells a name that does not exist from a resolver it could not reach.
int lookupResult(CURL* easy)
{
    char* url = nullptr;
    char* host = nullptr;
    int result = EAI_NONAME;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &url);
    CURLU* parsed = curl_url();
    if (url && curl_url_set(parsed, CURLUPART_URL, url, 0) == CURLUE_OK
        && curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
        addrinfo hints {};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        result = ::getaddrinfo(host, nullptr, &hints, &found);
        if (found)
            ::freeaddrinfo(found);
    }
    curl_free(host);
    curl_url_cleanup(parsed);
    return result;
}

std::string trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

URLConnection::URLConnection(URLRequest request, URLConnectionDelegate& delegate, Options options)
    : m_request(std::move(request))
    , m_delegate(delegate)
    , m_options(std::move(options))
{
    initialiseLibrary();
}

void URLConnection::initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

URLConnection::~URLConnection()
{
    releaseHandles();
}

// The easy handle goes, the thread's multi handle and its connections stay.
void URLConnection::releaseHandles()
{
    std::lock_guard lock(m_handlesMutex);
    if (!m_handles)
        return;
    if (m_handles->multi && m_handles->easy)
        curl_multi_remove_handle(m_handles->multi, m_handles->easy);
    curl_easy_cleanup(m_handles->easy);
    curl_slist_free_all(m_handles->headers);
    delete m_handles;
    m_handles = nullptr;
}

void URLConnection::cancel()
{
    m_cancelled = true;
    std::lock_guard lock(m_handlesMutex);
    if (m_handles && m_handles->multi)
        curl_multi_wakeup(m_handles->multi);
}

void URLConnection::configure()
{
    CURL* easy = m_handles->easy;
    const double timeout = m_request.timeoutInterval > 0 ? m_request.timeoutInterval : 60;
    curl_easy_setopt(easy, CURLOPT_URL, m_request.url.absoluteString().c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 16L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout * 1000));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout * 10000));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, kLeastBytesPerSecond);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, std::lround(std::ceil(timeout))));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, m_options.allowInvalidCertificates ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, m_options.allowInvalidCertificates ? 0L : 2L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &URLConnection::receive<&URLConnection::headerLine>);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &URLConnection::receive<&URLConnection::body>);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (m_request.HTTPShouldHandleCookies) {
        curl_easy_setopt(easy, CURLOPT_SHARE, cookieShare());
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    }
    if (!m_options.username.empty() || !m_options.password.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        curl_easy_setopt(easy, CURLOPT_USERNAME, m_options.username.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, m_options.password.c_str());
    }
    for (const auto& [name, value] : m_request.allHTTPHeaderFields)
        m_handles->headers = curl_slist_append(m_handles->headers, (name + ": " + value).c_str());
    if (m_stored) {
        if (const auto tag = m_stored->response.header("etag"); !tag.empty())
            m_handles->headers = curl_slist_append(m_handles->headers, ("If-None-Match: " + tag).c_str());
        if (const auto date = m_stored->response.header("last-modified"); !date.empty())
            m_handles->headers = curl_slist_append(m_handles->headers, ("If-Modified-Since: " + date).c_str());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_handles->headers);
}

void URLConnection::run()
{
    if (m_request.cachePolicy == URLRequestCachePolicy::UseProtocolCachePolicy)
        m_stored = URLCache::sharedURLCache().cachedResponseForRequest(m_request);
    bool created = false;
    {
        std::lock_guard lock(m_handlesMutex);
        m_handles = new Handles {curl_easy_init(), threadMulti(), nullptr};
        created = m_handles->easy && m_handles->multi;
        if (created) {
            configure();
            curl_multi_add_handle(m_handles->multi, m_handles->easy);
        }
    }
    if (created)
        transfer();
    else
        fail(0, "Connection can't be initialized");
    releaseHandles();
}

// The request's timeout is also the longest silence allowed once connected; a drip that is never
// quite silent ends in the library's low-speed limit, timed out all the same.
void URLConnection::transfer()
{
    const auto idleLimit = std::chrono::duration<double>(m_request.timeoutInterval > 0 ? m_request.timeoutInterval : 60);
    m_lastActivity = std::chrono::steady_clock::now();
    int running = 1;
    while (running && !m_cancelled && !m_stopped) {
        if (curl_multi_perform(m_handles->multi, &running) != CURLM_OK)
            break;
        if (running && std::chrono::steady_clock::now() - m_lastActivity > idleLimit) {
            fail(NSURLError::TimedOut, "The request timed out.");
            return;
        }
        if (running && !m_cancelled && !m_stopped)
            curl_multi_poll(m_handles->multi, nullptr, 0, 100, nullptr);
    }
    if (m_cancelled || m_stopped)
        return;
    int queued = 0;
    CURLMsg* message = curl_multi_info_read(m_handles->multi, &queued);
    finish(message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_RECV_ERROR);
}

bool URLConnection::headerLine(std::string_view line)
{
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_cancelled || m_stopped)
        return false;
    if (line.starts_with("HTTP/")) {
        // A new response (after an interim one or a redirect) replaces what was gathered.
        m_response = URLResponse {};
        const auto space = line.find(' ');
        m_response.statusCode = space == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(space + 1, 3)).c_str());
        return true;
    }
    if (trimmed(line).empty())
        return finalResponseReady();
    const auto colon = line.find(':');
    if (colon != std::string_view::npos) {
        std::string name = trimmed(line.substr(0, colon));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        m_response.headers[name] = trimmed(line.substr(colon + 1));
    }
    return true;
}

// The blank line after the headers: a final response unless it is an interim one or a redirect
// that will be followed.
bool URLConnection::finalResponseReady()
{
    const int status = m_response.statusCode;
    if (status >= 100 && status < 200)
        return true;
    if (status >= 300 && status < 400 && status != 304 && !m_response.header("location").empty())
        return true;
    curl_off_t length = -1;
    curl_easy_getinfo(m_handles->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    m_response.expectedContentLength = length;
    if (status == 304 && m_stored) {
        m_servedFromCache = true;
        return true;
    }
    return deliverResponse();
}

// A URL that is not HTTP (a file) has no header lines: its response is made up when the body
// or the end comes.
bool URLConnection::deliverResponseWithoutHeaders()
{
    long status = 0;
    curl_easy_getinfo(m_handles->easy, CURLINFO_RESPONSE_CODE, &status);
    m_response.statusCode = static_cast<int>(status);
    return deliverResponse();
}

bool URLConnection::deliverResponse()
{
    if (m_responseDelivered)
        return true;
    m_responseDelivered = true;
    char* effective = nullptr;
    curl_easy_getinfo(m_handles->easy, CURLINFO_EFFECTIVE_URL, &effective);
    m_response.url = effective ? effective : m_request.url.absoluteString();
    if (m_response.expectedContentLength > static_cast<std::int64_t>(m_options.maxBodyBytes)) {
        m_limitError = NSURLError::DataLengthExceedsMaximum;
        return false;
    }
    if (!m_delegate.connectionDidReceiveResponse(m_response)) {
        m_stopped = true;
        return false;
    }
    return !m_cancelled;
}

bool URLConnection::body(std::string_view data)
{
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_cancelled || m_stopped || m_servedFromCache)
        return !m_cancelled && !m_stopped;
    if (!m_responseDelivered && !deliverResponseWithoutHeaders())
        return false;
    if (data.size() > m_options.maxBodyBytes - m_received) {
        m_limitError = NSURLError::DataLengthExceedsMaximum;
        return false;
    }
    m_received += data.size();
    if (m_request.cachePolicy == URLRequestCachePolicy::UseProtocolCachePolicy)
        m_body.append(data);
    m_delegate.connectionDidReceiveData(data);
    return !m_cancelled && !m_stopped;
}

void URLConnection::finish(int code)
{
    if (m_limitError) {
        fail(m_limitError, "The response is larger than a picture may be");
        return;
    }
    if (code != CURLE_OK) {
        long cause = 0;
        if (code == CURLE_COULDNT_RESOLVE_HOST)
            cause = lookupResult(m_handles->easy);
        else
            curl_easy_getinfo(m_handles->easy, CURLINFO_OS_ERRNO, &cause);
        const auto error = URLErrors::fromCurl(code, static_cast<int>(cause), requestSent(m_handles->easy));
        fail(error.first, error.second);
        return;
    }
    if (m_servedFromCache) {
        finishFromCache();
        return;
    }
    if (!m_responseDelivered && (!deliverResponseWithoutHeaders() || m_cancelled))
        return;
    if (m_response.expectedContentLength > 0 && m_received < static_cast<std::size_t>(m_response.expectedContentLength)) {
        fail(NSURLError::NetworkConnectionLost, "The network connection was lost.");
        return;
    }
    if (m_request.cachePolicy == URLRequestCachePolicy::UseProtocolCachePolicy && m_response.statusCode == 200) {
        CachedURLResponse cached {m_response, std::move(m_body)};
        if (m_delegate.connectionWillCacheResponse(cached))
            URLCache::sharedURLCache().storeCachedResponse(std::move(cached), m_request);
    }
    if (!m_cancelled)
        m_delegate.connectionDidFinishLoading();
}

void URLConnection::finishFromCache()
{
    m_response = m_stored->response;
    if (!deliverResponse() || m_cancelled)
        return;
    if (!m_stored->data.empty())
        m_delegate.connectionDidReceiveData(m_stored->data);
    if (!m_cancelled)
        m_delegate.connectionDidFinishLoading();
}

void URLConnection::fail(int code, const std::string& description)
{
    if (!m_cancelled)
        m_delegate.connectionDidFail(
            NSError::make(NSURLErrorDomain, code, description, m_request.url.absoluteString()));
}
