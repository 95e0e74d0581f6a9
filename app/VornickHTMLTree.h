// VornickHTMLTree: an HTML document that is not on screen. It loads a file,
// a URL request or a string into a web view inside a window that is never
// shown, waits for the load (synchronously, or with a completion block) and
// hands out the document; it can write the document back to a file. The
// pasteboard inspector reads copied HTML through one.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLRequest.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace brevanton {

class DOMCSSComputedStyle;
class DOMDocument;
class DOMElement;
class WebView;
class Window;

// The id of the element whose contents a template page offers for a post.
inline constexpr const char16_t* VornickAttachPointElementId = u"brevanton-attach-point";

class VornickHTMLTree : public std::enable_shared_from_this<VornickHTMLTree> {
public:
    using CompletionBlock = std::function<void(const std::shared_ptr<WebView>&, const std::optional<Error>&)>;

    // The longest the synchronous initializers wait for a load, in seconds.
    static double loadTimeout();
    static void setLoadTimeout(double seconds);

    // Loads the file URL and waits; null with the error when loading failed or took too long.
    [[nodiscard]] static std::shared_ptr<VornickHTMLTree> createWithContentsOfURL(const URL&, Error* outError,
                                                                    bool ignoreSubframeErrors);
    // Loads the string with the base URL and waits.
    [[nodiscard]] static std::shared_ptr<VornickHTMLTree> createWithHTMLString(const std::u16string& html,
                                                                 const std::optional<URL>& baseURL, Error* outError);
    static std::shared_ptr<VornickHTMLTree> create();
    ~VornickHTMLTree();

    // Start a load and return at once; the block is called once when it ends.
    void loadURL(const URL&, bool ignoreSubframeErrors, CompletionBlock);
    void loadURLRequest(const URLRequest&, bool ignoreSubframeErrors, CompletionBlock);

    // Decides every load of the page (the page itself, its subresources and
    // frames) before anything is requested or read: the request to load
    // instead, or null to refuse it. Unset, everything loads as asked.
    // JavaScript never runs in the tree's pages.
    using ResourceLoadPolicy = std::function<std::optional<URLRequest>(const URLRequest&)>;
    void setResourceLoadPolicy(ResourceLoadPolicy policy) { m_resourceLoadPolicy = std::move(policy); }
    // The addresses (as answered, after redirects) of the last load's
    // resources that came back successfully: a 2xx status over HTTP, any
    // answer from a file or data URL.
    const std::set<std::u16string>& successfullyLoadedURLStrings() const { return m_successfullyLoadedURLStrings; }

    const std::optional<URL>& url() const { return m_htmlFileURL; }
    const std::shared_ptr<WebView>& webView() const { return m_webView; }
    const std::shared_ptr<Window>& window() const { return m_window; }
    bool loadAttemptEnded() const { return m_loadAttemptEnded; }
    bool loadAttemptSucceeded() const { return m_loadAttemptSucceeded; }
    const std::optional<Error>& loadError() const { return m_loadError; }

    std::shared_ptr<DOMDocument> document() const;
    std::shared_ptr<DOMDocument> rootNode() const { return document(); }
    std::shared_ptr<DOMElement> bodyElement() const;
    // The element with the id "brevanton-attach-point", else the body.
    std::shared_ptr<DOMElement> attachmentPointElement() const;
    // Its inner HTML; null when it has no content.
    std::optional<std::u16string> htmlStringForAttachmentPointContents() const;
    // The snippet set file beside the first linked local style sheet that has
    // one ("site.css" -> "site.brevantonsnippets"); remembered once the load has ended.
    std::optional<URL> fragmentSetURL();
    // Writes the document (its doctype in full, every top-level node) in the
    // document's encoding, or UTF-8 when that is unknown.
    [[nodiscard]] bool writeToURL(const URL&, Error* outError) const;
    std::shared_ptr<DOMCSSComputedStyle> computedStyleForElement(const DOMElement&, std::u16string_view pseudoElement) const;

private:
    class LoadDelegate;
    class ResourceDelegate;
    VornickHTMLTree();
    void startLoading();
    [[nodiscard]] bool waitForLoad(Error* outError);
    void endAttempt(std::optional<Error>);
    void releaseWebView();

    std::shared_ptr<WebView> m_webView;
    std::shared_ptr<Window> m_window;
    std::unique_ptr<LoadDelegate> m_loadDelegate;
    std::unique_ptr<ResourceDelegate> m_resourceDelegate;
    ResourceLoadPolicy m_resourceLoadPolicy;
    std::set<std::u16string> m_successfullyLoadedURLStrings;
    std::optional<URLRequest> m_urlRequest;
    std::optional<URL> m_htmlFileURL;
    std::optional<std::u16string> m_htmlString;
    std::optional<URL> m_baseURL;
    bool m_ignoreSubframeErrors { false };
    bool m_loadAttemptEnded { false };
    bool m_loadAttemptSucceeded { false };
    std::optional<Error> m_loadError;
    bool m_computedFragmentSetURL { false };
    std::optional<URL> m_fragmentSetURL;
    CompletionBlock m_completionBlock;
};

} // namespace brevanton
