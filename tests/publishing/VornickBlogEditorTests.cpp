// The blog window headless: its layout, the list and the preview, history,
// copying and sharing, new posts, the Trash and the sync status.
#include "tests/publishing/BlogWindowTestSupport.h"

#include "app/VornickTitledURL.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/SearchField.h"
#include "platform/views/SplitView.h"
#include "platform/views/Toolbar.h"
#include "platform/web/WebBackForwardList.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickMiniSyncStatusUIController.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <fstream>
#include <sstream>

namespace brevanton {
namespace {

std::string fileText(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

bool logHas(std::u16string_view line)
{
    return VornickLog::generalLog().text().find(line) != std::u16string::npos;
}

using BlogEditorTest = BlogWindowTest;

TEST_F(BlogEditorTest, TheWindowShowsTheLiveListAndPreviewsTheFirstRow)
{
    openWindow();
    auto* controller = editor->windowController();
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->windowNibName(), u"VornickWordPressBlogEditor");
    EXPECT_EQ(editor->window()->title(), blog()->displayName());
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(VornickProjectComponentEditor::editorForComponent(*blog()), editor);
    // Opening again brings the same window.
    Error error;
    EXPECT_EQ(projectEditor->openEditorForComponent(blog(), &error), editor);

    EXPECT_EQ(listedTitles(), (std::vector<std::u16string> { u"About", u"Alpha news", u"Beta <em>story</em>", u"Delta news", u"Gamma draft" }));
    // Newest edit first; row 0 is shown.
    EXPECT_EQ(editor->postsArrayController()->arrangedObjects().front(), post(u"Alpha news"));
    EXPECT_EQ(editor->postView()->post(), post(u"Alpha news"));
    EXPECT_FALSE(editor->postView()->isEditable());
    EXPECT_EQ(editor->postsWebListView()->selectedObjects().size(), 1u);

    // The divider stays between 160 and the width less 200.
    auto& split = *controller->splitView();
    double width = split.bounds().width();
    split.dragDivider(0, 20);
    EXPECT_EQ(split.positionOfDivider(0), 160);
    split.dragDivider(0, width - 10);
    EXPECT_EQ(split.positionOfDivider(0), width - 200);
    // The search field stands over the list.
    EXPECT_GT(controller->searchField()->frame().minY(), editor->postsWebListView()->webView()->frame().maxY() - 1);
}

TEST_F(BlogEditorTest, SelectionDrivesThePreviewShareAndMenuValidation)
{
    openWindow();
    select({ u"Alpha news", u"Gamma draft" });
    EXPECT_FALSE(editor->postView()->post()) << "two posts: nothing previewed";
    // Only one of them has a permalink: still shareable.
    EXPECT_TRUE(editor->canShareSelectedPosts());
    EXPECT_TRUE(editor->validateUserInterfaceItem("shareSelectedPosts:", nullptr));
    EXPECT_TRUE(editor->validateUserInterfaceItem("openEditorsForSelectedPosts:", nullptr));
    EXPECT_FALSE(editor->validateUserInterfaceItem("editAttachmentPointSettings:", nullptr));

    select({ u"Gamma draft" });
    EXPECT_EQ(editor->postView()->post(), post(u"Gamma draft"));
    EXPECT_FALSE(editor->canShareSelectedPosts());
    EXPECT_FALSE(editor->validateUserInterfaceItem("copyPermalinksForSelectedPosts:", nullptr));
    EXPECT_TRUE(editor->validateUserInterfaceItem("newPage:", nullptr));
    auto item = MenuItem::create(u"Clear View", "toggleClearView:");
    EXPECT_TRUE(editor->validateUserInterfaceItem("toggleClearView:", item.get()));
    EXPECT_EQ(item->state(), editor->postView()->usingClearView() ? OnState : OffState);

    editor->postsWebListView()->clearSelection();
    EXPECT_FALSE(editor->validateUserInterfaceItem("moveSelectedPostsToTrash:", nullptr));
}

TEST_F(BlogEditorTest, CopyingLinksSourcesAndSharing)
{
    openWindow();
    auto pasteboard = Pasteboard::generalPasteboard();
    select({ u"Alpha news", u"Beta <em>story</em>", u"Delta news" });
    editor->copySourceContentStringForSelectedPosts(nullptr);
    // One after the other: the last one stays.
    auto last = std::static_pointer_cast<VornickBlogPost>(editor->selectedPosts().back());
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), last->sourceContentString());

