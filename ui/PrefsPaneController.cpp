#include "ui/PrefsPaneController.h"

#include "ui/PrefsPaneProtocol.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/EscapeClosesWindow.h"
#include "platform/views/Responder.h"
#include "platform/views/Screen.h"
#include "platform/views/Sound.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brevanton {

namespace {

constexpr const char* itemClickedAction = "prefsToolbarItemClicked:";
constexpr double unlimited = std::numeric_limits<double>::max();

std::u16string quoted(const std::u16string& text) { return u"\"" + text + u"\""; }

} // namespace

PrefsPaneController::PrefsPaneController()
    : m_itemTarget(std::make_shared<Responder>())
{
    m_itemTarget->setActionHandler(itemClickedAction, [this](ActionSender* sender) {
        if (auto* item = dynamic_cast<ToolbarItem*>(sender))
            prefsToolbarItemClicked(*item);
    });
}

PrefsPaneController::~PrefsPaneController()
{
    m_itemTarget->removeActionHandler(itemClickedAction);
    destroyPreferencesWindow();
}

std::u16string PrefsPaneController::lastPaneDefaultsKey()
{
    return Bundle::main().bundleIdentifier() + u"_Preferences_Last_Pane_Defaults_Key";
}

std::u16string PrefsPaneController::toolbarIdentifier()
{
    return Bundle::main().bundleIdentifier() + u"_Preferences_Toolbar_Identifier";
}

UserDefaults& PrefsPaneController::defaults() const
{
    return m_userDefaults ? *m_userDefaults : UserDefaults::standard();
}

Size PrefsPaneController::windowMinSize() const
{
    return m_prefsWindow ? m_prefsWindow->minSize() : Size {};
}

Size PrefsPaneController::windowMaxSize() const
{
    return m_prefsWindow ? m_prefsWindow->maxSize() : Size {};
}

void PrefsPaneController::debugLog(const std::u16string& text) const
{
    if (m_debug)
        consoleLog(u"[--- PREFERENCES DEBUG MESSAGE ---]\n" + text + u"\n");
}

// MARK: Panes

void PrefsPaneController::addPreferencePane(std::shared_ptr<PrefsPaneProtocol> pane)
{
    if (!pane || pane->paneIdentifier().empty() || !pane->paneView())
        return;
    std::u16string name = pane->paneName();
    if (m_preferencePanes.count(name))
        return;
    m_panesOrder.push_back(name);
    m_preferencePanes.emplace(std::move(name), std::move(pane));
}

std::vector<std::u16string> PrefsPaneController::loadedPanes() const
{
    std::vector<std::u16string> names;
    for (const auto& entry : m_preferencePanes)
        names.push_back(entry.first);
    return names;
}

void PrefsPaneController::setPanesOrder(const std::vector<std::u16string>& names)
{
    m_panesOrder.clear();
    for (const auto& name : names) {
        if (m_preferencePanes.count(name))
            m_panesOrder.push_back(name);
        else
            debugLog(u"Did not add preference pane " + quoted(name) + u" to the toolbar ordering array, because that pane does not exist.");
    }
}

std::shared_ptr<PrefsPaneProtocol> PrefsPaneController::preferencePaneNamed(const std::u16string& name) const
{
    auto found = m_preferencePanes.find(name);
    return found == m_preferencePanes.end() ? nullptr : found->second;
}

std::shared_ptr<PrefsPaneProtocol> PrefsPaneController::activePane() const
{
    return m_prefsToolbar ? preferencePaneNamed(m_prefsToolbar->selectedItemIdentifier()) : nullptr;
}

// MARK: The window

void PrefsPaneController::createPreferencesWindowAndDisplay(bool display)
{
    if (m_prefsWindow) {
        if (display) {
            if (m_alwaysOpensCentered && !m_prefsWindow->isVisible())
                m_prefsWindow->center();
            m_prefsWindow->makeKeyAndOrderFront();
        }
        return;
    }
    m_prefsWindow = Window::create(Rect(0, 0, initialContentWidth, initialContentHeight));
    m_prefsWindow->setStyleMask(WindowStyle::Titled | WindowStyle::Closable | WindowStyle::Resizable);
    m_prefsWindow->setTitle(u"Preferences");
    closeWindowWithEscape(*m_prefsWindow);
    m_prefsWindow->center();
    buildToolbar();

    auto& userDefaults = defaults();
    std::u16string lastPaneKey = lastPaneDefaultsKey();
    if (!m_panesOrder.empty()) {
        Dictionary registered;
        registered[lastPaneKey] = Value(m_panesOrder.front());
        userDefaults.registerDefaults(registered);
    }
    std::u16string lastPane = userDefaults.stringForKey(lastPaneKey);
    bool loaded = m_preferencePanes.count(lastPane) && loadPrefsPaneNamed(lastPane, false);
    if (!loaded) {
        debugLog(u"Could not load last-used preference pane " + quoted(lastPane) + u". Trying to load another pane instead.");
        for (const auto& name : m_panesOrder) {
            if (name != lastPane && loadPrefsPaneNamed(name, false)) {
                loaded = true;
                break;
            }
        }
    }
    if (!loaded) {
        destroyPreferencesWindow();
        return;
    }
    if (display)
        m_prefsWindow->makeKeyAndOrderFront();
}

