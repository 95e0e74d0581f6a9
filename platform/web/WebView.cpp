#include "platform/web/WebView.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLSession.h"

namespace brevanton {

namespace {

bool isFrameElement(const DOMNode& node)
{
    if (!node.isElementNode())
        return false;
    auto& element = downcast<DOMElement>(node);
    return element.hasTagName(u"iframe") || element.hasTagName(u"frame");
}

std::shared_ptr<DOMRange> collapsedRange(DOMNode& node, unsigned offset)
{
    auto* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    if (!document)
        return nullptr;
    auto range = DOMRange::create(*document);
    range->setStart(node.shared_from_this(), offset);
    range->collapse(true);
    return range;
}

bool sameRange(const DOMRange* a, const DOMRange* b)
{
    if (!a || !b)
        return a == b;
    return a->startNode() == b->startNode() && a->startOffset() == b->startOffset() && a->endNode() == b->endNode()
        && a->endOffset() == b->endOffset();
}

} // namespace

bool WebView::isWordCharacter(char16_t c)
{
    return !(c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xA0 || c == '.' || c == ',' || c == ';'
             || c == ':' || c == '!' || c == '?' || c == '(' || c == ')' || c == '"');
}

static std::vector<std::weak_ptr<WebView>>& liveWebViews()
{
    static std::vector<std::weak_ptr<WebView>> views;
    return views;
}

std::vector<std::shared_ptr<WebView>> WebView::allLiveWebViews()
{
    std::vector<std::shared_ptr<WebView>> alive;
    for (auto& weakView : liveWebViews()) {
        if (auto view = weakView.lock())
            alive.push_back(std::move(view));
    }
    return alive;
}

std::shared_ptr<WebView> WebView::webViewForDocument(const DOMDocument& document)
{
    auto& views = liveWebViews();
    std::erase_if(views, [](auto& view) { return view.expired(); });
    for (auto& weakView : views) {
        auto view = weakView.lock();
        if (view && view->m_mainFrame && view->m_mainFrame->frameForDocument(document))
            return view;
    }
    return nullptr;
}

std::shared_ptr<WebView> WebView::create(Rect frame)
{
    auto view = std::make_shared<WebView>(frame);
    finishCreation(view);
    return view;
}

void WebView::finishCreation(const std::shared_ptr<WebView>& view)
{
    liveWebViews().push_back(view);
    view->m_mainFrame = WebFrame::create(view.get(), {}, nullptr, nullptr);
    auto& frameView = view->m_mainFrame->frameView();
    frameView->setHasVerticalScroller(true);
    frameView->setOverlaysScrollers(true);
    frameView->setHasHorizontalScroller(true);
    view->addSubview(frameView);
    view->installSpellingActions();
    // The moves answer as the responder's actions too.
    std::weak_ptr<WebView> weakView = view;
    for (auto& selector : moveSelectorNames()) {
        view->setActionHandler(selector, [weakView, selector](ActionSender*) {
            if (auto webView = weakView.lock())
                webView->doCommandBySelector(selector);
        });
    }
}

WebView::WebView(Rect frame)
    : View(frame)
{
}

WebView::~WebView()
{
    m_frameLoadDelegate = nullptr;
    m_resourceLoadDelegate = nullptr;
    m_policyDelegate = nullptr;
    m_editingDelegate = nullptr;
    if (m_mainFrame) {
        m_mainFrame->stopLoading();
        m_mainFrame->detachFromWebView();
    }
}

std::shared_ptr<DOMDocument> WebView::mainFrameDocument() const
{
    return m_mainFrame ? m_mainFrame->domDocument() : nullptr;
}

std::u16string WebView::mainFrameURL() const
{
    if (auto& provisional = m_mainFrame->provisionalDataSource())
        return provisional->request().url().absoluteString();
    if (auto& source = m_mainFrame->dataSource())
        return source->request().url().absoluteString();
    return {};
}

void WebView::setMainFrameURL(const std::u16string& string)
{
    auto url = URL::create(string);
    if (!url || url->scheme().empty())
        url = URL::fileURLWithPath(std::u16string_view(string), false);
    m_mainFrame->loadRequest(URLRequest(*url));
}

bool WebView::isLoading() const
{
    return m_mainFrame && m_mainFrame->isLoading();
}

void WebView::stopLoading()
{
    m_mainFrame->stopLoading();
}

std::shared_ptr<URLSession> WebView::urlSession() const
{
    return m_session ? m_session : URLSession::shared();
}

static void invalidateLayouts(WebFrame& frame)
{
    frame.invalidateLayout();
    for (auto& child : frame.childFrames())
        invalidateLayouts(*child);
}

bool WebView::applyUserStyleSheet(Error* outError)
{
    invalidateLayouts(*m_mainFrame);
    if (!m_preferences.userStyleSheetEnabled || !m_preferences.userStyleSheetLocation) {
        CSSStyleResolver::setUserStyleSheet(u"");
        return true;
    }
    auto& url = *m_preferences.userStyleSheetLocation;
    auto path = url.fileSystemPath();
    if (!path)
        return setError(outError, Error(URLErrorDomain, URLErrorUnsupportedURL, u"The user style sheet is not a file."));
    auto text = readFile(*path, outError, FileReadKind::StyleSheet);
    if (!text)
        return false;
    CSSStyleResolver::setUserStyleSheet(toUTF16(*text), url.absoluteString());
    return true;
}

void WebView::setSelectedDOMRange(const std::shared_ptr<DOMRange>& range, WebSelectionAffinity affinity)
{
    proposeSelectedDOMRange(range, affinity, false);
}

bool WebView::proposeSelectedDOMRange(const std::shared_ptr<DOMRange>& range, WebSelectionAffinity affinity,
                                      bool stillSelecting)
{
    if (m_editingDelegate
        && !m_editingDelegate->shouldChangeSelectedDOMRange(*this, m_selection.get(), range.get(), affinity, stillSelecting))
        return false;
    setSelectionWithoutAsking(range, affinity);
    return true;
}

void WebView::setSelectionWithoutAsking(const std::shared_ptr<DOMRange>& range, WebSelectionAffinity affinity)
{
    bool changed = !sameRange(m_selection.get(), range.get());
    m_selection = range ? range->cloneRange() : nullptr;
    m_affinity = affinity;
    if (changed)
        redisplaySelection();
    if (changed && m_editingDelegate)
        m_editingDelegate->webViewDidChangeSelection(*this);
}

void WebView::setTextSizeMultiplier(double multiplier)
{
    if (multiplier > 0)
        m_textSizeMultiplier = multiplier;
}

static constexpr double textSizeStep = 1.2;
static constexpr double minimumTextSizeMultiplier = 0.5;
static constexpr double maximumTextSizeMultiplier = 3;

bool WebView::canMakeTextLarger() const
{
    return m_textSizeMultiplier * textSizeStep <= maximumTextSizeMultiplier;
}

bool WebView::canMakeTextSmaller() const
{
    return m_textSizeMultiplier / textSizeStep >= minimumTextSizeMultiplier;
}

void WebView::makeTextLarger()
{
    if (canMakeTextLarger())
        setTextSizeMultiplier(m_textSizeMultiplier * textSizeStep);
}

void WebView::makeTextSmaller()
{
    if (canMakeTextSmaller())
        setTextSizeMultiplier(m_textSizeMultiplier / textSizeStep);
}

void WebView::moveDragCaretToPoint(Point point)
{
    m_dragCaret = caretRangeAtPoint(point);
}

void WebView::layoutFrame(WebFrame& frame)
{
    frame.layout();
    for (auto& child : frame.childFrames())
        layoutFrame(*child);
}

void WebView::layoutIfNeeded()
{
    layoutFrame(*m_mainFrame);
}

void WebView::resizeSubviewsWithOldSize(Size)
{
    if (!m_mainFrame)
        return;
    m_mainFrame->frameView()->setFrame(Rect(0, 0, bounds().width(), bounds().height()));
}

std::shared_ptr<WebFrame> WebView::frameForNode(const DOMNode& node) const
{
    auto* document = node.isDocumentNode() ? downcast<DOMDocument>(&node) : node.document();
    return document ? m_mainFrame->frameForDocument(*document) : nullptr;
}

Rect WebView::boundingBox(const DOMNode& node)
{
    auto frame = frameForNode(node);
    if (!frame)
        return {};
    layoutIfNeeded();
    return frame->layout().boundingBox(node);
}

bool WebView::scrollNodeIntoViewIfNeeded(const DOMNode& node)
{
    auto frame = frameForNode(node);
    if (!frame)
        return false;
    layoutIfNeeded();
    bool scrolled = false;
    Rect box = frame->layout().boundingBox(node);
    const DOMNode* shown = &node;
    while (frame && shown) {
        if (auto& documentView = frame->frameView()->documentView())
            scrolled = documentView->scrollRectToVisible(box) || scrolled;
        auto element = frame->frameElement();
        frame = frame->parentFrame();
        shown = element.get();
        if (frame && element)
            box = frame->layout().boundingBox(*element);
    }
    return scrolled;
}

std::vector<Rect> WebView::lineBoxRects(const DOMNode& node)
{
    auto frame = frameForNode(node);
    if (!frame)
        return {};
    layoutIfNeeded();
    return frame->layout().lineBoxRects(node);
}

std::optional<WebElementDictionary> WebView::elementAtPoint(Point point)
{
    layoutIfNeeded();
    auto& documentView = m_mainFrame->frameView()->documentView();
    return elementAtPointInFrame(*m_mainFrame, documentView->convertPointFromView(point, this));
}

std::optional<WebElementDictionary> WebView::elementAtPointInFrame(WebFrame& frame, Point point)
{
    auto& document = frame.domDocument();
    if (!document)
        return std::nullopt;
    auto* node = frame.layout().nodeAtPoint(*document, point);
    if (!node)
        return std::nullopt;
    if (isFrameElement(*node)) {
        for (auto& child : frame.childFrames()) {
            if (child->frameElement().get() == node && child->domDocument()) {
                Point inChild = child->frameView()->documentView()->convertPointFromView(
                    point, frame.frameView()->documentView().get());
                if (auto result = elementAtPointInFrame(*child, inChild))
                    return result;
            }
        }
    }
    WebElementDictionary result;
    result.domNode = node->shared_from_this();
    result.webFrame = frame.shared_from_this();
    auto base = frame.baseURL();
    for (DOMNode* ancestor = node; ancestor; ancestor = ancestor->parent()) {
        if (auto* link = dynamicDowncast<DOMElement>(ancestor); link && link->hasTagName(u"a")) {
            if (link->hasAttribute(u"href"))
                result.linkURL = URL::create(link->getAttribute(u"href"), base ? &*base : nullptr);
            break;
        }
    }
    if (auto* image = dynamicDowncast<DOMElement>(node); image && image->hasTagName(u"img"))
        result.imageURL = URL::create(image->getAttribute(u"src"), base ? &*base : nullptr);
    if (m_selection && m_selection->startNode()->document() == document.get())
        result.isSelected = !m_selection->collapsed() && m_selection->intersectsNode(*node);
    return result;
}

std::shared_ptr<DOMRange> WebView::caretRangeAtPoint(Point point)
{
    auto hit = elementAtPoint(point);
    if (!hit)
        return nullptr;
    auto& frame = *hit->webFrame;
    Point inFrame = frame.frameView()->documentView()->convertPointFromView(point, this);
    auto& layout = frame.layout();
    DOMNode* node = hit->domNode.get();
    if (node->isTextNode())
        return collapsedRange(*node, layout.offsetForPoint(*node, inFrame));
    if (node->isElementNode() && webIsReplacedElement(downcast<DOMElement>(*node)) && node->parent()) {
        Rect box = layout.boundingBox(*node);
        return collapsedRange(*node->parent(), node->index() + (inFrame.x >= box.midX() ? 1 : 0));
    }
    // The text line nearest the point within the element.
    DOMNode* best = nullptr;
    double bestDistance = 0;
    for (DOMNode* text = node->first() ? node->traverseNext(node) : nullptr; text; text = text->traverseNext(node)) {
        if (!text->isTextNode())
            continue;
        if (auto* lines = layout.lineBoxes(*text)) {
            for (auto& line : *lines) {
                double vertical = inFrame.y < line.rect.minY() ? line.rect.minY() - inFrame.y
                    : inFrame.y >= line.rect.maxY()            ? inFrame.y - line.rect.maxY() + 1
                                                               : 0;
                double horizontal = inFrame.x < line.rect.minX() ? line.rect.minX() - inFrame.x
                    : inFrame.x > line.rect.maxX()               ? inFrame.x - line.rect.maxX()
                                                                 : 0;
                // Lines nearer vertically win; on one line, the nearer part.
                double distance = vertical * 1e6 + horizontal;
                if (!best || distance < bestDistance) {
                    best = text;
                    bestDistance = distance;
                }
            }
        }
    }
    if (best) {
        auto lines = layout.lineBoxRects(*best);
        Point clamped = inFrame;
        for (auto& line : lines) {
            if (inFrame.y < line.maxY()) {
                clamped.y = std::max(inFrame.y, line.minY());
                break;
            }
            clamped.y = line.minY();
        }
        return collapsedRange(*best, layout.offsetForPoint(*best, clamped));
    }
    return collapsedRange(*node, 0);
}

Rect WebView::firstRectForDOMRange(const DOMRange& range)
{
    auto frame = frameForNode(*range.startNode());
    if (!frame)
        return {};
    layoutIfNeeded();
    auto& layout = frame->layout();
    Rect start = layout.caretRect(*range.startNode(), range.startOffset());
    if (start.isEmpty())
        return {};
    Rect rect = start;
    if (!range.collapsed()) {
        Rect end = range.endNode() == range.startNode() ? layout.caretRect(*range.endNode(), range.endOffset()) : Rect();
        double right = start.maxX();
        if (!end.isEmpty() && end.minY() == start.minY())
            right = end.minX();
        else if (auto* lines = layout.lineBoxes(*range.startNode())) {
            for (auto& line : *lines) {
                if (line.rect.minY() == start.minY())
                    right = line.rect.maxX();
            }
        }
        rect = Rect(start.minX(), start.minY(), std::max(1.0, right - start.minX()), start.height());
    }
    return convertRectFromView(rect, frame->frameView()->documentView().get());
}

static std::shared_ptr<DOMRange> expandedRange(const std::shared_ptr<DOMRange>& caret, int clickCount)
{
    if (!caret || clickCount < 2)
        return caret;
    DOMNode* node = caret->startNode();
    if (clickCount == 2) {
        if (!node->isTextNode())
            return caret;
        auto& data = downcast<DOMCharacterData>(*node).data();
        unsigned start = caret->startOffset();
        unsigned end = start;
        while (start > 0 && WebView::isWordCharacter(data[start - 1]))
            --start;
        while (end < data.size() && WebView::isWordCharacter(data[end]))
            ++end;
        // A click on white space selects that run of white space.
        if (start == end) {
            while (start > 0 && !WebView::isWordCharacter(data[start - 1]))
                --start;
            while (end < data.size() && !WebView::isWordCharacter(data[end]))
                ++end;
        }
        auto range = caret->cloneRange();
        range->setStart(node->shared_from_this(), start);
        range->setEnd(node->shared_from_this(), end);
        return range;
    }
    // Three clicks: the contents of the enclosing block.
    DOMNode* block = node->isElementNode() ? node : node->parent();
    while (block && block->parent() && block->isElementNode()) {
        auto display = CSSStyleResolver::computedValuesFor(downcast<DOMElement>(*block))->identifier(CSSPropertyID::Display);
        if (display != u"inline" && !display.empty())
            break;
        block = block->parent();
    }
    if (!block)
        return caret;
    auto range = caret->cloneRange();
    range->selectNodeContents(block->shared_from_this());
    return range;
}

void WebView::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    auto caret = caretRangeAtPoint(point);
    m_mouseDownCaret = caret;
    if (!caret)
        return;
    auto range = expandedRange(caret, event.clickCount());
    if (event.hasModifier(ModifierFlag::Shift) && m_selection && event.clickCount() < 2) {
        range = m_selection->cloneRange();
        if (DOMRange::compareBoundaryPointPositions(caret->startNode(), caret->startOffset(), m_selection->startNode(),
                                                    m_selection->startOffset()) < 0)
            range->setStart(caret->startContainer(), caret->startOffset());
        else
            range->setEnd(caret->startContainer(), caret->startOffset());
    }
    proposeSelectedDOMRange(range, WebSelectionAffinityDownstream, false);
}

