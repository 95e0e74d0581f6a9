// The account editor without windows of the Qt kind: an account that never
// got a blog goes when it closes (its sync cancelled first, only from the
// shoebox, its keychain items with it), and a post's publication asked for
// while working offline outlives the process.
#include "tests/publishing/ProjectEditorTestPeer.h"
#include "tests/wordpress/WordPressIntegratorTestSupport.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickKnownFileSet.h"
#include "documents/VornickProjectComponentEditor.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "platform/views/Application.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "platform/foundation/Bundle.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickKeychain.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace brevanton {
namespace {

std::string shoebox()
{
    return *VornickWordPressBlogProject::blogProjectsShoeboxDirectoryURL().fileSystemPath();
}

std::string trashedFile(const std::string& name)
{
    return xdgFolder(XDGFolder::Data) + "/Trash/files/" + name;
}

// A blog's window, to keep an account with a blog open.
class StandInBlogEditor final : public VornickProjectComponentEditor {
public:
    explicit StandInBlogEditor(std::shared_ptr<VornickProjectComponent> blog)
        : m_blog(std::move(blog))
    {
    }
    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_blog; }
    void showWindows() override { m_window->makeKeyAndOrderFront(); }

private:
    std::shared_ptr<VornickProjectComponent> m_blog;
    std::shared_ptr<Window> m_window { Window::create(Rect(100, 100, 600, 400)) };
};

class WordPressAccountEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        UserDefaults::standard().setInteger(0, VornickWordPressSyncIntervalDefaultsKey);
        // A secret made for this run, so none is written down anywhere.
        secret = UUID().UUIDString();
    }

    void TearDown() override
    {
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        editor.reset();
        project.reset();
        for (auto& projectEditor : VornickProjectEditor::openProjectEditors())
            projectEditor->close();
        drain();
        Application::shared().resetForTesting();
        UserDefaults::standard().removeObjectForKey(VornickWordPressSyncIntervalDefaultsKey);
        RunLoop::main().useRealClock();
        for (auto& folder : folders)
            std::filesystem::remove_all(folder);
    }

    static void drain()
    {
        for (int turn = 0; turn < 400 && RunLoop::main().runOnce(0); ++turn) {
        }
    }

    static bool turnUntil(const std::function<bool()>& condition)
    {
        for (int turn = 0; turn < 2000 && !condition(); ++turn)
            RunLoop::main().runOnce(0);
        return condition();
    }

    // A saved account project in `folder`, with the blogs named, its
    // password and authorization in the keychain, opened in its editor
    // around the fake site's agent.
    void openAccount(const std::string& folder, std::vector<std::u16string> blogNames = {})
    {
        std::filesystem::create_directories(folder);
        folders.push_back(folder);
        URL projectFile = URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false);
        Error error;
        {
            auto made = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(projectFile, &error);
            ASSERT_TRUE(made) << error;
            auto account = made->wordPressAccount();
            account->setRootURLString(u"https://site.example/");
            account->setUseXMLRPC(true);
            account->setLoginID(u"writer");
            auto& context = *made->index()->managedObjectContext();
            for (const auto& name : blogNames) {
                auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
                blog->setBlogFolderName(name);
                blog->setSourceFileName(name + u".brevantonwordpressblog");
                blog->setTitle(name);
                blog->setObjectForKey(account, u"hostingAccount");
            }
            ASSERT_TRUE(made->saveComponentsToSourceFilesIfNeeded(&error)) << error;
            ASSERT_TRUE(made->index()->commitEditingAndSave(&error)) << error;
            ASSERT_TRUE(made->save(&error)) << error;
        }
        project = VornickProject::createWithContentsOfProjectFileURL<FakeAgentWordPressProject>(projectFile, &error);
        ASSERT_TRUE(project) << error;
        site = project->fakeIntegrator().site;
        project->fakeIntegrator().setSyncLog(VornickLog::create(URL::fileURLWithPath(folder + "/../sync-" + toUTF8(secret) + ".log", false)));
        auto account = project->wordPressAccount();
        ASSERT_TRUE(account->setPassword(secret, &error)) << error;
        authorizationKey = *account->keychainKeyForRESTAPIAuthorizationForBlogWithID(VornickWordPressOAuth2AuthorizationSiteIdentifier);
        ASSERT_TRUE(VornickKeychain::setString(u"{}", authorizationKey, u"writer", &error)) << error;
        passwordKey = *account->keychainKeyForPassword();
        indexPath = project->index()->filePath();
        VornickProjectEditorTestPeer::openEditorForProject(project);
        editor = VornickWordPressAccountEditor::open(folder, &error);
        ASSERT_TRUE(editor) << error;
    }

    bool keychainHolds(const std::u16string& key) const { return VornickKeychain::getDataForServiceName(key, u"writer").has_value(); }

    std::u16string secret;
    std::u16string passwordKey;
    std::u16string authorizationKey;
    std::string indexPath;
    std::vector<std::string> folders;
    std::shared_ptr<FakeAgentWordPressProject> project;
    std::shared_ptr<FakeWordPressSite> site;
    std::shared_ptr<VornickWordPressAccountEditor> editor;
};