void PrefsPaneController::destroyPreferencesWindow()
{
    if (!m_prefsWindow)
        return;
    // The reference goes with the window: showing again makes a new one.
    auto window = std::move(m_prefsWindow);
    m_prefsWindow = nullptr;
    window->setToolbar(nullptr);
    if (window->isVisible())
        window->orderOut();
}

void PrefsPaneController::buildToolbar()
{
    m_prefsToolbarItems.clear();
    for (const auto& name : m_panesOrder) {
        auto pane = preferencePaneNamed(name);
        if (!pane) {
            debugLog(u"Could not create toolbar item for preference pane " + quoted(name) + u", because that pane does not exist.");
            continue;
        }
        auto item = std::make_shared<ToolbarItem>(name);
        item->setLabel(name);
        item->setPaletteLabel(name);
        if (auto toolTip = pane->paneToolTip(); !toolTip.empty())
            item->setToolTip(std::move(toolTip));
        item->setImage(pane->paneIcon());
        item->setTarget(m_itemTarget);
        item->setAction(itemClickedAction);
        m_prefsToolbarItems.emplace(name, std::move(item));
    }
    m_prefsToolbar = Toolbar::create(toolbarIdentifier());
    m_prefsToolbar->setDelegate(weak_from_this());
    if (showsToolbar()) {
        m_prefsWindow->setToolbar(m_prefsToolbar);
    } else {
        debugLog(u"Not showing toolbar in Preferences window because there is only one preference pane loaded. You can override this "
                 u"behaviour using -[setAlwaysShowsToolbar:YES].");
    }
}

bool PrefsPaneController::showsToolbar() const
{
    return m_prefsToolbarItems.size() >= 2 || m_alwaysShowsToolbar;
}

double PrefsPaneController::toolbarHeight() const
{
    return m_prefsWindow && m_prefsWindow->toolbar() && m_prefsWindow->toolbar()->isVisible() ? Toolbar::height : 0;
}

std::shared_ptr<ToolbarItem> PrefsPaneController::itemForItemIdentifier(Toolbar&, const std::u16string& identifier, bool)
{
    auto found = m_prefsToolbarItems.find(identifier);
    return found == m_prefsToolbarItems.end() ? nullptr : found->second;
}

std::vector<std::u16string> PrefsPaneController::defaultItemIdentifiers(Toolbar&)
{
    std::vector<std::u16string> identifiers;
    for (const auto& name : m_panesOrder) {
        if (m_prefsToolbarItems.count(name))
            identifiers.push_back(name);
    }
    return identifiers;
}

void PrefsPaneController::prefsToolbarItemClicked(ToolbarItem& item)
{
    if (!m_prefsWindow || item.itemIdentifier() != m_prefsWindow->title())
        static_cast<void>(loadPrefsPaneNamed(item.itemIdentifier(), true));
}

// MARK: Showing a pane

bool PrefsPaneController::loadPrefsPaneNamed(const std::u16string& name, bool)
{
    if (!m_prefsWindow) {
        Sound::beep();
        debugLog(u"Could not load " + quoted(name) + u" preference pane because the Preferences window seems to no longer exist.");
        return false;
    }
    auto pane = preferencePaneNamed(name);
    if (!pane) {
        debugLog(u"Could not load preference pane " + quoted(name) + u", because that pane does not exist.");
        return false;
    }
    auto paneView = pane->paneView();
    if (!paneView) {
        debugLog(u"Could not load " + quoted(name) + u" preference pane because its view could not be loaded from the bundle.");
        return false;
    }
    Window& window = *m_prefsWindow;
    // An empty content first, so that the resize leaves the old pane as it
    // was (and, shown, does not draw it in between).
    window.setContentView(std::make_shared<View>(Rect({ 0, 0 }, window.frame().size)));

    // The window takes the pane's size below the toolbar; its top edge stays.
    double toolbar = toolbarHeight();
    Size paneSize = paneView->frame().size;
    Rect oldFrame = window.frame();
    Rect newFrame(oldFrame.minX(), oldFrame.maxY() - (paneSize.height + toolbar), paneSize.width, paneSize.height + toolbar);
    bool horizontally = pane->allowsHorizontalResizing();
    bool vertically = pane->allowsVerticalResizing();
    WindowStyleMask style = WindowStyle::Titled | WindowStyle::Closable;
    if (horizontally || vertically)
        style |= WindowStyle::Resizable;
    window.setStyleMask(style);

    // The content: the pane at the bottom, the toolbar's view across the top.
    auto content = std::make_shared<View>(Rect({ 0, 0 }, newFrame.size));
    paneView->removeFromSuperview();
    paneView->setFrameOrigin(Point { 0, 0 });
    paneView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    content->addSubview(paneView);
    if (toolbar > 0) {
        auto& toolbarView = m_prefsToolbar->view();
        toolbarView->removeFromSuperview();
        toolbarView->setFrame(Rect(0, paneSize.height, paneSize.width, toolbar));
        toolbarView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
        content->addSubview(toolbarView);
        m_prefsToolbar->layout();
    }
    window.setFrame(newFrame);
    window.setContentView(content);

    // A pane that allows no resizing fixes the window to its size.
    window.setMinSize(newFrame.size);
    window.setMaxSize(Size { horizontally ? unlimited : newFrame.width(), vertically ? unlimited : newFrame.height() });

    if (showsToolbar())
        window.setTitle(name);
    defaults().setObject(Value(name), lastPaneDefaultsKey());
    m_prefsToolbar->setSelectedItemIdentifier(name);
    return true;
}

} // namespace brevanton
