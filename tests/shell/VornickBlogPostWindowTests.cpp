// A synced-like WordPress account project made in a temporary folder (one
// blog, its theme's post template, a block post saved to its file), whose
// post is opened from its file in a window of the shell on the offscreen Qt
// platform and driven by real Qt events.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "app/VornickProjectOrComponentWindow.h"
#include "blog/VornickBlogTag.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickElementAttributesInspectorModule.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "ui/VornickHTMLSourceCodeView.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/CompletingTextField.h"
#include "platform/views/DraggingInfo.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/TokenField.h"
#include "platform/store/PersistentStore.h"
#include "publishing/VornickAttachmentPointSettingsModule.h"
#include "publishing/VornickAttachmentPointSettingsUIController.h"
#include "publishing/VornickBlogPostTagListEditor.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickWordPressPagePropertiesUIController.h"
#include "platform/views/Popover.h"
#include "platform/views/Screen.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressPostView.h"
#include "publishing/VornickProjectEditor.h"
#include "shell/VornickApplicationShell.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "app/VornickApplicationDelegate.h"
#include "shell/VornickBlogPostWindow.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/foundation/PropertyList.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/OutlineView.h"
#include "platform/views/SplitView.h"
#include "platform/views/TextField.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtMenuBar.h"
#include "publishing/VornickWordPressBlogPostEditor.h"
#include "ui/VornickToolbarPickerControls.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
namespace brevanton {
namespace {

std::string readWholeFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

class BlogPostWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
        AlertDriver::shared().reset();
        folder = createTemporaryDirectory("post-window").value();
        makeProject();
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        editor = shell->openBlogPostFile(postPath, &error);
        ASSERT_TRUE(editor) << error;
        settle();
    }

    void TearDown() override
    {
        editor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
        std::filesystem::remove_all(folder);
    }

    virtual void makeProject()
    {
        auto made = makeSyncedLikeWordPressProject(folder);
        ASSERT_TRUE(made);
        postPath = *made;
    }

    void settle()
    {
        for (int round = 0; round < 1500; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            if (!editor || (!view().loadingContent() && view().loadingState() != VornickContentLoadingState::InProgress))
                return;
            RunLoop::main().runFor(0.02);
        }
        ADD_FAILURE() << "the post's page never finished loading";
    }

    VornickWordPressPostView& view() const { return *editor->postView(); }
    QtWindowWidget* widget() const { return shell->backend().widgetForWindow(*editor->window()); }
    std::shared_ptr<DOMElement> pointElement(const std::u16string& identifier) const
    {
        auto point = view().attachmentPointWithIdentifier(identifier);
        return point ? point->findElement() : nullptr;
    }
    std::shared_ptr<DOMElement> firstElement(const std::shared_ptr<DOMElement>& root, const std::u16string& tag) const
    {
        auto list = root->getElementsByTagName(tag);
        return list && list->length() ? list->item(0) : nullptr;
    }
    // A point into the start of a node's first line, in the window's widget.
    QPoint pointInWidget(const DOMNode& node) const
    {
        auto webView = view().embeddedWebView();
        Rect box = webView->lineBoxRects(node).front();
        Point base = webView->convertPointToView(Point { box.minX() + 1, box.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }
    void clickInto(const DOMNode& node)
    {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(node));
        settle();
    }
    void type(const char* text)
    {
        QTest::keyClicks(widget(), text);
        settle();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(widget(), key, modifiers);
        settle();
    }
    // A value of the post's file (a JSON archive).
    Value postFileValue(const char16_t* key) const
    {
        EXPECT_TRUE(readWholeFile(postPath).starts_with("{"));
        Error error;
        auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(postPath), &error);
        EXPECT_TRUE(archive) << error;
        const Value* value = archive ? archive->objectForKey(key) : nullptr;
        return value ? *value : Value();
    }

    std::string folder;
    std::string postPath;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickBlogPostWindow> editor;
};

TEST_F(BlogPostWindow, ThePostFileOpensInItsThemeWithEveryPointAttachedAndNothingEdited)
{
    ASSERT_EQ(shell->blogPostWindows().size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickProjectOrComponentWindow>(editor->window()));
    EXPECT_EQ(editor->window()->title(), u"Hello world");
    EXPECT_FALSE(view().usingClearView());
    EXPECT_EQ(view().mainFrameURL()->lastPathComponent(), u"post-standard.html");
    for (const char16_t* identifier : { u"title", u"body", u"date", u"categories", u"tags" })
        EXPECT_TRUE(pointElement(identifier)) << toUTF8(identifier);
    EXPECT_TRUE(view().identifiersOfUnAbsolvedFailedAttachmentPoints().empty());
    EXPECT_EQ(pointElement(u"title")->textContent(), u"Hello world");
    auto body = pointElement(u"body")->textContent();
    EXPECT_NE(body.find(u"Omega paragraph stays."), std::u16string::npos);
    EXPECT_EQ(body.find(u"Welcome to WordPress"), std::u16string::npos);
    // Filling the template is neither an edit nor a step to undo.
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_FALSE(editor->window()->isDocumentEdited());
    EXPECT_FALSE(editor->window()->undoManager()->canUndo());
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());

    // Another file of the folder is no post of the project.
    std::string stray = std::filesystem::path(postPath).parent_path().string() + "/stray.brevantonwordpresspost";
    ASSERT_TRUE(writeFileAtomically(stray, "{}"));
    Error error;
    EXPECT_FALSE(shell->openBlogPostFile(stray, &error));
    EXPECT_EQ(error.code(), VornickPostFileNotInProjectError);
    EXPECT_FALSE(shell->openBlogPostFile(createTemporaryDirectory("no-project").value() + "/x.brevantonwordpresspost", &error));
    EXPECT_EQ(shell->blogPostWindows().size(), 1u);

    // File > Open takes post files too; the open post's window comes forward
    // rather than a second window on the same post.
    shell->setOpenPanel([this](const QtOpenPanelRequest& request, std::function<void(std::optional<URL>)> answer) {
        EXPECT_NE(std::find(request.allowedFileTypes.begin(), request.allowedFileTypes.end(), u"brevantonwordpresspost"),
                  request.allowedFileTypes.end());
        answer(URL::fileURLWithPath(postPath));
    });
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(shell->blogPostWindows().size(), 1u);
    EXPECT_EQ(Application::shared().keyWindow(), editor->window());
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
    Error again;
    EXPECT_EQ(shell->openBlogPostFile(postPath, &again), editor);
    EXPECT_EQ(shell->blogPostWindows().size(), 1u);
}

TEST_F(BlogPostWindow, ThePictureShowsThePostsTitleInItsBoxAndNoAdminBarCommentsOrBanner)
{
    settle();
    QImage picture = widget()->grab().toImage();
    auto document = view().mainFrameDocument();
    EXPECT_FALSE(document->getElementById(u"wpadminbar"));
    EXPECT_FALSE(document->getElementById(u"comments"));
    EXPECT_FALSE(view().attachmentPointFailureBannerShown());
    EXPECT_FALSE(view().templateFallbackBannerShown());

    auto webView = view().embeddedWebView();
    Rect titleBox = webView->convertRectToView(webView->boundingBox(*pointElement(u"title")), nullptr).insetBy(-2, -2);
    size_t titleRuns = 0;
    for (const auto& command : widget()->lastPaintedCommands()) {
        // The page's own text (the window's chrome shows the page's title too).
        if (command.kind != DrawCommand::Kind::TextRun && command.kind != DrawCommand::Kind::Text)
            continue;
        if (!command.view || !(command.view == webView.get() || command.view->isDescendantOf(webView.get())))
            continue;
        EXPECT_EQ(command.text.find(u"Dashboard"), std::u16string::npos) << "the admin bar is drawn";
        EXPECT_EQ(command.text.find(u"Leave a Reply"), std::u16string::npos) << "the comments are drawn";
        EXPECT_EQ(command.text.find(u"Welcome to WordPress"), std::u16string::npos) << "the theme's sample body is drawn";
        if (command.text.find(u"Hello") == std::u16string::npos && command.text.find(u"world") == std::u16string::npos)
            continue;
        ++titleRuns;
        EXPECT_TRUE(titleBox.containsRect(command.rectInWindow)) << toUTF8(command.text);
        // Ink where the run was recorded: more than the page's background.
        QRect inWidget(static_cast<int>(command.rectInWindow.minX()), static_cast<int>(widget()->height() - command.rectInWindow.maxY()),
                       std::max(2, static_cast<int>(command.rectInWindow.width())), std::max(2, static_cast<int>(command.rectInWindow.height())));
        std::set<QRgb> colours;
        for (int y = inWidget.top(); y <= inWidget.bottom(); ++y) {
            for (int x = inWidget.left(); x <= inWidget.right(); ++x) {
                if (picture.rect().contains(x, y))
                    colours.insert(picture.pixel(x, y));
            }
        }
        EXPECT_GE(colours.size(), 2u) << toUTF8(command.text);
    }
    EXPECT_GT(titleRuns, 0u) << "the title is drawn";
}

