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
    URLErrorSecureConnectionFailed = -1200,
    URLErrorServerCertificateUntrusted = -1202,
};

} // namespace brevanton
