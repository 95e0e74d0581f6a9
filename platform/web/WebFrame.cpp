#include "platform/web/WebFrame.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/net/URLSession.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/ImagePixelSize.h"
#include "platform/web/WebView.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace brevanton {

namespace {

WebFrameLoadDelegate& frameLoadDelegateOf(WebView& view)
{
    static WebFrameLoadDelegate defaultDelegate;
    return view.frameLoadDelegate() ? *view.frameLoadDelegate() : defaultDelegate;
}

WebResourceLoadDelegate& resourceLoadDelegateOf(WebView& view)
{
    static WebResourceLoadDelegate defaultDelegate;
    return view.resourceLoadDelegate() ? *view.resourceLoadDelegate() : defaultDelegate;
}

Error loadError(int64_t code, const URL& url, std::u16string description)
{
    Error error(URLErrorDomain, code, std::move(description));
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    return error;
}

// What a file loaded from `url` is read as, for its size limit.
FileReadKind fileReadKindForURL(const URL& url)
{
    auto type = webMIMETypeForURL(url);
    if (type == u"text/css")
        return FileReadKind::StyleSheet;
    if (type.starts_with(u"image/"))
        return FileReadKind::Image;
    if (type == u"text/html" || type == u"application/xhtml+xml")
        return FileReadKind::Document;
    return FileReadKind::Other;
}

// Reads a file by the policy every file read meets (FileReading.h); a
// denied read (EACCES, EPERM, or the web view's policy) is the POSIX error
// 1, which callers take as "no file access".
bool readFileForLoad(const WebView& view, const std::string& path, const URL& url, std::string& contents, std::optional<FileStamp>& stamp,
                     Error& error)
{
    auto noAccess = [&] {
        error = Error(POSIXErrorDomain, EPERM, u"You don't have permission to read the file.");
        error.userInfo()[Error::URLKey] = Value(url.absoluteString());
        error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
        return false;
    };
    if (!view.mayReadFile(path))
        return noAccess();
    stamp.reset();
    contents.clear();
    Error readError;
    FileReadRefusal refusal = FileReadRefusal::None;
    auto read = readRegularFile(path, fileReadKindForURL(url), &readError, &refusal);
    if (read) {
        stamp = fileStampOfStatus(read->status);
        contents = std::move(read->bytes);
        return true;
    }
    switch (refusal) {
    case FileReadRefusal::Folder:
        error = loadError(URLErrorFileDoesNotExist, url, u"The file is a folder.");
        return false;
    case FileReadRefusal::NotRegular:
        // Pipes and devices (a reference to /dev/zero) would block or never end.
        error = loadError(URLErrorUnknown, url, u"The file is not a regular file.");
        return false;
    case FileReadRefusal::TooLarge:
        error = loadError(URLErrorUnknown, url, readError.localizedDescription());
        return false;
    case FileReadRefusal::None:
        break;
    }
    auto code = readError.code();
    if (code == EACCES || code == EPERM)
        return noAccess();
    if (code == ENOENT || code == ENOTDIR)
        error = loadError(URLErrorFileDoesNotExist, url, u"The file couldn't be opened.");
    else
        error = loadError(URLErrorUnknown, url, u"The file couldn't be read.");
    return false;
}

// The size from which a page's source is converted on a thread beside its parse.
constexpr size_t sourceConvertedBesideTheParseSize = 64 * 1024;

bool isXMLMIMEType(std::u16string_view type)
{
    return type == u"application/xhtml+xml" || type == u"text/xml" || type == u"application/xml";
}

// The loaded document a fetch took, when it is what a load of `url` makes
// of these bytes: its decoded text, when no charset comes from the transport
// and it was decoded in the syntax the load parses; otherwise null, and the
// load decodes the bytes itself.
std::shared_ptr<LoadedDocument> loadedDocumentForLoad(std::shared_ptr<LoadedDocument> loaded, const URLResponse& response,
                                                      bool isXML)
{
    if (!loaded || !response.textEncodingName().empty()
        || loaded->syntax() != (isXML ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML))
        return nullptr;
    auto path = response.url().fileSystemPath();
    if (!path || *path != loaded->loadPath())
        return nullptr;
    return loaded;
}

std::u16string escapeForHTML(std::u16string_view text)
{
    std::u16string result;
    for (char16_t c : text) {
        if (c == '<')
            result += u"&lt;";
        else if (c == '&')
            result += u"&amp;";
        else
            result += c;
    }
    return result;
}

std::u16string lowercased(std::u16string text)
{
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char16_t>(c + 32);
    }
    return text;
}

bool isStyleSheetLink(const DOMElement& link)
{
    auto rel = lowercased(link.getAttribute(u"rel"));
    bool styleSheet = false;
    size_t i = 0;
    while (i < rel.size()) {
        while (i < rel.size() && (rel[i] == ' ' || rel[i] == '\t' || rel[i] == '\n'))
            ++i;
        size_t start = i;
        while (i < rel.size() && !(rel[i] == ' ' || rel[i] == '\t' || rel[i] == '\n'))
            ++i;
        auto token = std::u16string_view(rel).substr(start, i - start);
        if (token == u"stylesheet")
            styleSheet = true;
        else if (token == u"alternate")
            return false;
    }
    return styleSheet;
}