TEST_F(BlogPostWindow, TypedTitleAndParagraphAreSavedWithTheRestOfTheBodyAndASecondSaveWritesNothing)
{
    auto editedBefore = postFileValue(u"dateLastEditedLocally");
    clickInto(*pointElement(u"title")->firstChild());
    type("Brand ");
    auto paragraph = firstElement(pointElement(u"body"), u"p");
    ASSERT_TRUE(paragraph);
    clickInto(*paragraph->firstChild());
    type("Typed ");
    ASSERT_NE(pointElement(u"title")->textContent().find(u"Brand"), std::u16string::npos);
    ASSERT_NE(paragraph->textContent().find(u"Typed"), std::u16string::npos);
    EXPECT_TRUE(editor->isDocumentEdited());
    EXPECT_TRUE(editor->window()->isDocumentEdited());
    EXPECT_TRUE(editor->post()->valueForKey(u"dateLastEditedLocally").isDate());

    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_FALSE(editor->window()->isDocumentEdited());
    std::u16string title = postFileValue(u"title").stringValue();
    std::u16string body = postFileValue(u"sourceContentString").stringValue();
    EXPECT_NE(title.find(u"Brand"), std::u16string::npos) << toUTF8(title);
    EXPECT_NE(title.find(u"world"), std::u16string::npos) << toUTF8(title);
    EXPECT_EQ(editor->window()->title(), vornick_stringbyStrippingHTMLMarkup(title));
    EXPECT_NE(body.find(u"Typed"), std::u16string::npos) << toUTF8(body);
    EXPECT_NE(body.find(u"Alpha paragraph."), std::u16string::npos) << toUTF8(body);
    // Both blocks are kept around their paragraphs; the untouched one is written as it was stored.
    EXPECT_NE(body.find(u"<!-- wp:paragraph -->\n<p>Omega paragraph stays.</p>\n<!-- /wp:paragraph -->"), std::u16string::npos)
        << toUTF8(body);
    size_t opened = 0;
    for (size_t at = body.find(u"<!-- wp:paragraph -->"); at != std::u16string::npos; at = body.find(u"<!-- wp:paragraph -->", at + 1))
        ++opened;
    EXPECT_EQ(opened, 2u) << toUTF8(body);
    EXPECT_LT(body.find(u"<!-- wp:paragraph -->"), body.find(u"Typed"));
    EXPECT_EQ(body.find(u"file:"), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(body.find(u"class="), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(body.find(u"Welcome to WordPress"), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(postFileValue(u"sourceContentType").stringValue(), u"html");
    EXPECT_NE(postFileValue(u"dateLastEditedLocally"), editedBefore);

    // The index holds what the file holds: a project opened afresh finds it.
    Error error;
    auto reopened = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(reopened) << error;
    auto posts = vornick_allEntitiesOfKind(*reopened->index()->managedObjectContext(), u"BlogPost").value_or(ManagedObjects());
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts.front()->valueForKey(u"sourceContentString").stringValue(), body);
    EXPECT_FALSE(std::dynamic_pointer_cast<VornickProjectComponent>(posts.front())->hasEditsNotYetSavedToSourceFile());
    reopened.reset();

    // Nothing changed since: the file is not written again.
    auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(postPath, old);
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(std::filesystem::last_write_time(postPath), old);
    EXPECT_FALSE(editor->isDocumentEdited());
}

TEST_F(BlogPostWindow, SavingAPostThatIsNotLiveQueuesItForTheNextSyncAndSavingALiveOneDoesNot)
{
    // Never sent, without a status: a save queues it.
    clickInto(*pointElement(u"title")->firstChild());
    type("Queued ");
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(postFileValue(u"publishAtNextSync").boolValue());

    // Live on the site: a save keeps it out of the queue (only publishing sends it).
    auto& context = *editor->project()->index()->managedObjectContext();
    auto status = context.insertNewObject(u"PostStatus");
    status->setValueForKey(Value(u"publish"), u"identifier");
    status->setObjectForKey(editor->blog(), u"blog");
    editor->post()->setObjectForKey(status, u"status");
    editor->post()->setValueForKey(Value(u"12"), u"identifierUsedByBlogService");
    editor->post()->setValueForKey(Value(false), u"publishAtNextSync");
    ASSERT_TRUE(editor->post()->currentlyPublished());
    clickInto(*firstElement(pointElement(u"body"), u"p")->firstChild());
    type("Live ");
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(postFileValue(u"sourceContentString").stringValue().find(u"Live"), std::u16string::npos);
    EXPECT_FALSE(postFileValue(u"publishAtNextSync").boolValue());
}

TEST_F(BlogPostWindow, UndoAndRedoTakeTypingBackAndForth)
{
    auto paragraph = firstElement(pointElement(u"body"), u"p");
    clickInto(*paragraph->firstChild());
    type("Undone ");
    ASSERT_NE(paragraph->textContent().find(u"Undone"), std::u16string::npos);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(paragraph->textContent(), u"Alpha paragraph.");
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(paragraph->textContent().find(u"Undone"), std::u16string::npos);
}

TEST_F(BlogPostWindow, ClearViewOnAndOffKeepsTheEditsAndRemembersTheChoice)
{
    auto paragraph = firstElement(pointElement(u"body"), u"p");
    clickInto(*paragraph->firstChild());
    type("Kept ");

    press(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(view().usingClearView());
    EXPECT_EQ(view().mainFrameURL()->lastPathComponent(), u"ClearViewTemplate.html");
    EXPECT_TRUE(UserDefaults::standard().boolForKey(u"ClearViewOn"));
    ASSERT_TRUE(pointElement(u"body"));
    EXPECT_NE(pointElement(u"body")->textContent().find(u"Kept"), std::u16string::npos);
    EXPECT_NE(pointElement(u"title")->textContent().find(u"Hello world"), std::u16string::npos);
    // The steps of the old page cannot apply to the new one.
    EXPECT_FALSE(editor->window()->undoManager()->canUndo());
    // The edit is not saved yet.
    EXPECT_TRUE(editor->isDocumentEdited());

    press(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(view().usingClearView());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(u"ClearViewOn"));
    EXPECT_EQ(view().mainFrameURL()->lastPathComponent(), u"post-standard.html");
    EXPECT_NE(pointElement(u"body")->textContent().find(u"Kept"), std::u16string::npos);
    EXPECT_TRUE(editor->isDocumentEdited());

    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(postFileValue(u"sourceContentString").stringValue().find(u"Kept"), std::u16string::npos);
}

TEST_F(BlogPostWindow, ClosingWithEditsAsksAndAnUneditedPostClosesAtOnce)
{
    auto original = readWholeFile(postPath);
    clickInto(*pointElement(u"title")->firstChild());
    type("Unsaved ");

    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    press(Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(),
              u"Do you want to save the changes made to the document \u201CHello world\u201D?");
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(readWholeFile(postPath), original);

    AlertDriver::shared().enqueueButtonTitle(u"Save");
    editor->window()->performClose();
    settle();
    EXPECT_FALSE(editor->window()->isVisible());
    EXPECT_TRUE(shell->blogPostWindows().empty());
    EXPECT_NE(postFileValue(u"title").stringValue().find(u"Unsaved"), std::u16string::npos);
    // The account's last window closed: so did its project.
    EXPECT_FALSE(VornickProjectEditor::projectEditorForProject(editor->project()));
}

// Quit with an unsaved post and its account's windows open: Cancel keeps
// everything; Save writes the post and the Quit goes on to the end.
TEST_F(BlogPostWindow, QuitAsksAboutTheUnsavedPostThenClosesEveryWindow)
{
    auto original = readWholeFile(postPath);
    clickInto(*pointElement(u"title")->firstChild());
    type("Quitting ");
    Error error;
    ASSERT_TRUE(shell->openAccountProject(folder, &error)) << error;
    settle();

    struct Step {
        const char16_t* answer;
        bool windowsLeft;
        bool saved;
    };
    for (const Step& step : { Step { u"Cancel", true, false }, Step { u"Save", false, true } }) {
        AlertDriver::shared().enqueueButtonTitle(step.answer);
        press(Qt::Key_Q, Qt::ControlModifier);
        for (int round = 0; round < 5; ++round)
            settle();
        EXPECT_EQ(shell->hasOpenWindows(), step.windowsLeft) << toUTF8(step.answer);
        EXPECT_EQ(readWholeFile(postPath) != original, step.saved) << toUTF8(step.answer);
    }
    EXPECT_NE(postFileValue(u"title").stringValue().find(u"Quitting"), std::u16string::npos);
}

TEST_F(BlogPostWindow, ABodySavedAfterAFailedSaveIsWrittenWholeAndLaterEditsFollowIt)
{
    auto paragraph = firstElement(pointElement(u"body"), u"p");
    ASSERT_TRUE(paragraph);
    clickInto(*paragraph->firstChild());
    type("First ");
    // The post's folder is gone, a file in its place: the save fails.
    auto postsFolder = std::filesystem::path(postPath).parent_path();
    std::filesystem::rename(postsFolder, postsFolder.string() + ".away");
    std::ofstream(postsFolder.string(), std::ios::binary) << "in the way";
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_TRUE(editor->isDocumentEdited());
    std::filesystem::remove(postsFolder);
    std::filesystem::rename(postsFolder.string() + ".away", postsFolder);

    // Saved again, unchanged since: the text read back at the failed save
    // reaches the file and the index.
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(editor->isDocumentEdited());
    std::u16string body = postFileValue(u"sourceContentString").stringValue();
    EXPECT_NE(body.find(u"First "), std::u16string::npos) << toUTF8(body);
    EXPECT_NE(body.find(u"Omega paragraph stays."), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(editor->post()->sourceContentString(), body);

    // Typed on and saved: the next text replaces it.
    type("Second ");
    press(Qt::Key_S, Qt::ControlModifier);
    std::u16string second = postFileValue(u"sourceContentString").stringValue();
    EXPECT_NE(second.find(u"First Second "), std::u16string::npos) << toUTF8(second);
    EXPECT_EQ(editor->post()->sourceContentString(), second);
    EXPECT_FALSE(editor->isDocumentEdited());
}

TEST_F(BlogPostWindow, DontSaveLeavesTheFileAndSettingsChangesAreStoredInTheBlogFile)
{
    auto original = readWholeFile(postPath);
    // A title selector the sheet stored: the page is made again with it.
    auto blog = editor->blog();
    VornickAttachmentPointLocatorSet set(
        { { u"title", std::make_shared<VornickAttachmentPointLocator>(u"title", u".wp-block-site-title") } });
    blog->setPostAttachmentPointData(set.data());
    blog->setHasEditsNotYetSavedToSourceFile(true);
    editor->attachmentPostSettingsDidChange();
    settle();
    EXPECT_FALSE(blog->hasEditsNotYetSavedToSourceFile());
    auto blogFile = readWholeFile(*blog->sourceFileURL()->fileSystemPath());
    EXPECT_NE(blogFile.find("wp-block-site-title"), std::string::npos) << blogFile;
    ASSERT_TRUE(pointElement(u"title"));
    EXPECT_TRUE(pointElement(u"title")->getAttribute(u"class").find(u"wp-block-site-title") != std::u16string::npos);

    clickInto(*firstElement(pointElement(u"body"), u"p")->firstChild());
    type("Dropped ");
    AlertDriver::shared().enqueueButtonTitle(u"Don\u2019t Save");
    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(editor->window()->isVisible());
    EXPECT_EQ(readWholeFile(postPath), original);
}

TEST_F(BlogPostWindow, ADroppedPictureIsAnImageBlockOfANewMediaItemAndAFileHoldingNoPictureIsRefusedInASheet)
{
    auto paragraph = firstElement(pointElement(u"body"), u"p");
    ASSERT_TRUE(paragraph);
    auto dropFile = [&](const std::string& path) {
        auto webView = view().embeddedWebView();
        Rect box = webView->lineBoxRects(*paragraph->firstChild()).front();
        Point at = webView->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
        auto pasteboard = Pasteboard::pasteboardWithName(PasteboardNameDrag);
        pasteboard->clearContents();
        EXPECT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithURL(URL::fileURLWithPath(path, false)) }));
        DraggingInfo info { editor->window(), at, DragOperations::Copy | DragOperations::Generic, pasteboard };
        bool dropped = view().updateProposedDrop(info) != DragOperations::None && view().performProposedDrop(info);
        view().endProposedDrop(info);
        settle();
        return dropped;
    };
    auto items = [&] { return editor->post()->wordPressBlog()->mediaItems().size(); };

    // Text under a picture's name: a sheet says why, and the page keeps nothing of it.
    std::string notes = folder + "/notes.png";
    std::ofstream(notes, std::ios::binary) << "Private notes, not a picture.\n";
    std::u16string before = pointElement(u"body")->innerHTML();
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    EXPECT_FALSE(dropFile(notes));
    EXPECT_EQ(pointElement(u"body")->innerHTML(), before);
    ASSERT_FALSE(AlertDriver::shared().shownAlerts().empty());
    auto& alert = *AlertDriver::shared().shownAlerts().back();
    EXPECT_EQ(alert.messageText(), u"The file could not be added to the post.");
    EXPECT_NE(alert.informativeText().find(u"holds no image, sound or film"), std::u16string::npos) << toUTF8(alert.informativeText());
    EXPECT_EQ(pointElement(u"body")->innerHTML().find(u"notes"), std::u16string::npos);
    EXPECT_EQ(items(), 0u);

    // A picture: an image block showing the blog's copy, one new media item.
    std::string picture = folder + "/Heron.png";
    std::filesystem::copy_file(BREVANTON_TEST_DATA_DIR "/editing/picture.png", picture);
    ASSERT_TRUE(dropFile(picture));
    std::u16string body = pointElement(u"body")->innerHTML();
    EXPECT_NE(body.find(u"<!-- wp:image"), std::u16string::npos) << toUTF8(body);
    EXPECT_NE(body.find(u"resources/Heron.png"), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(items(), 1u);
    EXPECT_TRUE(editor->isDocumentEdited());
}

TEST_F(BlogPostWindow, TheFeaturedImageOpensThePropertiesAndAcceptedTagsShowInThePageAsAnEdit)
{
    auto post = editor->post();
    auto& context = *post->managedObjectContext();
    auto travel = context.insertNewObject(u"BlogTag");
    travel->setValueForKey(Value(u"Travel"), u"title");
    travel->setObjectForKey(editor->blog(), u"blog");
    auto tagLinks = [this] {
        std::vector<std::u16string> titles;
        auto links = view().mainFrameDocument()->getElementsByTagName(u"a");
        for (unsigned index = 0; index < links->length(); ++index) {
            if (links->item(index)->getAttribute(u"rel") == u"tag")
                titles.push_back(links->item(index)->textContent());
        }
        return titles;
    };
    EXPECT_EQ(tagLinks(), std::vector<std::u16string> {}) << "the theme's sample tag and category are gone";

    // Typing first: the edit is kept through the properties' edit.
    clickInto(*firstElement(pointElement(u"body"), u"p")->firstChild());
    type("Kept ");

    // The featured image's click asks the window for the properties up the responder chain.
    EXPECT_TRUE(view().editPostProperties());
    auto* properties = dynamic_cast<VornickWordPressPostPropertiesUIController*>(editor->postPropertiesController());
    ASSERT_TRUE(properties);
    ASSERT_TRUE(properties->popover()->isShown());
    EXPECT_EQ(properties->post(), post);

    properties->tagsTokenFieldController()->tokenField()->setObjects({ std::static_pointer_cast<VornickBlogTag>(travel) });
    EXPECT_TRUE(properties->acceptSettings());
    settle();
    EXPECT_EQ(tagLinks(), std::vector<std::u16string> { u"Travel" }) << "the page is made again with the tag";
    EXPECT_NE(pointElement(u"body")->textContent().find(u"Kept Alpha paragraph."), std::u16string::npos);
    EXPECT_TRUE(editor->isDocumentEdited());
    EXPECT_TRUE(editor->window()->isDocumentEdited());

    // The tag list opens its editor now that it shows a tag.
    auto tags = view().attachmentPointWithIdentifier(u"tags");
    ASSERT_TRUE(tags);
    tags->actionHandler()(*tags);
    ASSERT_TRUE(view().tagListEditor());
    EXPECT_TRUE(view().tagListEditor()->popover()->isShown());
    view().tagListEditor()->cancelTagEdits();

    // Saved, the post file holds the tag.
    Error error;
    EXPECT_TRUE(editor->save(&error)) << error;
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_EQ(postFileValue(u"tags"), Value(Array { Value(u"Travel") }));
}

TEST_F(BlogPostWindow, TheTitleFieldSetsTheTitleAsOneUndoableStepThatThePageShowsAndTheFileKeeps)
{
    auto field = editor->titleTextField();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->stringValue(), u"Hello <em>world</em>");
    auto clickField = [&] {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*widget(), *field));
        settle();
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::u16string title;
    };
    const std::u16string typed = u"Hello <em>world</em> again";
    const Step steps[] = {
        { "typing sets nothing yet", [&] { clickField(); type(" again"); }, u"Hello <em>world</em>" },
        { "Return sets it", [&] { press(Qt::Key_Return, Qt::NoModifier); }, typed },
        { "undo takes it back", [&] { press(Qt::Key_Z, Qt::ControlModifier); }, u"Hello <em>world</em>" },
        { "redo sets it again", [&] { press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }, typed },
        { "leaving the field sets what was typed",
          [&] { clickField(); type("!"); clickInto(*firstElement(pointElement(u"body"), u"p")->firstChild()); }, typed + u"!" },
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(editor->post()->title(), step.title) << step.what;
        EXPECT_EQ(pointElement(u"title")->textContent(), vornick_stringbyStrippingHTMLMarkup(step.title)) << step.what;
        EXPECT_EQ(editor->window()->title(), vornick_stringbyStrippingHTMLMarkup(step.title)) << step.what;
    }
    EXPECT_EQ(editor->window()->undoManager()->undoActionName(), u"Blog Post Title Change");
    EXPECT_TRUE(editor->window()->isDocumentEdited());

    // Typed in the page's title place, the title shows in the field.
    clickInto(*pointElement(u"title")->firstChild());
    type("Big ");
    EXPECT_EQ(field->stringValue(), u"Big " + typed + u"!");

    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(editor->isDocumentEdited());
    EXPECT_EQ(postFileValue(u"title").stringValue(), u"Big " + typed + u"!");
}

