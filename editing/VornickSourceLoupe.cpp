#include "editing/VornickSourceLoupe.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewSplitViewManager.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/EscapeClosesWindow.h"
#include "platform/views/Screen.h"
#include "platform/views/ScrollView.h"
#include "platform/views/SplitView.h"
#include "platform/views/TextLayout.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"
#include "ui/VornickHTMLSourceCodeView.h"

#include <algorithm>

namespace brevanton {

namespace {

// The room between a document window and its loupe's.
constexpr double windowGap = 8;

// The detached loupe is a panel beside its document window: it takes the
// keyboard when clicked, but the document window stays the main one, so the
// menu's commands (Show Source among them) still reach the document while
// the loupe is in front.
class SourceLoupeWindow final : public Window {
public:
    explicit SourceLoupeWindow(Rect frame)
        : Window(frame)
    {
    }
    bool canBecomeMainWindow() const override { return false; }
};

} // namespace

bool VornickSourceLoupe::wantsToBeEmbedded()
{
    return UserDefaults::standard().integerForKey(u"EmbedSourceLoupe") != 0;
}

VornickSourceLoupe::VornickSourceLoupe()
    : m_view(std::make_shared<View>(Rect(0, 0, 600, 250)))
    , m_sourceCodeView(std::make_shared<VornickHTMLSourceCodeView>(Rect(0, 0, 600, 250)))
    , m_scrollView(std::make_shared<ScrollView>(Rect(0, 0, 600, 250)))
{
    m_view->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    // The loaded source is painted in the loupe's dark colours (its text is
    // white): the view has their dark background, on which a regenerated
    // source's colours show too.
    m_sourceCodeView->setSyntaxColoringPreferences(VornickHTMLSyntaxColoringPreferences::sourceLoupeDarkHTMLSyntaxHighlightingPreferences());
    // Long lines stay whole: the pane scrolls sideways, with a scroller while
    // a line is wider than the pane (and one for a source taller than it).
    m_sourceCodeView->setHorizontallyResizable(true);
    m_sourceCodeView->setVerticallyResizable(true);
    m_scrollView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_scrollView->setDocumentView(m_sourceCodeView);
    m_scrollView->setHasHorizontalScroller(true);
    m_scrollView->setHasVerticalScroller(true);
    m_view->addSubview(m_scrollView);
    // The source code view fills what the pane shows of it, whatever the pane's size.
    m_clipFrameObservation = NotificationCenter::defaultCenter().addObserver(
        View::FrameDidChangeNotification, m_scrollView.get(), nullptr, [this](const Notification&) { fitSourceCodeViewToText(); });
    fitSourceCodeViewToText();
}

void VornickSourceLoupe::fitSourceCodeViewToText()
{
    Size text = sizeOfAttributedString(m_sourceCodeView->textStorage());
    Size inset = m_sourceCodeView->textContainerInset();
    Size needed { text.width + 2 * inset.width, text.height + 2 * inset.height };
    // The room the pane leaves beside the scrollers the text makes it show
    // (a scroller takes room from the other axis, which may then need its
    // own), so that the background always reaches the pane's edges.
    Size box = m_scrollView->bounds().size;
    bool horizontal = false;
    bool vertical = false;
    for (int pass = 0; pass < 2; ++pass) {
        horizontal = needed.width > box.width - (vertical ? Scroller::Width : 0);
        vertical = needed.height > box.height - (horizontal ? Scroller::Width : 0);
    }
    Size room { box.width - (vertical ? Scroller::Width : 0), box.height - (horizontal ? Scroller::Width : 0) };
    Size size { std::max(needed.width, room.width), std::max(needed.height, room.height) };
    if (size != m_sourceCodeView->frame().size)
        m_sourceCodeView->setFrameSize(size);
}

VornickSourceLoupe::~VornickSourceLoupe()
{
    if (m_window)
        m_window->close();
}

void VornickSourceLoupe::setEmbedded(bool embedded)
{
    m_embedded = embedded;
}

void VornickSourceLoupe::setActiveContentEditingView(VornickContentEditingView* view)
{
    m_activeContentEditingView = view;
    m_sourceObservation.reset();
    if (!view)
        return;
    std::weak_ptr<VornickSourceLoupe> weak = weak_from_this();
    auto update = [weak](const Notification&) {
        if (auto loupe = weak.lock())
            loupe->updateSourceFromActiveContentEditingView();
    };
    m_sourceObservation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification, view, nullptr, update);
}

std::shared_ptr<Window> VornickSourceLoupe::window()
{
    if (!m_window) {
        m_window = std::make_shared<SourceLoupeWindow>(Rect(0, 0, 600, 400));
        m_window->setContentView(std::make_shared<View>(Rect(0, 0, 600, 400)));
        Application::shared().addWindow(m_window);
        m_window->setTitle(u"Source");
        closeWindowWithEscape(*m_window);
    }
    return m_window;
}

void VornickSourceLoupe::placeWindowBeside(const Window& documentWindow, double width)
{
    Rect frame = documentWindow.frame();
    Rect beside(frame.maxX() + windowGap, frame.minY(), width, frame.height());
    window()->setFrame(rectSlidInside(beside, documentWindow.screen().visibleFrame()));
}

bool VornickSourceLoupe::isShown() const
{
    if (!m_embedded)
        return m_window && m_window->isVisible();
    auto splitView = m_view->superview() ? std::dynamic_pointer_cast<SplitView>(m_view->superview()) : nullptr;
    return splitView && !splitView->isSubviewCollapsed(*m_view) && !m_view->isHidden();
}

void VornickSourceLoupe::showOrHide()
{
    if (m_embedded) {
        if (!m_activeContentEditingView)
            return;
        if (isShown())
            m_activeContentEditingView->collapseEmbeddedSourceLoupe();
        else
            m_activeContentEditingView->uncollapseEmbeddedSourceLoupe();
    } else {
        auto window = this->window();
        if (window->isVisible()) {
            window->orderOut();
        } else {
            if (!window->contentView() || window->contentView() != m_view)
                window->setContentView(m_view);
            // The editing view's split view hides its footer while collapsed:
            // the pane taken from it shows in a window of its own.
            m_view->setHidden(false);
            window->orderFront();
        }
    }
    updateSourceFromActiveContentEditingView();
}

void VornickSourceLoupe::updateSourceFromActiveContentEditingView()
{
    if (!m_activeContentEditingView)
        return;
    auto& frame = m_activeContentEditingView->focusedWebFrame();
    if (!frame)
        return;
    if (auto attributed = vornick_lastGeneratedHTMLAttributedString(*frame))
        m_sourceCodeView->setSourceCodeAttributedString(*attributed);
    else if (auto string = vornick_sharedLastGeneratedHTMLString(*frame))
        m_sourceCodeView->setPlainSourceCode(*string);
    fitSourceCodeViewToText();
    ++m_sourceUpdateCount;
}

void VornickSourceLoupe::updateForDocumentEditedStateChangeInContentEditingView(VornickContentEditingView& view)
{
    if (&view == m_activeContentEditingView)
        m_documentEditedMark = view.isDocumentEdited();
}

void VornickSourceLoupe::updateForPopoverShowOrHideInContentEditingView(VornickContentEditingView&)
{
    m_view->setNeedsDisplay(true);
}

void VornickSourceLoupe::updateForScroll(VornickContentEditingView&)
{
    m_view->setNeedsDisplay(true);
}

} // namespace brevanton
