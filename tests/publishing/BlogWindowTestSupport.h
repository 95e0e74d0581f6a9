// A WordPress account project on disk for the blog window's tests: one blog
// with posts and pages (published, drafts, trashed, one queued for the
// server's Trash), statuses, two categories of the same title and tags, each
// post written to its file and the index saved. The project is opened again
// from its file in a project editor, whose "Blog" components open in blog
// windows and whose "BlogPost" components open in a recording stand-in.
#pragma once

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectComponentEditor.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ArrayController.h"
#include "platform/foundation/Assertions.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "ui/VornickWebListView.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace brevanton {

// An open post, as the post window would register itself.
class RecordingPostEditor : public VornickProjectComponentEditor {
public:
    explicit RecordingPostEditor(std::shared_ptr<VornickProjectComponent> component) : m_component(std::move(component)) {}
    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_component; }
    void closeEditorWindows() override
    {
        closed = true;
        VornickProjectComponentEditor::unregisterEditor(*this);
    }
    bool closed { false };

private:
    std::shared_ptr<VornickProjectComponent> m_component;
};

struct BlogWindowFixturePost {
    const char16_t* title;
    bool page { false };
    const char16_t* status { u"publish" };
    bool inTrash { false };
    // Known to the server (an identifier and a permalink).
    bool uploaded { true };
    bool publishAtNextSync { false };
};

class BlogWindowTest : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("blog-window").value();
    std::string projectFile = folder + "/Account/project.brevantonwordpressproject";
    std::shared_ptr<VornickProjectEditor> projectEditor;
    std::shared_ptr<VornickWordPressBlogEditor> editor;
    std::vector<std::shared_ptr<RecordingPostEditor>> openedPosts;

    static std::vector<BlogWindowFixturePost> fixturePosts()
    {
        return {
            { u"Alpha news" },
            { u"Beta <em>story</em>" },
            { u"Gamma draft", false, u"draft", false, false },
            { u"About", true },
            { u"Old trashed", false, u"publish", true },
            { u"Queued for trash", false, u"publish", true, true, true },
            { u"Never uploaded trashed", false, u"draft", true, false },
            { u"Delta news" },
        };
    }

    void SetUp() override
    {
        RunLoop::main().useManualClock();
        AlertDriver::shared().reset();
        std::filesystem::create_directories(folder + "/Account");
        makeProject();
        Error error;
        projectEditor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(std::string_view(projectFile), false), &error);
        ASSERT_TRUE(projectEditor) << error;
        vornick_registerBlogWindowOpener();
        VornickProjectEditor::setComponentEditorOpener(u"BlogPost", [this](VornickProjectEditor&, const auto& component, Error*) {
            auto opened = std::make_shared<RecordingPostEditor>(component);
            openedPosts.push_back(opened);
            return opened;
        });
    }

    void TearDown() override
    {
        if (editor && !editor->isClosed())
            editor->close();
        editor.reset();
        VornickProjectEditor::setComponentEditorOpener(u"BlogPost", nullptr);
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        for (auto& opened : openedPosts)
            VornickProjectComponentEditor::unregisterEditor(*opened);
        drain();
        for (auto& open : VornickProjectEditor::openProjectEditors())
            open->close();
        drain();
        AlertDriver::shared().reset();
        RunLoop::main().useRealClock();
    }

    static void drain()
    {
        for (int turn = 0; turn < 50 && RunLoop::main().runOnce(0); ++turn) {
        }
    }

    ManagedObjectContext& context() { return *projectEditor->project()->index()->managedObjectContext(); }
    std::shared_ptr<VornickWordPressBlog> blog()
    {
        auto blogs = vornick_allEntitiesOfKind(context(), u"Blog");
        return blogs && !blogs->empty() ? std::dynamic_pointer_cast<VornickWordPressBlog>(blogs->front()) : nullptr;
    }
    std::shared_ptr<VornickWordPressBlogPost> post(const std::u16string& title)
    {
        return std::dynamic_pointer_cast<VornickWordPressBlogPost>(vornick_entityOfKind(context(), u"BlogPost", Value(title), u"title"));
    }
    std::shared_ptr<ManagedObject> entity(const char16_t* kind, const char16_t* key, const std::u16string& value)
    {
        return vornick_entityOfKind(context(), kind, Value(value), key);
    }

    // Opens the blog's window and waits for its list.
    void openWindow()
    {
        Error error;
        editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(projectEditor->openEditorForComponent(blog(), &error));
        ASSERT_TRUE(editor) << error;
        settleList();
    }
    void settleList()
    {
        auto& list = *editor->postsWebListView();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !list.webView()->isLoading(); }, 30));
        for (int turn = 0; turn < 20; ++turn) {
            drain();
            list.refreshListContent();
        }
        drain();
    }
    std::vector<std::u16string> listedTitles()
    {
        std::vector<std::u16string> titles;
        for (const auto& object : editor->postsArrayController()->arrangedObjects())
            titles.push_back(object->valueForKey(u"title").stringValue());
        std::sort(titles.begin(), titles.end());
        return titles;
    }
    void select(const std::vector<std::u16string>& titles)
    {
        std::vector<long> rows;
        for (const auto& title : titles)
            rows.push_back(editor->postsWebListView()->rowForRepresentedObject(post(title)));
        std::sort(rows.begin(), rows.end());
        editor->postsWebListView()->setSelectedRowIndexes(rows);
        drain();
    }
    std::string fileOf(const std::u16string& title) { return *post(title)->sourceFileURL()->fileSystemPath(); }

