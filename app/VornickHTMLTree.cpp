#include "app/VornickHTMLTree.h"

#include "dom/VornickDocumentEncoding.h"
#include "toolkit/VornickErrors.h"
#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/net/URLError.h"
#include "platform/net/URLResponse.h"
#include "platform/views/Window.h"
#include "platform/web/WebStyleSheets.h"
#include "platform/web/WebView.h"


namespace brevanton {

namespace {

double loadTimeoutSeconds = 60;

// Converter names for the encodings a document may be written in.
const char* converterNameForEncoding(VornickStringEncoding encoding)
{
    switch (encoding) {
    case VornickASCIIStringEncoding:
        return "US-ASCII";
    case VornickJapaneseEUCStringEncoding:
        return "EUC-JP";
    case VornickUTF8StringEncoding:
        return "UTF-8";
    case VornickISOLatin1StringEncoding:
        return "ISO-8859-1";
    case VornickShiftJISStringEncoding:
        return "Shift_JIS";
    case VornickISOLatin2StringEncoding:
        return "ISO-8859-2";
    case VornickUTF16StringEncoding:
        return "UTF-16";
    case VornickWindowsCP1251StringEncoding:
        return "windows-1251";
    case VornickWindowsCP1252StringEncoding:
        return "windows-1252";
    case VornickWindowsCP1253StringEncoding:
        return "windows-1253";
    case VornickWindowsCP1254StringEncoding:
        return "windows-1254";
    case VornickWindowsCP1250StringEncoding:
        return "windows-1250";
    case VornickISO2022JPStringEncoding:
        return "ISO-2022-JP";
    case VornickMacOSRomanStringEncoding:
        return "macintosh";
    case VornickUTF16BigEndianStringEncoding:
        return "UTF-16BE";
    case VornickUTF16LittleEndianStringEncoding:
        return "UTF-16LE";
    case VornickUTF32StringEncoding:
        return "UTF-32";
    case VornickUTF32BigEndianStringEncoding:
        return "UTF-32BE";
    case VornickUTF32LittleEndianStringEncoding:
        return "UTF-32LE";
    default:
        return nullptr;
    }
}

// The text in the encoding; characters the encoding lacks become numeric
// character references, so nothing is lost. Null when no converter exists.
std::optional<std::string> encodeWithCharacterReferences(const std::u16string& text, const char* converterName)
{
    return encodeText(text, toUTF16(converterName), [](char32_t codePoint) {
        return toUTF16("&#" + std::to_string(static_cast<uint32_t>(codePoint)) + ";");
    }, nullptr);
}

std::u16string doctypeMarkup(const DOMDocumentType& doctype)
{
    std::u16string markup = u"<!DOCTYPE " + doctype.name();
    if (!doctype.publicId().empty()) {
        markup += u" PUBLIC \"" + doctype.publicId() + u"\"";
        if (!doctype.systemId().empty())
            markup += u" \"" + doctype.systemId() + u"\"";
    } else if (!doctype.systemId().empty())
        markup += u" SYSTEM \"" + doctype.systemId() + u"\"";
    return markup + u">";
}

} // namespace

class VornickHTMLTree::LoadDelegate : public WebFrameLoadDelegate {
public:
    explicit LoadDelegate(VornickHTMLTree& tree) : m_tree(tree) {}

    void didFinishLoadForFrame(WebView&, WebFrame& frame) override
    {
        // A child frame may finish before the main document has: only the main frame ends the wait.
        if (!frame.parentFrame())
            m_tree.endAttempt(std::nullopt);
    }
    void didFailProvisionalLoadWithError(WebView&, const Error& error, WebFrame& frame) override { failed(error, frame); }
    void didFailLoadWithError(WebView&, const Error& error, WebFrame& frame) override { failed(error, frame); }

private:
    void failed(const Error& error, WebFrame& frame)
    {
        if (frame.parentFrame() && m_tree.m_ignoreSubframeErrors)
            return;
        m_tree.endAttempt(error);
    }
    VornickHTMLTree& m_tree;
};

class VornickHTMLTree::ResourceDelegate : public WebResourceLoadDelegate {
public:
    explicit ResourceDelegate(VornickHTMLTree& tree) : m_tree(tree) {}

