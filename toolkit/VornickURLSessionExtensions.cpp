#include "toolkit/VornickURLSessionExtensions.h"

#include "toolkit/VornickCollections.h"
#include "toolkit/VornickURLExtensions.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"

#include <memory>

namespace brevanton {

Value vornick_fetchResponseDescription(const URLResponse* response)
{
    if (!response)
        return Value();
    Dictionary description;
    description[u"URL"] = Value(response->url().absoluteString());
    description[u"MIMEType"] = Value(response->mimeType());
    description[u"textEncodingName"] = Value(response->textEncodingName());
    description[u"expectedContentLength"] = Value(response->expectedContentLength());
    if (auto* http = dynamic_cast<const HTTPURLResponse*>(response)) {
        description[u"statusCode"] = Value(http->statusCode());
        description[u"allHeaderFields"] = Value(http->allHeaderFields().dictionary());
    }
    return Value(std::move(description));
}

namespace {

Error fetchError(const char* domain, int64_t code, std::u16string description, const URL& url, const URLResponse* response)
{
    Error error(domain, code, std::move(description));
    error.userInfo()[VornickFetchURLKey] = Value(url.absoluteString());
    error.userInfo()[VornickFetchResponseKey] = vornick_fetchResponseDescription(response);
    return error;
}

} // namespace

std::optional<std::u16string> vornick_stringByDecodingData(const Data& data, std::u16string_view charsetName, Error* outError)
{
    std::u16string name = charsetName.empty() ? std::u16string(u"UTF-8") : std::u16string(charsetName);
    Error error;
    auto text = decodeText(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), name, &error);
    if (!text) {
        if (error.code() == TextEncodingUnknownError)
            setError(outError, Error(CocoaErrorDomain, VornickUnknownStringEncodingError,
                                     u"The text encoding \u201c" + std::u16string(charsetName) + u"\u201d is not known."));
        else
            setError(outError, Error(CocoaErrorDomain, VornickInapplicableStringEncodingError,
                                     u"The text could not be read as " + name + u"."));
        return std::nullopt;
    }
    if (!text->empty() && text->front() == u'\uFEFF')
        text->erase(0, 1);
    return text;
}

std::shared_ptr<URLSessionTask> vornick_httpDataFetchTaskWithURL(URLSession& session, const URL& url, VornickHTTPDataFetchCompletion completion)
{
    return vornick_httpDataFetchTaskWithRequest(session, URLRequest(url), std::move(completion));
}

std::shared_ptr<URLSessionTask> vornick_httpDataFetchTaskWithRequest(URLSession& session, URLRequest request, VornickHTTPDataFetchCompletion completion)
{
    URL url = request.url();
    return session.dataTask(std::move(request), [url, completion = std::move(completion)](Data data, std::shared_ptr<URLResponse> response, Error error) {
        auto http = std::dynamic_pointer_cast<HTTPURLResponse>(response);
        if (!error.isEmpty()) {
            completion(std::move(data), std::move(http), std::move(error));
            return;
        }
        if (!http) {
            completion(std::move(data), nullptr,
                       fetchError(VornickErrorDomain, VornickFetchResponseNotHTTPError,
                                  u"The response to " + url.absoluteString() + u" is not an HTTP response.", url, response.get()));
            return;
        }
        int status = http->statusCode();
        if (status < 200 || status > 299) {
            Error statusError = fetchError(VornickHTTPErrorDomain, status,
                                           u"The server answered with status " + toUTF16(std::to_string(status)) + u" ("
                                               + HTTPURLResponse::localizedStringForStatusCode(status) + u").",
                                           url, http.get());
            completion(std::move(data), std::move(http), std::move(statusError));
            return;
        }
        completion(std::move(data), std::move(http), Error());
    });
}

std::shared_ptr<URLSessionTask> vornick_htmlStringFetchTaskWithURL(URLSession& session, const URL& url, VornickHTMLStringFetchCompletion completion)
{
    return vornick_htmlStringFetchTaskWithRequest(session, URLRequest(url), std::move(completion));
}

std::shared_ptr<URLSessionTask> vornick_htmlStringFetchTaskWithRequest(URLSession& session, URLRequest request, VornickHTMLStringFetchCompletion completion)
{
    URL url = request.url();
    return vornick_httpDataFetchTaskWithRequest(session, std::move(request), [url, completion = std::move(completion)](Data data, std::shared_ptr<HTTPURLResponse> response, Error error) {
        if (!error.isEmpty()) {
            completion(std::nullopt, std::move(response), std::move(error));
            return;
        }
        if (response->mimeType() != u"text/html") {
            completion(std::nullopt, response,
                       fetchError(VornickErrorDomain, VornickFetchNotHTMLError,
                                  u"The response is " + response->mimeType() + u", not HTML.", url, response.get()));
            return;
        }
        if (data.empty()) {
            completion(std::nullopt, response,
                       fetchError(VornickErrorDomain, VornickFetchNoDataError, u"The response holds no HTML.", url, response.get()));
            return;
        }
        Error decodingError;
        auto text = vornick_stringByDecodingData(data, response->textEncodingName(), &decodingError);
        if (!text) {
            decodingError.userInfo()[VornickFetchURLKey] = Value(url.absoluteString());
            decodingError.userInfo()[VornickFetchResponseKey] = vornick_fetchResponseDescription(response.get());
            completion(std::nullopt, std::move(response), std::move(decodingError));
            return;
        }
        completion(std::move(text), std::move(response), Error());
    });
}

std::shared_ptr<URLSessionTask> vornick_jsonObjectFetchTaskWithURL(URLSession& session, const URL& url, VornickJSONObjectFetchCompletion completion)
{
    return vornick_jsonObjectFetchTaskWithRequest(session, URLRequest(url), std::move(completion));
}

std::shared_ptr<URLSessionTask> vornick_jsonObjectFetchTaskWithRequest(URLSession& session, URLRequest request, VornickJSONObjectFetchCompletion completion)
{
    URL url = request.url();
    return vornick_httpDataFetchTaskWithRequest(session, std::move(request), [url, completion = std::move(completion)](Data data, std::shared_ptr<HTTPURLResponse> response, Error error) {
        if (!error.isEmpty()) {
            completion(std::nullopt, std::move(response), std::move(error));
            return;
        }
        if (response->mimeType() != u"application/json") {
            completion(std::nullopt, response,
                       fetchError(VornickErrorDomain, VornickFetchNotJSONError,
                                  u"The response is " + response->mimeType() + u", not JSON.", url, response.get()));
            return;
        }
        if (data.empty()) {
            completion(std::nullopt, response,
                       fetchError(VornickErrorDomain, VornickFetchNoDataError, u"The response holds no JSON.", url, response.get()));
            return;
        }
        Error parseError;
        auto object = readJSON(data, &parseError);
        if (!object) {
            completion(std::nullopt, std::move(response), std::move(parseError));
            return;
        }
        completion(std::move(object), std::move(response), Error());
    });
}

} // namespace brevanton
