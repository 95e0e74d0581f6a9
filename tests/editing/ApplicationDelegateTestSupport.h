// The application delegate of the editing tests that need one (file access,
// snippet sets, the open panel, media staging): made with its user defaults
// in a file of the test's own folder and installed as the application's.
#pragma once

#include "app/VornickApplicationDelegate.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"

#include <memory>
#include <string>

namespace brevanton::testing {

class TestApplicationDelegate {
public:
    // Makes the delegate with its defaults in the file and installs it.
    void install(const std::string& defaultsPath)
    {
        m_defaults = std::make_unique<UserDefaults>(defaultsPath);
        m_delegate = VornickApplicationDelegate::create(*m_defaults, Bundle::main());
        Application::shared().setDelegate(m_delegate);
    }
    // Resets the application (its windows and delegate) and lets the delegate go.
    void remove()
    {
        Application::shared().resetForTesting();
        m_delegate.reset();
    }

    VornickApplicationDelegate* operator->() const { return m_delegate.get(); }
    VornickApplicationDelegate* get() const { return m_delegate.get(); }

private:
    // The delegate reads its defaults for as long as it lives.
    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<VornickApplicationDelegate> m_delegate;
};

} // namespace brevanton::testing