    std::optional<URLRequest> willSendRequest(WebView&, const WebResourceIdentifier&, const URLRequest& request,
                                              const URLResponse*, WebDataSource&) override
    {
        return m_tree.m_resourceLoadPolicy ? m_tree.m_resourceLoadPolicy(request) : std::optional<URLRequest>(request);
    }
    void didReceiveResponse(WebView&, const WebResourceIdentifier&, const URLResponse& response, WebDataSource&) override
    {
        auto* http = dynamic_cast<const HTTPURLResponse*>(&response);
        if (!http || (http->statusCode() >= 200 && http->statusCode() < 300))
            m_tree.m_successfullyLoadedURLStrings.insert(response.url().absoluteString());
    }

private:
    VornickHTMLTree& m_tree;
};

double VornickHTMLTree::loadTimeout()
{
    return loadTimeoutSeconds;
}

void VornickHTMLTree::setLoadTimeout(double seconds)
{
    loadTimeoutSeconds = seconds;
}

VornickHTMLTree::VornickHTMLTree() = default;

VornickHTMLTree::~VornickHTMLTree()
{
    releaseWebView();
}

std::shared_ptr<VornickHTMLTree> VornickHTMLTree::create()
{
    return std::shared_ptr<VornickHTMLTree>(new VornickHTMLTree());
}

std::shared_ptr<VornickHTMLTree> VornickHTMLTree::createWithContentsOfURL(const URL& url, Error* outError,
                                                                          bool ignoreSubframeErrors)
{
    auto tree = create();
    tree->m_htmlFileURL = url;
    tree->m_ignoreSubframeErrors = ignoreSubframeErrors;
    tree->startLoading();
    return tree->waitForLoad(outError) ? tree : nullptr;
}

std::shared_ptr<VornickHTMLTree> VornickHTMLTree::createWithHTMLString(const std::u16string& html,
                                                                       const std::optional<URL>& baseURL, Error* outError)
{
    auto tree = create();
    tree->m_htmlString = html;
    tree->m_baseURL = baseURL;
    tree->startLoading();
    return tree->waitForLoad(outError) ? tree : nullptr;
}

void VornickHTMLTree::loadURL(const URL& url, bool ignoreSubframeErrors, CompletionBlock block)
{
    m_completionBlock = std::move(block);
    m_urlRequest.reset();
    m_htmlString.reset();
    m_htmlFileURL = url;
    m_ignoreSubframeErrors = ignoreSubframeErrors;
    startLoading();
}

void VornickHTMLTree::loadURLRequest(const URLRequest& request, bool ignoreSubframeErrors, CompletionBlock block)
{
    m_completionBlock = std::move(block);
    m_htmlFileURL.reset();
    m_htmlString.reset();
    m_urlRequest = request;
    m_ignoreSubframeErrors = ignoreSubframeErrors;
    startLoading();
}

void VornickHTMLTree::releaseWebView()
{
    if (m_webView) {
        m_webView->setFrameLoadDelegate(nullptr);
        m_webView->stopLoading();
        m_webView->setResourceLoadDelegate(nullptr);
    }
    m_webView.reset();
    if (m_window)
        m_window->setContentView(nullptr);
    m_window.reset();
}

void VornickHTMLTree::startLoading()
{
    m_loadAttemptEnded = false;
    m_loadAttemptSucceeded = false;
    m_loadError.reset();
    // The snippet set belongs to the page being replaced.
    m_computedFragmentSetURL = false;
    m_fragmentSetURL.reset();
    releaseWebView();

    Rect rect(0, 0, 1024, 1024);
    m_webView = WebView::create(rect);
    m_window = Window::create(rect);
    m_window->setContentView(m_webView);
    if (!m_loadDelegate)
        m_loadDelegate = std::make_unique<LoadDelegate>(*this);
    m_webView->setFrameLoadDelegate(m_loadDelegate.get());
    if (!m_resourceDelegate)
        m_resourceDelegate = std::make_unique<ResourceDelegate>(*this);
    m_webView->setResourceLoadDelegate(m_resourceDelegate.get());
    m_webView->preferences().javaScriptEnabled = false;
    m_successfullyLoadedURLStrings.clear();

    if (m_urlRequest)
        m_webView->mainFrame()->loadRequest(*m_urlRequest);
    else if (!m_htmlString && m_htmlFileURL)
        m_webView->setMainFrameURL(m_htmlFileURL->absoluteString());
    else
        m_webView->mainFrame()->loadHTMLString(m_htmlString.value_or(u""), m_baseURL);
}

bool VornickHTMLTree::waitForLoad(Error* outError)
{
    // A load that stalls ends with a timeout instead of holding the main thread forever.
    bool ended = RunLoop::main().runUntil([this] { return m_loadAttemptEnded; }, loadTimeoutSeconds);
    if (!ended) {
        URL failingURL = m_htmlFileURL ? *m_htmlFileURL : m_urlRequest ? m_urlRequest->url() : *URL::create(u"about:blank");
        Error error(URLErrorDomain, URLErrorTimedOut, u"The page took too long to load.");
        error.userInfo()[Error::URLKey] = Value(failingURL.absoluteString());
        m_webView->setFrameLoadDelegate(nullptr);
        m_webView->stopLoading();
        endAttempt(error);
    }
    if (!m_loadAttemptSucceeded && m_loadError)
        setError(outError, *m_loadError);
    return m_loadAttemptSucceeded;
}

void VornickHTMLTree::endAttempt(std::optional<Error> error)
{
    if (m_loadAttemptEnded)
        return;
    m_loadAttemptEnded = true;
    m_loadAttemptSucceeded = !error;
    m_loadError = error;
    if (auto block = std::move(m_completionBlock)) {
        m_completionBlock = nullptr;
        // The block may release the tree, and with it the member.
        auto webView = m_webView;
        block(webView, error);
    }
}

std::shared_ptr<DOMDocument> VornickHTMLTree::document() const
{
    return m_webView ? m_webView->mainFrameDocument() : nullptr;
}

std::shared_ptr<DOMElement> VornickHTMLTree::bodyElement() const
{
    auto document = this->document();
    return document ? document->body() : nullptr;
}

std::shared_ptr<DOMElement> VornickHTMLTree::attachmentPointElement() const
{
    auto document = this->document();
    if (!document)
        return nullptr;
    if (auto element = document->getElementById(VornickAttachPointElementId))
        return element;
    return document->body();
}

std::optional<std::u16string> VornickHTMLTree::htmlStringForAttachmentPointContents() const
{
    auto element = attachmentPointElement();
    if (!element || !element->hasChildNodes())
        return std::nullopt;
    return element->innerHTML();
}

std::optional<URL> VornickHTMLTree::fragmentSetURL()
{
    if (m_computedFragmentSetURL)
        return m_fragmentSetURL;
    // Asked while the page is still loading, the answer is only provisional:
    // its style sheets may not all be there yet.
    m_computedFragmentSetURL = m_loadAttemptEnded;
    if (!m_webView)
        return std::nullopt;
    for (auto& sheet : webStyleSheets(*m_webView->mainFrame())) {
        if (!sheet->href() || sheet->href()->empty())
            continue;
        auto url = URL::create(*sheet->href());
        if (!url || !url->isFileURL())
            continue;
        auto candidate = url->URLByDeletingPathExtension().URLByAppendingPathExtension(u"brevantonsnippets");
        auto path = candidate.fileSystemPath();
        if (path && fileExists(*path)) {
            m_fragmentSetURL = candidate;
            break;
        }
    }
    return m_fragmentSetURL;
}

bool VornickHTMLTree::writeToURL(const URL& url, Error* outError) const
{
    auto document = this->document();
    auto root = document ? document->documentElement() : nullptr;
    if (!root)
        return setError(outError, Error(VornickErrorDomain, 2, u"The document has no content to write."));
    // Every top-level node in order: the doctype in full, comments before and after the root.
    std::u16string markup;
    for (DOMNode* node = document->first(); node; node = node->next()) {
        if (node->nodeType() == DOMNode::DOCUMENT_TYPE_NODE)
            markup += doctypeMarkup(downcast<DOMDocumentType>(*node));
        else
            serializeNodeAsHTML(*node, markup);
        markup += u"\n";
    }
    const char* converter = converterNameForEncoding(vornick_stringEncoding(*document));
    std::optional<std::string> bytes = converter ? encodeWithCharacterReferences(markup, converter) : std::nullopt;
    if (!bytes)
        bytes = toUTF8(markup);
    // UTF-16 cannot be read back without its byte-order mark; a UTF-8 file keeps the one it had.
    std::string_view encoding = converter && bytes ? converter : "UTF-8";
    if (encoding == "UTF-16LE")
        bytes->insert(0, "\xFF\xFE");
    else if (encoding == "UTF-16BE")
        bytes->insert(0, "\xFE\xFF");
    else if (encoding == "UTF-8" && document->hasByteOrderMark())
        bytes->insert(0, "\xEF\xBB\xBF");
    auto path = url.fileSystemPath();
    if (!path)
        return setError(outError, Error(URLErrorDomain, URLErrorUnsupportedURL, u"Only files can be written."));
    return writeFileAtomically(*path, *bytes, outError);
}

std::shared_ptr<DOMCSSComputedStyle> VornickHTMLTree::computedStyleForElement(const DOMElement& element,
                                                                              std::u16string_view) const
{
    return getComputedStyle(element);
}

} // namespace brevanton