// With its account open, a link's address field in a post offers the
// addresses of the account's published posts that match what is typed.
TEST_F(BlogPostWindow, ALinksAddressFieldCompletesToTheAccountsPublishedPosts)
{
    auto& context = *editor->project()->index()->managedObjectContext();
    const std::u16string permalink = u"https://site.example/2023/01/02/second-post/";
    auto other = context.insertNewObject(u"BlogPost");
    other->setObjectForKey(editor->blog(), u"blog");
    other->setValueForKey(Value(u"Second post"), u"title");
    other->setValueForKey(Value(permalink), u"permalinkURLString");
    Error error;
    ASSERT_TRUE(shell->openAccountProject(folder, &error)) << error;
    settle();
    UserDefaults::standard().setBool(true, u"ShowURLAttributeEditorWhenCreatingALink");

    auto attributes = [&]() -> std::shared_ptr<VornickElementAttributesInspectorModule> {
        auto controller = VornickContentEditingViewTestPeer::of(view()).elementEditorUIController;
        return controller && controller->moduleCount()
            ? std::dynamic_pointer_cast<VornickElementAttributesInspectorModule>(controller->modules().front())
            : nullptr;
    };
    clickInto(*firstElement(pointElement(u"body"), u"p")->firstChild());
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_Right, Qt::ShiftModifier);
    press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(attributes());
    auto href = std::dynamic_pointer_cast<CompletingTextField>(attributes()->fieldForAttribute(u"href"));
    ASSERT_TRUE(href);
    auto popoverWindow = href->window();
    ASSERT_TRUE(popoverWindow && popoverWindow->firstResponder() == href);
    auto* popup = shell->backend().widgetForWindow(*popoverWindow);
    ASSERT_TRUE(popup);
    auto typeInPopup = [&](const char* text) {
        QTest::keyClicks(popup, text);
        settle();
    };

    // What matches nothing offers nothing; "second" offers the post.
    typeInPopup("zzz");
    EXPECT_FALSE(href->isShowingCompletions());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(popup, Qt::Key_Backspace);
    typeInPopup("second");
    ASSERT_TRUE(href->isShowingCompletions());
    EXPECT_EQ(href->completions(), std::vector<std::u16string> { permalink });
    // Escape closes the list alone; typing brings it back.
    QTest::keyClick(popup, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(href->isShowingCompletions());
    EXPECT_TRUE(popoverWindow->isVisible());
    typeInPopup("-");
    ASSERT_TRUE(href->isShowingCompletions());
    // Return takes the completion; the next Return makes it the link's.
    QTest::keyClick(popup, Qt::Key_Return);
    settle();
    EXPECT_EQ(href->stringValue(), permalink);
    EXPECT_FALSE(href->isShowingCompletions());
    EXPECT_TRUE(popoverWindow->isVisible());
    QTest::keyClick(popup, Qt::Key_Return);
    settle();
    EXPECT_FALSE(popoverWindow->isVisible());
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(postFileValue(u"sourceContentString").stringValue().find(u"<a href=\"" + permalink + u"\">Al</a>"), std::u16string::npos)
        << toUTF8(postFileValue(u"sourceContentString").stringValue());
    UserDefaults::standard().removeObjectForKey(u"ShowURLAttributeEditorWhenCreatingALink");
}