// The bytes and media type of a "data:" URL (RFC 2397); false when it is malformed.
bool decodeDataURL(const std::u16string& url, Data& data, std::u16string& mediaType)
{
    size_t comma = url.find(u',');
    if (comma == std::u16string::npos || url.size() < 5)
        return false;
    std::u16string header = url.substr(5, comma - 5);
    bool base64 = header.size() >= 7 && header.substr(header.size() - 7) == u";base64";
    if (base64)
        header.resize(header.size() - 7);
    mediaType = header.empty() ? u"text/plain;charset=US-ASCII" : header;
    auto decoded = percentDecode(std::u16string_view(url).substr(comma + 1));
    if (!decoded)
        return false;
    data.clear();
    if (!base64) {
        std::string bytes = toUTF8(*decoded);
        data.assign(bytes.begin(), bytes.end());
        return true;
    }
    uint32_t buffer = 0;
    int bits = 0;
    for (char16_t c : *decoded) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+' || c == '-')
            value = 62;
        else if (c == '/' || c == '_')
            value = 63;
        else if (c == '=' || c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        else
            return false;
        buffer = (buffer << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            data.push_back(static_cast<uint8_t>((buffer >> bits) & 0xFF));
        }
    }
    return true;
}

uint64_t nextStringDocumentNumber()
{
    static uint64_t number = 0;
    return ++number;
}

} // namespace

WebFrame::WebFrame(WebView* webView, std::u16string name, std::shared_ptr<DOMElement> frameElement)
    : m_webView(webView)
    , m_name(std::move(name))
    , m_frameElement(frameElement)
{
}

WebFrame::~WebFrame()
{
    if (m_document) {
        CSSStyleResolver::forDocument(*m_document).setLinkedStyleSheetProvider(nullptr);
        CSSStyleResolver::forDocument(*m_document).setUsedSizeProvider(nullptr);
    }
    ++m_generation;
    for (auto& task : m_tasks)
        task->cancel();
}

std::shared_ptr<WebFrame> WebFrame::create(WebView* webView, std::u16string name, const std::shared_ptr<WebFrame>& parent,
                                           std::shared_ptr<DOMElement> frameElement)
{
    auto frame = std::shared_ptr<WebFrame>(new WebFrame(webView, std::move(name), std::move(frameElement)));
    frame->m_parent = parent;
    Rect rect = parent ? Rect(0, 0, WebLayout::defaultFrameSize.width, WebLayout::defaultFrameSize.height)
                       : Rect(0, 0, webView->bounds().width(), webView->bounds().height());
    frame->m_frameView = WebFrameView::create(frame, rect);
    std::weak_ptr<WebFrame> weakFrame = frame;
    frame->m_layout.setIntrinsicSizeProvider([weakFrame](const DOMElement& element) -> std::optional<Size> {
        auto frame = weakFrame.lock();
        return frame ? frame->imagePixelSize(element) : std::nullopt;
    });
    return frame;
}

std::optional<Size> WebFrame::imagePixelSize(const DOMElement& element) const
{
    if (!m_dataSource || !element.hasTagName(u"img"))
        return std::nullopt;
    auto base = baseURL();
    auto url = URL::create(element.getAttribute(u"src"), base ? &*base : nullptr);
    if (!url)
        return std::nullopt;
    auto resource = m_dataSource->subresourceForURL(*url);
    if (!resource || resource->data().empty())
        return std::nullopt;
    auto pixels = imagePixelSizeOfData(resource->data());
    if (!pixels)
        return std::nullopt;
    return Size { static_cast<double>(pixels->pixelsWide), static_cast<double>(pixels->pixelsHigh) };
}

std::shared_ptr<WebFrame> WebFrame::findFrameNamed(std::u16string_view name)
{
    if (m_name == name)
        return shared_from_this();
    for (auto& child : m_children) {
        if (auto found = child->findFrameNamed(name))
            return found;
    }
    return nullptr;
}

std::shared_ptr<WebFrame> WebFrame::frameForDocument(const DOMDocument& document)
{
    if (m_document.get() == &document)
        return shared_from_this();
    for (auto& child : m_children) {
        if (auto found = child->frameForDocument(document))
            return found;
    }
    return nullptr;
}

std::optional<URL> WebFrame::baseURL() const
{
    if (!m_document)
        return std::nullopt;
    auto documentURL = URL::create(m_document->URL());
    if (auto head = m_document->head()) {
        for (DOMNode* child = head->first(); child; child = child->next()) {
            if (auto* base = dynamicDowncast<DOMElement>(child); base && base->hasTagName(u"base")) {
                if (base->hasAttribute(u"href")) {
                    if (auto url = URL::create(base->getAttribute(u"href"), documentURL ? &*documentURL : nullptr))
                        return url->absoluteURL();
                }
                break;
            }
        }
    }
    return documentURL;
}

void WebFrame::loadRequest(const URLRequest& request)
{
    if (!m_webView)
        return;
    beginLoad(request, std::nullopt);
}

void WebFrame::loadHTMLString(const std::u16string& html, const std::optional<URL>& baseURL)
{
    if (!m_webView)
        return;
    URL url = baseURL ? *baseURL
                      : *URL::create(std::u16string(WebStringDocumentScheme) + u"://"
                                     + toUTF16(std::to_string(nextStringDocumentNumber())) + u"/");
    beginLoad(URLRequest(url), html);
}

