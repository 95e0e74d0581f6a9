// A WordPress account project in a temporary folder whose integrator talks
// to the fake WordPress agent, and helpers to run its sessions.
#pragma once

#include "tests/wordpress/FakeWordPressAgent.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncStep.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

namespace brevanton {

class FakeAgentWordPressIntegrator final : public VornickWordPressIntegrator {
public:
    std::shared_ptr<FakeWordPressSite> site { std::make_shared<FakeWordPressSite>() };

    std::shared_ptr<VornickBlogServiceAgent> agent() override
    {
        if (!VornickBlogServiceIntegrator::agent())
            setAgent(std::make_shared<FakeWordPressAgent>(site));
        return VornickBlogServiceIntegrator::agent();
    }
};

class FakeAgentWordPressProject final : public VornickWordPressBlogProject {
public:
    FakeAgentWordPressIntegrator& fakeIntegrator() { return static_cast<FakeAgentWordPressIntegrator&>(integrator()); }

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<FakeAgentWordPressIntegrator>(); }
};

class WordPressIntegratorTest : public ::testing::Test {
protected:
    std::string folder { createTemporaryDirectory("wordpress-integrator").value() };
    std::shared_ptr<FakeAgentWordPressProject> project { makeProject() };
    FakeAgentWordPressIntegrator& integrator { project->fakeIntegrator() };
    FakeWordPressSite& site { *integrator.site };
    std::shared_ptr<VornickLog> log { VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false)) };

    WordPressIntegratorTest()
    {
        integrator.setSyncLog(log);
        // XML-RPC needs no endpoint step before the site list.
        project->wordPressAccount()->setRootURLString(u"https://site.example/");
        project->wordPressAccount()->setUseXMLRPC(true);
        project->wordPressAccount()->setLoginID(u"writer");
    }
    ~WordPressIntegratorTest() override
    {
        integrator.setSyncSession(nullptr);
        integrator.setAgent(nullptr);
        RunLoop::main().runFor(0.01);
        project.reset();
        (void)removeItem(folder);
    }

    std::shared_ptr<FakeAgentWordPressProject> makeProject()
    {
        Error error;
        auto made = VornickProject::createWithNewProjectFileURL<FakeAgentWordPressProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        EXPECT_TRUE(made) << error;
        return made;
    }

    ManagedObjectContext& context() { return *integrator.context(); }

    // Runs a session of the type until it ends; answers it.
    std::shared_ptr<VornickBlogServiceSyncSession> runSession(VornickSyncSessionType type, double seconds = 30)
    {
        auto session = integrator.createSyncSessionOfType(type);
        integrator.setSyncSession(session);
        session->setState(VornickSyncStepState::Active);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return VornickSyncStepStateIsFinal(session->state()); }, seconds)) << session->splat();
        RunLoop::main().runFor(0.01);
        return session;
    }

    // The site's blog, once known here.
    std::shared_ptr<VornickWordPressBlog> blog()
    {
        return std::dynamic_pointer_cast<VornickWordPressBlog>(integrator.existingBlogForDescription(site.blogDescription));
    }
    // Makes the blog known without a session.
    std::shared_ptr<VornickWordPressBlog> importBlog()
    {
        auto imported = std::dynamic_pointer_cast<VornickWordPressBlog>(integrator.importBlogDescription(site.blogDescription, nullptr, std::nullopt));
        Error error;
        EXPECT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context(), &error)) << error;
        return imported;
    }

    // The names of the blog step's children in a session of the type (not run).
    std::vector<std::string> stepNamesOfSessionOfType(VornickSyncSessionType type)
    {
        importBlog();
        auto session = integrator.createSyncSessionOfType(type);
        integrator.setSyncSession(session);
        auto blogStep = session->stepForBlogWithDescription(site.blogDescription);
        std::vector<std::string> names;
        if (blogStep) {
            for (auto& step : blogStep->steps())
                names.push_back(toUTF8(step->name()));
        }
        integrator.setSyncSession(nullptr);
        return names;
    }

    std::shared_ptr<VornickSyncStep> stepOfSession(VornickBlogServiceSyncSession& session, std::u16string_view name)
    {
        auto blogStep = session.stepForBlogWithDescription(site.blogDescription);
        return blogStep ? std::dynamic_pointer_cast<VornickSyncStep>(blogStep->stepWithName(name)) : nullptr;
    }

    static Dictionary term(const char16_t* identifier, const char16_t* title, const char16_t* parent = nullptr)
    {
        Dictionary description { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(title) } };
        if (parent)
            description[u"parentCategoryIdentifier"] = Value(parent);
        return description;
    }

    static Dictionary post(const char16_t* identifier, std::u16string title, std::u16string permalink, std::u16string content = u"<p>Text</p>")
    {
        return { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(std::move(title)) },
                 { u"permalinkURLString", Value(std::move(permalink)) }, { u"sourceContentString", Value(std::move(content)) },
                 { u"sourceContentType", Value(u"html") }, { u"status", Value(u"publish") }, { u"type", Value(u"post") },
                 { u"dateFirstPublished", Value(Date(700000000.0)) }, { u"dateLastPublished", Value(Date(700000000.0)) } };
    }

    std::shared_ptr<ManagedObject> localTerm(const char16_t* entity, const char16_t* identifier, const char16_t* title)
    {
        auto object = context().insertNewObject(entity);
        if (identifier)
            object->setValueForKey(Value(identifier), u"identifierUsedByBlogService");
        object->setValueForKey(Value(title), u"title");
        object->setObjectForKey(blog(), u"blog");
        return object;
    }

    std::shared_ptr<ManagedObject> termTitled(std::u16string_view relationship, std::u16string_view title)
    {
        for (auto& object : blog()->objectsForKey(relationship)) {
            if (object->valueForKey(u"title").stringValue() == title)
                return object;
        }
        return nullptr;
    }

    std::shared_ptr<VornickWordPressBlogPost> postTitled(std::u16string_view title)
    {
        for (auto& object : blog()->posts()) {
            if (object->title() == title)
                return std::dynamic_pointer_cast<VornickWordPressBlogPost>(object);
        }
        return nullptr;
    }
};

} // namespace brevanton
