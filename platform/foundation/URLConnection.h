#pragma once

#include "platform/foundation/NSError.h"
#include "platform/foundation/URLCache.h"
#include "platform/foundation/URLRequest.h"
#include "platform/foundation/URLResponse.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// What a connection tells its delegate, all on the thread that runs it, in this order: one
// response, the body in pieces, then either finished or failed. Nothing follows a cancel, nor
// a response that the delegate refused.
class URLConnectionDelegate {
public:
    virtual ~URLConnectionDelegate() = default;
    // False stops the transfer without any further call.
    virtual bool connectionDidReceiveResponse(const URLResponse& response) = 0;
    virtual void connectionDidReceiveData(std::string_view data) = 0;
    virtual void connectionDidFinishLoading() = 0;
    virtual void connectionDidFail(const NSErrorPtr& error) = 0;
    // Whether a finished response may be kept in the shared URL cache.
    virtual bool connectionWillCacheResponse(const CachedURLResponse&) { return true; }
};

// One HTTP(S) transfer on libcurl, run to its end on the calling thread.
//
// Limits: the request's timeout bounds the connect and every silence after it, before the
// response as while receiving, and (in whole seconds) every stretch of less than a kilobyte a
// second (NSURLErrorTimedOut); the whole transfer may take ten times as long; bodies beyond
// maxBodyBytes fail with NSURLErrorDataLengthExceedsMaximum, whether announced or only received;
// redirects go to http and https only. A body shorter than announced is a lost connection.
// With the protocol cache policy, a stored response is revalidated (If-None-Match or
// If-Modified-Since) and a 304 answer serves the stored copy. Connections to a server are kept
// for the next transfer on the same thread.
class URLConnection {
public:
    struct Options {
        bool allowInvalidCertificates = false;
        std::size_t maxBodyBytes = 32 * 1024 * 1024;
        std::string username;
        std::string password;
    };

    URLConnection(URLRequest request, URLConnectionDelegate& delegate, Options options);
    ~URLConnection();

    // Sets up the transfer library once per process. Call it from the main thread before
    // transfers start on workers: when the set-up runs on a worker, the crypto library keeps
    // that worker's error state past the thread's end, and the process exits with a leak.
    static void initialiseLibrary();
    URLConnection(const URLConnection&) = delete;
    URLConnection& operator=(const URLConnection&) = delete;

    // Blocks until the transfer ends or is cancelled. Once only.
    void run();
    // Any thread: the transfer stops promptly and the delegate hears nothing more.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    // Whether the body delivered was the shared URL cache's copy.
    bool responseFromCache() const { return m_servedFromCache; }

private:
    struct Handles;
    // libcurl's header and body callbacks, handing the bytes to a member.
    template <bool (URLConnection::*handler)(std::string_view)>
    static std::size_t receive(char* data, std::size_t size, std::size_t count, void* self)
    {
        const std::size_t length = size * count;
        return (static_cast<URLConnection*>(self)->*handler)(std::string_view(data, length)) ? length : 0;
    }
    bool headerLine(std::string_view line);
    bool finalResponseReady();
    bool body(std::string_view data);
    bool deliverResponse();
    bool deliverResponseWithoutHeaders();
    void finish(int code);
    void finishFromCache();
    void fail(int code, const std::string& description);
    void configure();
    void transfer();
    void releaseHandles();

    URLRequest m_request;
    URLConnectionDelegate& m_delegate;
    Options m_options;
    Handles* m_handles = nullptr;
    std::mutex m_handlesMutex;
    std::atomic<bool> m_cancelled {false};
    std::optional<CachedURLResponse> m_stored;
    URLResponse m_response;
    bool m_responseDelivered = false;
    bool m_stopped = false;
    bool m_servedFromCache = false;
    std::size_t m_received = 0;
    std::string m_body; // kept only when the response may be cached
    int m_limitError = 0;
    std::chrono::steady_clock::time_point m_lastActivity;
};