void WebView::mouseDragged(const Event& event)
{
    if (!m_mouseDownCaret)
        return;
    auto caret = caretRangeAtPoint(convertPointFromView(event.locationInWindow(), nullptr));
    if (!caret || caret->startNode()->document() != m_mouseDownCaret->startNode()->document())
        return;
    auto range = m_mouseDownCaret->cloneRange();
    if (DOMRange::compareBoundaryPointPositions(caret->startNode(), caret->startOffset(), m_mouseDownCaret->startNode(),
                                                m_mouseDownCaret->startOffset()) < 0)
        range->setStart(caret->startContainer(), caret->startOffset());
    else
        range->setEnd(caret->startContainer(), caret->startOffset());
    proposeSelectedDOMRange(range, WebSelectionAffinityDownstream, true);
}

void WebView::mouseUp(const Event& event)
{
    m_mouseDownCaret.reset();
    // In editable content a click places the caret; a Command-click still
    // follows the link (the policy delegate decides what that means).
    if (event.clickCount() != 1 || (m_editable && !(event.modifierFlags() & ModifierFlag::Command)))
        return;
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    auto hit = elementAtPoint(point);
    if (!hit || !hit->linkURL)
        return;
    URLRequest request(*hit->linkURL);
    WebNavigationAction action;
    action.navigationType = WebNavigationTypeLinkClicked;
    action.elementNode = hit->domNode;
    action.modifierFlags = event.modifierFlags();
    action.originalURL = *hit->linkURL;
    WebPolicyDecisionListener listener;
    if (m_policyDelegate)
        m_policyDelegate->decidePolicyForNavigationAction(*this, action, request, *hit->webFrame, listener);
    if (listener.decision() == WebPolicyDecisionListener::Decision::Use
        || listener.decision() == WebPolicyDecisionListener::Decision::Undecided)
        hit->webFrame->loadRequest(request);
}