private:
    void makeProject()
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(std::string_view(projectFile), false), &error);
        ASSERT_TRUE(project) << error;
        auto& context = *project->index()->managedObjectContext();
        project->wordPressAccount()->setRootURLString(u"https://site.example");
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Site");
        blog->setSourceFileName(u"Site.brevantonwordpressblog");
        blog->setTitle(u"Test Site");
        blog->setObjectForKey(project->wordPressAccount(), u"hostingAccount");
        blog->setValueForKey(Value(u"https://site.example/"), u"browseURLString");
        // The theme's post page, so that the preview shows posts in it.
        auto templates = *blog->templatesFolderURL()->fileSystemPath();
        std::filesystem::create_directories(templates);
        std::ofstream(templates + "/post-standard.html", std::ios::binary) << postTemplate;
        auto term = [&](const char16_t* kind, const char16_t* key, const std::u16string& identifier, const std::u16string& title) {
            auto object = context.insertNewObject(kind);
            object->setValueForKey(Value(identifier), key);
            object->setValueForKey(Value(title), u"title");
            object->setObjectForKey(blog, u"blog");
            return object;
        };
        std::map<std::u16string, std::shared_ptr<ManagedObject>> statuses;
        for (auto identifier : { u"publish", u"draft" })
            statuses[identifier] = term(u"PostStatus", u"identifier", identifier, identifier);
        // Two categories of one title: a filter takes the object, not the title.
        auto news = term(u"BlogCategory", u"identifierUsedByBlogService", u"10", u"News");
        auto otherNews = term(u"BlogCategory", u"identifierUsedByBlogService", u"11", u"News");
        auto tag = term(u"BlogTag", u"identifierUsedByBlogService", u"20", u"featured");
        term(u"BlogTag", u"identifierUsedByBlogService", u"21", u"later");

        double age = 0;
        int identifier = 100;
        for (const auto& spec : fixturePosts()) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
            ASSERT_TRUE(spec.page ? post->prepareNewPageAndAssociateWithBlog(blog) : post->prepareNewPostAndAssociateWithBlog(blog));
            post->setTitle(spec.title);
            post->setSourceContentString(u"<p>Body of " + std::u16string(spec.title) + u"</p>");
            post->setSourceContentType(u"html");
            post->setObjectForKey(statuses[spec.status], u"status");
            post->setValueForKey(Value(Date::now().addingTimeInterval(-3600 * ++age)), u"dateLastEditedLocally");
            post->setValueForKey(Value(spec.inTrash), u"inTrash");
            post->setValueForKey(Value(spec.publishAtNextSync), u"publishAtNextSync");
            if (spec.uploaded) {
                std::u16string id = toUTF16(std::to_string(++identifier));
                post->setValueForKey(Value(id), u"identifierUsedByBlogService");
                post->setValueForKey(Value(u"https://site.example/?p=" + id), u"permalinkURLString");
                post->setValueForKey(Value(Date::now().addingTimeInterval(-86400 * age)), u"dateFirstPublished");
            }
            if (std::u16string(spec.title).ends_with(u"news")) {
                post->addObjectForKey(spec.title == std::u16string(u"Alpha news") ? news : otherNews, u"categories");
                post->addObjectForKey(tag, u"tags");
            }
        }
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
    }
};

} // namespace brevanton
