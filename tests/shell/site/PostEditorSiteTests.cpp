// The post editor's windows against the real WordPress site, in this
// process on the offscreen platform: a wrong password shows the login
// panel's password label; a new post saved twice while its first upload
// runs makes one draft on the site; a seeded future post edited here keeps
// its date; another client's edit during a local one opens the conflict
// halves, and keeping the server's version gives its text byte for byte; a
// local picture dropped into a post goes up as a media item before the post.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/DraggingInfo.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickFirstBlogSyncLoginUI.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"
#include "publishing/VornickSyncStatusUIController.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "platform/views/Toolbar.h"
#include "editing/VornickToolbarItemViews.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "publishing/VornickMiniSyncStatusUIController.h"
#include "publishing/VornickWordPressBlogPostEditor.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <fstream>

namespace brevanton::testing {
namespace {

// Runs of white space as one blank, none at the ends: text as a page shows it.
std::u16string collapsedWhitespace(std::u16string_view text)
{
    std::u16string result;
    bool blank = false;
    for (char16_t character : text) {
        if (character == u' ' || character == u'\t' || character == u'\n' || character == u'\r') {
            blank = !result.empty();
            continue;
        }
        if (blank)
            result += u' ';
        blank = false;
        result += character;
    }
    return result;
}

class PostEditorSite : public ::testing::Test {
protected:
    void SetUp() override
    {
        BREVANTON_REQUIRE_WORDPRESS_SITE(site);
        m_site = site;
        std::string output;
        ASSERT_TRUE(runWordPressSiteScript("restore", {}, &output)) << output;
        qtApplication();
        VornickInstallHTMLServices();
        AlertDriver::shared().reset();
        m_folder = createTemporaryDirectory("post-editor-site").value();
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        auto account = project->wordPressAccount();
        account->setRootURLString(m_site.url + u"/");
        account->setUseXMLRPC(false);
        account->setLoginID(m_site.administrator.username);
        ASSERT_TRUE(project->save(&error)) << error;
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        m_shell = std::make_unique<VornickApplicationShell>(argc, argv);
    }

    void TearDown() override
    {
        m_windows.clear();
        m_account.reset();
        if (m_shell) {
            for (auto& window : Application::shared().windows())
                window->close();
            turn(0.2);
        }
        m_shell.reset();
        turn(0.1);
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        if (!m_folder.empty()) {
            EXPECT_TRUE(removeItem(m_folder));
        }
    }

    // The stored password, as the user gave it at the account's first login.
    void storeApplicationPassword()
    {
        Error error;
        auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        ASSERT_TRUE(project->wordPressAccount()->setPassword(m_site.administrator.applicationPassword, &error)) << error;
    }

    // The site imported by the executable's exhaustive sync, then the
    // account opened here (its blog's window shows).
    void importAndOpen()
    {
        storeApplicationPassword();
        ProcessLaunch launch;
        launch.executable = BREVANTON_EXECUTABLE;
        launch.arguments = { "--sync", "--type", "3", m_folder };
        launch.timeout = std::chrono::minutes(5);
        Error error;
        auto result = Process::run(launch, &error);
        ASSERT_TRUE(result) << error;
        ASSERT_TRUE(result->succeeded()) << result->standardOutput << result->standardError;
        m_account = m_shell->openAccountProject(m_folder, &error);
        ASSERT_TRUE(m_account) << error;
        ASSERT_TRUE(waitUntil([&] { return m_account->hasBlogs() && !m_account->firstBlogSyncWindowController(); }, 30));
    }