static const char* commandForKey(const Event& event)
{
    bool shift = event.hasModifier(ModifierFlag::Shift);
    // Command is the desktop's Control key: by words, to the document's ends.
    bool command = event.hasModifier(ModifierFlag::Command);
    switch (event.keyCode()) {
    case KeyCode::LeftArrow:
        if (command)
            return shift ? "moveWordLeftAndModifySelection:" : "moveWordLeft:";
        return shift ? "moveLeftAndModifySelection:" : "moveLeft:";
    case KeyCode::RightArrow:
        if (command)
            return shift ? "moveWordRightAndModifySelection:" : "moveWordRight:";
        return shift ? "moveRightAndModifySelection:" : "moveRight:";
    case KeyCode::UpArrow:
        return shift ? "moveUpAndModifySelection:" : "moveUp:";
    case KeyCode::DownArrow:
        return shift ? "moveDownAndModifySelection:" : "moveDown:";
    case KeyCode::Home:
        if (command)
            return shift ? "moveToBeginningOfDocumentAndModifySelection:" : "moveToBeginningOfDocument:";
        return shift ? "moveToBeginningOfLineAndModifySelection:" : "moveToBeginningOfLine:";
    case KeyCode::End:
        if (command)
            return shift ? "moveToEndOfDocumentAndModifySelection:" : "moveToEndOfDocument:";
        return shift ? "moveToEndOfLineAndModifySelection:" : "moveToEndOfLine:";
    case KeyCode::PageUp:
        return shift ? "pageUpAndModifySelection:" : "pageUp:";
    case KeyCode::PageDown:
        return shift ? "pageDownAndModifySelection:" : "pageDown:";
    case KeyCode::Delete:
        return "deleteBackward:";
    case KeyCode::ForwardDelete:
        return "deleteForward:";
    case KeyCode::Return:
    case KeyCode::Enter:
        return "insertNewline:";
    case KeyCode::Tab:
        return "insertTab:";
    default:
        break;
    }
    if (command && !shift && !event.hasModifier(ModifierFlag::Option | ModifierFlag::Control)
        && (event.charactersIgnoringModifiers() == u"a" || event.charactersIgnoringModifiers() == u"A"))
        return "selectAll:";
    return nullptr;
}