// The theme's post page names its title by another class than the ones
// looked for by default.
class BlogPostWindowWithoutTitlePlace : public BlogPostWindow {
protected:
    void makeProject() override
    {
        BlogPostWindow::makeProject();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().filename() != "post-standard.html")
                continue;
            std::string page = readWholeFile(entry.path().string());
            std::string from = "<h1 class=\"wp-block-post-title\">";
            ASSERT_NE(page.find(from), std::string::npos);
            page.replace(page.find(from), from.size(), "<h1 class=\"headline-of-post\">");
            ASSERT_TRUE(writeFileAtomically(entry.path().string(), page));
        }
    }

    // The button of that title somewhere in the view tree.
    static std::shared_ptr<Button> buttonTitled(const std::shared_ptr<View>& root, std::u16string_view title)
    {
        if (auto button = std::dynamic_pointer_cast<Button>(root); button && button->title() == title)
            return button;
        for (const auto& subview : root->subviews()) {
            if (auto found = buttonTitled(subview, title))
                return found;
        }
        return nullptr;
    }
    // A click in the middle of a view of the window, on the window's widget.
    void clickView(const View& target)
    {
        auto* window = target.window().get();
        ASSERT_TRUE(window);
        QtWindowWidget* onWidget = shell->backend().widgetForWindow(*window);
        ASSERT_TRUE(onWidget);
        Point base = target.convertPointToView(Point { target.bounds().midX(), target.bounds().midY() }, nullptr);
        QTest::mouseClick(onWidget, Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(base.x), static_cast<int>(onWidget->height() - base.y)));
        settle();
    }
    QtWindowWidget* sheetWidget() const
    {
        auto* controller = editor->attachmentPointSettingsController();
        return controller ? shell->backend().widgetForWindow(*controller->sheetWindow()) : nullptr;
    }
    void typeInSheet(const char* text)
    {
        QTest::keyClicks(sheetWidget(), text);
        settle();
    }
};

