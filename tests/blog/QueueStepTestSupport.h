// A blog project with one blog, a running session with that blog's step, and
// an agent that records the requests the queue steps make (answers are given
// by the tests, through the integrator, as an agent would). The run loop's
// clock is manual.
#pragma once

#include "tests/blog/BlogModelTestSupport.h"
#include "tests/blog/VornickSyncStepTestSupport.h"

#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brevanton {

struct RecordedAgentRequest {
    std::string kind; // "send", "trash", "confirm"
    Dictionary postChanges;
    std::u16string postIdentifier;
    Value nativePostIdentifier;
    Dictionary blogDescription;
};

class RecordingBlogServiceAgent : public VornickBlogServiceAgent {
public:
    std::vector<RecordedAgentRequest> requests;

    void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier) override
    {
        requests.push_back({ "send", postChanges, {}, nativePostIdentifier, blogDescription });
    }
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override
    {
        requests.push_back({ "trash", {}, postIdentifier, nativePostIdentifier, blogDescription });
    }
    void confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override
    {
        requests.push_back({ "confirm", {}, postIdentifier, nativePostIdentifier, blogDescription });
    }
};

class QueueStepTest : public ::testing::Test {
protected:
    std::string folder;
    std::shared_ptr<TestBlogProject> project = makeTestBlogProject(&folder);
    ManagedObjectContext& context = *project->index()->managedObjectContext();
    VornickBlogServiceIntegrator& integrator = project->integrator();
    std::shared_ptr<VornickLog> log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false));
    std::shared_ptr<RecordingBlogServiceAgent> agent = std::make_shared<RecordingBlogServiceAgent>();
    Dictionary blogDescription { { u"identifierUsedByBlogService", Value(u"7") }, { u"title", Value(u"Blog") },
                                 { u"browseURLString", Value(u"https://site.example/") } };
    std::shared_ptr<VornickPublishedBlog> blog;
    std::shared_ptr<VornickBlogServiceSyncSession> session;
    std::shared_ptr<VornickBlogSyncStep> blogStep;

    void SetUp() override
    {
        SyncStepStatusRecorder::drainMainQueue();
        RunLoop::main().useManualClock();
        integrator.setSyncLog(log);
        blog = integrator.importBlogDescription(blogDescription, nullptr, std::nullopt);
        ASSERT_TRUE(blog);
        session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Manual);
        blogStep = session->addStepForBlogWithDescription(blogDescription);
        ASSERT_TRUE(blogStep);
        integrator.setSyncSession(session);
        integrator.setAgent(agent);
    }

    void TearDown() override
    {
        drain();
        integrator.setSyncSession(nullptr);
        RunLoop::main().useRealClock();
    }

    static void drain() { SyncStepStatusRecorder::drainMainQueue(); }

    // A new post of the blog, saved, with its file written.
    std::shared_ptr<VornickPublishedBlogPost> makePost(const std::u16string& title, const std::u16string& identifier = {})
    {
        auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
        EXPECT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
        post->setTitle(title);
        if (!identifier.empty())
            post->ManagedObject::setValueForKey(Value(identifier), u"identifierUsedByBlogService");
        Error error;
        EXPECT_TRUE(context.save(&error)) << error;
        EXPECT_TRUE(post->writePostToURL(*post->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
        return post;
    }

    static Dictionary descriptionOfPost(const VornickPublishedBlogPost& post)
    {
        return post.archivalRepresentation()->propertyList();
    }

    static Value nativeIdentifier(const VornickPublishedBlogPost& post) { return VornickBlogServiceIntegrator::nativeIdentifierForPost(post); }

    // Starts the session, whose blog step starts its first child.
    void start()
    {
        session->setState(VornickSyncStepState::Active);
        drain();
    }

    bool logged(std::u16string_view line) const { return log->text().find(line) != std::u16string::npos; }
    size_t timesLogged(std::u16string_view line) const
    {
        std::u16string text = log->text();
        size_t count = 0;
        for (size_t at = text.find(line); at != std::u16string::npos; at = text.find(line, at + 1))
            ++count;
        return count;
    }
};

} // namespace brevanton
