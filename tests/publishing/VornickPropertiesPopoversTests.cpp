// The popovers of a post's and a page's properties, of a blog's snippet set
// and of its hosting account.
#include "tests/blog/SyncEngineTestSupport.h"
#include "tests/publishing/PostViewTestSupport.h"

#include "blog/VornickBlogTag.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "editing/VornickFragmentSetPicker.h"
#include "platform/foundation/RunLoop.h"
#include "platform/store/ArrayController.h"
#include "platform/views/Button.h"
#include "platform/views/ImageView.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostViewHost.h"
#include "publishing/VornickBlogHostingAccountPropertiesUIController.h"
#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickBlogPropertiesUIController.h"
#include "publishing/VornickWordPressPagePropertiesUIController.h"
#include "ui/VornickCollapsibleContainerView.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

namespace {

class RecordingPostEditor final : public VornickPostPropertiesEditor {
public:
    std::shared_ptr<VornickWordPressPostView> view;
    int edits { 0 };
    void postPropertiesEdited() override { ++edits; }
    std::shared_ptr<VornickWordPressPostView> postPropertiesPostView() const override { return view; }
};

class PostPropertiesTests : public PostViewTest {
protected:
    std::shared_ptr<VornickWordPressMediaItem> mediaItem(const std::u16string& file)
    {
        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(project->index()->managedObjectContext()->insertNewObject(u"MediaItem"));
        item->setObjectForKey(blog, u"blog");
        item->ManagedObject::setValueForKey(Value(file), u"localURLString");
        return item;
    }
    std::shared_ptr<View> anchor = std::make_shared<View>(Rect(0, 0, 40, 20));
    RecordingPostEditor editor;
};

using Strings = std::vector<std::u16string>;

} // namespace

TEST_F(PostPropertiesTests, AcceptingAFormatAloneKeepsTheFeaturedImageAndCancelKeepsThePost)
{
    auto aside = term(u"PostFormat", u"identifier", u"aside", u"Aside");
    auto gallery = term(u"PostFormat", u"identifier", u"gallery", u"Gallery");
    auto image = mediaItem(u"sea.png");
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectForKey(image, u"featuredImageMediaItem");
    post->setObjectForKey(gallery, u"format");
    auto controller = VornickWordPressPostPropertiesUIController::create();
    EXPECT_EQ(controller->nibName(), u"VornickWordPressPostPropertiesUI");
    controller->showForWordPressBlogPost(post, anchor, &editor);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_EQ(controller->popover()->preferredEdge(), RectEdge::MaxY);

    // The formats by title, the post's selected.
    auto& popUp = *controller->postFormatPopUpButton();
    ASSERT_EQ(popUp.numberOfItems(), 3);
    EXPECT_EQ(popUp.itemAtIndex(1)->title(), u"Aside");
    EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
    EXPECT_EQ(controller->featuredImageMediaItem(), image);
    EXPECT_EQ(controller->classicModeRadioButton()->state(), OnState) << "without a post view: classic";

    popUp.selectItemAtIndex(1);
    controller->postFormatEdited();
    EXPECT_TRUE(controller->edited());
    controller->cancelEdits();
    EXPECT_EQ(post->objectForKey(u"format"), gallery) << "cancelled";
    EXPECT_FALSE(controller->post()) << "a closed popover forgets the post";

    controller->showForWordPressBlogPost(post, anchor, &editor);
    EXPECT_FALSE(controller->edited()) << "each showing starts unedited";
    controller->postFormatPopUpButton()->selectItemAtIndex(1);
    controller->postFormatEdited();
    EXPECT_TRUE(controller->acceptSettings());
    EXPECT_EQ(post->objectForKey(u"format"), aside);
    EXPECT_EQ(post->objectForKey(u"featuredImageMediaItem"), image);
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(editor.edits, 1);
    EXPECT_FALSE(controller->popover()->isShown());

    // Removing the image, and "None" for the format.
    controller->showForWordPressBlogPost(post, anchor, &editor);
    controller->removeFeaturedImage();
    EXPECT_FALSE(controller->featuredImageImageView()->mediaItem());
    controller->postFormatPopUpButton()->selectItemAtIndex(0);
    controller->postFormatEdited();
    EXPECT_TRUE(controller->acceptSettings());
    EXPECT_FALSE(post->objectForKey(u"featuredImageMediaItem"));
    EXPECT_FALSE(post->objectForKey(u"format"));
}