    // Runs the run loop and Qt's events for a while.
    static void turn(double seconds)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        do {
            RunLoop::main().runOnce(0.01);
            QCoreApplication::processEvents();
        } while (std::chrono::steady_clock::now() < until);
    }
    static bool waitUntil(const std::function<bool()>& condition, double seconds)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            RunLoop::main().runOnce(0.01);
            QCoreApplication::processEvents();
        }
        return true;
    }

    VornickPublishedBlogSynchronizer& synchronizer() const { return m_account->project()->synchronizer(); }
    bool waitForSyncsToEnd(double seconds = 90)
    {
        return waitUntil([&] { return !synchronizer().currentSyncSession(); }, seconds);
    }
    // Every sync log the program wrote (in the process's own cache folder).
    static std::string syncLogText()
    {
        std::string text;
        const char* caches = std::getenv("XDG_CACHE_HOME");
        std::error_code error;
        for (auto& entry : std::filesystem::recursive_directory_iterator(std::string(caches ? caches : "") + "/com.Orbendalworks.Brevanton/SyncLogs", error)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream stream(entry.path(), std::ios::binary);
            text += std::string(std::istreambuf_iterator<char>(stream), {});
        }
        return text;
    }

    std::shared_ptr<VornickWordPressBlogPost> postTitled(std::u16string_view title) const
    {
        auto posts = vornick_allEntitiesOfKind(*m_account->project()->index()->managedObjectContext(), u"BlogPost").value_or(ManagedObjects());
        for (auto& object : posts) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(object);
            if (post && post->title() == title)
                return post;
        }
        return nullptr;
    }

    // The post's window, its page loaded.
    std::shared_ptr<VornickBlogPostWindow> openPost(const VornickWordPressBlogPost& post)
    {
        Error error;
        auto window = m_shell->openBlogPostFile(*post.sourceFileURL()->fileSystemPath(), &error);
        EXPECT_TRUE(window) << error;
        if (window) {
            m_windows.push_back(window);
            settle(*window);
        }
        return window;
    }
    void settle(VornickBlogPostWindow& window)
    {
        auto& view = *window.postView();
        EXPECT_TRUE(waitUntil([&] { return !view.loadingContent() && view.loadingState() != VornickContentLoadingState::InProgress; }, 60))
            << "the post's page never finished loading";
        turn(0.05);
    }
    QtWindowWidget* widgetOf(const Window& window) const { return m_shell->backend().widgetForWindow(window); }

    // A click at the start of the node's first line, then the text typed.
    void typeAt(VornickBlogPostWindow& window, const DOMNode& node, const char* text)
    {
        auto* widget = widgetOf(*window.window());
        ASSERT_TRUE(widget);
        auto webView = window.postView()->embeddedWebView();
        auto boxes = webView->lineBoxRects(node);
        ASSERT_FALSE(boxes.empty());
        Point base = webView->convertPointToView(Point { boxes.front().minX() + 1, boxes.front().midY() }, nullptr);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(static_cast<int>(base.x), static_cast<int>(widget->height() - base.y)));
        turn(0.05);
        QTest::keyClicks(widget, text);
        turn(0.05);
    }
    std::shared_ptr<DOMElement> firstParagraph(VornickBlogPostWindow& window) const
    {
        auto point = window.postView()->attachmentPointWithIdentifier(VornickAttachmentPointBody);
        auto body = point ? point->findElement() : nullptr;
        auto paragraphs = body ? body->getElementsByTagName(u"p") : nullptr;
        return paragraphs && paragraphs->length() ? paragraphs->item(0) : nullptr;
    }
    void save(VornickBlogPostWindow& window)
    {
        QTest::keyClick(widgetOf(*window.window()), Qt::Key_S, Qt::ControlModifier);
        turn(0.05);
    }

    SiteReply get(const std::u16string& route) const { return siteRESTRequest(m_site, m_site.administrator, u"GET", route); }
    Value sitePost(const std::u16string& identifier) const
    {
        SiteReply reply = get(u"/wp/v2/posts/" + identifier + u"?context=edit");
        EXPECT_EQ(reply.status, 200);
        return reply.json.value_or(Value());
    }

    WordPressSite m_site;
    std::string m_folder;
    std::unique_ptr<VornickApplicationShell> m_shell;
    std::shared_ptr<VornickWordPressAccountEditor> m_account;
    std::vector<std::shared_ptr<VornickBlogPostWindow>> m_windows;
};

