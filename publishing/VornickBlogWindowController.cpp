#include "publishing/VornickBlogWindowController.h"

#include "app/VornickProjectOrComponentWindow.h"
#include "blog/VornickBlog.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/ControlSizing.h"
#include "platform/views/Event.h"
#include "platform/views/Image.h"
#include "platform/views/Menu.h"
#include "platform/views/SearchField.h"
#include "platform/views/SplitView.h"
#include "platform/views/TextFinder.h"
#include "platform/views/Toolbar.h"
#include "publishing/VornickBlogEditor.h"
#include "publishing/VornickBlogPostListView.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogPostView.h"
#include "views/VornickInitialWindowFrame.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

constexpr double windowWidth = 1100;
constexpr double windowHeight = 760;
constexpr double windowMargin = 60;
constexpr double listWidth = 320;
constexpr double buttonWidth = 28;

Rect initialWindowFrame()
{
    return vornick_initialWindowFrame({ windowWidth, windowHeight }, { 500, 360 }, windowMargin);
}

} // namespace

VornickBlogWindowController::VornickBlogWindowController(VornickBlogEditor& editor, std::u16string windowNibName)
    : m_editor(&editor)
    , m_windowNibName(std::move(windowNibName))
{
}

VornickBlogWindowController::~VornickBlogWindowController()
{
    if (m_window) {
        m_window->removeSendEventHook(m_tabHook);
        m_window->setDelegate({});
        if (m_window->isVisible()) {
            m_closing = true;
            m_window->close();
        }
    }
}

const std::shared_ptr<VornickProjectOrComponentWindow>& VornickBlogWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

void VornickBlogWindowController::loadWindow()
{
    auto& editor = *m_editor;
    Rect frame = initialWindowFrame();
    m_window = std::make_shared<VornickProjectOrComponentWindow>(frame);
    m_window->setContentView(std::make_shared<View>(Rect({ 0, 0 }, frame.size)));
    Application::shared().addWindow(m_window);
    m_window->setDelegate(std::static_pointer_cast<WindowDelegate>(sharedAs<VornickBlogWindowController>()));

    // The toolbar on top, the split view under it.
    Rect bounds = m_window->contentView()->bounds();
    auto container = std::make_shared<View>(bounds);
    container->setAutoresizesSubviews(true);
    Rect splitFrame = bounds;
    splitFrame.size.height -= Toolbar::height;
    m_splitView = std::make_shared<SplitView>(splitFrame);
    m_splitView->setVertical(true);
    m_splitView->setDividerStyle(SplitViewDividerStyle::Thin);
    m_splitView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_splitView->setDelegate(std::shared_ptr<SplitViewDelegate>(editor.shared_from_this(), &editor));

    // The list pane: the search bar (field, filters, sorting) over the list.
    double height = splitFrame.height();
    m_listPane = std::make_shared<View>(Rect(0, 0, listWidth, height));
    m_listPane->setAutoresizesSubviews(true);
    double barY = height - searchBarHeight;
    // The filters button is as wide as its title with the mark of filters in use.
    double filtersWidth = std::max(buttonWidth, controlWidthToFitLabel(ControlKind::PushButton, u"Filter \u2022", 24));
    double filtersX = listWidth - buttonWidth - 4 - filtersWidth - 6;
    m_searchField = editor.postListSearchField();
    m_searchField->setFrame(Rect(6, barY + 4, filtersX - 10, 22));
    m_searchField->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    m_listPane->addSubview(m_searchField);
    m_filtersButton = std::make_shared<Button>(Rect(filtersX, barY + 3, filtersWidth, 24));
    m_filtersButton->setTitle(u"Filter");
    m_filtersButton->setAutoresizingMask(Autoresizing::MinXMargin | Autoresizing::MinYMargin);
    m_filtersButton->setAction("editPostListFilters:");
    m_listPane->addSubview(m_filtersButton);
    m_sortingButton = std::make_shared<Button>(Rect(listWidth - buttonWidth - 4, barY + 3, buttonWidth, 24));
    m_sortingButton->setTitle(u"\u21C5");
    m_sortingButton->setAutoresizingMask(Autoresizing::MinXMargin | Autoresizing::MinYMargin);
    m_sortingButton->setAction("editPostListSorting:");
    m_listPane->addSubview(m_sortingButton);
    auto listView = editor.postsWebListView()->webView();
    listView->setFrame(Rect(0, 0, listWidth, barY));
    listView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_listPane->addSubview(listView);

    auto postView = editor.postView();
    postView->setFrame(Rect(listWidth + 1, 0, bounds.width() - listWidth - 1, height));
    m_splitView->addSubview(m_listPane);
    m_splitView->addSubview(postView);
    m_splitView->adjustSubviews();
    m_splitView->setPosition(listWidth, 0);
    container->addSubview(m_splitView);
    m_window->setContentView(container);

    m_toolbar = Toolbar::create(editor.toolbarIdentifier());
    m_toolbar->setDelegate(std::shared_ptr<ToolbarDelegate>(editor.shared_from_this(), &editor));
    auto toolbarView = m_toolbar->view();
    toolbarView->setFrame(Rect(0, bounds.height() - Toolbar::height, bounds.width(), Toolbar::height));
    toolbarView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    container->addSubview(toolbarView);

    for (auto& [action, handler] : editor.actionHandlers())
        setActionHandler(action, std::move(handler));
    editor.windowControllerDidLoadNib(*this);
    // Loads the default items.
    m_window->setToolbar(m_toolbar);
    m_toolbar->layout();
    m_window->makeFirstResponder(listView);
    installSearchFieldTabHook();
}