    select({ u"Alpha news", u"Gamma draft" });
    editor->copyPermalinksForSelectedPosts(nullptr);
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), post(u"Alpha news")->permalinkURLString());

    // Sharing offers copying and mailing the link.
    std::vector<std::pair<std::u16string, std::u16string>> mails;
    vornick_setMailComposerForTesting([&](const VornickMailMessage& message, const std::vector<std::string>&) {
        mails.emplace_back(message.subject, message.body);
    });
    editor->shareSelectedPosts(nullptr);
    auto picker = editor->sharingServicePicker();
    ASSERT_TRUE(picker);
    ASSERT_EQ(picker->numberOfItems(), 2);
    EXPECT_EQ(picker->itemAtIndex(0)->title(), u"Copy Link");
    EXPECT_EQ(picker->itemAtIndex(1)->title(), u"Email Link");
    picker->performActionForItemAtIndex(1);
    vornick_setMailComposerForTesting(nullptr);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails.front().first, u"Alpha news");
    EXPECT_EQ(mails.front().second, post(u"Alpha news")->permalinkURLString());
}

TEST_F(BlogEditorTest, OpeningPostsFromTheList)
{
    openWindow();
    // A mix of live and trashed posts: the live ones open, one question for the others.
    auto list = editor->postsWebListView();
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    editor->webListViewControllerOpenObjects(*list, { post(u"Alpha news"), post(u"Old trashed"), post(u"Queued for trash"), post(u"About") });
    drain();
    ASSERT_EQ(openedPosts.size(), 2u);
    EXPECT_EQ(openedPosts[0]->projectComponent(), post(u"Alpha news"));
    EXPECT_EQ(openedPosts[1]->projectComponent(), post(u"About"));
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(), u"Restore 2 posts?");
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->informativeText(), u"The posts will be reinstated.");
    EXPECT_TRUE(post(u"Old trashed")->inTrash());

    // The context menu's Open reaches the editor through the window.
    select({ u"Delta news" });
    auto menu = list->menuForRepresentedObject(post(u"Delta news"));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->itemAtIndex(0)->title(), u"Open");
    EXPECT_TRUE(menu->performActionForItemAtIndex(0));
    ASSERT_EQ(openedPosts.size(), 3u);
    EXPECT_EQ(openedPosts[2]->projectComponent(), post(u"Delta news"));

    // Opening in the browser: web pages only.
    std::vector<std::u16string> opened;
    vornick_setWebBrowserOpenerForTesting([&](const URL& url) { opened.push_back(url.absoluteString()); });
    editor->openViewerForPost(post(u"Alpha news"));
    post(u"Beta <em>story</em>")->setValueForKey(Value(u"javascript:alert(1)"), u"permalinkURLString");
    editor->openViewerForPost(post(u"Beta <em>story</em>"));
    vornick_setWebBrowserOpenerForTesting(nullptr);
    EXPECT_EQ(opened, std::vector<std::u16string> { post(u"Alpha news")->permalinkURLString() });
}

TEST_F(BlogEditorTest, RestoringWritesTheFilesAndSavesTheIndex)
{
    openWindow();
    AlertDriver::shared().enqueueButtonTitle(u"Restore");
    editor->webListViewControllerOpenObjects(*editor->postsWebListView(), { post(u"Never uploaded trashed") });
    drain();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(), u"Restore post?");
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->informativeText(), u"\u201CNever uploaded trashed\u201D will be reinstated.");
    auto restored = post(u"Never uploaded trashed");
    EXPECT_FALSE(restored->inTrash());
    EXPECT_TRUE(restored->publishAtNextSync()) << "also a post never uploaded";
    EXPECT_NE(fileText(fileOf(u"Never uploaded trashed")).find("\"inTrash\" : \"0\""), std::string::npos);
    EXPECT_FALSE(projectEditor->project()->index()->managedObjectContext()->hasChanges()) << "the index was saved";
    EXPECT_EQ(editor->postView()->post(), restored);
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { restored });
    EXPECT_EQ(openedPosts.size(), 0u);
}