TEST_F(WordPressAccountEditor, ABloglessAccountInTheShoeboxGoesToTheTrashWithItsKeychainItemsOnceItsFirstSyncIsCancelled)
{
    std::string name = "Account " + toUTF8(secret);
    std::string folder = shoebox() + "/" + name;
    openAccount(folder);
    folders.push_back(trashedFile(name));
    folders.push_back(shoebox() + "/sync-" + toUTF8(secret) + ".log");
    // The site keeps the first sync running: the list of blogs never comes.
    site->unanswered = { "blogs" };
    drain();
    auto controller = editor->firstBlogSyncWindowController();
    ASSERT_TRUE(controller);
    // Asked again, the first sync window is the same one.
    EXPECT_EQ(editor->openFirstTimeSyncWindow(), controller);
    auto& synchronizer = project->synchronizer();
    auto session = synchronizer.currentSyncSession();
    ASSERT_TRUE(session);

    // Closing the window closes the account: the sync is cancelled first, and
    // the files go only once it has ended.
    controller->window()->performClose();
    RunLoop::main().runOnce(0);
    EXPECT_NE(session->state(), VornickSyncStepState::Active);
    ASSERT_TRUE(turnUntil([&] { return editor->isClosed(); })) << session->splat();
    drain();
    EXPECT_FALSE(synchronizer.currentSyncSession());
    EXPECT_TRUE(synchronizer.syncSessionQueue().empty());
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_TRUE(std::filesystem::exists(trashedFile(name) + "/project.brevantonwordpressproject"));
    EXPECT_FALSE(std::filesystem::exists(indexPath));
    auto indexName = std::filesystem::path(indexPath).filename().string();
    EXPECT_TRUE(std::filesystem::exists(trashedFile(indexName)));
    folders.push_back(trashedFile(indexName));
    EXPECT_FALSE(keychainHolds(passwordKey));
    EXPECT_FALSE(keychainHolds(authorizationKey));
}

TEST_F(WordPressAccountEditor, AnAccountWithABlogOrOutsideTheShoeboxOrDeeperInItIsLeftAloneOnClose)
{
    std::string outside = *createTemporaryDirectory("account-editor");
    struct Case {
        std::string folder;
        std::vector<std::u16string> blogs;
    };
    for (const Case& item : { Case { shoebox() + "/With Blog " + toUTF8(secret), { u"Kept" } },
                              Case { outside + "/Elsewhere", {} },
                              Case { shoebox() + "/Holder " + toUTF8(secret) + "/Nested", {} } }) {
        SCOPED_TRACE(item.folder);
        openAccount(item.folder, item.blogs);
        if (item.folder.find("/Holder ") != std::string::npos)
            folders.push_back(std::filesystem::path(item.folder).parent_path().string());
        editor->close();
        ASSERT_TRUE(turnUntil([&] { return editor->isClosed(); }));
        drain();
        EXPECT_TRUE(std::filesystem::exists(item.folder + "/project.brevantonwordpressproject"));
        EXPECT_TRUE(std::filesystem::exists(indexPath));
        EXPECT_TRUE(keychainHolds(passwordKey));
        EXPECT_TRUE(keychainHolds(authorizationKey));
        EXPECT_TRUE(VornickKeychain::removeDataForServiceName(passwordKey, u"writer"));
        EXPECT_TRUE(VornickKeychain::removeDataForServiceName(authorizationKey, u"writer"));
        editor.reset();
        project.reset();
        drain();
    }
    folders.push_back(outside);
}

