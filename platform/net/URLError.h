// Codes of the URLErrorDomain errors that URL loading reports.
#pragma once

#include <cstdint>

namespace brevanton {

enum URLErrorCode : int64_t {
    URLErrorUnknown = -1,
    URLErrorCancelled = -999,
    URLErrorBadURL = -1000,
    URLErrorTimedOut = -1001,
    URLErrorUnsupportedURL = -1002,
    URLErrorCannotFindHost = -1003,
    URLErrorCannotConnectToHost = -1004,
    URLErrorNetworkConnectionLost = -1005,
    URLErrorHTTPTooManyRedirects = -1007,
    URLErrorBadServerResponse = -1011,
    URLErrorCannotDecodeContentData = -1016,
    URLErrorFileDoesNotExist = -1100,
    URLErrorDataLengthExceedsMaximum = -1103,
    URLErrorCannotCreateFile = -3000,
    URLErrorCannotWriteToFile = -3003,
    URLErrorSecureConnectionFailed = -1200,
    URLErrorServerCertificateUntrusted = -1202,
};

// User information of a transfer stopped by a limit of its request: the
// maximum length passed (bytes, with URLErrorDataLengthExceedsMaximum) or the
// deadline passed (seconds, with URLErrorTimedOut).
inline constexpr char16_t URLErrorMaximumContentLengthKey[] = u"maximumContentLength";
inline constexpr char16_t URLErrorDeadlineIntervalKey[] = u"deadlineInterval";

} // namespace brevanton
