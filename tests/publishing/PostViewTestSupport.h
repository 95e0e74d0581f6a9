// A WordPress account project made in a temporary folder, with one blog, its
// templates and posts, and a post view delegate that records what the view
// tells it, for the post views' tests.
#pragma once

#include "blog/VornickBlogCategory.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "publishing/VornickWordPressPostView.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace brevanton {

inline std::string readTestFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

inline std::string twentyTwentyThreePostTemplate()
{
    return readTestFile(std::string(BREVANTON_TEST_DATA_DIR) + "/wordpress-templates/twentytwentythree-post.html");
}

class RecordingPostViewDelegate : public VornickBlogPostViewDelegate {
public:
    std::optional<URL> templatesFolder;
    std::vector<std::vector<std::u16string>> failureReports;
    std::vector<std::u16string> propertiesToEdit;
    // Per content change: whether it was an injection (a point was named).
    std::vector<bool> changes;
    size_t endedLoads { 0 };

    std::optional<URL> blogPostViewTemplatesFolderURL(VornickBlogPostView&) override { return templatesFolder; }
    void blogPostViewWillEditPostProperty(VornickBlogPostView&, const std::u16string& name) override { propertiesToEdit.push_back(name); }
    bool respondsToFailedAttachment() const override { return true; }
    void blogPostViewFailedAttachmentForAttachmentPointIdentifiers(VornickBlogPostView&, const std::vector<std::u16string>& failed) override
    {
        failureReports.push_back(failed);
    }
    void vornickContentEditingViewDidChangeContent(VornickContentEditingView&, WebFrame*, VornickAttachmentPoint* point) override
    {
        changes.push_back(point != nullptr);
    }
    void vornickContentEditingViewEndLoading(VornickContentEditingView&, VornickContentLoadingState, const VornickResourceLoadAttempts&) override
    {
        ++endedLoads;
    }
    size_t userEdits() const { return static_cast<size_t>(std::count(changes.begin(), changes.end(), false)); }
};

class PostViewTest : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("post-view").value();
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlog> blog;
    RecordingPostViewDelegate delegate;
    std::shared_ptr<VornickWordPressPostView> view;

    void SetUp() override
    {
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        auto& context = *project->index()->managedObjectContext();
        project->wordPressAccount()->setRootURLString(u"https://site.example");
        blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Site");
        blog->setSourceFileName(u"Site.brevantonwordpressblog");
        blog->setTitle(u"Test Site");
        blog->setObjectForKey(project->wordPressAccount(), u"hostingAccount");
        blog->setValueForKey(Value(u"https://site.example/"), u"browseURLString");
        delegate.templatesFolder = blog->templatesFolderURL();
        std::filesystem::create_directories(templatesPath());
    }

    void TearDown() override
    {
        if (view) {
            view->setDelegate(nullptr);
            view.reset();
        }
        for (int turn = 0; turn < 50 && RunLoop::main().runOnce(0); ++turn) {
        }
    }

    std::string templatesPath() const { return *blog->templatesFolderURL()->fileSystemPath(); }
    void writeTemplate(const std::string& name, const std::string& html)
    {
        std::ofstream(templatesPath() + "/" + name, std::ios::binary) << html;
    }

    std::shared_ptr<ManagedObject> term(const char16_t* entity, const char16_t* identifierKey, const std::u16string& identifier,
                                        const std::u16string& title)
    {
        auto object = project->index()->managedObjectContext()->insertNewObject(entity);
        object->setValueForKey(Value(identifier), identifierKey);
        object->setValueForKey(Value(title), u"title");
        object->setObjectForKey(blog, u"blog");
        return object;
    }

    std::shared_ptr<VornickWordPressBlogPost> makePost(const std::u16string& title, const std::u16string& body, bool page = false)
    {
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(project->index()->managedObjectContext()->insertNewObject(u"BlogPost"));
        EXPECT_TRUE(page ? post->prepareNewPageAndAssociateWithBlog(blog) : post->prepareNewPostAndAssociateWithBlog(blog));
        post->setTitle(title);
        post->setSourceContentString(body);
        post->setSourceContentType(u"html");
        post->setHasEditsNotYetSavedToSourceFile(false);
        return post;
    }

    void setFormat(const std::shared_ptr<VornickWordPressBlogPost>& post, const std::u16string& identifier)
    {
        post->setObjectForKey(term(u"PostFormat", u"identifier", identifier, identifier), u"format");
    }

    std::shared_ptr<VornickWordPressPostView> makeView()
    {
        auto made = VornickContentEditingView::create<VornickWordPressPostView>(Rect(0, 0, 1024, 768));
        made->setPaintsLoadedSource(false);
        made->setDelegate(&delegate);
        // No test reaches a real site.
        made->setResourceLoadFilter([](const URLRequest& request) -> std::optional<URLRequest> {
            if (request.url().isFileURL())
                return request;
            return std::nullopt;
        });
        made->setOEmbedRequester([](const URL&, uint64_t, uint64_t, std::function<void(std::optional<Dictionary>)>) {});
        return made;
    }

    // Runs until the view's loads (and those they start) have ended.
    static void settle(VornickBlogPostView& postView)
    {
        auto settled = [&postView] {
            return !postView.loadingContent() && postView.loadingState() != VornickContentLoadingState::InProgress;
        };
        for (int round = 0; round < 600; ++round) {
            RunLoop::main().runUntil(settled, 0.05);
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            if (settled())
                return;
        }
        ADD_FAILURE() << "the post view never finished loading";
    }

    void show(const std::shared_ptr<VornickBlogPost>& post)
    {
        if (!view)
            view = makeView();
        view->setPost(post);
        settle(*view);
    }

    std::shared_ptr<DOMElement> pointElement(const std::u16string& identifier) const
    {
        auto point = view->attachmentPointWithIdentifier(identifier);
        return point ? point->findElement() : nullptr;
    }
};

} // namespace brevanton