void WebFrame::beginLoad(URLRequest request, std::optional<std::u16string> html)
{
    // While the parent loads, this frame counts as one of its pending frames from
    // here until it ends, also when it loads again; the stop must not let the
    // parent finish in between.
    auto parent = parentFrame();
    bool parentLoading = parent && parent->m_state == State::Committed;
    if (parentLoading)
        ++parent->m_pendingResources;
    stopLoading();
    if (parentLoading) {
        --parent->m_pendingResources;
        if (parent->m_state == State::Committed)
            ++parent->m_pendingChildFrames;
    }
    if (!m_webView)
        return;
    auto& view = *m_webView;
    WebPolicyDecisionListener listener;
    if (auto* policy = view.policyDelegate()) {
        WebNavigationAction action;
        action.navigationType = WebNavigationTypeOther;
        action.originalURL = request.url();
        policy->decidePolicyForNavigationAction(view, action, request, *this, listener);
        if (!m_webView)
            return;
    }
    if (listener.decision() == WebPolicyDecisionListener::Decision::Ignore
        || listener.decision() == WebPolicyDecisionListener::Decision::Download) {
        if (auto parent = parentFrame())
            parent->childFrameEnded();
        return;
    }
    m_provisionalDataSource = std::make_shared<WebDataSource>(request);
    m_provisionalDataSource->setWebFrame(shared_from_this());
    m_state = State::Provisional;
    uint64_t generation = m_generation;
    std::weak_ptr<WebFrame> weakThis = weak_from_this();
    RunLoop::main().perform([weakThis, generation, request = std::move(request), html = std::move(html)]() mutable {
        if (auto frame = weakThis.lock(); frame && frame->m_generation == generation)
            frame->startProvisionalLoad(std::move(request), std::move(html), generation);
    });
}

void WebFrame::startProvisionalLoad(URLRequest request, std::optional<std::u16string> html, uint64_t generation)
{
    auto protectedThis = shared_from_this();
    auto& view = *m_webView;
    auto dataSource = m_provisionalDataSource;
    frameLoadDelegateOf(view).didStartProvisionalLoadForFrame(view, *this);
    if (m_generation != generation)
        return;
    auto& resources = resourceLoadDelegateOf(view);
    auto identifier = resources.identifierForInitialRequest(view, request, *dataSource);
    auto finalRequest = resources.willSendRequest(view, identifier, request, nullptr, *dataSource);
    if (m_generation != generation)
        return;
    if (!finalRequest) {
        Error error = loadError(URLErrorCancelled, request.url(), u"The load was cancelled.");
        resources.didFailLoadingWithError(view, identifier, error, *dataSource);
        failProvisionalLoad(error);
        return;
    }
    dataSource->setRequest(*finalRequest);
    m_outstandingResources.emplace_back(identifier, dataSource);
    std::weak_ptr<WebFrame> weakThis = weak_from_this();
    if (html) {
        std::string utf8 = toUTF8(*html);
        Data data(utf8.begin(), utf8.end());
        auto response = std::make_shared<URLResponse>(finalRequest->url(), u"text/html; charset=utf-8",
                                                      static_cast<int64_t>(data.size()));
        RunLoop::main().perform([weakThis, generation, identifier, data = std::move(data), response]() mutable {
            if (auto frame = weakThis.lock(); frame && frame->m_generation == generation)
                frame->mainResourceArrived(identifier, std::move(data), response, Error());
        });
        return;
    }
    fetch(*finalRequest, [weakThis, generation, identifier](Data data, std::shared_ptr<URLResponse> response, Error error) {
        if (auto frame = weakThis.lock(); frame && frame->m_generation == generation)
            frame->mainResourceArrived(identifier, std::move(data), std::move(response), std::move(error));
    });
}

void WebFrame::fetch(const URLRequest& request, FetchCompletion completion)
{
    const URL& url = request.url();
    auto scheme = url.scheme();
    if (scheme == u"file") {
        auto path = url.fileSystemPath();
        std::string contents;
        std::optional<FileStamp> stamp;
        Error error;
        bool ok = false;
        auto provided = path ? m_webView->takeProvidedLoadedDocument(*path) : nullptr;
        if (provided && m_webView->mayReadFile(*path)) {
            stamp = provided->stamp();
            ok = true;
        } else {
            provided.reset();
            ok = path && readFileForLoad(*m_webView, *path, url, contents, stamp, error);
        }
        m_loadedDocument = provided;
        if (!path)
            error = loadError(URLErrorBadURL, url, u"The file URL is not valid.");
        const std::string& bytes = provided ? provided->bytes() : contents;
        Data data(bytes.begin(), bytes.end());
        std::shared_ptr<URLResponse> response;
        if (ok) {
            response = std::make_shared<URLResponse>(url, webMIMETypeForURL(url), static_cast<int64_t>(data.size()));
            response->setFileStamp(stamp);
        }
        RunLoop::main().perform([completion = std::move(completion), data = std::move(data), response, error]() mutable {
            completion(std::move(data), response, error);
        });
        return;
    }
    if (scheme == u"http" || scheme == u"https") {
        auto task = m_webView->urlSession()->dataTask(request, std::move(completion));
        m_tasks.push_back(task);
        task->resume();
        return;
    }
    if (scheme == u"data") {
        Data data;
        std::u16string mediaType;
        if (!decodeDataURL(url.absoluteString(), data, mediaType)) {
            Error error = loadError(URLErrorBadURL, url, u"The data URL is malformed.");
            RunLoop::main().perform([completion = std::move(completion), error] { completion({}, nullptr, error); });
            return;
        }
        auto response = std::make_shared<URLResponse>(url, mediaType, static_cast<int64_t>(data.size()));
        RunLoop::main().perform([completion = std::move(completion), data = std::move(data), response]() mutable {
            completion(std::move(data), response, Error());
        });
        return;
    }
    if (url.absoluteString() == u"about:blank") {
        auto response = std::make_shared<URLResponse>(url, u"text/html", 0);
        RunLoop::main().perform([completion = std::move(completion), response] { completion({}, response, Error()); });
        return;
    }
    Error error = loadError(URLErrorUnsupportedURL, url, u"The URL's scheme is not supported.");
    RunLoop::main().perform([completion = std::move(completion), error] { completion({}, nullptr, error); });
}