TEST_F(BlogEditorTest, MovingToTheTrash)
{
    openWindow();
    // A post never uploaded: nothing to tell the server.
    select({ u"Gamma draft" });
    AlertDriver::shared().enqueueButtonTitle(u"Move to Trash");
    editor->moveSelectedPostsToTrash(nullptr);
    drain();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(), u"Move post to Trash?");
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->informativeText(), u"Move \u201CGamma draft\u201D to the Trash?");
    EXPECT_TRUE(post(u"Gamma draft")->inTrash());
    EXPECT_FALSE(post(u"Gamma draft")->publishAtNextSync());
    EXPECT_FALSE(editor->postView()->post() == post(u"Gamma draft"));

    // Several, one with its editor open: it closes; the server's copy goes to its Trash next sync.
    Error error;
    auto open = std::dynamic_pointer_cast<RecordingPostEditor>(projectEditor->openEditorForComponent(post(u"Alpha news"), &error));
    ASSERT_TRUE(open);
    select({ u"Alpha news", u"Delta news" });
    AlertDriver::shared().enqueueButtonTitle(u"Move to Trash");
    editor->moveSelectedPostsToTrash(nullptr);
    drain();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 2u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[1]->messageText(), u"Move posts to Trash?");
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[1]->informativeText(), u"Move 2 posts, including \u201CAlpha news\u201D, to the Trash?");
    EXPECT_TRUE(open->closed);
    for (auto title : { u"Alpha news", u"Delta news" }) {
        EXPECT_TRUE(post(title)->inTrash());
        EXPECT_TRUE(post(title)->publishAtNextSync());
        std::string file = fileText(fileOf(title));
        EXPECT_NE(file.find("\"inTrash\" : \"1\""), std::string::npos) << file;
        EXPECT_NE(file.find("\"publishAtNextSync\" : \"1\""), std::string::npos);
    }
    EXPECT_FALSE(context().hasChanges());
    settleList();
    EXPECT_EQ(listedTitles(), (std::vector<std::u16string> { u"About", u"Beta <em>story</em>" }));

    // Cancel changes nothing.
    select({ u"About" });
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    editor->moveSelectedPostsToTrash(nullptr);
    drain();
    EXPECT_FALSE(post(u"About")->inTrash());
}

TEST_F(BlogEditorTest, EmptyTrashKeepsPostsStillQueuedForTheServersTrash)
{
    openWindow();
    std::string trashedFile = fileOf(u"Old trashed");
    std::string queuedFile = fileOf(u"Queued for trash");
    // The desktop Trash of the test's own home.
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    AlertDriver::shared().enqueueButtonTitle(u"Empty Trash");
    editor->emptyBlogTrash(nullptr);
    drain();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(),
              u"Are you sure you want to permanently delete the 3 posts in this site\u2019s Trash?");
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->informativeText(), u"You can\u2019t undo this action.");
    EXPECT_FALSE(post(u"Old trashed"));
    EXPECT_FALSE(post(u"Never uploaded trashed"));
    EXPECT_FALSE(std::filesystem::exists(trashedFile));
    EXPECT_TRUE(std::filesystem::exists(folder + "/data/Trash/files/" + std::filesystem::path(trashedFile).filename().string()));
    // Its move to the server's Trash is still queued: deleting it would bring it back live.
    ASSERT_TRUE(post(u"Queued for trash"));
    EXPECT_TRUE(std::filesystem::exists(queuedFile));
    EXPECT_FALSE(context().hasChanges());
    unsetenv("XDG_DATA_HOME");
}

TEST_F(BlogEditorTest, HistoryAndLinksInThePreview)
{
    openWindow();
    auto alpha = post(u"Alpha news");
    auto delta = post(u"Delta news");
    ASSERT_EQ(editor->postView()->post(), alpha);
    EXPECT_FALSE(editor->canGoBack());
    // A link to another post of the blog, by its exact permalink, stays in the window.
    auto& view = *editor->postView();
    editor->vornickContentEditingViewUserClickedLinkElement(view, nullptr, *URL::create(delta->permalinkURLString()), 0);
    EXPECT_EQ(view.post(), delta);
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { delta });
    EXPECT_TRUE(editor->canGoBack());
    editor->goBack(nullptr);
    EXPECT_EQ(view.post(), alpha);
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { alpha });
    EXPECT_TRUE(editor->canGoForward());
    editor->goForward(nullptr);
    EXPECT_EQ(view.post(), delta);

    // The site's page is not trusted: only web and mail addresses go out.
    for (auto refused : { u"javascript:alert(1)", u"file:///etc/passwd" }) {
        editor->vornickContentEditingViewUserClickedLinkElement(view, nullptr, *URL::create(std::u16string(refused)), 0);
        EXPECT_TRUE(logHas(u"Refusing to open clicked URL for safety: " + std::u16string(refused))) << toUTF8(refused);
        EXPECT_EQ(view.post(), delta);
    }
    // A post deleted meanwhile is no history item to go to.
    context().deleteObject(alpha);
    editor->goBack(nullptr);
    EXPECT_EQ(view.post(), delta);
    EXPECT_TRUE(editor->canGoBack());
}