TEST_F(WordPressAccountEditor, APublicationAskedForOfflineIsMarkedInTheStoredIndexAndStartsNoSync)
{
    std::string folder = *createTemporaryDirectory("account-editor-offline");
    std::vector<std::shared_ptr<StandInBlogEditor>> blogEditors;
    VornickProjectEditor::setComponentEditorOpener(u"Blog", [&](VornickProjectEditor&, const auto& blog, Error*) {
        blogEditors.push_back(std::make_shared<StandInBlogEditor>(blog));
        return blogEditors.back();
    });
    openAccount(folder, { u"Blog" });
    drain();
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(
        vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog").value().front());
    ASSERT_TRUE(blog);
    ASSERT_EQ(blogEditors.size(), 1u);
    ASSERT_FALSE(editor->isClosed());
    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(project->index()->managedObjectContext()->insertNewObject(u"BlogPost"));
    ASSERT_TRUE(post);
    post->setBlog(blog);
    post->setTitle(u"Later");
    post->setSourceFileName(u"later.brevantonwordpresspost");
    Error error;
    ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;

    auto delegate = VornickApplicationDelegate::create();
    Application::shared().setDelegate(delegate);
    delegate->setWorkingOffline(true);
    ASSERT_TRUE(editor->requestPublicationOfChangesToPost(*post, &error)) << error;
    EXPECT_FALSE(project->synchronizer().currentSyncSession());
    EXPECT_TRUE(std::filesystem::exists(*post->sourceFileURL()->fileSystemPath()));

    // The mark is in the index as stored: a new reading of it finds it.
    {
        auto store = PersistentStore::open(indexPath, VornickWordPressBlogProject::wordPressBlogProjectModel(), &error);
        ASSERT_TRUE(store) << error;
        auto context = ManagedObjectContext::create(store);
        auto posts = vornick_allEntitiesOfKind(*context, u"BlogPost").value_or(ManagedObjects());
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_TRUE(posts.front()->valueForKey(u"publishAtNextSync").boolValue());
    }

    delegate->setWorkingOffline(false);
    UserDefaults::standard().removeObjectForKey(VornickWorkingOfflineDefaultsKey);
    Application::shared().setDelegate(std::weak_ptr<Responder> {});
}

TEST_F(WordPressAccountEditor, TheAccountsBlogsAreKnownToTheApplicationByTheirNames)
{
    std::string folder = *createTemporaryDirectory("account-editor-known");
    std::string defaultsFolder = *createTemporaryDirectory("account-editor-defaults");
    folders.push_back(defaultsFolder);
    UserDefaults defaults(defaultsFolder + "/defaults.plist");
    auto delegate = VornickApplicationDelegate::create(defaults, Bundle::main());
    Application::shared().setDelegate(delegate);
    std::vector<std::shared_ptr<StandInBlogEditor>> blogEditors;
    VornickProjectEditor::setComponentEditorOpener(u"Blog", [&](VornickProjectEditor&, const auto& blog, Error*) {
        blogEditors.push_back(std::make_shared<StandInBlogEditor>(blog));
        return blogEditors.back();
    });
    openAccount(folder, { u"Alpha", u"Beta" });
    drain();

    auto knownTitles = [&] {
        // As the next launch reads them.
        std::map<std::string, std::u16string> titles;
        VornickKnownFileSet stored(defaults, u"knownBlogs");
        for (const auto& reference : stored.fileReferences())
            titles[std::filesystem::path(reference->path()).filename().string()] = reference->title();
        return titles;
    };
    EXPECT_EQ(knownTitles(), (std::map<std::string, std::u16string> { { "Alpha.brevantonwordpressblog", u"Alpha" },
                                                                       { "Beta.brevantonwordpressblog", u"Beta" } }));

    // A sync that lists the blogs retitles them; none is known twice.
    auto blogs = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog").value_or(ManagedObjects());
    for (const auto& object : blogs) {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(object);
        if (blog->title() == u"Beta")
            blog->setTitle(u"Beta Notes");
    }
    editor->blogServiceIntegratorReceivedBlogDescriptions(project->integrator(), {});
    EXPECT_EQ(knownTitles(), (std::map<std::string, std::u16string> { { "Alpha.brevantonwordpressblog", u"Alpha" },
                                                                       { "Beta.brevantonwordpressblog", u"Beta Notes" } }));
    Application::shared().setDelegate(std::weak_ptr<Responder> {});
}

} // namespace
} // namespace brevanton
