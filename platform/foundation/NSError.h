#pragma once

#include <memory>
#include <string>

inline const std::string NSURLErrorDomain = "NSURLErrorDomain";

// URL loading's error codes, as the platform numbers them.
namespace NSURLError {
inline constexpr int Unknown = -1;
inline constexpr int Cancelled = -999;
inline constexpr int BadURL = -1000;
inline constexpr int TimedOut = -1001;
inline constexpr int UnsupportedURL = -1002;
inline constexpr int CannotFindHost = -1003;
inline constexpr int CannotConnectToHost = -1004;
inline constexpr int NetworkConnectionLost = -1005;
inline constexpr int HTTPTooManyRedirects = -1007;
inline constexpr int NotConnectedToInternet = -1009;
inline constexpr int RedirectToNonExistentLocation = -1010;
inline constexpr int BadServerResponse = -1011;
inline constexpr int ZeroByteResource = -1014;
inline constexpr int InternationalRoamingOff = -1018;
inline constexpr int CallIsActive = -1019;
inline constexpr int DataNotAllowed = -1020;
inline constexpr int FileDoesNotExist = -1100;
inline constexpr int DataLengthExceedsMaximum = -1103;
inline constexpr int SecureConnectionFailed = -1200;
inline constexpr int ServerCertificateUntrusted = -1202;
} // namespace NSURLError

// What went wrong: a domain, a code within it, a sentence for people and, for URL loading, the
// URL that failed. Immutable; shared by pointer, null meaning no error.
struct NSError {
    std::string domain;
    int code = 0;
    std::string localizedDescription;
    std::string failingURL;

    static std::shared_ptr<const NSError> make(std::string domain, int code, std::string description = {},
                                               std::string failingURL = {});
};

using NSErrorPtr = std::shared_ptr<const NSError>;
