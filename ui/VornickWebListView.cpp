#include "ui/VornickWebListView.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "ui/VornickWebListViewController.h"

namespace brevanton {

VornickWebListView::VornickWebListView(Rect frame)
    : WebView(frame)
{
}

VornickWebListView::~VornickWebListView() = default;

bool VornickWebListView::isListKey(const Event& event)
{
    if (event.type() != EventType::KeyDown || event.hasModifier(ModifierFlag::Command | ModifierFlag::Control))
        return false;
    const auto& characters = event.charactersIgnoringModifiers();
    if (characters.empty())
        return false;
    switch (characters[0]) {
    case 3:
    case 13:
    case 32:
    case FunctionKey::UpArrow:
    case FunctionKey::DownArrow:
        return true;
    default:
        return false;
    }
}

void VornickWebListView::viewWillMoveToWindow(Window* newWindow)
{
    WebView::viewWillMoveToWindow(newWindow);
    if (auto window = this->window(); window && m_windowSendEventHook)
        window->removeSendEventHook(m_windowSendEventHook);
    m_windowSendEventHook.reset();
    m_windowSendsMouseDown = false;
    if (!newWindow)
        return;
    BREVANTON_ASSERT(!m_windowSendEventHook, "Dangling windowSendEventHook");
    std::weak_ptr<View> weak = std::static_pointer_cast<View>(shared_from_this());
    m_windowSendEventHook = newWindow->addSendEventHook([weak](Window& window, const Event& event) {
        auto self = weak.lock();
        return !self || static_cast<VornickWebListView&>(*self).windowWillSendEvent(window, event);
    });
}

bool VornickWebListView::windowWillSendEvent(Window& window, const Event& event)
{
    m_windowSendsMouseDown = event.type() == EventType::LeftMouseDown || event.type() == EventType::RightMouseDown;
    if (!isListKey(event))
        return true;
    auto responder = window.firstResponder();
    auto* view = dynamic_cast<View*>(responder.get());
    // Only the focus inside the list (its own keys reach it anyway).
    if (!view || view == this || !view->isDescendantOf(this))
        return true;
    // Key equivalents come first, as the window would offer them.
    if (event.hasModifier(ModifierFlag::Function)) {
        if (window.performKeyEquivalent(event))
            return false;
        if (auto menu = Application::shared().mainMenu(); menu && menu->performKeyEquivalent(event))
            return false;
    }
    keyDown(event);
    return false;
}

void VornickWebListView::keyDown(const Event& event)
{
    if (!isListKey(event) || !m_controller) {
        // Neither typed into the page nor moving a caret in it.
        View::keyDown(event);
        return;
    }
    auto protect = m_controller->shared_from_this();
    switch (event.charactersIgnoringModifiers()[0]) {
    case FunctionKey::UpArrow:
        m_controller->moveUp();
        return;
    case FunctionKey::DownArrow:
        m_controller->moveDown();
        return;
    default:
        if (auto* delegate = m_controller->actionDelegate())
            delegate->webListViewControllerOpenObjects(*m_controller, m_controller->selectedObjects());
        return;
    }
}

bool VornickWebListView::performKeyEquivalent(const Event& event)
{
    if (event.type() == EventType::KeyDown) {
        auto code = event.keyCode();
        if (code == KeyCode::LeftArrow || code == KeyCode::RightArrow || code == KeyCode::UpArrow || code == KeyCode::DownArrow)
            return false;
    }
    return View::performKeyEquivalent(event);
}

std::shared_ptr<View> VornickWebListView::hitTest(Point pointInSuperview)
{
    if (m_hitTestingForClick || !m_windowSendsMouseDown)
        return WebView::hitTest(pointInSuperview);
    // A mouse down anywhere inside is the list's own.
    if (!WebView::hitTest(pointInSuperview))
        return nullptr;
    return std::static_pointer_cast<View>(shared_from_this());
}

std::shared_ptr<DOMElement> VornickWebListView::hitListItem(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    m_hitTestingForClick = true;
    auto element = elementAtPoint(point);
    m_hitTestingForClick = false;
    if (!element || !element->domNode)
        return nullptr;
    std::shared_ptr<DOMElement> item;
    for (DOMNode* node = element->domNode.get(); node; node = node->parent()) {
        if (auto* candidate = dynamicDowncast<DOMElement>(node); candidate && candidate->hasTagName(u"li"))
            item = std::static_pointer_cast<DOMElement>(candidate->shared_from_this());
    }
    return item;
}

void VornickWebListView::mouseDown(const Event& event)
{
    if (!m_controller)
        return;
    auto protect = m_controller->shared_from_this();
    auto item = hitListItem(event);
    if (!item)
        m_controller->nothingClicked();
    else if (event.hasModifier(ModifierFlag::Control))
        showContextMenuForListItem(item, event);
    else
        m_controller->listItemClicked(item, event);
}

void VornickWebListView::rightMouseDown(const Event& event)
{
    if (!m_controller)
        return;
    auto protect = m_controller->shared_from_this();
    if (auto item = hitListItem(event))
        showContextMenuForListItem(item, event);
}

void VornickWebListView::showContextMenuForListItem(const std::shared_ptr<DOMElement>& item, const Event& event)
{
    if (!m_controller || !item)
        return;
    m_controller->listItemClicked(item, event);
    auto object = m_controller->representedObjectForRow(m_controller->rowForListItem(*item));
    if (!object)
        return;
    if (auto menu = m_controller->menuForRepresentedObject(object))
        Menu::popUpContextMenu(menu, event, *this);
}

} // namespace brevanton
