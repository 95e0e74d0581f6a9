// The program environment of the tests below the application (projects,
// blogs, the WordPress service): user defaults in a file of the test's own
// folder, a working-offline switch and the authorisation flow handed to it,
// installed as VornickApplicationEnvironment::current() until removed.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickApplicationEnvironment.h"
#include "toolkit/VornickAuthorizationFlowSession.h"

#include <memory>
#include <string>

namespace brevanton::testing {

class TestEnvironment final : public VornickApplicationEnvironment {
public:
    explicit TestEnvironment(const std::string& defaultsPath) : m_defaults(std::make_unique<UserDefaults>(defaultsPath)) {}

    UserDefaults& userDefaults() const override { return *m_defaults; }
    bool workingOffline() const override { return m_workingOffline; }
    void setWorkingOffline(bool workingOffline)
    {
        if (workingOffline == m_workingOffline)
            return;
        m_workingOffline = workingOffline;
        NotificationCenter::defaultCenter().post(VornickWorkingOfflineDidChangeNotification, this);
    }
    void setCurrentAuthorizationFlow(std::shared_ptr<VornickAuthorizationFlowSession> flow) override
    {
        m_currentAuthorizationFlow = std::move(flow);
    }
    const std::shared_ptr<VornickAuthorizationFlowSession>& currentAuthorizationFlow() const { return m_currentAuthorizationFlow; }
    // The redirect URL the web browser hands back, as the program takes it:
    // the flow in progress ends when it takes the URL.
    bool resumeAuthorizationFlowWithURL(const URL& url)
    {
        auto flow = m_currentAuthorizationFlow;
        if (!flow || !flow->resumeExternalUserAgentFlowWithURL(url))
            return false;
        if (m_currentAuthorizationFlow == flow)
            m_currentAuthorizationFlow.reset();
        return true;
    }

private:
    std::unique_ptr<UserDefaults> m_defaults;
    bool m_workingOffline { false };
    std::shared_ptr<VornickAuthorizationFlowSession> m_currentAuthorizationFlow;
};

class TestApplicationEnvironment {
public:
    // Makes the environment with its defaults in the file and installs it.
    void install(const std::string& defaultsPath)
    {
        auto environment = std::make_shared<TestEnvironment>(defaultsPath);
        m_environment = environment;
        VornickApplicationEnvironment::installLookup([environment] { return environment; });
    }
    void remove()
    {
        VornickApplicationEnvironment::installLookup(nullptr);
        m_environment.reset();
    }

    TestEnvironment* operator->() const { return m_environment.get(); }
    const std::shared_ptr<TestEnvironment>& get() const { return m_environment; }

private:
    std::shared_ptr<TestEnvironment> m_environment;
};

} // namespace brevanton::testing
