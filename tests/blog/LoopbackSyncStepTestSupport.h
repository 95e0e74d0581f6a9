// A blog project whose integrator runs a real sync session through a real
// base agent, so that steps which load plain web resources talk to the
// loopback HTTP server. The account is a stand-in that can hold a REST
// endpoint as the WordPress account does, by key.
#pragma once

#include "tests/blog/BlogModelTestSupport.h"
#include "tests/blog/VornickSyncStepTestSupport.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogServiceAgent.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace brevanton {

class LoopbackTestAccount final : public VornickBlogHostingAccount {
public:
    std::string className() const override { return "LoopbackTestAccount"; }
    bool respondsToKey(std::u16string_view key) const override
    {
        return key == u"remoteEndpointURLString" || VornickBlogHostingAccount::respondsToKey(key);
    }
    Value valueForKey(std::u16string_view key) const override
    {
        if (key == u"remoteEndpointURLString")
            return m_endpoint ? Value(*m_endpoint) : Value();
        return VornickBlogHostingAccount::valueForKey(key);
    }
    void setValueForKey(const Value& value, std::u16string_view key) override
    {
        if (key == u"remoteEndpointURLString")
            m_endpoint = value.isString() ? std::optional(value.string()) : std::nullopt;
        else
            VornickBlogHostingAccount::setValueForKey(value, key);
    }

private:
    std::optional<std::u16string> m_endpoint;
};

class LoopbackSyncTestProject : public TestBlogProject {
public:
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(true, [](ManagedObjectModel& model) {
            model.entityNamed(u"BlogHostingAccount")->setInstanceFactory([] { return std::make_shared<LoopbackTestAccount>(); });
        });
        return model;
    }
};

class LoopbackSyncStepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("loopback-sync").value();
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<LoopbackSyncTestProject>(
            URL::fileURLWithPath(m_folder + "/project.brevantontestproject", false), &error);
        ASSERT_TRUE(m_project) << error;
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        integrator().setSyncLog(m_log);
        integrator().setAgent(std::make_shared<VornickBlogServiceAgent>());
        m_session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Manual);
    }

    void TearDown() override
    {
        integrator().setSyncSession(nullptr);
        integrator().setAgent(nullptr);
        RunLoop::main().runFor(0.02);
        m_session.reset();
        m_project.reset();
        m_log.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    VornickBlogServiceIntegrator& integrator() { return m_project->integrator(); }
    ManagedObjectContext& context() { return *m_project->index()->managedObjectContext(); }
    std::shared_ptr<VornickBlogHostingAccount> account() { return integrator().findHostingAccount(); }
    std::string logText() const { return toUTF8(m_log->text()); }

    // Hands the session to the integrator and makes it Active, which starts its first step.
    void startSession()
    {
        // A new session drops the agent of the last one: the test's agent is given again.
        auto agent = integrator().agent();
        integrator().setSyncSession(m_session);
        integrator().setAgent(agent ? agent : std::make_shared<VornickBlogServiceAgent>());
        m_session->setState(VornickSyncStepState::Active);
    }

    // Runs the main loop until the session has ended.
    bool runUntilSessionEnds(double seconds = 30)
    {
        return RunLoop::main().runUntil([this] { return !m_session->active(); }, seconds);
    }

    // Turns the main loop in short slices until `condition` holds (another
    // thread's doing, which does not wake the loop).
    static bool pollUntil(const std::function<bool()>& condition, double seconds = 30)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            RunLoop::main().runFor(0.005);
        }
        return true;
    }

    std::string m_folder;
    std::shared_ptr<LoopbackSyncTestProject> m_project;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<VornickBlogServiceSyncSession> m_session;
};

} // namespace brevanton
