#include "wordpress/XMLRPCConnection.h"

#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UUID.h"
#include "platform/net/URLError.h"
#include "platform/net/URLSession.h"
#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/XMLRPCConnectionDelegate.h"
#include "wordpress/XMLRPCConnectionManager.h"
#include "wordpress/XMLRPCRequest.h"
#include "wordpress/XMLRPCResponse.h"

namespace brevanton {

namespace {

std::u16string_view trimmedOfHTMLSpace(std::u16string_view text)
{
    const CharacterSet& spaces = vornick_HTMLSpaceCharacterSet();
    while (!text.empty() && spaces.contains(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && spaces.contains(text.back()))
        text.remove_suffix(1);
    return text;
}

// The failure of a call that brought back no XML-RPC value: what the host
// sent instead, as text, is its reason.
Error replyFailure(std::string domain, int64_t code, const std::u16string& body, const URL& url)
{
    Error error(std::move(domain), code, u"XML-RPC request failed");
    std::u16string text(trimmedOfHTMLSpace(body));
    if (!text.empty())
        text = std::u16string(trimmedOfHTMLSpace(vornick_stringbyStrippingHTMLMarkup(text)));
    error.userInfo()[Error::LocalizedFailureReasonKey] = text.empty()
        ? Value(u"XML-RPC response has object == nil and no helpful response body")
        : Value(u"Your WordPress host sent the following response body instead of an XML-RPC response object:\n\n" + text
              + u"\n\n(END WordPress response)");
    error.userInfo()[XMLRPCConnection::BodyKey] = Value(body);
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    return error;
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

OperationQueue& XMLRPCConnection::parsingQueue()
{
    // One reply at a time, in the order they came. Never destroyed: replies
    // may still be read while the process exits.
    static auto* queue = new OperationQueue("XMLRPCConnection parsing", 1);
    return *queue;
}

std::shared_ptr<XMLRPCResponse> XMLRPCConnection::sendSynchronousXMLRPCRequest(const XMLRPCRequest& xmlrpcRequest, Error* outError,
    std::shared_ptr<URLSession> session)
{
    BREVANTON_ASSERT(RunLoop::isMainThread(), "A synchronous XML-RPC call waits on the main run loop");
    if (!session)
        session = URLSession::shared();
    URLRequest request = xmlrpcRequest.request();
    const URL url = request.url();
    struct Outcome {
        bool done { false };
        Data data;
        std::shared_ptr<URLResponse> response;
        Error error;
    };
    auto outcome = std::make_shared<Outcome>();
    auto task = session->dataTask(std::move(request), [outcome](Data data, std::shared_ptr<URLResponse> response, Error error) {
        *outcome = Outcome { true, std::move(data), std::move(response), std::move(error) };
    });
    task->resume();
    // The session ends the load by the request's timeout; the wait outlasts it.
    if (!RunLoop::main().runUntil([&] { return outcome->done; }, xmlrpcRequest.timeout() + 30)) {
        task->cancel();
        setError(outError, Error(URLErrorDomain, URLErrorTimedOut, u"The request timed out."));
        return nullptr;
    }
    if (!outcome->error.isEmpty()) {
        setError(outError, outcome->error);
        return nullptr;
    }
    if (!outcome->response || !outcome->response->isHTTP()) {
        setError(outError, Error(URLErrorDomain, URLErrorBadServerResponse, u"The server sent no HTTP response."));
        return nullptr;
    }
    int status = static_cast<const HTTPURLResponse&>(*outcome->response).statusCode();
    std::u16string body = toUTF16(std::string_view(reinterpret_cast<const char*>(outcome->data.data()), outcome->data.size()));
    if (status > 399) {
        setError(outError, replyFailure(VornickXMLRPCHTTPStatusErrorDomain, status, body, url));
        return nullptr;
    }
    if (outcome->data.empty()) {
        setError(outError, replyFailure(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError, body, url));
        return nullptr;
    }
    return std::make_shared<XMLRPCResponse>(std::make_shared<const Data>(std::move(outcome->data)));
}

XMLRPCConnection::XMLRPCConnection(std::shared_ptr<XMLRPCRequest> request, std::weak_ptr<XMLRPCConnectionDelegate> delegate,
    XMLRPCConnectionManager& manager, std::shared_ptr<URLSession> session)
    : m_request(std::move(request))
    , m_delegate(std::move(delegate))
    , m_manager(&manager)
    , m_session(std::move(session))
    , m_identifier(UUID().UUIDString())
    , m_currentRequest(m_request->request())
{
}

XMLRPCConnection::~XMLRPCConnection()
{
    if (m_task)
        m_task->cancel();
}

std::shared_ptr<XMLRPCConnection> XMLRPCConnection::create(std::shared_ptr<XMLRPCRequest> request,
    std::weak_ptr<XMLRPCConnectionDelegate> delegate, XMLRPCConnectionManager& manager, std::shared_ptr<URLSession> session)
{
    std::shared_ptr<XMLRPCConnection> connection(new XMLRPCConnection(std::move(request), std::move(delegate), manager, std::move(session)));
    connection->start(connection->m_currentRequest);
    consoleLog(u"The connection, " + connection->m_identifier + u", has been established!");
    return connection;
}

void XMLRPCConnection::start(URLRequest request)
{
    m_currentRequest = std::move(request);
    std::weak_ptr<XMLRPCConnection> weakThis = weak_from_this();
    m_task = m_session->dataTask(m_currentRequest, [weakThis](Data data, std::shared_ptr<URLResponse> response, Error error) {
        if (auto connection = weakThis.lock())
            connection->loadEnded(std::move(data), std::move(response), std::move(error));
    });
    m_task->resume();
}

void XMLRPCConnection::cancel()
{
    if (m_ended || m_cancelled)
        return;
    m_cancelled = true;
    // The task's handler, or the reading of the reply under way, then ends
    // the connection with the cancellation.
    if (m_task)
        m_task->cancel();
}

void XMLRPCConnection::loadEnded(Data data, std::shared_ptr<URLResponse> response, Error error)
{
    if (m_ended)
        return;
    m_task.reset();
    const URL& url = m_currentRequest.url();
    tellChallenges(URLAuthenticationChallenge::challengesOfLoad(url, response.get(), error));
    if (m_cancelled) {
        Error cancelled(URLErrorDomain, URLErrorCancelled, u"cancelled");
        cancelled.userInfo()[Error::URLKey] = Value(url.absoluteString());
        fail(std::move(cancelled));
        return;
    }
    if (!error.isEmpty()) {
        fail(std::move(error));
        return;
    }
    int status = 200;
    if (response && response->isHTTP()) {
        auto& http = static_cast<const HTTPURLResponse&>(*response);
        status = http.statusCode();
        if (isRedirect(status) && followRedirect(http))
            return;
    }
    if (data.empty()) {
        std::u16string body;
        if (status < 200 || status > 299)
            fail(replyFailure(VornickXMLRPCHTTPStatusErrorDomain, status, body, url));
        else
            fail(replyFailure(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError, body, url));
        return;
    }
    std::weak_ptr<XMLRPCConnection> weakThis = weak_from_this();
    // The reply's bytes go to the response as they came, not copied.
    parsingQueue().addOperation([weakThis, data = std::make_shared<const Data>(std::move(data)), status] {
        auto response = std::make_shared<XMLRPCResponse>(data);
        OperationQueue::main().addOperation([weakThis, response, status] {
            if (auto connection = weakThis.lock())
                connection->responseRead(response, status);
        });
    });
}

void XMLRPCConnection::tellChallenges(const std::vector<URLAuthenticationChallenge>& challenges)
{
    if (challenges.empty())
        return;
    auto protectedThis = shared_from_this();
    for (const auto& challenge : challenges) {
        auto delegate = m_delegate.lock();
        if (delegate && delegate->requestCanAuthenticateAgainstProtectionSpace(*m_request, challenge.protectionSpace))
            delegate->requestDidReceiveAuthenticationChallenge(*m_request, challenge);
    }
}

bool XMLRPCConnection::followRedirect(const HTTPURLResponse& response)
{
    const URL& from = m_currentRequest.url();
    auto location = response.valueForHTTPHeaderField(u"Location");
    if (!location)
        return false;
    auto target = URL::create(*location, &from);
    bool sameHost = target && target->host() && from.host() && equalsIgnoringASCIICase(*target->host(), *from.host());
    bool keepsSecurity = target && (target->scheme() == u"https" || target->scheme() == from.scheme());
    if (!sameHost || !keepsSecurity || m_redirectCount >= URLRequest::defaultMaximumRedirects) {
        Error error(VornickXMLRPCHTTPStatusErrorDomain, response.statusCode(), u"XML-RPC request failed");
        error.userInfo()[Error::LocalizedFailureReasonKey] = Value(u"The XML-RPC address redirects to " + *location
            + u", which is not on the same host over a connection as secure; the call was not sent there.");
        error.userInfo()[LocationKey] = Value(*location);
        error.userInfo()[Error::URLKey] = Value(from.absoluteString());
        fail(std::move(error));
        return true;
    }
    ++m_redirectCount;
    URLRequest request = m_currentRequest;
    request.setURL(target->absoluteURL());
    start(std::move(request));
    return true;
}

void XMLRPCConnection::responseRead(std::shared_ptr<XMLRPCResponse> response, int status)
{
    if (m_ended)
        return;
    const URL& url = m_currentRequest.url();
    if (m_cancelled) {
        Error cancelled(URLErrorDomain, URLErrorCancelled, u"cancelled");
        cancelled.userInfo()[Error::URLKey] = Value(url.absoluteString());
        fail(std::move(cancelled));
        return;
    }
    bool success = status >= 200 && status <= 299;
    if (response->hasObject() && (success || response->isFault())) {
        succeed(*response);
        return;
    }
    Error error = success ? replyFailure(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError, response->body(), url)
                          : replyFailure(VornickXMLRPCHTTPStatusErrorDomain, status, response->body(), url);
    if (!response->parserError().isEmpty())
        error.setUnderlyingError(response->parserError());
    fail(std::move(error));
}

void XMLRPCConnection::succeed(const XMLRPCResponse& response)
{
    m_ended = true;
    // The connection stays alive until its delegate was told, even when the
    // delegate closes it meanwhile.
    auto protectedThis = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->requestDidReceiveResponse(*m_request, response);
    end();
}

void XMLRPCConnection::fail(Error error)
{
    m_ended = true;
    auto protectedThis = shared_from_this();
    consoleLog(u"The connection, " + m_identifier + u", failed with the following error: " + error.localizedDescription());
    if (auto delegate = m_delegate.lock())
        delegate->requestDidFailWithError(*m_request, error);
    end();
}

void XMLRPCConnection::end()
{
    if (m_manager)
        m_manager->connectionEnded(m_identifier);
}

} // namespace brevanton