void WebFrame::mainResourceArrived(WebResourceIdentifier identifier, Data data, std::shared_ptr<URLResponse> response,
                                   Error error)
{
    auto protectedThis = shared_from_this();
    auto& view = *m_webView;
    auto dataSource = m_provisionalDataSource;
    uint64_t generation = m_generation;
    if (!error.isEmpty() || !response) {
        if (error.isEmpty())
            error = loadError(URLErrorUnknown, dataSource->request().url(), u"The load failed.");
        resourceEnded(identifier);
        resourceLoadDelegateOf(view).didFailLoadingWithError(view, identifier, error, *dataSource);
        if (m_generation == generation)
            failProvisionalLoad(error);
        return;
    }
    // Delegates may start another load, close the web view or replace themselves
    // in any callback: nothing is used across one without checking.
    resourceLoadDelegateOf(view).didReceiveResponse(view, identifier, *response, *dataSource);
    if (m_generation != generation)
        return;
    commit(std::move(data), std::move(response));
    if (m_generation != generation)
        return;
    resourceEnded(identifier);
    resourceLoadDelegateOf(view).didFinishLoadingFromDataSource(view, identifier, *m_dataSource);
    if (m_generation != generation || m_state != State::Committed)
        return;
    m_scannedDocumentVersion = m_document->connectedStructureVersion();
    m_scannedCharacterDataVersion = m_document->characterDataVersion();
    startSubresourceLoads(true);
    checkCompleted();
}