TEST_F(BlogPostWindowWithoutTitlePlace, TheBannerOpensTheSheetWhoseControlsTakeRealEventsAndTheTitleSelectorIsStoredAndUsedAgain)
{
    // The title has no place: the banner says so, the rest of the post is in place.
    ASSERT_TRUE(view().attachmentPointFailureBannerShown());
    auto failed = view().identifiersOfUnAbsolvedFailedAttachmentPoints();
    EXPECT_NE(std::find(failed.begin(), failed.end(), u"title"), failed.end());
    EXPECT_FALSE(pointElement(u"title"));
    ASSERT_TRUE(pointElement(u"body"));

    // The banner's button opens the sheet on the window.
    auto resolve = buttonTitled(editor->window()->contentView(), u"Resolve...");
    ASSERT_TRUE(resolve);
    clickView(*resolve);
    auto* controller = editor->attachmentPointSettingsController();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->isSheetShown());
    EXPECT_EQ(editor->window()->attachedSheet(), controller->sheetWindow());
    EXPECT_FALSE(view().attachmentPointFailureBannerShown());
    ASSERT_TRUE(sheetWidget());
    std::shared_ptr<VornickAttachmentPointSettingsModule> title;
    for (const auto& module : controller->modules()) {
        if (module->attachmentPointDescription() && module->attachmentPointDescription()->identifier == u"title")
            title = module;
    }
    ASSERT_TRUE(title);
    EXPECT_NE(title->statusTextField()->stringValue().find(u"Not found"), std::u16string::npos);
    EXPECT_FALSE(title->attributeNameTextField()->isEnabled());

    // The check box switches the title's own selector on, from the default;
    // the attribute's name is selected, and typing replaces it.
    clickView(*title->headingCheckBox());
    ASSERT_EQ(title->headingCheckBox()->state(), OnState);
    ASSERT_TRUE(title->attributeNameTextField()->isEnabled());
    EXPECT_EQ(title->attributeNameTextField()->stringValue(), u"class");
    typeInSheet("clas");
    EXPECT_EQ(title->attributeNameTextField()->stringValue(), u"clas");
    // A character no attribute name has is refused as it is typed.
    typeInSheet("{");
    EXPECT_EQ(title->attributeNameTextField()->stringValue(), u"clas");
    typeInSheet("sx");
    QTest::keyClick(sheetWidget(), Qt::Key_Backspace);
    settle();
    EXPECT_EQ(title->attributeNameTextField()->stringValue(), u"class");

    // A click in the required values, Ctrl+A, typing: the one value is new.
    clickView(*title->requiredValuesTokenField());
    EXPECT_EQ(title->requiredValuesTokenField()->attributedStringValue().string(), u"wp-block-post-title");
    QTest::keyClick(sheetWidget(), Qt::Key_A, Qt::ControlModifier);
    typeInSheet("headline-of-post");
    EXPECT_EQ(title->requiredValuesTokenField()->tokens(), std::vector<std::u16string> { u"headline-of-post" });
    EXPECT_TRUE(controller->edited());
    ASSERT_TRUE(title->attachmentPointLocator());
    EXPECT_EQ(title->attachmentPointLocator()->selector(), u".headline-of-post");

    // OK: the sheet goes, the title attaches by the new selector, and the
    // selector is in the blog file.
    auto ok = buttonTitled(controller->sheetWindow()->contentView(), u"OK");
    ASSERT_TRUE(ok);
    clickView(*ok);
    EXPECT_FALSE(controller->isSheetShown());
    EXPECT_FALSE(editor->window()->attachedSheet());
    ASSERT_TRUE(pointElement(u"title"));
    EXPECT_NE(pointElement(u"title")->getAttribute(u"class").find(u"headline-of-post"), std::u16string::npos);
    EXPECT_EQ(pointElement(u"title")->textContent(), u"Hello world");
    EXPECT_TRUE(view().identifiersOfUnAbsolvedFailedAttachmentPoints().empty());
    EXPECT_FALSE(view().attachmentPointFailureBannerShown());
    EXPECT_FALSE(editor->isDocumentEdited());
    auto blogPath = *editor->blog()->sourceFileURL()->fileSystemPath();
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(blogPath), &error);
    ASSERT_TRUE(archive) << error;
    const Value* set = archive->objectForKey(u"postAttachmentPointSet");
    ASSERT_TRUE(set) << readWholeFile(blogPath);
    EXPECT_EQ((*set)[u"attachmentPoints"][u"title"].stringValue(), u".headline-of-post");

    // Opened again, its index made afresh from the files: the stored
    // selector finds the title at once.
    std::string indexPath = editor->project()->index()->filePath();
    editor->window()->performClose();
    settle();
    ASSERT_TRUE(shell->blogPostWindows().empty());
    editor.reset();
    settle();
    ASSERT_TRUE(PersistentStore::destroy(indexPath, &error)) << error;
    editor = shell->openBlogPostFile(postPath, &error);
    ASSERT_TRUE(editor) << error;
    settle();
    ASSERT_TRUE(pointElement(u"title"));
    EXPECT_NE(pointElement(u"title")->getAttribute(u"class").find(u"headline-of-post"), std::u16string::npos);
    EXPECT_FALSE(view().attachmentPointFailureBannerShown());
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
}

// The site title links to a page of the site: a reader's link in the theme.
class BlogPostWindowWithSiteLink : public BlogPostWindow {
protected:
    void makeProject() override
    {
        BlogPostWindow::makeProject();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().filename() != "post-standard.html")
                continue;
            std::string page = readWholeFile(entry.path().string());
            std::string from = "<a href=\"#\" rel=\"home\">";
            ASSERT_NE(page.find(from), std::string::npos);
            page.replace(page.find(from), from.size(), "<a href=\"https://site.example/about/\" rel=\"home\">");
            ASSERT_TRUE(writeFileAtomically(entry.path().string(), page));
        }
    }
};