TEST_F(PostPropertiesTests, TagsAndCategoriesAreAcceptedTogetherAndAnUnknownWordIsSaid)
{
    auto travel = term(u"BlogTag", u"identifierUsedByBlogService", u"1", u"Travel");
    auto food = term(u"BlogTag", u"identifierUsedByBlogService", u"2", u"Food");
    auto uncategorized = std::dynamic_pointer_cast<VornickBlogCategory>(term(u"BlogCategory", u"identifierUsedByBlogService", u"1", u"Uncategorized"));
    auto news = std::dynamic_pointer_cast<VornickBlogCategory>(term(u"BlogCategory", u"identifierUsedByBlogService", u"2", u"News"));
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectsForKey({ travel }, u"tags");
    post->setObjectsForKey({ uncategorized }, u"categories");
    auto controller = VornickWordPressPostPropertiesUIController::create();
    controller->showForWordPressBlogPost(post, anchor, &editor);
    EXPECT_EQ(controller->postTags().size(), 1u);

    controller->categoriesOutlineViewController()->setCategoryChecked(news, true);
    EXPECT_TRUE(controller->edited());
    auto& field = *controller->tagsTokenFieldController()->tokenField();
    field.setObjects({ std::dynamic_pointer_cast<VornickBlogTag>(food) });
    // A word being typed counts: it names no tag, so nothing is accepted.
    field.keyDown(Event::keyEvent(EventType::KeyDown, {}, 0, 0, nullptr, u"Fud", u"Fud", false, 0));
    EXPECT_EQ(field.typedText(), u"Fud");
    EXPECT_FALSE(controller->acceptSettings());
    EXPECT_TRUE(controller->popover()->isShown());
    EXPECT_FALSE(controller->tagMessageLabel()->isHidden());
    EXPECT_EQ(post->objectsForKey(u"tags"), (std::vector<std::shared_ptr<ManagedObject>> { travel }));
    EXPECT_EQ(editor.edits, 0);

    field.keyDown(Event::keyEvent(EventType::KeyDown, {}, 0, 0, nullptr, u"\x7f", u"\x7f", false, 0));
    ASSERT_EQ(field.tokenItems().size(), 1u);
    EXPECT_TRUE(controller->acceptSettings());
    EXPECT_EQ(post->objectsForKey(u"tags"), (std::vector<std::shared_ptr<ManagedObject>> { food }));
    EXPECT_EQ(post->objectsForKey(u"categories"), (std::vector<std::shared_ptr<ManagedObject>> { news }));
    EXPECT_EQ(editor.edits, 1);

    // The field's commit replaces the post tags the popover holds.
    controller->showForWordPressBlogPost(post, anchor, &editor);
    EXPECT_TRUE(controller->tagMessageLabel()->isHidden());
    field.setObjects({});
    controller->tagsTokenFieldController()->applyTagEdits();
    EXPECT_TRUE(controller->postTags().empty());
    EXPECT_TRUE(controller->edited());
}

TEST_F(PostPropertiesTests, ADroppedFileAlreadyInTheLibraryReusesItsItem)
{
    auto item = mediaItem(u"sea.png");
    auto post = makePost(u"Post", u"<p>x</p>");
    auto controller = VornickWordPressPagePropertiesUIController::create();
    EXPECT_EQ(controller->nibName(), u"VornickWordPressPagePropertiesUI");
    EXPECT_FALSE(controller->mediaItemForLocalURL(URL::fileURLWithPath(std::string_view("/tmp/x.png"), false))) << "no post: none";
    controller->showForWordPressBlogPost(post, anchor, &editor);
    auto media = *blog->mediaFolderURL()->fileSystemPath();
    EXPECT_EQ(controller->mediaItemForLocalURL(URL::fileURLWithPath(std::string_view(media + "/sea.png"), false)), item);
    controller->featuredImageChanged(item);
    EXPECT_EQ(controller->featuredImageMediaItem(), item);
    EXPECT_TRUE(controller->edited());
    controller->cancelEdits();
}

// --- The blog's snippet set

namespace {

class BlogEditorStandIn final : public VornickBlogPostViewHost {
public:
    std::shared_ptr<VornickBlog> shownBlog;
    std::shared_ptr<VornickBlog> blog() const override { return shownBlog; }
    std::shared_ptr<Window> windowForSheet() const override { return nullptr; }
    void editAttachmentPointSettings() override {}
    void attachmentPostSettingsDidChange() override {}
};

} // namespace