void WebFrame::commit(Data data, std::shared_ptr<URLResponse> response)
{
    auto& view = *m_webView;
    uint64_t generation = m_generation;
    auto dataSource = m_provisionalDataSource;
    detachChildren();
    m_provisionalDataSource.reset();
    m_dataSource = dataSource;
    m_requestedURLs.clear();
    m_styleSheetResponseURLs.clear();
    m_pendingResources = 0;
    m_pendingChildFrames = 0;

    std::u16string mimeType = response->mimeType();
    if (mimeType.empty())
        mimeType = webMIMETypeForURL(response->url());
    dataSource->setResponse(response);
    dataSource->setMIMEType(mimeType);
    std::u16string url = response->url().absoluteString();
    std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());

    Error parseError;
    std::shared_ptr<DOMDocument> document;
    auto loaded = std::exchange(m_loadedDocument, nullptr);
    bool isText = mimeType.starts_with(u"text/") || isXMLMIMEType(mimeType) || mimeType == u"application/octet-stream";
    if (isText || data.empty()) {
        bool isXML = isXMLMIMEType(mimeType);
        auto syntax = isXML ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
        // The text its host decoded already, or the bytes decoded now; the
        // source the data source keeps is converted while the page is parsed.
        loaded = loadedDocumentForLoad(std::move(loaded), *response, isXML);
        std::optional<DecodedDocumentText> decodedHere;
        std::future<std::shared_ptr<const std::u16string>> convertedSource;
        // A thread of its own pays only for a large page: a page of
        // thousands of small frames (srcdoc) would start thousands.
        auto policy = bytes.size() >= sourceConvertedBesideTheParseSize ? std::launch::async : std::launch::deferred;
        if (loaded) {
            convertedSource = std::async(policy, [loaded] { return loaded->source(); });
        } else {
            decodedHere = decodeDocumentText(bytes, syntax, response->textEncodingName());
            convertedSource = std::async(policy, [&decodedHere] {
                return std::make_shared<const std::u16string>(toUTF16(decodedHere->utf8));
            });
        }
        const DecodedDocumentText& decoded = loaded ? loaded->decoded() : *decodedHere;
        bool parsesPage = isXML || mimeType == u"text/html" || mimeType == u"application/octet-stream" || data.empty();
        // The parse started ahead is the one the load makes of a page at the document's own URL.
        if (loaded && parsesPage && (isXML || mimeType == u"text/html") && loaded->hasParse()
            && loaded->url().absoluteString() == url)
            document = loaded->takeParsedDocument();
        dataSource->setTextEncodingName(decoded.encoding);
        if (document) {
            if (isXML)
                document->setContentType(mimeType);
        } else if (isXML) {
            document = DOMDocument::parseDecoded(decoded, DocumentTextSyntax::XML, url, &parseError);
            if (document)
                document->setContentType(mimeType);
        } else if (parsesPage) {
            document = DOMDocument::parseDecoded(decoded, DocumentTextSyntax::HTML, url);
        } else {
            auto source = convertedSource.get();
            document = DOMDocument::parseHTML(u"<html><body><pre>" + escapeForHTML(*source) + u"</pre></body></html>", url);
            document->setCharacterSet(decoded.encoding);
            dataSource->setDocumentSource(source);
        }
        if (convertedSource.valid())
            dataSource->setDocumentSource(convertedSource.get());
    } else {
        std::u16string markup = u"<html><body>";
        if (mimeType.starts_with(u"image/"))
            markup += u"<img src=\"" + escapeForHTML(url) + u"\">";
        markup += u"</body></html>";
        document = DOMDocument::parseHTML(std::u16string_view(markup), url);
    }
    dataSource->setData(std::move(data));
    if (m_document) {
        CSSStyleResolver::forDocument(*m_document).setLinkedStyleSheetProvider(nullptr);
        CSSStyleResolver::forDocument(*m_document).setUsedSizeProvider(nullptr);
    }
    m_document = document;
    m_characterShownAsSpace = 0;
    m_layout.setCharacterShownAsSpace(0);
    if (m_document) {
        // The cascade takes linked sheets as they were loaded here, through the
        // delegates and the file-access policy.
        std::weak_ptr<WebFrame> weakThis = weak_from_this();
        CSSStyleResolver::forDocument(*m_document).setLinkedStyleSheetProvider(
            [weakThis](const std::u16string& url) -> std::optional<std::u16string> {
                auto frame = weakThis.lock();
                if (!frame || !frame->m_dataSource)
                    return std::nullopt;
                auto answered = frame->m_styleSheetResponseURLs.find(url);
                if (answered == frame->m_styleSheetResponseURLs.end())
                    return std::nullopt;
                auto resource = frame->m_dataSource->subresourceForURL(answered->second);
                if (!resource)
                    return std::nullopt;
                return toUTF16(std::string_view(reinterpret_cast<const char*>(resource->data().data()),
                                                resource->data().size()));
            });
        // Computed widths and heights are the used sizes of this frame's layout.
        CSSStyleResolver::forDocument(*m_document).setUsedSizeProvider(
            [weakThis](const DOMElement& element) -> std::optional<CSSUsedSize> {
                auto frame = weakThis.lock();
                if (!frame || !frame->m_document || !frame->m_frameView)
                    return std::nullopt;
                auto size = frame->layout().usedSize(element);
                if (!size)
                    return std::nullopt;
                return CSSUsedSize { size->width, size->height };
            });
    }
    m_layout.invalidate();
    m_state = State::Committed;
    if (document && mimeType.starts_with(u"image/"))
        dataSource->addSubresource(dataSource->mainResource());

    frameLoadDelegateOf(view).didCommitLoadForFrame(view, *this);
    if (m_generation != generation)
        return;
    if (!document) {
        m_state = State::Failed;
        dataSource->setLoading(false);
        frameLoadDelegateOf(view).didFailLoadWithError(view, parseError, *this);
        if (auto parent = parentFrame())
            parent->childFrameEnded();
        return;
    }
    auto title = document->title();
    if (!title.empty())
        frameLoadDelegateOf(view).didReceiveTitle(view, title, *this);
}

std::vector<URL> WebFrame::importedStyleSheetURLs(std::u16string_view css, const URL* base) const
{
    // @import "x.css"; @import url(x.css) screen; — only at the top of a sheet,
    // but a later one is rare enough to take as well.
    std::vector<URL> urls;
    size_t position = 0;
    while ((position = css.find(u"@import", position)) != std::u16string_view::npos) {
        position += 7;
        while (position < css.size() && (css[position] == ' ' || css[position] == '\t' || css[position] == '\n'))
            ++position;
        std::u16string target;
        if (css.substr(position, 4) == u"url(") {
            position += 4;
            while (position < css.size() && css[position] == ' ')
                ++position;
            char16_t quote = position < css.size() && (css[position] == '"' || css[position] == '\'') ? css[position] : 0;
            if (quote)
                ++position;
            while (position < css.size() && css[position] != (quote ? quote : u')') && css[position] != '\n')
                target += css[position++];
            if (!quote) {
                while (!target.empty() && target.back() == ' ')
                    target.pop_back();
            }
        } else if (position < css.size() && (css[position] == '"' || css[position] == '\'')) {
            char16_t quote = css[position++];
            while (position < css.size() && css[position] != quote && css[position] != '\n')
                target += css[position++];
        }
        if (target.empty())
            continue;
        if (auto url = URL::create(target, base))
            urls.push_back(url->absoluteURL());
    }
    return urls;
}