void VornickBlogWindowController::installSearchFieldTabHook()
{
    // Tab in the search field leads to the list; every other key goes its way.
    std::weak_ptr<Responder> weak = weak_from_this();
    m_tabHook = m_window->addSendEventHook([weak](Window& window, const Event& event) {
        auto self = std::static_pointer_cast<VornickBlogWindowController>(weak.lock());
        if (!self || !self->m_editor || event.type() != EventType::KeyDown || event.charactersIgnoringModifiers() != u"\t"
            || event.hasModifier(ModifierFlag::Command) || event.hasModifier(ModifierFlag::Control)
            || event.hasModifier(ModifierFlag::Shift) || window.firstResponder() != self->m_searchField)
            return true;
        window.makeFirstResponder(self->m_editor->postsWebListView()->webView());
        return false;
    });
}

void VornickBlogWindowController::synchronizeWindowTitleWithDocumentName()
{
    if (!m_window || !m_editor)
        return;
    auto blog = m_editor->blog();
    std::u16string name = blog ? blog->displayName() : std::u16string();
    m_window->setTitle(name.empty() ? u"Untitled Blog" : name);
}

void VornickBlogWindowController::detachDocument()
{
    m_editor = nullptr;
}

bool VornickBlogWindowController::respondsToAction(const Action& action) const
{
    if (action == "performTextFinderAction:" || action == "performClose:")
        return true;
    return m_editor && Responder::respondsToAction(action);
}

bool VornickBlogWindowController::performAction(const Action& action, ActionSender* sender)
{
    if (action == "performClose:") {
        if (m_window)
            m_window->performClose();
        return true;
    }
    if (action == "performTextFinderAction:") {
        if (m_editor && sender && sender->tag() == static_cast<long>(TextFinderAction::ShowFindInterface))
            m_editor->focusPostListSearchField(sender);
        return true;
    }
    return m_editor && Responder::performAction(action, sender);
}

bool VornickBlogWindowController::validateMenuItem(MenuItem& item)
{
    if (item.action() == "performTextFinderAction:")
        return item.tag() == static_cast<long>(TextFinderAction::ShowFindInterface);
    if (item.action() == "performClose:")
        return true;
    return m_editor && m_editor->validateUserInterfaceItem(item.action(), &item);
}

bool VornickBlogWindowController::validateToolbarItem(ToolbarItem& item)
{
    return m_editor && m_editor->validateUserInterfaceItem(item.action(), nullptr);
}

void VornickBlogWindowController::windowWillClose(Window&)
{
    if (m_closing || !m_editor)
        return;
    m_closing = true;
    m_window->removeSendEventHook(m_tabHook);
    m_tabHook.reset();
    m_editor->close();
}

} // namespace brevanton