bool WebView::handleKey(const Event& event)
{
    if (event.type() != EventType::KeyDown)
        return false;
    if (auto* command = commandForKey(event)) {
        doCommandBySelector(command);
        return true;
    }
    if (event.hasModifier(ModifierFlag::Command) || event.hasModifier(ModifierFlag::Control))
        return false;
    auto& characters = event.characters();
    if (characters.empty() || (characters[0] >= 0xF700 && characters[0] <= 0xF8FF))
        return false;
    if (m_editable && m_selection && m_editingDelegate)
        m_editingDelegate->shouldInsertText(*this, characters, m_selection.get(), WebViewInsertActionTyped);
    return true;
}

void WebView::keyDown(const Event& event)
{
    if (!handleKey(event))
        View::keyDown(event);
}

bool WebView::interpretKeyEvent(const Event& event)
{
    return handleKey(event);
}

bool WebView::performKeyEquivalent(const Event& event)
{
    if (event.type() == EventType::KeyDown) {
        auto code = event.keyCode();
        if (code == KeyCode::LeftArrow || code == KeyCode::RightArrow || code == KeyCode::UpArrow
            || code == KeyCode::DownArrow)
            return handleKey(event);
    }
    return View::performKeyEquivalent(event);
}

void WebView::postDidChange()
{
    if (m_editingDelegate)
        m_editingDelegate->webViewDidChange(*this);
    NotificationCenter::defaultCenter().post(DidChangeNotification, this);
}

void WebView::doCommandBySelector(std::string_view selector)
{
    if (m_editingDelegate && m_editingDelegate->doCommandBySelector(*this, selector))
        return;
    // Editing commands are the editing delegate's; the web view does not edit.
    (void)performMove(selector);
}

} // namespace brevanton