void WebFrame::startSubresourceLoads(bool includeFrames, const std::vector<std::shared_ptr<DOMNode>>* roots)
{
    auto document = m_document;
    auto base = baseURL();
    const URL* baseURLPointer = base ? &*base : nullptr;
    std::vector<std::shared_ptr<DOMElement>> frames;
    // Holds the frame open while loads start: a frame the policy refuses ends at once
    // and must not finish this frame before its later frames have started.
    uint64_t generation = m_generation;
    ++m_pendingResources;
    // Every node of the document, or of each of the given subtrees.
    size_t rootIndex = 0;
    const DOMNode* root = roots ? (roots->empty() ? nullptr : (*roots)[0].get()) : nullptr;
    DOMNode* first = roots ? const_cast<DOMNode*>(root) : document->first();
    auto advance = [&](DOMNode* node) -> DOMNode* {
        if (!roots)
            return node->traverseNext();
        if (auto* next = node->traverseNext(root))
            return next;
        if (++rootIndex >= roots->size())
            return nullptr;
        root = (*roots)[rootIndex].get();
        return const_cast<DOMNode*>(root);
    };
    auto visit = [&](DOMElement& element) {
        const auto& name = element.qualifiedName();
        if (!name.isHTML && document->isHTMLDocument())
            return;
        // Only HTML elements of these four names (of three to six letters) load anything.
        if (!name.isHTML || name.localName.size() < 3 || name.localName.size() > 6)
            return;
        if (element.hasTagName(u"link") && isStyleSheetLink(element)) {
            auto href = element.getAttribute(u"href");
            if (!href.empty()) {
                if (auto url = URL::create(href, baseURLPointer))
                    loadSubresource(url->absoluteURL(), true);
            }
        } else if (element.hasTagName(u"style")) {
            for (auto& url : importedStyleSheetURLs(element.textContent(), baseURLPointer))
                loadSubresource(url, true);
        } else if (element.hasTagName(u"img")) {
            auto src = element.getAttribute(u"src");
            if (!src.empty()) {
                if (auto url = URL::create(src, baseURLPointer))
                    loadSubresource(url->absoluteURL(), false);
            }
        } else if (includeFrames && (element.hasTagName(u"iframe") || element.hasTagName(u"frame")))
            frames.push_back(downcast<DOMElement>(element.shared_from_this()));
    };
    // A document as the parser built it names the elements to visit; any
    // other is walked whole, as is one that a delegate changes meanwhile
    // (loads already started are not started again; frames are collected anew).
    bool walk = true;
    if (auto* parsed = roots ? nullptr : document->parsedLoadingElements()) {
        walk = false;
        for (size_t i = 0; i < parsed->size() && m_generation == generation; ++i) {
            if (document->parsedLoadingElements() != parsed) {
                walk = true;
                frames.clear();
                break;
            }
            visit(*(*parsed)[i]);
        }
    }
    for (DOMNode* node = walk ? first : nullptr; node && m_generation == generation; node = advance(node)) {
        if (node->isElementNode())
            visit(downcast<DOMElement>(*node));
    }
    for (auto& element : frames) {
        if (m_generation != generation)
            break;
        loadChildFrame(element);
    }
    --m_pendingResources;
}

void WebFrame::loadSubresource(const URL& url, bool isStyleSheet)
{
    if (!m_webView || !m_requestedURLs.insert(url.absoluteString()).second)
        return;
    auto& view = *m_webView;
    auto dataSource = m_dataSource;
    auto& resources = resourceLoadDelegateOf(view);
    uint64_t generation = m_generation;
    URLRequest request(url);
    auto identifier = resources.identifierForInitialRequest(view, request, *dataSource);
    auto finalRequest = resources.willSendRequest(view, identifier, request, nullptr, *dataSource);
    if (m_generation != generation)
        return;
    if (!finalRequest) {
        resourceLoadDelegateOf(view).didFailLoadingWithError(
            view, identifier, loadError(URLErrorCancelled, url, u"The load was cancelled."), *dataSource);
        return;
    }
    ++m_pendingResources;
    m_outstandingResources.emplace_back(identifier, dataSource);
    std::weak_ptr<WebFrame> weakThis = weak_from_this();
    fetch(*finalRequest, [weakThis, generation, identifier, isStyleSheet, requestedURL = url.absoluteString()](
                             Data data, std::shared_ptr<URLResponse> response, Error error) {
        auto frame = weakThis.lock();
        if (!frame || frame->m_generation != generation)
            return;
        auto& view = *frame->m_webView;
        auto dataSource = frame->m_dataSource;
        if (!error.isEmpty() || !response) {
            if (error.isEmpty())
                error = Error(URLErrorDomain, URLErrorUnknown, u"The load failed.");
            frame->resourceEnded(identifier);
            resourceLoadDelegateOf(view).didFailLoadingWithError(view, identifier, error, *dataSource);
        } else {
            resourceLoadDelegateOf(view).didReceiveResponse(view, identifier, *response, *dataSource);
            if (frame->m_generation != generation)
                return;
            std::u16string mimeType = response->mimeType().empty() ? webMIMETypeForURL(response->url()) : response->mimeType();
            std::u16string encoding = response->textEncodingName();
            if (isStyleSheet) {
                std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
                auto text = toUTF16(bytes);
                auto sheetURL = response->url();
                frame->m_styleSheetResponseURLs.insert_or_assign(requestedURL, sheetURL);
                dataSource->addSubresource(std::make_shared<WebResource>(std::move(data), response->url(), mimeType,
                                                                         encoding.empty() ? u"UTF-8" : encoding));
                for (auto& imported : frame->importedStyleSheetURLs(text, &sheetURL)) {
                    frame->loadSubresource(imported, true);
                    if (frame->m_generation != generation)
                        return;
                }
                if (frame->m_document)
                    CSSStyleResolver::forDocument(*frame->m_document).invalidate();
            } else
                dataSource->addSubresource(std::make_shared<WebResource>(std::move(data), response->url(), mimeType, encoding));
            frame->m_layout.invalidate();
            frame->resourceEnded(identifier);
            resourceLoadDelegateOf(view).didFinishLoadingFromDataSource(view, identifier, *dataSource);
        }
        if (frame->m_generation != generation)
            return;
        --frame->m_pendingResources;
        frame->checkCompleted();
    });
}

