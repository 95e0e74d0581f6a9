// Fetch tasks that turn a wrong status or content type into an error. Each
// answers a task of the session that is not yet resumed (the caller resumes
// it); the completion runs on the main run loop.
#pragma once

#include "toolkit/VornickErrors.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLSession.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

// Codes in VornickErrorDomain.

// Codes in CocoaErrorDomain for text that cannot be decoded.
inline constexpr int64_t VornickInapplicableStringEncodingError = 261; // not valid in its charset
inline constexpr int64_t VornickUnknownStringEncodingError = 264;      // a charset name nobody knows

// User-info keys of fetch errors: the requested URL (a string) and a
// dictionary describing the response.
inline constexpr const char16_t* VornickFetchURLKey = u"url";
inline constexpr const char16_t* VornickFetchResponseKey = u"response";

using VornickHTTPDataFetchCompletion = std::function<void(Data, std::shared_ptr<HTTPURLResponse>, Error)>;
using VornickHTMLStringFetchCompletion = std::function<void(std::optional<std::u16string>, std::shared_ptr<HTTPURLResponse>, Error)>;
using VornickJSONObjectFetchCompletion = std::function<void(std::optional<Value>, std::shared_ptr<HTTPURLResponse>, Error)>;

// The data and the HTTP response. A transport error is passed on unchanged; a
// status outside 200-299 gives an error of VornickHTTPErrorDomain whose code is
// the status; a response that is not HTTP gives VornickFetchResponseNotHTTPError.
std::shared_ptr<URLSessionTask> vornick_httpDataFetchTaskWithURL(URLSession&, const URL&, VornickHTTPDataFetchCompletion);
// The same for a request of the caller's (header fields, timeout).
std::shared_ptr<URLSessionTask> vornick_httpDataFetchTaskWithRequest(URLSession&, URLRequest, VornickHTTPDataFetchCompletion);

// The body of a "text/html" response as text, decoded by the charset the
// response declares (UTF-8 when it declares none). Empty data gives
// VornickFetchNoDataError, another MIME type VornickFetchNotHTMLError, a body
// that its charset cannot decode (or an unknown charset) a CocoaErrorDomain error.
std::shared_ptr<URLSessionTask> vornick_htmlStringFetchTaskWithURL(URLSession&, const URL&, VornickHTMLStringFetchCompletion);
std::shared_ptr<URLSessionTask> vornick_htmlStringFetchTaskWithRequest(URLSession&, URLRequest, VornickHTMLStringFetchCompletion);

// The parsed body of an "application/json" response (the parser's error when
// it is not JSON). Empty data gives VornickFetchNoDataError, another MIME type
// VornickFetchNotJSONError.
std::shared_ptr<URLSessionTask> vornick_jsonObjectFetchTaskWithURL(URLSession&, const URL&, VornickJSONObjectFetchCompletion);
std::shared_ptr<URLSessionTask> vornick_jsonObjectFetchTaskWithRequest(URLSession&, URLRequest, VornickJSONObjectFetchCompletion);

// The dictionary that fetch errors hold under VornickFetchResponseKey (URL,
// MIME type, text encoding, length; status and header fields of an HTTP
// response); null without a response.
Value vornick_fetchResponseDescription(const URLResponse*);

// Decodes `data` in the charset named `charsetName` (IANA or ICU names; UTF-8
// when empty). A leading byte order mark is dropped. nullopt and a
// CocoaErrorDomain error when the name is unknown or the data is not valid in it.
[[nodiscard]] std::optional<std::u16string> vornick_stringByDecodingData(const Data& data, std::u16string_view charsetName, Error* outError);

} // namespace brevanton