TEST_F(BlogPostWindowWithSiteLink, AClickOnALinkOpensNothingAndACommandClickOpensItInTheBrowser)
{
    auto delegate = VornickApplicationDelegate::create();
    Application::shared().setDelegate(delegate);
    std::vector<std::u16string> opened;
    vornick_setWebBrowserOpenerForTesting([&](const URL& url) { opened.push_back(url.absoluteString()); });
    std::shared_ptr<DOMElement> link;
    auto anchors = view().mainFrame()->domDocument()->getElementsByTagName(u"a");
    for (size_t i = 0; i < anchors->length(); ++i) {
        if (anchors->item(i)->getAttribute(u"rel") == u"home")
            link = anchors->item(i);
    }
    ASSERT_TRUE(link && link->firstChild());

    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*link->firstChild()));
    settle();
    EXPECT_TRUE(opened.empty());
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::ControlModifier, pointInWidget(*link->firstChild()));
    settle();
    EXPECT_EQ(opened, std::vector<std::u16string> { u"https://site.example/about/" });
    EXPECT_FALSE(editor->isDocumentEdited());

    vornick_setWebBrowserOpenerForTesting(nullptr);
    Application::shared().setDelegate(std::weak_ptr<Responder> {});
}

} // namespace

// Where the post's title text is in its window: the layout is the same on
// every display, so the offscreen window tells.
QPoint postTitleTextInOffscreenWindow()
{
    class Probe : public BlogPostWindow {
    public:
        void TestBody() override {}
        QPoint title()
        {
            SetUp();
            QPoint point = editor && pointElement(u"title") ? pointInWidget(*pointElement(u"title")->firstChild()) : QPoint();
            TearDown();
            return point;
        }
    };
    return Probe().title();
}

} // namespace brevanton

namespace brevanton {
namespace {

// The post window's toolbar over a post whose blog has statuses to choose.
class BlogPostWindowToolbar : public BlogPostWindow {
protected:
    void SetUp() override
    {
        BlogPostWindow::SetUp();
        UserDefaults::standard().setBool(true, u"CloseBlogPostEditorOnPublish");
        auto& context = *editor->project()->index()->managedObjectContext();
        for (auto [identifier, title] : { std::pair { u"draft", u"Draft" }, { u"pending", u"Pending Review" }, { u"auto-draft", u"Auto Draft" } }) {
            auto status = context.insertNewObject(u"PostStatus");
            status->setValueForKey(Value(identifier), u"identifier");
            status->setValueForKey(Value(title), u"title");
            status->setObjectForKey(editor->blog(), u"blog");
        }
        settle();
    }
    void TearDown() override
    {
        if (auto* popup = QApplication::activePopupWidget())
            popup->close();
        UserDefaults::standard().removeObjectForKey(u"CloseBlogPostEditorOnPublish");
        BlogPostWindow::TearDown();
    }
    QPoint centreInWidget(const View& view) const { return brevanton::testing::centreInWidget(*widget(), view); }
    std::shared_ptr<ToolbarItem> item(const char16_t* identifier) const { return editor->toolbar()->itemWithIdentifier(identifier); }
    void clickItem(const char16_t* identifier)
    {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, centreInWidget(*item(identifier)->view()));
        settle();
    }
    // Picks a status by its title in the pop-up's menu, as a user does.
    void chooseStatus(const std::u16string& title)
    {
        auto popUp = editor->toolbarItemViews()->postStatusPopUpButton();
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, centreInWidget(*popUp));
        settle();
        auto* shown = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(shown);
        auto menuItem = popUp->menu()->itemWithTitle(title);
        ASSERT_TRUE(menuItem);
        QAction* action = shown->actionForItem(*menuItem);
        ASSERT_TRUE(action);
        action->trigger();
        shown->close();
        settle();
    }
    std::u16string statusIdentifier() const
    {
        auto status = editor->post()->objectForKey(u"status");
        return status ? status->valueForKey(u"identifier").stringValue() : u"";
    }
};

TEST_F(BlogPostWindowToolbar, TheItemsArePaintedInOrderAboveThePageAndTheStatusPopUpSetsAChosenStatus)
{
    auto toolbar = editor->toolbar();
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(editor->window()->toolbar(), toolbar);
    ASSERT_EQ(toolbar->visibleItems().size(), 10u);
    widget()->update();
    static_cast<void>(widget()->grab());
    std::vector<std::pair<double, std::u16string>> labels;
    for (const auto& command : widget()->lastPaintedCommands()) {
        if (command.kind == DrawCommand::Kind::Text && command.view == toolbar->view().get())
            labels.emplace_back(command.rectInWindow.minX(), command.text);
    }
    std::sort(labels.begin(), labels.end());
    std::vector<std::u16string> inOrder;
    for (auto& label : labels)
        inOrder.push_back(label.second);
    EXPECT_EQ(inOrder, (std::vector<std::u16string> { u"Blog", u"Properties", u"Status", u"Clear View", u"Source Loupe", u"Show Blocks",
                                                     u"Text Size", u"Share", u"View on Web", u"Publish" }));
    Rect page = view().convertRectToView(view().bounds(), nullptr);
    Rect bar = toolbar->view()->convertRectToView(toolbar->view()->bounds(), nullptr);
    EXPECT_GE(bar.minY(), page.maxY());
    // No permalink: nothing to share.
    EXPECT_FALSE(item(VornickSharePostToolbarItemIdentifier)->isEnabled());
    EXPECT_TRUE(item(VornickPublishContentToolbarItemIdenitifer)->isEnabled());

    // Show Blocks turns the page's section handles on, its button showing it.
    clickItem(VornickToggleBrickHandlesToolbarItemIdenitifer);
    EXPECT_TRUE(view().sectionHandlesShown());
    EXPECT_EQ(editor->toolbarItemViews()->toggleBrickHandlesButton()->state(), OnState);
    clickItem(VornickToggleBrickHandlesToolbarItemIdenitifer);
    EXPECT_FALSE(view().sectionHandlesShown());

    // Source Loupe shows the source the post's page will write in a window
    // of its own, and takes it away again.
    EXPECT_TRUE(item(VornickToggleSourceLoupeToolbarItemIdenitifer)->isEnabled());
    clickItem(VornickToggleSourceLoupeToolbarItemIdenitifer);
    auto loupe = view().sourceLoupe();
    ASSERT_TRUE(loupe);
    ASSERT_TRUE(loupe->isShown());
    EXPECT_EQ(editor->toolbarItemViews()->toggleSourceLoupeButton()->state(), OnState);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !loupe->sourceCodeView()->string().empty(); }, 30));
    EXPECT_NE(loupe->sourceCodeView()->string().find(u"<p>"), std::u16string::npos) << toUTF8(loupe->sourceCodeView()->string());
    EXPECT_TRUE(shell->backend().widgetForWindow(*loupe->window()));
    clickItem(VornickToggleSourceLoupeToolbarItemIdenitifer);
    EXPECT_FALSE(loupe->isShown());
    EXPECT_EQ(editor->toolbarItemViews()->toggleSourceLoupeButton()->state(), OffState);

    // Its menu key shows it and, pressed again in the loupe's own window once
    // the user has brought it to the front, hides it: the post window stays
    // the main window the menu's commands reach.
    press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(loupe->isShown());
    auto* loupeWidget = shell->backend().widgetForWindow(*loupe->window());
    ASSERT_TRUE(loupeWidget);
    loupeWidget->activateWindow();
    loupe->window()->makeKeyWindow();
    ASSERT_TRUE(loupe->window()->isKeyWindow());
    EXPECT_TRUE(editor->window()->isMainWindow());
    QTest::keyClick(loupeWidget, Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(loupe->isShown());
    EXPECT_EQ(editor->toolbarItemViews()->toggleSourceLoupeButton()->state(), OffState);

    // The blog's statuses by title, without "auto-draft"; a choice is an edit.
    auto popUp = editor->toolbarItemViews()->postStatusPopUpButton();
    ASSERT_EQ(popUp->numberOfItems(), 2);
    EXPECT_EQ(popUp->itemAtIndex(0)->title(), u"Draft");
    EXPECT_EQ(popUp->itemAtIndex(1)->title(), u"Pending Review");
    chooseStatus(u"Pending Review");
    EXPECT_EQ(statusIdentifier(), u"pending");
    EXPECT_TRUE(editor->isDocumentEdited());
    EXPECT_TRUE(editor->window()->isDocumentEdited());
}