void WebFrame::loadChildFrame(const std::shared_ptr<DOMElement>& element)
{
    auto child = WebFrame::create(m_webView, element->getAttribute(u"name"), shared_from_this(), element);
    m_children.push_back(child);
    m_frameView->documentView()->addSubview(child->m_frameView);
    auto src = element->getAttribute(u"src");
    auto base = baseURL();
    std::optional<URL> url;
    if (!src.empty())
        url = URL::create(src, base ? &*base : nullptr);
    // A frame never loads the page of a frame that contains it: a page framing
    // itself (or two framing each other) would nest without end. It stays blank.
    auto withoutFragment = [](const std::u16string& string) { return string.substr(0, string.find(u'#')); };
    if (url) {
        auto target = withoutFragment(url->absoluteURL().absoluteString());
        for (auto frame = shared_from_this(); frame && url; frame = frame->parentFrame()) {
            auto& source = frame->m_dataSource;
            if ((source && (withoutFragment(source->initialRequest().url().absoluteString()) == target
                            || withoutFragment(source->request().url().absoluteString()) == target))
                || (frame->m_document && withoutFragment(frame->m_document->URL()) == target))
                url.reset();
        }
    }
    child->beginLoad(URLRequest(url ? url->absoluteURL() : *URL::create(u"about:blank")), std::nullopt);
}

void WebFrame::childFrameEnded()
{
    if (m_state != State::Committed || !m_pendingChildFrames)
        return;
    --m_pendingChildFrames;
    checkCompleted();
}

void WebFrame::checkCompleted()
{
    if (m_state != State::Committed || m_pendingResources || m_pendingChildFrames)
        return;
    auto protectedThis = shared_from_this();
    m_state = State::Finished;
    m_dataSource->setLoading(false);
    m_layout.invalidate();
    auto& view = *m_webView;
    frameLoadDelegateOf(view).didFinishLoadForFrame(view, *this);
    if (auto parent = parentFrame())
        parent->childFrameEnded();
}

void WebFrame::failProvisionalLoad(const Error& error)
{
    auto protectedThis = shared_from_this();
    m_state = State::Failed;
    if (m_provisionalDataSource)
        m_provisionalDataSource->setLoading(false);
    m_provisionalDataSource.reset();
    if (!m_webView)
        return;
    auto& view = *m_webView;
    frameLoadDelegateOf(view).didFailProvisionalLoadWithError(view, error, *this);
    if (auto parent = parentFrame())
        parent->childFrameEnded();
}

void WebFrame::stopLoading()
{
    if (!m_webView)
        return;
    auto protectedThis = shared_from_this();
    State state = m_state;
    bool loading = state == State::Provisional || state == State::Committed;
    ++m_generation;
    for (auto& task : m_tasks)
        task->cancel();
    m_tasks.clear();
    if (loading)
        m_state = State::Failed;
    for (auto& child : m_children)
        child->stopLoading();
    URL url = m_provisionalDataSource ? m_provisionalDataSource->request().url()
                                      : m_dataSource ? m_dataSource->request().url() : *URL::create(u"about:blank");
    Error error = loadError(URLErrorCancelled, url, u"The load was cancelled.");
    // Loads started after the frame finished (a reset image source) end here too.
    cancelOutstandingResources(error);
    if (!loading || !m_webView)
        return;
    auto& view = *m_webView;
    if (state == State::Provisional) {
        m_provisionalDataSource.reset();
        frameLoadDelegateOf(view).didFailProvisionalLoadWithError(view, error, *this);
    } else {
        m_dataSource->setLoading(false);
        frameLoadDelegateOf(view).didFailLoadWithError(view, error, *this);
    }
    if (auto parent = parentFrame())
        parent->childFrameEnded();
}

void WebFrame::resourceEnded(const WebResourceIdentifier& identifier)
{
    auto found = std::find_if(m_outstandingResources.begin(), m_outstandingResources.end(),
                              [&](auto& entry) { return entry.first == identifier; });
    if (found != m_outstandingResources.end())
        m_outstandingResources.erase(found);
}

void WebFrame::cancelOutstandingResources(const Error& error)
{
    auto outstanding = std::move(m_outstandingResources);
    m_outstandingResources.clear();
    for (auto& [identifier, dataSource] : outstanding) {
        if (!m_webView)
            return;
        resourceLoadDelegateOf(*m_webView).didFailLoadingWithError(*m_webView, identifier, error, *dataSource);
    }
}