TEST_F(PostPropertiesTests, TheBlogsSnippetSetTakesOnlyAFileReferenceOrNone)
{
    BlogEditorStandIn blogEditor;
    blogEditor.shownBlog = blog;
    auto controller = VornickBlogPropertiesUIController::create();
    controller->showForBlogEditor(&blogEditor, anchor);
    ASSERT_TRUE(controller->popover()->isShown());
    auto& picker = *controller->fragmentSetPicker();
    EXPECT_TRUE(controller->selectedObjectForPicker(picker).isNone());
    EXPECT_EQ(controller->fragmentSetPickerPopUpButton()->itemAtIndex(0)->title(), u"(Plain HTML)");

    std::string setPath = folder + "/Snippets.brevantonsnippets";
    std::ofstream(setPath) << "{}";
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(std::string_view(setPath), false));
    ASSERT_TRUE(reference);
    controller->pickerProposeNewSelectedObject(picker, reference);
    auto chosen = controller->selectedObjectForPicker(picker).fileReference();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->path(), setPath);
    EXPECT_TRUE(controller->pickerCanOpenObject(picker, reference));
    EXPECT_FALSE(controller->pickerCanOpenObject(picker, VornickPickerObject()));

    // Preferences are no snippet set: the blog keeps its set.
    controller->pickerProposeNewSelectedObject(picker, VornickPickerObject(VornickPickerObject::NoFormattingPreferences {}));
    ASSERT_TRUE(controller->selectedObjectForPicker(picker).fileReference());
    controller->pickerProposeNewSelectedObject(picker, VornickPickerObject());
    EXPECT_TRUE(controller->selectedObjectForPicker(picker).isNone());
    EXPECT_TRUE(blog->valueForKey(u"fragmentSetFileReference").isNull());
}

// --- The hosting account

namespace {

class AccountPopoverTests : public SyncEngineTest {
protected:
    AccountPopoverTests()
    {
        RunLoop::main().useManualClock();
        project->fakeAccount().setAccountValue(u"effectiveProtocolType", Value(2));
        project->fakeAccount().setAccountValue(u"rootURLString", Value(u"https://site.example/"));
        project->fakeAccount().setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example/wp-json/"));
        site.addBlog(u"7", u"Seven");
    }
    ~AccountPopoverTests() override { RunLoop::main().useRealClock(); }
};

} // namespace

TEST_F(AccountPopoverTests, ASessionStartingSwitchesToTheSyncStatusAndBackWhenItEnds)
{
    auto controller = VornickBlogHostingAccountPropertiesUIController::create();
    auto anchor = std::make_shared<View>(Rect(0, 0, 40, 20));
    controller->showForAccount(project->hostingAccount(), anchor);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_FALSE(controller->showsSyncStatus()) << "no session: the login details";
    EXPECT_EQ(controller->popover()->contentView(), controller->loginView());
    EXPECT_EQ(controller->syncStatusUIController()->syncCompletionButton()->title(), u"Account Settings");

    // The login details are the blog login panel, filled from the account.
    auto& panel = *controller->loginUIController();
    EXPECT_EQ(controller->loginView()->identifier(), u"BrevantonBlogLoginPanel");
    EXPECT_EQ(panel.account(), project->hostingAccount());
    EXPECT_EQ(panel.delegate(), controller.get());
    EXPECT_EQ(controller->popover()->contentSize(), controller->loginView()->frame().size);
    // Opening its advanced settings grows the popover by as much as the panel.
    double heightBefore = controller->popover()->contentSize().height;
    bool collapsed = panel.advancedSettingsContainer()->isCollapsed();
    panel.advancedSettingsContainer()->setCollapsed(!collapsed);
    EXPECT_NE(controller->popover()->contentSize().height, heightBefore);
    EXPECT_EQ(controller->popover()->contentSize().height, controller->loginView()->frame().height());
    panel.advancedSettingsContainer()->setCollapsed(collapsed);

    // Without a password "Log In" is refused and no session starts; the
    // panel's login, once it stored the password, starts the manual sync.
    panel.passwordField()->setTextString({});
    panel.passwordEdited();
    EXPECT_FALSE(panel.canAttemptLogin());
    panel.login();
    drain();
    EXPECT_FALSE(project->synchronizer().currentSyncSession());
    VornickBlogLoginUIDelegate& loginDelegate = *controller;
    EXPECT_EQ(loginDelegate.windowForAuthenticationUI(), controller->popover()->window()) << "the anchor is in no window";
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(FakeBlogServiceAgent::RequestKind::BlogDescriptions, FakeBlogServiceAgent::Behavior::Hold);
    };
    loginDelegate.login(panel);
    drain();
    ASSERT_TRUE(project->synchronizer().currentSyncSession());
    EXPECT_TRUE(controller->showsSyncStatus());
    EXPECT_EQ(controller->popover()->contentSize(), controller->syncStatusUIController()->view()->frame().size);

    project->synchronizer().cancelAllSyncSessions();
    drain();
    EXPECT_FALSE(project->synchronizer().currentSyncSession());
    EXPECT_FALSE(controller->showsSyncStatus());

    // "Account Settings" goes back to the login details.
    controller->showSyncStatusUI();
    controller->syncStatusUIController()->syncCompletionButton()->performClick();
    EXPECT_FALSE(controller->showsSyncStatus());
}

} // namespace brevanton