TEST_F(BlogPostWindowToolbar, ShareOffersToCopyOrMailThePermalink)
{
    std::vector<VornickMailMessage> mails;
    vornick_setMailComposerForTesting([&](const VornickMailMessage& message, const std::vector<std::string>&) { mails.push_back(message); });
    editor->post()->setValueForKey(Value(u"https://site.example/2024/hello/"), u"permalinkURLString");
    editor->toolbar()->validateVisibleItems();
    ASSERT_TRUE(item(VornickSharePostToolbarItemIdentifier)->isEnabled());

    clickItem(VornickSharePostToolbarItemIdentifier);
    auto picker = editor->sharingServicePicker();
    ASSERT_TRUE(picker);
    ASSERT_EQ(picker->numberOfItems(), 2);
    EXPECT_EQ(picker->itemAtIndex(0)->title(), u"Copy Link");
    EXPECT_EQ(picker->itemAtIndex(1)->title(), u"Email Link");
    auto* shown = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(shown) << "the menu pops up at the button";
    QAction* email = shown->actionForItem(*picker->itemAtIndex(1));
    ASSERT_TRUE(email);
    email->trigger();
    shown->close();
    settle();
    vornick_setMailComposerForTesting({});
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails.front().subject, editor->post()->title());
    EXPECT_EQ(mails.front().body, u"https://site.example/2024/hello/");

    Pasteboard::generalPasteboard()->clearContents();
    picker->performActionForItemAtIndex(0);
    auto copied = Pasteboard::generalPasteboard()->stringForType(PasteboardTypeURL);
    ASSERT_TRUE(copied);
    EXPECT_NE(copied->find(u"https://site.example/2024/hello/"), std::u16string::npos);
}

// The window at the screen's left edge, where the popover centred under its
// button would begin left of the screen: it is shifted onto it, and the page
// behind it goes on being drawn.
TEST_F(BlogPostWindowToolbar, ThePropertiesItemOpensThePopoverAtItsButtonOnTheScreenWithThePageStillDrawnBehind)
{
    Rect screen = Screen::mainScreen().visibleFrame();
    editor->window()->setFrameOrigin(Point { screen.minX(), screen.maxY() - editor->window()->frame().height() });
    settle();
    clickItem(VornickPostPropertiesToolbarItemIdentifier);
    auto* controller = editor->postPropertiesController();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_EQ(controller->popover()->positioningView(), std::static_pointer_cast<View>(editor->toolbarItemViews()->postPropertiesButton()));
    Rect frame = controller->popover()->window()->frame();
    EXPECT_EQ(frame.intersection(screen), frame) << frame.description();
    auto* popover = shell->backend().widgetForWindow(*controller->popover()->window());
    ASSERT_TRUE(popover && popover->isVisible());
    EXPECT_GE(popover->geometry().left(), 0);

    widget()->repaint();
    auto webView = view().embeddedWebView();
    bool bodyDrawn = false;
    for (const auto& command : widget()->lastPaintedCommands()) {
        bool ofPage = command.view && (command.view == webView.get() || command.view->isDescendantOf(webView.get()));
        bodyDrawn = bodyDrawn || (ofPage && command.text.find(u"Alpha paragraph") != std::u16string::npos);
    }
    EXPECT_TRUE(bodyDrawn) << "the post's body is drawn behind the popover";
    controller->cancelEdits();
    settle();
}

TEST_F(BlogPostWindowToolbar, PublishingADraftSavesItAsPublishedQueuedForUploadAndClosesTheWindow)
{
    chooseStatus(u"Draft");
    ASSERT_EQ(statusIdentifier(), u"draft");
    auto window = editor->window();
    clickItem(VornickPublishContentToolbarItemIdenitifer);
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
    // The blog had no "publish" status: one was made for it.
    EXPECT_EQ(statusIdentifier(), u"publish");
    EXPECT_TRUE(postFileValue(u"publishAtNextSync").boolValue());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(BlogPostWindowToolbar, APublishWhoseSaveFailsShowsWhyRequestsNothingAndStaysOpen)
{
    chooseStatus(u"Draft");
    // The post's folder is gone, a file in its place: its file cannot be written.
    auto postsFolder = std::filesystem::path(postPath).parent_path();
    std::filesystem::rename(postsFolder, postsFolder.string() + ".away");
    std::ofstream(postsFolder.string(), std::ios::binary) << "in the way";
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    clickItem(VornickPublishContentToolbarItemIdenitifer);
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_NE(AlertDriver::shared().shownAlerts()[0]->messageText().find(u"could not be saved"), std::u16string::npos);
    EXPECT_EQ(statusIdentifier(), u"draft");
    EXPECT_FALSE(editor->post()->publishAtNextSync());
    EXPECT_TRUE(editor->window()->isVisible());
    std::filesystem::remove(postsFolder);
    std::filesystem::rename(postsFolder.string() + ".away", postsFolder);
}

TEST_F(BlogPostWindowToolbar, WhileAServerVersionWaitsSavesDoNotUploadAndOnlyTheViewItemsAreEnabled)
{
    editor->post()->setValueForKey(Value(Data { '<', '?' }), u"pendingPostDescriptionData");
    clickInto(*pointElement(u"title")->firstChild());
    type("Held ");
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(postFileValue(u"title").stringValue().find(u"Held"), std::u16string::npos);
    EXPECT_FALSE(postFileValue(u"publishAtNextSync").boolValue());
    for (const char16_t* identifier : { VornickPublishContentToolbarItemIdenitifer, VornickPostStatusToolbarItemIdentifier,
                                        VornickPostPropertiesToolbarItemIdentifier })
        EXPECT_FALSE(item(identifier)->isEnabled()) << toUTF8(identifier);
    for (const char16_t* identifier : { VornickToggleClearViewToolbarItemIdentifier, VornickJumpToBlogToolbarItemIdentifier })
        EXPECT_TRUE(item(identifier)->isEnabled()) << toUTF8(identifier);
}

// The server's answers as the sync engine gives them to the window.
class BlogPostWindowServerAnswers : public BlogPostWindowToolbar {
protected:
    void pend(const Value& description)
    {
        auto data = writePropertyList(description, PropertyListFormat::Binary, nullptr);
        ASSERT_TRUE(data);
        editor->postWillReceiveNewPendingDescription();
        editor->post()->ManagedObject::setValueForKey(Value(std::move(*data)), u"pendingPostDescriptionData");
        editor->postDidReceiveNewPendingDescription();
        settle();
    }
    void blockPostsFolder()
    {
        auto postsFolder = std::filesystem::path(postPath).parent_path();
        std::filesystem::rename(postsFolder, postsFolder.string() + ".away");
        std::ofstream(postsFolder.string(), std::ios::binary) << "in the way";
    }
    void unblockPostsFolder()
    {
        auto postsFolder = std::filesystem::path(postPath).parent_path();
        std::filesystem::remove(postsFolder);
        std::filesystem::rename(postsFolder.string() + ".away", postsFolder);
    }
};

TEST_F(BlogPostWindowServerAnswers, KeepingTheServerVersionImportsItFirstAndAFailedImportKeepsBothHalvesAndSaysWhy)
{
    pend(Value(u"not a post"));
    ASSERT_TRUE(editor->conflictResolutionUIShown());
    EXPECT_FALSE(item(VornickPublishContentToolbarItemIdenitifer)->isEnabled());
    Rect local = view().convertRectToView(view().bounds(), nullptr);
    Rect server = editor->serverPostView()->convertRectToView(editor->serverPostView()->bounds(), nullptr);
    EXPECT_LE(local.maxX(), server.minX() + 1);
    EXPECT_FALSE(editor->serverPostView()->isEditable());

    // Cancel keeps both.
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    editor->discardLocalVersion();
    settle();
    EXPECT_TRUE(editor->conflictResolutionUIShown());

    AlertDriver::shared().enqueueButtonTitle(u"Discard");
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    editor->discardLocalVersion();
    settle();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 3u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[1]->messageText(), u"Discard Local Version?");
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[2]->messageText(), u"The server\u2019s version could not be kept.");
    EXPECT_TRUE(editor->conflictResolutionUIShown());
    EXPECT_TRUE(editor->post()->hasPendingPostDescription());

    // A newer server version replaces the right half; keeping it ends the conflict.
    pend(Value(Dictionary { { u"identifierUsedByBlogService", Value(u"12") }, { u"title", Value(u"From the server") },
                            { u"sourceContentString", Value(u"<p>Server text</p>") }, { u"sourceContentType", Value(u"html") },
                            { u"status", Value(u"draft") }, { u"type", Value(u"post") } }));
    EXPECT_EQ(editor->serverPostView()->postDescription()->find(u"title")->second, Value(u"From the server"));
    // Shown in the theme, in the places the blog's posts take: not the template's own sample.
    auto& serverView = *editor->serverPostView();
    for (int round = 0; round < 500 && (serverView.loadingContent() || serverView.loadingState() == VornickContentLoadingState::InProgress); ++round)
        RunLoop::main().runFor(0.02);
    auto serverText = [&](const char16_t* identifier) {
        auto point = serverView.attachmentPointWithIdentifier(identifier);
        auto element = point ? point->findElement() : nullptr;
        return element ? element->textContent() : std::u16string(u"(no such place)");
    };
    EXPECT_EQ(serverText(u"title"), u"From the server");
    EXPECT_EQ(serverText(u"body"), u"Server text");
    AlertDriver::shared().enqueueButtonTitle(u"Discard");
    editor->discardLocalVersion();
    settle();
    EXPECT_FALSE(editor->conflictResolutionUIShown());
    EXPECT_EQ(editor->post()->title(), u"From the server");
    EXPECT_EQ(postFileValue(u"title").stringValue(), u"From the server");
    EXPECT_TRUE(item(VornickPublishContentToolbarItemIdenitifer)->isEnabled());
}

