// WebFrame: one frame of a web view: the main frame or a frame made for an
// IFRAME or FRAME element. A frame loads one document at a time; it owns its
// child frames, its data sources, its views and its layout.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/net/URLRequest.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebDelegates.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebLayout.h"

#include <functional>
#include <memory>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class URLSessionTask;
class WebView;

class WebFrame : public std::enable_shared_from_this<WebFrame> {
public:
    static std::shared_ptr<WebFrame> create(WebView*, std::u16string name, const std::shared_ptr<WebFrame>& parent,
                                            std::shared_ptr<DOMElement> frameElement);
    ~WebFrame();

    const std::u16string& name() const { return m_name; }
    // Null once the web view has gone away.
    WebView* webView() const { return m_webView; }
    std::shared_ptr<WebFrame> parentFrame() const { return m_parent.lock(); }
    const std::vector<std::shared_ptr<WebFrame>>& childFrames() const { return m_children; }
    // The IFRAME or FRAME element of the parent document that holds this frame.
    std::shared_ptr<DOMElement> frameElement() const { return m_frameElement.lock(); }
    // This frame or a descendant with the name.
    std::shared_ptr<WebFrame> findFrameNamed(std::u16string_view name);
    // The frame (this one or a descendant) showing `document`.
    std::shared_ptr<WebFrame> frameForDocument(const DOMDocument&);

    const std::shared_ptr<DOMDocument>& domDocument() const { return m_document; }
    // A character the page's text shows as a space (0 for none): what an
    // editor puts in place of U+00A0 in the text it edits, which U+00A0
    // itself is shown as. It holds for the document it was set for only;
    // like an associated value it may be set through a const frame.
    char16_t characterShownAsSpace() const { return m_characterShownAsSpace; }
    // The pixel size of an IMG's picture as loaded; nullopt when it was not
    // (or could not be) read, and for other elements.
    std::optional<Size> imagePixelSize(const DOMElement&) const;
    void setCharacterShownAsSpace(char16_t) const;
    const std::shared_ptr<WebDataSource>& dataSource() const { return m_dataSource; }
    const std::shared_ptr<WebDataSource>& provisionalDataSource() const { return m_provisionalDataSource; }
    const std::shared_ptr<WebFrameView>& frameView() const { return m_frameView; }

    // Loading starts at once and continues on the main run loop.
    void loadRequest(const URLRequest&);
    // The document's URL is the base URL; without one it is a URL of WebStringDocumentScheme.
    void loadHTMLString(const std::u16string& html, const std::optional<URL>& baseURL);
    // Stops this frame's load and those of its children; a load in progress ends with a cancellation failure.
    void stopLoading();
    bool isLoading() const { return m_state == State::Provisional || m_state == State::Committed; }

    // Loads a subresource again (a style sheet or image whose file changed);
    // the resource-load delegate hears of it as of any load.
    void reloadSubresource(const URL&);
    // Loads what LINK, IMG and STYLE elements added or changed since the last
    // look refer to. Layout calls it.
    void loadNewSubresourcesIfNeeded();

    // Layout of the frame's document (done when needed).
    WebLayout& layout();
    // Forgets the layout (after a style change the document does not show, such as the user sheet).
    void invalidateLayout() { m_layout.invalidate(); }
    // The node's box in this frame's document view.
    Rect boundingBox(const DOMNode&);
    // The frame's base URL for references: the first BASE element's href, else the document URL.
    std::optional<URL> baseURL() const;

private:
    friend class WebView;
    void detachFromWebView();
    enum class State { Idle, Provisional, Committed, Finished, Failed };
    using FetchCompletion = std::function<void(Data, std::shared_ptr<URLResponse>, Error)>;

    WebFrame(WebView*, std::u16string name, std::shared_ptr<DOMElement> frameElement);
    void beginLoad(URLRequest, std::optional<std::u16string> html);
    void startProvisionalLoad(URLRequest request, std::optional<std::u16string> html, uint64_t generation);
    void mainResourceArrived(WebResourceIdentifier, Data, std::shared_ptr<URLResponse>, Error);
    void commit(Data, std::shared_ptr<URLResponse>);
    // Scans the whole document, or only the subtrees of `roots`.
    void startSubresourceLoads(bool includeFrames, const std::vector<std::shared_ptr<DOMNode>>* roots = nullptr);
    void loadSubresource(const URL&, bool isStyleSheet);
    void loadChildFrame(const std::shared_ptr<DOMElement>&);
    void childFrameEnded();
    void checkCompleted();
    void failProvisionalLoad(const Error&);
    void fetch(const URLRequest&, FetchCompletion);
    void detachChildren();
    void updateChildFrameViews();
    // Sizes the document view to the new layout and marks for display only
    // what the layout pass changed (all of it after a whole layout).
    void showLayoutChanges();
    std::vector<URL> importedStyleSheetURLs(std::u16string_view css, const URL* base) const;

    WebView* m_webView;
    std::u16string m_name;
    std::weak_ptr<WebFrame> m_parent;
    std::weak_ptr<DOMElement> m_frameElement;
    std::vector<std::shared_ptr<WebFrame>> m_children;
    std::shared_ptr<DOMDocument> m_document;
    mutable char16_t m_characterShownAsSpace { 0 };
    std::shared_ptr<WebDataSource> m_dataSource;
    std::shared_ptr<WebDataSource> m_provisionalDataSource;
    std::shared_ptr<WebFrameView> m_frameView;
    WebLayout m_layout;
    uint64_t m_childViewsVersion { ~0ull };
    uint64_t m_scannedDocumentVersion { ~0ull };
    uint64_t m_scannedCharacterDataVersion { 0 };

    State m_state { State::Idle };
    uint64_t m_generation { 0 };
    unsigned m_pendingResources { 0 };
    unsigned m_pendingChildFrames { 0 };
    std::set<std::u16string> m_requestedURLs;
    // The URL each style sheet request was answered from (the delegate may change requests).
    std::map<std::u16string, URL> m_styleSheetResponseURLs;
    std::vector<std::shared_ptr<URLSessionTask>> m_tasks;
    // The document its host read, which the last fetch took for the main resource.
    std::shared_ptr<LoadedDocument> m_loadedDocument;
    // Resource loads the resource-load delegate was told about and that have not ended yet.
    std::vector<std::pair<WebResourceIdentifier, std::shared_ptr<WebDataSource>>> m_outstandingResources;
    void resourceEnded(const WebResourceIdentifier&);
    void cancelOutstandingResources(const Error&);
};

} // namespace brevanton