TEST_F(PostEditorSite, AWrongPasswordShowsThePasswordLabelAndTheRightOneBringsTheBlog)
{
    Error error;
    m_account = m_shell->openAccountProject(m_folder, &error);
    ASSERT_TRUE(m_account) << error;
    ASSERT_TRUE(waitUntil([&] { return m_account->firstBlogSyncWindowController() != nullptr; }, 20));
    auto controller = m_account->firstBlogSyncWindowController();
    auto loginUI = std::dynamic_pointer_cast<VornickFirstBlogSyncLoginUI>(controller->loginInterface());
    ASSERT_TRUE(loginUI);
    auto& login = *loginUI->loginUIController();
    auto* widget = widgetOf(*controller->window());
    ASSERT_TRUE(widget);
    EXPECT_TRUE(login.passwordErrorLabel()->isHidden());

    // A wrong password typed, then Return.
    login.focusPasswordField();
    QTest::keyClicks(widget, "abcd efgh ijkl mnop qrst uvwx");
    turn(0.05);
    ASSERT_TRUE(login.loginButton()->isEnabled());
    QTest::keyClick(widget, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return synchronizer().currentSyncSession() != nullptr; }, 5)) << "Return did not log in";
    ASSERT_TRUE(waitForSyncsToEnd(60));
    turn(0.1);
    EXPECT_FALSE(m_account->hasBlogs());

    // The failed sync offers the account's settings: the login panel, its
    // password label saying why.
    ASSERT_TRUE(controller->isShowingSyncStatusUI());
    auto& button = *controller->syncStatusUIController()->syncCompletionButton();
    EXPECT_EQ(button.title(), VornickFirstBlogSyncWindowController::AccountSettingsTitle);
    ASSERT_TRUE(button.performClick());
    turn(0.05);
    EXPECT_FALSE(controller->isShowingSyncStatusUI());
    EXPECT_FALSE(login.passwordErrorLabel()->isHidden()) << syncLogText();
    EXPECT_FALSE(login.passwordErrorLabel()->stringValue().empty());
    EXPECT_TRUE(login.loginIDErrorLabel()->isHidden());

    // The application password, typed over it, signs in and brings the blog.
    login.focusPasswordField();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    login.passwordField()->setTextString(m_site.administrator.applicationPassword);
    login.passwordEdited();
    ASSERT_TRUE(login.loginButton()->performClick());
    ASSERT_TRUE(waitUntil([&] { return synchronizer().currentSyncSession() != nullptr; }, 5));
    ASSERT_TRUE(waitForSyncsToEnd(180)) << syncLogText();
    EXPECT_TRUE(m_account->hasBlogs()) << syncLogText();
    EXPECT_TRUE(login.passwordErrorLabel()->isHidden());
}