TEST_F(BlogPostWindowServerAnswers, KeepingTheLocalVersionHidesTheServersAndMovingADeletedPostToTheTrashTellsAFailedWrite)
{
    pend(Value(Dictionary { { u"title", Value(u"Theirs") } }));
    AlertDriver::shared().enqueueButtonTitle(u"Discard");
    editor->discardServerVersion();
    settle();
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 1u) << "the server's version shows in the theme, without a sheet";
    EXPECT_FALSE(editor->conflictResolutionUIShown());
    EXPECT_EQ(editor->post()->title(), u"Hello <em>world</em>");
    EXPECT_TRUE(editor->isDocumentEdited());

    blockPostsFolder();
    auto window = editor->window();
    AlertDriver::shared().enqueueButtonTitle(u"Move Post to Trash");
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    editor->enqueueServerSideDeletionOfPost(true);
    settle();
    const auto& alerts = AlertDriver::shared().shownAlerts();
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(alerts[1]->messageText(), u"Post in Trash");
    EXPECT_NE(alerts[2]->messageText().find(u"could not be moved to the Trash"), std::u16string::npos);
    EXPECT_FALSE(window->isVisible());
    unblockPostsFolder();
}

TEST_F(BlogPostWindowServerAnswers, TheDividerBetweenTheVersionsKeepsEachAHundredPointsWide)
{
    pend(Value(Dictionary { { u"title", Value(u"Theirs") } }));
    auto split = std::dynamic_pointer_cast<SplitView>(editor->conflictSplitView());
    ASSERT_TRUE(split);
    double width = split->bounds().width();
    ASSERT_GT(width, 400);
    const struct {
        double dragTo;
        double kept;
    } drags[] = { { 20, 100 }, { width - 5, width - 100 }, { 300, 300 } };
    for (const auto& drag : drags) {
        Rect divider = split->dividerRect(0);
        QPoint from = brevanton::testing::centreInWidget(*widget(), *split, divider);
        QPoint to = brevanton::testing::centreInWidget(*widget(), *split, Rect { drag.dragTo, divider.minY(), 1, divider.height() });
        QTest::mousePress(widget(), Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), widget()->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &move);
        QTest::mouseRelease(widget(), Qt::LeftButton, Qt::NoModifier, to);
        settle();
        EXPECT_EQ(split->positionOfDivider(0), drag.kept) << drag.dragTo;
    }
}

// A page of the blog, in its window.
class BlogPostWindowPage : public BlogPostWindowToolbar {
protected:
    void makeProject() override
    {
        auto made = makeSyncedLikeWordPressProject(folder, postBody, true);
        ASSERT_TRUE(made);
        postPath = *made;
    }
    template <typename Kind>
    static bool holds(const std::shared_ptr<View>& root)
    {
        if (std::dynamic_pointer_cast<Kind>(root))
            return true;
        return std::any_of(root->subviews().begin(), root->subviews().end(), [](const auto& subview) { return holds<Kind>(subview); });
    }
};

TEST_F(BlogPostWindowPage, ItsPropertiesAreAFormatAndAFeaturedImageWithoutTagsOrCategoriesAndTheFileKeepsTheFormat)
{
    ASSERT_TRUE(editor->post()->isPage());
    auto& context = *editor->project()->index()->managedObjectContext();
    auto aside = context.insertNewObject(u"PostFormat");
    aside->setValueForKey(Value(u"aside"), u"identifier");
    aside->setValueForKey(Value(u"Aside"), u"title");
    aside->setObjectForKey(editor->blog(), u"blog");
    Value tagsBefore = postFileValue(u"tags");
    Value categoriesBefore = postFileValue(u"categories");

    clickItem(VornickPostPropertiesToolbarItemIdentifier);
    auto* controller = editor->postPropertiesController();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_FALSE(dynamic_cast<VornickWordPressPostPropertiesUIController*>(controller));
    EXPECT_FALSE(holds<TokenField>(controller->contentView()));
    EXPECT_FALSE(holds<OutlineView>(controller->contentView()));

    // The format chosen in its pop-up, then OK, as a user does.
    auto* popoverWidget = shell->backend().widgetForWindow(*controller->popover()->window());
    ASSERT_TRUE(popoverWidget);
    auto popUp = controller->postFormatPopUpButton();
    QTest::mouseClick(popoverWidget, Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*popoverWidget, *popUp));
    settle();
    auto* shown = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(shown);
    auto menuItem = popUp->menu()->itemWithTitle(u"Aside");
    ASSERT_TRUE(menuItem);
    shown->actionForItem(*menuItem)->trigger();
    shown->close();
    settle();
    std::shared_ptr<View> ok;
    for (const auto& subview : controller->contentView()->subviews()) {
        if (auto button = std::dynamic_pointer_cast<Button>(subview); button && button->title() == u"OK")
            ok = button;
    }
    ASSERT_TRUE(ok);
    QTest::mouseClick(popoverWidget, Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*popoverWidget, *ok));
    settle();
    EXPECT_FALSE(controller->popover()->isShown());
    EXPECT_TRUE(editor->isDocumentEdited());

    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(postFileValue(u"format").stringValue(), u"aside");
    EXPECT_EQ(postFileValue(u"type").stringValue(), u"page");
    EXPECT_EQ(postFileValue(u"tags"), tagsBefore);
    EXPECT_EQ(postFileValue(u"categories"), categoriesBefore);
}

} // namespace
} // namespace brevanton
