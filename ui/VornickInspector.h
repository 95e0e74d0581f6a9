// VornickInspector: the base of the inspector windows that the user shows
// and hides from a menu. Each inspector class has one shared instance, made
// on first use with its window built; the window is built once, in code, by
// the subclass, which then gets windowDidLoad.
#pragma once

#include "platform/views/Responder.h"

#include <map>
#include <memory>
#include <typeindex>

namespace brevanton {

class Window;

class VornickInspector : public Responder {
public:
    // The one instance of `Inspector`, made (and its window built) on first use.
    template<typename Inspector>
    static std::shared_ptr<Inspector> sharedInstance()
    {
        auto& instance = sharedInstances()[std::type_index(typeid(Inspector))];
        if (!instance) {
            instance = std::shared_ptr<Inspector>(new Inspector());
            instance->window();
        }
        return std::static_pointer_cast<Inspector>(instance);
    }
    // Built on first use.
    const std::shared_ptr<Window>& window();
    bool isShown() const;
    void showWindow();
    void hideWindow();
    // Shows the window when it is hidden and hides it when it is shown.
    void showOrHideWindow();

    // Forgets every shared instance.
    static void resetSharedInstancesForTesting() { sharedInstances().clear(); }

protected:
    VornickInspector() = default;
    // Builds the window and its views.
    virtual std::shared_ptr<Window> makeWindow() = 0;
    virtual void windowDidLoad() {}

private:
    static std::map<std::type_index, std::shared_ptr<VornickInspector>>& sharedInstances();
    std::shared_ptr<Window> m_window;
};

} // namespace brevanton