void WebFrame::detachFromWebView()
{
    m_outstandingResources.clear();
    ++m_generation;
    for (auto& task : m_tasks)
        task->cancel();
    m_tasks.clear();
    for (auto& child : m_children)
        child->detachFromWebView();
    m_webView = nullptr;
}

void WebFrame::detachChildren()
{
    for (auto& child : m_children) {
        child->stopLoading();
        child->detachChildren();
        child->m_frameView->removeFromSuperview();
    }
    m_children.clear();
}

void WebFrame::reloadSubresource(const URL& url)
{
    if (!m_webView || !m_document || !m_dataSource || m_state == State::Provisional)
        return;
    m_requestedURLs.erase(url.absoluteURL().absoluteString());
    auto type = webMIMETypeForURL(url);
    loadSubresource(url.absoluteURL(), type == u"text/css");
}

void WebFrame::loadNewSubresourcesIfNeeded()
{
    if (!m_webView || !m_document || !m_dataSource || (m_state != State::Committed && m_state != State::Finished))
        return;
    // Text edits matter only inside STYLE elements (new @import rules).
    bool styleTextChanged = cssCharacterDataChangesAffectStyleSheets(*m_document, m_scannedCharacterDataVersion);
    bool changed = m_scannedDocumentVersion != m_document->connectedStructureVersion() || styleTextChanged;
    uint64_t since = std::exchange(m_scannedDocumentVersion, m_document->connectedStructureVersion());
    m_scannedCharacterDataVersion = m_document->characterDataVersion();
    if (!changed)
        return;
    // Only what was inserted or had an attribute changed can ask for something
    // new, unless the base URL or the style sheets may have changed.
    auto changes = m_document->structureChangesSince(since);
    bool scanAll = styleTextChanged || !changes;
    std::vector<std::shared_ptr<DOMNode>> roots;
    for (auto& change : scanAll ? DOMDocument::StructureChanges() : *changes) {
        if (scanAll || change.touchesStyleSheets) {
            scanAll = true;
            break;
        }
        auto node = change.kind == DOMStructureChange::Kind::Attribute ? change.target.lock() : change.inserted.lock();
        if (node && node->isConnected() && std::find(roots.begin(), roots.end(), node) == roots.end())
            roots.push_back(std::move(node));
    }
    startSubresourceLoads(false, scanAll ? nullptr : &roots);
}

void WebFrame::setCharacterShownAsSpace(char16_t character) const
{
    if (character == m_characterShownAsSpace)
        return;
    m_characterShownAsSpace = character;
    // Kept like an associated value: the layout measures by it from now on.
    const_cast<WebLayout&>(m_layout).setCharacterShownAsSpace(character);
    m_frameView->documentView()->setNeedsDisplay(true);
}

void WebFrame::showLayoutChanges()
{
    auto& page = *m_frameView->documentView();
    Size size = m_layout.documentSize();
    Rect clip = m_frameView->clipView()->frame();
    Size pageSize { std::max(size.width, clip.width()), std::max(size.height, clip.height()) };
    // A line's scroll is a line of the body's text.
    if (auto body = m_document->body()) {
        auto font = webFontDescriptor(*CSSStyleResolver::computedValuesFor(*body), m_webView ? m_webView->textSizeMultiplier() : 1);
        m_frameView->setVerticalLineScroll(FontMetricsProvider::current().lineMetrics(font).lineHeight);
    }
    auto changed = m_layout.changedAreaOfLastLayout();
    if (!changed) {
        page.setFrameSize(pageSize);
        page.setNeedsDisplay(true);
        return;
    }
    // A page that grew or shrank is redrawn where its boxes changed, which
    // reaches down to both ends, not everywhere its new size would mark.
    bool wasMarked = page.needsDisplay();
    Rect marked = page.dirtyRect();
    page.setFrameSize(pageSize);
    page.setNeedsDisplay(false);
    if (wasMarked)
        page.setNeedsDisplayInRect(marked);
    if (!changed->isEmpty())
        page.setNeedsDisplayInRect(*changed);
}

WebLayout& WebFrame::layout()
{
    loadNewSubresourcesIfNeeded();
    if (m_document) {
        double width = m_frameView->clipView()->frame().width();
        m_layout.layoutIfNeeded(*m_document, width, m_webView ? m_webView->textSizeMultiplier() : 1);
        if (m_childViewsVersion != m_layout.layoutCount()) {
            m_childViewsVersion = m_layout.layoutCount();
            showLayoutChanges();
            updateChildFrameViews();
        }
    }
    return m_layout;
}

void WebFrame::updateChildFrameViews()
{
    for (auto& child : m_children) {
        auto element = child->frameElement();
        Rect box = element ? m_layout.boundingBox(*element) : Rect();
        // A frame that only moved keeps its layout.
        bool resized = child->m_frameView->frame().size != box.size;
        child->m_frameView->setFrame(box);
        child->m_frameView->clipView()->setFrame(Rect(0, 0, box.width(), box.height()));
        if (resized)
            child->m_layout.invalidate();
    }
}

Rect WebFrame::boundingBox(const DOMNode& node)
{
    return layout().boundingBox(node);
}

} // namespace brevanton
