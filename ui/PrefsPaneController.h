// PrefsPaneController: a preferences window that shows one pane at a time
// under a toolbar with an item per pane, sized to the pane. Panes
// (PrefsPaneProtocol) are added in the order their items show; the window is
// made on first showing, kept when closed, and opens on the pane shown last
// (remembered in the user defaults), else on the first one that loads. A
// pane that allows no resizing fixes the window to its size. Failures are
// silent but for the debug log (when `debug` is on) and a beep when the
// window is gone. Main thread only.
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/Toolbar.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class PrefsPaneProtocol;
class Responder;
class UserDefaults;
class View;
class Window;

class PrefsPaneController : public ToolbarDelegate, public std::enable_shared_from_this<PrefsPaneController> {
public:
    PrefsPaneController();
    ~PrefsPaneController() override;
    PrefsPaneController(const PrefsPaneController&) = delete;
    PrefsPaneController& operator=(const PrefsPaneController&) = delete;

    static constexpr double initialContentWidth = 350;
    static constexpr double initialContentHeight = 200;

    // The main bundle's identifier followed by "_Preferences_Last_Pane_Defaults_Key"
    // (the user default naming the pane shown last) and by
    // "_Preferences_Toolbar_Identifier".
    static std::u16string lastPaneDefaultsKey();
    static std::u16string toolbarIdentifier();

    bool alwaysShowsToolbar() const { return m_alwaysShowsToolbar; }
    void setAlwaysShowsToolbar(bool shows) { m_alwaysShowsToolbar = shows; }
    bool alwaysOpensCentered() const { return m_alwaysOpensCentered; }
    void setAlwaysOpensCentered(bool centered) { m_alwaysOpensCentered = centered; }
    bool debug() const { return m_debug; }
    void setDebug(bool debug) { m_debug = debug; }

    // Adds the pane when it has an identifier and a view, after the others.
    void addPreferencePane(std::shared_ptr<PrefsPaneProtocol>);
    template<typename Pane>
    void addPreferencePaneWithClass() { addPreferencePane(std::make_shared<Pane>()); }
    std::vector<std::u16string> loadedPanes() const;
    const std::vector<std::u16string>& panesOrder() const { return m_panesOrder; }
    // Keeps the names of loaded panes, in the order given.
    void setPanesOrder(const std::vector<std::u16string>&);
    std::shared_ptr<PrefsPaneProtocol> preferencePaneNamed(const std::u16string&) const;
    // The pane whose toolbar item is selected.
    std::shared_ptr<PrefsPaneProtocol> activePane() const;

    const std::shared_ptr<Window>& prefsWindow() const { return m_prefsWindow; }
    const std::shared_ptr<Toolbar>& prefsToolbar() const { return m_prefsToolbar; }
    void showPreferencesWindow() { createPreferencesWindowAndDisplay(true); }
    void createPreferencesWindowAndDisplay(bool display);
    void destroyPreferencesWindow();
    bool loadPreferencePaneNamed(const std::u16string& name) { return loadPrefsPaneNamed(name, true); }
    virtual bool loadPrefsPaneNamed(const std::u16string& name, bool display);
    // A click on a pane's item: shows that pane unless it shows already.
    void prefsToolbarItemClicked(ToolbarItem&);

    // The sizes the user may resize the window between (the whole frame,
    // toolbar included).
    Size windowMinSize() const;
    Size windowMaxSize() const;

    // Where the last pane shown is kept; the standard defaults unless set.
    // Not owned: it must outlive the controller.
    void setUserDefaults(UserDefaults* defaults) { m_userDefaults = defaults; }

    std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string& identifier, bool willBeInsertedIntoToolbar) override;
    std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override;

    void debugLog(const std::u16string&) const;

protected:
    UserDefaults& defaults() const;

private:
    void buildToolbar();
    bool showsToolbar() const;
    double toolbarHeight() const;

    std::shared_ptr<Window> m_prefsWindow;
    std::map<std::u16string, std::shared_ptr<PrefsPaneProtocol>> m_preferencePanes;
    std::vector<std::u16string> m_panesOrder;
    std::shared_ptr<Toolbar> m_prefsToolbar;
    std::map<std::u16string, std::shared_ptr<ToolbarItem>> m_prefsToolbarItems;
    // Receives the toolbar items' action.
    std::shared_ptr<Responder> m_itemTarget;
    UserDefaults* m_userDefaults { nullptr };
    bool m_alwaysShowsToolbar { false };
    bool m_alwaysOpensCentered { true };
    bool m_debug { false };
};

} // namespace brevanton