TEST_F(BlogEditorTest, NewPostsAndAFileThatCannotBeWritten)
{
    openWindow();
    auto made = editor->newPostOrPage(u"page");
    ASSERT_TRUE(made);
    EXPECT_TRUE(std::filesystem::exists(*made->sourceFileURL()->fileSystemPath()));
    EXPECT_EQ(made->valueForKey(u"type").stringValue(), u"page");
    ASSERT_EQ(openedPosts.size(), 1u);
    EXPECT_EQ(openedPosts[0]->projectComponent(), made);
    // Never given the Trash flag, it is listed with the live posts.
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { made });
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { made });

    // Where the post's file would go stands a file: no fileless post stays behind.
    auto postsFolder = std::filesystem::path(*blog()->blogFolderURL()->fileSystemPath()) / "posts";
    std::filesystem::rename(postsFolder, postsFolder.string() + "-away");
    std::ofstream(postsFolder) << "in the way";
    size_t before = vornick_allEntitiesOfKind(context(), u"BlogPost")->size();
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    auto failed = editor->newPostOrPage(u"post");
    std::filesystem::remove(postsFolder);
    std::filesystem::rename(postsFolder.string() + "-away", postsFolder);
    EXPECT_FALSE(failed);
    EXPECT_EQ(vornick_allEntitiesOfKind(context(), u"BlogPost")->size(), before);
    ASSERT_FALSE(AlertDriver::shared().shownAlerts().empty());
    EXPECT_EQ(AlertDriver::shared().shownAlerts().back()->messageText(), u"The new post could not be made.");
    EXPECT_FALSE(AlertDriver::shared().shownAlerts().back()->informativeText().empty());
    EXPECT_TRUE(logHas(u"Failed to write new post to "));
    EXPECT_EQ(openedPosts.size(), 1u);
}

TEST_F(BlogEditorTest, AChangedPostRefreshesTheListKeepingItsSelection)
{
    openWindow();
    select({ u"Delta news" });
    auto delta = post(u"Delta news");
    delta->setTitle(u"Delta news, edited");
    Error error;
    ASSERT_TRUE(delta->writePostToURL(*delta->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error));
    EXPECT_TRUE(editor->postsWebListView()->needsListRefresh());
    drain();
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { delta });
    auto row = editor->postsWebListView()->listItemForRow(editor->postsWebListView()->rowForRepresentedObject(delta));
    ASSERT_TRUE(row);
    EXPECT_NE(row->textContent().find(u"Delta news, edited"), std::u16string::npos);
}

TEST_F(BlogEditorTest, WritingAllPostsNamesABlogFromItsTitleSafely)
{
    openWindow();
    auto made = std::dynamic_pointer_cast<VornickPublishedBlog>(context().insertNewObject(u"Blog"));
    made->setTitle(u"../<b>Evil</b>/Blog");
    made->setObjectForKey(blog()->hostingAccount(), u"hostingAccount");
    editor->writeAllPostsToSourceFiles(nullptr);
    EXPECT_FALSE(made->blogFolderName().empty());
    EXPECT_EQ(made->blogFolderName().find(u'/'), std::u16string::npos);
    EXPECT_EQ(made->blogFolderName().find(u'<'), std::u16string::npos);
    auto file = made->sourceFileURL();
    ASSERT_TRUE(file);
    EXPECT_TRUE(std::filesystem::exists(*file->fileSystemPath()));
    auto blogs = std::filesystem::path(folder) / "Account" / "blogs";
    EXPECT_EQ(std::filesystem::path(*file->fileSystemPath()).parent_path().parent_path(), blogs);
}

TEST_F(BlogEditorTest, ClosingLeavesNothingBehind)
{
    openWindow();
    std::weak_ptr<VornickBlogEditor> weak = editor;
    auto window = editor->window();
    window->performClose();
    EXPECT_TRUE(editor->isClosed());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(VornickProjectComponentEditor::editorForComponent(*blog()));
    EXPECT_EQ(editor->postsWebListView()->autoRefreshInterval(), 0);
    editor.reset();
    drain();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(projectEditor->isClosed()) << "its last window closed";
}

} // namespace
} // namespace brevanton
