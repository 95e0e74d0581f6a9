// The delegate interfaces of the web view. Every operation has a default, so
// a delegate implements only what it needs. Delegates are not owned: whoever
// sets one clears it before it goes away.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "platform/views/Event.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMNode;
class DOMRange;
class WebDataSource;
class WebFrame;
class WebView;

// Load events of frames. For one load of a frame: start of the provisional
// load, then either a provisional failure, or the commit (the document
// exists), the title, and at last a finish or a (later) failure. A frame
// finishes after its subresources and its child frames.
class WebFrameLoadDelegate {
public:
    virtual ~WebFrameLoadDelegate() = default;
    virtual void didStartProvisionalLoadForFrame(WebView&, WebFrame&) {}
    virtual void didFailProvisionalLoadWithError(WebView&, const Error&, WebFrame&) {}
    virtual void didCommitLoadForFrame(WebView&, WebFrame&) {}
    virtual void didReceiveTitle(WebView&, const std::u16string&, WebFrame&) {}
    virtual void didFinishLoadForFrame(WebView&, WebFrame&) {}
    virtual void didFailLoadWithError(WebView&, const Error&, WebFrame&) {}
};

// An identifier the resource-load delegate gives to a resource load; it comes
// back with every later event of that load.
using WebResourceIdentifier = std::shared_ptr<void>;

// Events of every resource load, the main resource of each frame included.
class WebResourceLoadDelegate {
public:
    virtual ~WebResourceLoadDelegate() = default;
    virtual WebResourceIdentifier identifierForInitialRequest(WebView&, const URLRequest&, WebDataSource&)
    {
        return std::make_shared<int>(0);
    }
    // The request to load in place of `request` (null cancels the load).
    virtual std::optional<URLRequest> willSendRequest(WebView&, const WebResourceIdentifier&, const URLRequest& request,
                                                      const URLResponse* /*redirectResponse*/, WebDataSource&)
    {
        return request;
    }
    virtual void didReceiveResponse(WebView&, const WebResourceIdentifier&, const URLResponse&, WebDataSource&) {}
    virtual void didFinishLoadingFromDataSource(WebView&, const WebResourceIdentifier&, WebDataSource&) {}
    virtual void didFailLoadingWithError(WebView&, const WebResourceIdentifier&, const Error&, WebDataSource&) {}
};

enum WebNavigationType : int {
    WebNavigationTypeLinkClicked = 0,
    WebNavigationTypeFormSubmitted = 1,
    WebNavigationTypeBackForward = 2,
    WebNavigationTypeReload = 3,
    WebNavigationTypeFormResubmitted = 4,
    WebNavigationTypeOther = 5,
};

struct WebNavigationAction {
    WebNavigationType navigationType { WebNavigationTypeOther };
    // The element that was clicked (a link or something inside one), or null.
    std::shared_ptr<DOMNode> elementNode;
    ModifierFlags modifierFlags { 0 };
    std::optional<URL> originalURL;
};

// Answers a policy question; the question must be answered before the
// delegate call returns (an unanswered question counts as "use").
class WebPolicyDecisionListener {
public:
    enum class Decision { Undecided, Use, Ignore, Download };
    void use() { m_decision = Decision::Use; }
    void ignore() { m_decision = Decision::Ignore; }
    void download() { m_decision = Decision::Download; }
    Decision decision() const { return m_decision; }

private:
    Decision m_decision { Decision::Undecided };
};

class WebPolicyDelegate {
public:
    virtual ~WebPolicyDelegate() = default;
    virtual void decidePolicyForNavigationAction(WebView&, const WebNavigationAction&, const URLRequest&, WebFrame&,
                                                 WebPolicyDecisionListener& listener)
    {
        listener.use();
    }
};

enum WebSelectionAffinity : int { WebSelectionAffinityUpstream = 0, WebSelectionAffinityDownstream = 1 };

enum WebViewInsertAction : int { WebViewInsertActionTyped = 0, WebViewInsertActionPasted = 1, WebViewInsertActionDropped = 2 };

// Editing: the web view asks before any selection change and proposes typed
// text, but never changes the document itself.
class WebEditingDelegate {
public:
    virtual ~WebEditingDelegate() = default;
    virtual bool shouldChangeSelectedDOMRange(WebView&, DOMRange* /*currentRange*/, DOMRange* /*proposedRange*/,
                                              WebSelectionAffinity, bool /*stillSelecting*/)
    {
        return true;
    }
    virtual void webViewDidChangeSelection(WebView&) {}
    virtual bool shouldInsertText(WebView&, const std::u16string&, DOMRange*, WebViewInsertAction) { return true; }
    // The document of a frame changed (WebView::postDidChange).
    virtual void webViewDidChange(WebView&) {}
    // A command ("moveLeft:", "insertNewline:", ...); true when the delegate performed it.
    virtual bool doCommandBySelector(WebView&, std::string_view) { return false; }
};

} // namespace brevanton
