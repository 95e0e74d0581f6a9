#include "publishing/VornickProjectEditor.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectComponentEditor.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace brevanton {
namespace {

class CountingComponentEditor : public VornickProjectComponentEditor {
public:
    explicit CountingComponentEditor(std::shared_ptr<VornickProjectComponent> component)
        : m_component(std::move(component))
    {
    }
    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_component; }
    void showWindows() override { ++timesShown; }

    int timesShown { 0 };

private:
    std::shared_ptr<VornickProjectComponent> m_component;
};

class ProjectEditorTest : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("project-editor").value();
    std::string projectFile = folder + "/Account/project.brevantonwordpressproject";
    std::vector<std::shared_ptr<CountingComponentEditor>> made;

    void SetUp() override
    {
        std::filesystem::create_directories(folder + "/Account");
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(std::string_view(projectFile), false), &error);
        ASSERT_TRUE(project) << error;
        project->wordPressAccount()->setRootURLString(u"https://site.example");
        auto& context = *project->index()->managedObjectContext();
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Site");
        blog->setSourceFileName(u"Site.brevantonwordpressblog");
        blog->setObjectForKey(project->wordPressAccount(), u"hostingAccount");
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
        ASSERT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
        post->setTitle(u"Hello");
        ASSERT_TRUE(project->save(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;

        VornickProjectEditor::setComponentEditorOpener(u"BlogPost", [this](VornickProjectEditor&, const auto& component, Error*) {
            auto editor = std::make_shared<CountingComponentEditor>(component);
            made.push_back(editor);
            return editor;
        });
    }

    void TearDown() override
    {
        VornickProjectEditor::setComponentEditorOpener(u"BlogPost", nullptr);
        for (auto& editor : made)
            VornickProjectComponentEditor::unregisterEditor(*editor);
        for (auto& editor : VornickProjectEditor::openProjectEditors())
            editor->close();
        drainMainQueue();
    }

    static void drainMainQueue()
    {
        for (int turn = 0; turn < 20 && RunLoop::main().runOnce(0); ++turn) {
        }
    }

    std::shared_ptr<VornickProjectEditor> open(const std::string& path)
    {
        Error error;
        auto editor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(std::string_view(path), false), &error);
        EXPECT_TRUE(editor) << error;
        return editor;
    }

    static std::shared_ptr<VornickWordPressBlogPost> firstPost(const VornickProjectEditor& editor)
    {
        auto posts = vornick_allEntitiesOfKind(*editor.project()->index()->managedObjectContext(), u"BlogPost");
        return !posts || posts->empty() ? nullptr : std::dynamic_pointer_cast<VornickWordPressBlogPost>(posts->front());
    }
};

TEST_F(ProjectEditorTest, OneEditorPerProjectFileHowEverThePathIsSpelled)
{
    auto first = open(projectFile);
    ASSERT_TRUE(first);
    EXPECT_EQ(open(folder + "/Account/../Account/project.brevantonwordpressproject"), first);
    std::filesystem::create_directory_symlink(folder + "/Account", folder + "/Link");
    EXPECT_EQ(open(folder + "/Link/project.brevantonwordpressproject"), first);
    EXPECT_EQ(VornickProjectEditor::openProjectEditors().size(), 1u);

    Error error;
    EXPECT_FALSE(VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(folder + "/Missing/project.brevantonwordpressproject", false), &error));
    EXPECT_FALSE(error.localizedDescription().empty());
    EXPECT_EQ(VornickProjectEditor::openProjectEditors().size(), 1u);
}

TEST_F(ProjectEditorTest, TheProjectOfAFileIsTheOneWhoseFolderHoldsIt)
{
    auto editor = open(projectFile);
    ASSERT_TRUE(editor);
    auto inside = URL::fileURLWithPath(folder + "/Account/blogs/Site/posts/hello.brevantonwordpresspost", false);
    EXPECT_EQ(VornickProjectEditor::projectEditorForComponentSourceFileURL(inside), editor);
    // A folder whose name merely begins with the project folder's is another.
    std::filesystem::create_directories(folder + "/Account2");
    EXPECT_FALSE(VornickProjectEditor::projectEditorForComponentSourceFileURL(URL::fileURLWithPath(folder + "/Account2/x.html", false)));
    EXPECT_FALSE(VornickProjectEditor::projectEditorForComponentSourceFileURL(URL::fileURLWithPath(folder + "/Account", true)));
    EXPECT_FALSE(VornickProjectEditor::projectEditorForComponentSourceFileURL(URL::fileURLWithPath(folder + "/Account/../x.html", false)));
}

TEST_F(ProjectEditorTest, AnOpenComponentEditorIsBroughtForwardNotOpenedTwice)
{
    auto editor = open(projectFile);
    ASSERT_TRUE(editor);
    auto post = firstPost(*editor);
    ASSERT_TRUE(post);
    Error error;
    auto first = editor->openEditorForComponent(post, &error);
    ASSERT_TRUE(first) << error;
    auto again = editor->openEditorForComponent(post, &error);
    EXPECT_EQ(again, first);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made.front()->timesShown, 2);
    EXPECT_EQ(editor->componentEditors(), std::vector<std::shared_ptr<VornickProjectComponentEditor>> { first });

    // A component of no kind with an opener, and one of another project, open nothing.
    auto blog = post->blog();
    EXPECT_FALSE(editor->openEditorForComponent(blog, &error));
    EXPECT_NE(error.localizedDescription().find(u"Blog"), std::u16string::npos);
    EXPECT_FALSE(editor->openEditorForComponent(nullptr, &error));
}

TEST_F(ProjectEditorTest, TheProjectClosesAfterItsLastWindowAndIsReadAgainWhenOpened)
{
    auto editor = open(projectFile);
    ASSERT_TRUE(editor);
    auto post = firstPost(*editor);
    Error error;
    ASSERT_TRUE(editor->openEditorForComponent(post, &error)) << error;

    // With a window open, nothing closes.
    editor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
    drainMainQueue();
    EXPECT_FALSE(editor->isClosed());

    // The last window closes: the project closes on the next turn. A change
    // its window did not save (Don't Save) goes with it.
    post->setTitle(u"Discarded");
    VornickProjectComponentEditor::unregisterEditor(*made.front());
    editor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
    EXPECT_FALSE(editor->isClosed());
    drainMainQueue();
    EXPECT_TRUE(editor->isClosed());
    EXPECT_TRUE(VornickProjectEditor::openProjectEditors().empty());

    auto reopened = open(projectFile);
    ASSERT_TRUE(reopened);
    EXPECT_NE(reopened, editor);
    ASSERT_TRUE(firstPost(*reopened));
    EXPECT_EQ(firstPost(*reopened)->title(), u"Hello");
}

TEST_F(ProjectEditorTest, AWindowOpenedBeforeTheDeferredCloseRunsKeepsTheProjectOpen)
{
    auto editor = open(projectFile);
    ASSERT_TRUE(editor);
    editor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
    Error error;
    ASSERT_TRUE(editor->openEditorForComponent(firstPost(*editor), &error)) << error;
    drainMainQueue();
    EXPECT_FALSE(editor->isClosed());
}

} // namespace
} // namespace brevanton