TEST_F(PostEditorSite, ANewPostSavedAgainWhileItsFirstUploadRunsIsOneDraftOnTheSite)
{
    importAndOpen();
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(postTitled(u"Draft 1")->blog());
    ASSERT_TRUE(blog);

    // A new post, as the blog window's New Post makes it, with a title and text.
    auto* context = m_account->project()->index()->managedObjectContext().get();
    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(vornick_createNewEntityOfKind(*context, u"BlogPost"));
    ASSERT_TRUE(post && post->prepareNewPostAndAssociateWithBlog(blog));
    const std::u16string marker = u"Quetzal" + toUTF16(std::to_string(::getpid()));
    post->setTitle(marker + u" draft");
    post->setSourceContentString(u"<!-- wp:paragraph -->\n<p>First words.</p>\n<!-- /wp:paragraph -->");
    post->setSourceContentType(u"html");
    Error error;
    ASSERT_TRUE(post->writePostToURL(*post->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
    auto window = openPost(*post);
    ASSERT_TRUE(window);

    // Typed and saved; typed and saved again before the first upload ends.
    auto paragraph = firstParagraph(*window);
    ASSERT_TRUE(paragraph);
    typeAt(*window, *paragraph->firstChild(), "Once ");
    save(*window);
    // The save queued an upload, which a quick site may have finished already.
    ASSERT_TRUE(synchronizer().currentSyncSession() || !post->identifierUsedByBlogService().empty()) << "the save queued no upload";
    typeAt(*window, *paragraph->firstChild(), "Twice ");
    save(*window);
    ASSERT_TRUE(waitForSyncsToEnd()) << syncLogText();
    // Anything still queued goes too.
    if (post->publishAtNextSync()) {
        ASSERT_TRUE(synchronizer().queueSyncToUploadPost(*post));
        ASSERT_TRUE(waitForSyncsToEnd()) << syncLogText();
    }

    SiteReply found = get(u"/wp/v2/posts?context=edit&status=draft,publish,pending,future,private&search=" + marker);
    ASSERT_EQ(found.status, 200);
    ASSERT_TRUE(found.json && found.json->isArray());
    ASSERT_EQ(found.json->array().size(), 1u) << found.json->description() << syncLogText();
    const Value& draft = found.json->array().front();
    EXPECT_EQ(draft[u"status"].stringValue(), u"draft");
    EXPECT_EQ(draft[u"id"].description(), toUTF8(post->identifierUsedByBlogService()));
    EXPECT_EQ(draft[u"content"][u"raw"].stringValue(), post->sourceContentString());
    for (const char16_t* typed : { u"Once ", u"Twice ", u"First words." })
        EXPECT_NE(post->sourceContentString().find(typed), std::u16string::npos) << toUTF8(post->sourceContentString());
    EXPECT_FALSE(post->publishAtNextSync());
}

// The password stops working after the import (changed on the site): a
// click on Sync in the blog window ends with the window saying why, and
// the Sync button ready again.
TEST_F(PostEditorSite, ARefusedPasswordLeavesTheBlogWindowSayingWhyWithSyncReady)
{
    importAndOpen();
    Error error;
    ASSERT_TRUE(m_account->project()->wordPressAccount()->setPassword(u"aaaa bbbb cccc dddd eeee ffff", &error)) << error;
    auto blog = vornick_allEntitiesOfKind(*m_account->project()->index()->managedObjectContext(), u"Blog").value_or(ManagedObjects());
    ASSERT_FALSE(blog.empty());
    auto& component = *std::dynamic_pointer_cast<VornickProjectComponent>(blog.front());
    std::shared_ptr<VornickWordPressBlogEditor> editor;
    ASSERT_TRUE(waitUntil([&] {
        editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(VornickProjectComponentEditor::editorForComponent(component));
        return editor && editor->window() && editor->window()->isVisible();
    }, 10));
    auto sync = editor->window()->toolbar()->itemWithIdentifier(VornickStartSyncWithHostToolbarItemIdentifier);
    ASSERT_TRUE(sync && sync->view());
    auto* widget = widgetOf(*editor->window());
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centreInWidget(*widget, *sync->view()));
    ASSERT_TRUE(waitUntil([&] { return synchronizer().currentSyncSession() != nullptr; }, 5));
    EXPECT_EQ(sync->label(), u"Stop");
    ASSERT_TRUE(waitForSyncsToEnd(60));
    turn(0.1);
    EXPECT_EQ(sync->label(), u"Sync");
    ASSERT_TRUE(editor->isMiniSyncStatusShown());
    EXPECT_EQ(editor->miniSyncStatusUIController()->latestStatusMessageTextField()->stringValue(),
              u"Sync failed: WordPress rejected the password.") << syncLogText();
}

TEST_F(PostEditorSite, AnEditedFuturePostKeepsItsDateOnTheSite)
{
    importAndOpen();
    auto post = postTitled(u"Future 2");
    ASSERT_TRUE(post);
    std::u16string identifier = post->identifierUsedByBlogService();
    Value before = sitePost(identifier);
    ASSERT_EQ(before[u"status"].stringValue(), u"future");
    Value localDate = post->valueForKey(u"dateFirstPublished");
    ASSERT_TRUE(localDate.isDate());

    auto window = openPost(*post);
    ASSERT_TRUE(window);
    auto paragraph = firstParagraph(*window);
    ASSERT_TRUE(paragraph);
    typeAt(*window, *paragraph->firstChild(), "Scheduled ");
    EXPECT_EQ(post->valueForKey(u"dateFirstPublished"), localDate);
    save(*window);
    ASSERT_TRUE(waitForSyncsToEnd()) << syncLogText();
    EXPECT_FALSE(post->publishAtNextSync()) << syncLogText();

    Value after = sitePost(identifier);
    EXPECT_NE(after[u"content"][u"raw"].stringValue().find(u"Scheduled "), std::u16string::npos);
    EXPECT_EQ(after[u"status"].stringValue(), u"future");
    EXPECT_EQ(after[u"date_gmt"].stringValue(), before[u"date_gmt"].stringValue());
    EXPECT_EQ(after[u"date"].stringValue(), before[u"date"].stringValue());
    EXPECT_EQ(post->valueForKey(u"dateFirstPublished"), localDate);
}

TEST_F(PostEditorSite, AnotherClientsEditDuringALocalOneOpensTheHalvesAndKeepingTheServersGivesItsTextByteForByte)
{
    importAndOpen();
    auto post = postTitled(u"Draft 2");
    ASSERT_TRUE(post);
    std::u16string identifier = post->identifierUsedByBlogService();
    auto window = openPost(*post);
    ASSERT_TRUE(window);
    auto paragraph = firstParagraph(*window);
    ASSERT_TRUE(paragraph);
    typeAt(*window, *paragraph->firstChild(), "Mine ");

    // Meanwhile another client changes the post (WordPress dates count whole seconds).
    turn(1.1);
    const std::u16string theirs = u"<!-- wp:paragraph -->\n<p>Theirs: caf\u00e9 &amp; \u201cquotes\u201d\t<em>x</em> \U0001F98A</p>\n"
                                  u"<!-- /wp:paragraph -->\n\n";
    SiteReply edited = siteRESTRequest(m_site, m_site.administrator, u"POST", u"/wp/v2/posts/" + identifier,
                                       Value(Dictionary { { u"content", Value(theirs) } }));
    ASSERT_EQ(edited.status, 200);

    // The local edit goes on after it; the save's upload finds the server's
    // version: both show, nothing is sent.
    typeAt(*window, *paragraph->firstChild(), "More ");
    save(*window);
    ASSERT_TRUE(waitForSyncsToEnd()) << syncLogText();
    ASSERT_TRUE(waitUntil([&] { return window->conflictResolutionUIShown(); }, 10)) << syncLogText();
    Value server = sitePost(identifier);
    EXPECT_EQ(server[u"content"][u"raw"].stringValue(), theirs);
    EXPECT_FALSE(window->postEditor().shouldUploadChangesOnSave());

    // The right half shows the server's copy of this post in the theme: its
    // title and its text where the blog's posts take them.
    auto& serverView = *window->serverPostView();
    ASSERT_TRUE(waitUntil([&] { return !serverView.loadingContent() && serverView.loadingState() != VornickContentLoadingState::InProgress; }, 10));
    auto shownText = [&](const std::u16string& identifier) {
        auto point = serverView.attachmentPointWithIdentifier(identifier);
        auto element = point ? point->findElement() : nullptr;
        return element ? collapsedWhitespace(element->textContent()) : std::u16string(u"(no such place)");
    };
    EXPECT_EQ(shownText(VornickAttachmentPointTitle), collapsedWhitespace(server[u"title"][u"raw"].stringValue()));
    EXPECT_EQ(shownText(VornickAttachmentPointBody), collapsedWhitespace(vornick_stringbyStrippingHTMLMarkup(theirs)));

    // Keeping the server's version: its text, byte for byte, here and in the file.
    AlertDriver::shared().enqueueButtonTitle(u"Discard");
    window->discardLocalVersion();
    turn(0.2);
    EXPECT_FALSE(window->conflictResolutionUIShown());
    EXPECT_EQ(post->sourceContentString(), theirs);
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(*post->sourceFileURL(), &error);
    ASSERT_TRUE(archive) << error;
    EXPECT_EQ(archive->objectForKey(u"sourceContentString")->stringValue(), theirs);
    EXPECT_EQ(sitePost(identifier)[u"content"][u"raw"].stringValue(), theirs);
}

TEST_F(PostEditorSite, ALocalPictureDroppedIntoAPostGoesUpAsAMediaItemBeforeThePost)
{
    importAndOpen();
    auto post = postTitled(u"Draft 3");
    ASSERT_TRUE(post);
    std::u16string identifier = post->identifierUsedByBlogService();
    auto window = openPost(*post);
    ASSERT_TRUE(window);
    std::string picture = m_folder + "/Heron " + std::to_string(::getpid()) + ".png";
    std::filesystem::copy_file(BREVANTON_TEST_DATA_DIR "/editing/picture.png", picture);

    // Dropped at the body's first paragraph.
    auto paragraph = firstParagraph(*window);
    ASSERT_TRUE(paragraph);
    auto& view = *window->postView();
    auto webView = view.embeddedWebView();
    Rect box = webView->lineBoxRects(*paragraph->firstChild()).front();
    Point at = webView->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
    auto pasteboard = Pasteboard::pasteboardWithName(PasteboardNameDrag);
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithURL(URL::fileURLWithPath(picture, false)) }));
    DraggingInfo info { window->window(), at, DragOperations::Copy | DragOperations::Generic, pasteboard };
    ASSERT_NE(view.updateProposedDrop(info), DragOperations::None);
    ASSERT_TRUE(view.performProposedDrop(info));
    view.endProposedDrop(info);
    turn(0.2);

    // A click in the text, then Ctrl+S.
    // The save itself is done when the key is handled; the upload it starts
    // changes the post again (its media reference, the server's answer) and
    // writes it when its session ends.
    typeAt(*window, *firstParagraph(*window)->firstChild(), "");
    QTest::keyClick(widgetOf(*window->window()), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(window->isDocumentEdited());
    EXPECT_NE(post->sourceContentString().find(u"<!-- wp:image"), std::u16string::npos) << toUTF8(post->sourceContentString());
    ASSERT_TRUE(waitForSyncsToEnd()) << syncLogText();
    EXPECT_FALSE(post->publishAtNextSync());
    EXPECT_FALSE(window->isDocumentEdited());

    // The site holds the picture as a media item, and the post shows it by
    // the item's identifier, which only an item sent first can have.
    SiteReply media = get(u"/wp/v2/media?context=edit&search=Heron");
    ASSERT_EQ(media.status, 200);
    ASSERT_TRUE(media.json && media.json->isArray());
    ASSERT_EQ(media.json->array().size(), 1u) << media.json->description() << "\n" << toUTF8(post->sourceContentString()) << "\n"
                                              << syncLogText();
    const Value& item = media.json->array().front();
    EXPECT_EQ(item[u"mime_type"].stringValue(), u"image/png");
    std::u16string sourceURL = item[u"source_url"].stringValue();
    std::u16string content = sitePost(identifier)[u"content"][u"raw"].stringValue();
    EXPECT_NE(content.find(sourceURL), std::u16string::npos) << toUTF8(content);
    EXPECT_NE(content.find(u"wp-image-" + toUTF16(item[u"id"].description())), std::u16string::npos) << toUTF8(content);
    EXPECT_EQ(content.find(u"file:"), std::u16string::npos) << toUTF8(content);
    EXPECT_EQ(content.find(u"resources/"), std::u16string::npos) << toUTF8(content);
    EXPECT_LE(item[u"date_gmt"].stringValue(), sitePost(identifier)[u"modified_gmt"].stringValue());

    // Here, the item is the blog's, known by the site's identifier.
    auto blog = post->wordPressBlog();
    ASSERT_TRUE(blog);
    auto local = blog->mediaItemForIdentifier(item[u"id"]);
    ASSERT_TRUE(local);
    EXPECT_NE(local->valueForKey(u"title").stringValue().find(u"Heron"), std::u16string::npos);
}

} // namespace
} // namespace brevanton::testing
