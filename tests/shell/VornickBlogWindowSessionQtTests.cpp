// A user's session in the blog window on the offscreen Qt platform, driven by
// real Qt events on a manual clock: two blogs, one of 120 posts and pages
// (terms, drafts, trashed and queued ones), the list's batches under the
// wheel, a preview kept through a refresh, search, the post window, filters,
// sorting, the Trash and the window's state kept across a reopening; then
// titles and terms that try to break the list.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Popover.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SearchField.h"
#include "platform/views/TextField.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickMiniSyncStatusUIController.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickPublishedBlogPostListSortingUIController.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "publishing/VornickWordPressPostFilterStackView.h"
#include "publishing/VornickWordPressPostListFiltersUIController.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "ui/VornickStoreWebListArrayController.h"
#include "ui/VornickWebListView.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QTest>
#include <QWheelEvent>

#include <filesystem>
#include <fstream>

namespace brevanton {
namespace {

using Objects = std::vector<std::shared_ptr<ManagedObject>>;

struct FixturePost {
    std::u16string title;
    bool page { false };
    bool draft { false };
    bool inTrash { false };
    bool publishAtNextSync { false };
    int category { -1 };
    // The server's copy held beside the local one.
    bool conflicted { false };
};

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class BlogWindowSessionQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        AlertDriver::shared().reset();
        RunLoop::main().useManualClock();
        folder = createTemporaryDirectory("blog-window-session").value();
    }

    void TearDown() override
    {
        for (auto& editor : editors) {
            if (editor && !editor->isClosed())
                editor->close();
        }
        editors.clear();
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        projectEditor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        RunLoop::main().useRealClock();
        std::filesystem::remove_all(folder);
    }

    // Two blogs of the one account: the first holds `posts`, the second a few.
    void makeProject(const std::vector<FixturePost>& posts, const std::vector<std::u16string>& categoryTitles)
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(URL::fileURLWithPath(projectFile(), false), &error);
        ASSERT_TRUE(project) << error;
        auto& context = *project->index()->managedObjectContext();
        project->wordPressAccount()->setRootURLString(u"https://site.example");
        int identifier = 100;
        for (int index = 0; index < 2; ++index) {
            auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
            std::u16string name = index ? u"Other" : u"Site";
            blog->setBlogFolderName(name);
            blog->setSourceFileName(name + u".brevantonwordpressblog");
            blog->setTitle(index ? u"Other Site" : u"Test Site");
            blog->setObjectForKey(project->wordPressAccount(), u"hostingAccount");
            blog->setValueForKey(Value(u"https://site.example/"), u"browseURLString");
            auto templates = *blog->templatesFolderURL()->fileSystemPath();
            std::filesystem::create_directories(templates);
            std::ofstream(templates + "/post-standard.html", std::ios::binary) << postTemplate;
            auto term = [&](const char16_t* kind, const char16_t* key, const std::u16string& id, const std::u16string& title) {
                auto object = context.insertNewObject(kind);
                object->setValueForKey(Value(id), key);
                object->setValueForKey(Value(title), u"title");
                object->setObjectForKey(blog, u"blog");
                return object;
            };
            auto publish = term(u"PostStatus", u"identifier", u"publish", u"publish");
            auto draft = term(u"PostStatus", u"identifier", u"draft", u"draft");
            Objects categories;
            for (const auto& title : categoryTitles)
                categories.push_back(term(u"BlogCategory", u"identifierUsedByBlogService", toUTF16(std::to_string(++identifier)), title));
            auto tag = term(u"BlogTag", u"identifierUsedByBlogService", toUTF16(std::to_string(++identifier)), u"featured");
            double age = 0;
            for (const auto& spec : index ? others : posts) {
                auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
                ASSERT_TRUE(spec.page ? post->prepareNewPageAndAssociateWithBlog(blog) : post->prepareNewPostAndAssociateWithBlog(blog));
                post->setTitle(spec.title);
                post->setSourceContentString(u"<p>Body of post " + toUTF16(std::to_string(age)) + u"</p>");
                post->setSourceContentType(u"html");
                post->setObjectForKey(spec.draft ? draft : publish, u"status");
                post->setValueForKey(Value(Date::now().addingTimeInterval(-3600 * ++age)), u"dateLastEditedLocally");
                post->setValueForKey(Value(spec.inTrash), u"inTrash");
                post->setValueForKey(Value(spec.publishAtNextSync), u"publishAtNextSync");
                if (spec.conflicted)
                    post->setValueForKey(Value(Data { '<', '?' }), u"pendingPostDescriptionData");
                if (!spec.draft) {
                    std::u16string id = toUTF16(std::to_string(++identifier));
                    post->setValueForKey(Value(id), u"identifierUsedByBlogService");
                    post->setValueForKey(Value(u"https://site.example/?p=" + id), u"permalinkURLString");
                    post->setValueForKey(Value(Date::now().addingTimeInterval(-86400 * age)), u"dateFirstPublished");
                }
                if (spec.category >= 0) {
                    post->addObjectForKey(categories.at(static_cast<size_t>(spec.category)), u"categories");
                    post->addObjectForKey(tag, u"tags");
                }
            }
        }
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
    }

    void openProject()
    {
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        projectEditor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(projectFile(), false), &error);
        ASSERT_TRUE(projectEditor) << error;
        vornick_registerBlogWindowOpener();
    }

    std::shared_ptr<VornickWordPressBlogEditor> openBlog(const std::u16string& title)
    {
        Error error;
        auto blog = vornick_entityOfKind(context(), u"Blog", Value(title), u"title");
        EXPECT_TRUE(blog);
        auto editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(
            projectEditor->openEditorForComponent(std::dynamic_pointer_cast<VornickProjectComponent>(blog), &error));
        EXPECT_TRUE(editor) << error;
        if (editor)
            editors.push_back(editor);
        settle();
        return editor;
    }

    std::string projectFile() const { return folder + "/Account/project.brevantonwordpressproject"; }
    ManagedObjectContext& context() { return *projectEditor->project()->index()->managedObjectContext(); }
    std::shared_ptr<VornickWordPressBlogPost> post(const std::u16string& title)
    {
        return std::dynamic_pointer_cast<VornickWordPressBlogPost>(vornick_entityOfKind(context(), u"BlogPost", Value(title), u"title"));
    }

    bool busy() const
    {
        for (auto& editor : editors) {
            if (editor && !editor->isClosed()
                && (editor->postsWebListView()->webView()->isLoading() || editor->postsWebListView()->needsListRefresh()
                    || editor->postView()->loadingContent()))
                return true;
        }
        return false;
    }
    void settle()
    {
        for (int round = 0; round < 1500; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            if (!busy() && round > 2)
                return;
            RunLoop::main().runFor(0.02);
        }
    }

    QtWindowWidget* widgetOf(const VornickWordPressBlogEditor& editor) const { return shell->backend().widgetForWindow(*editor.window()); }
    Rect rowBox(VornickWordPressBlogEditor& editor, long row)
    {
        auto& webView = editor.postsWebListView()->webView();
        webView->layoutIfNeeded();
        return webView->boundingBox(*editor.postsWebListView()->listItemForRow(row));
    }
    // The row's rectangle in the window's widget, in Qt's coordinates.
    QRect rowRect(VornickWordPressBlogEditor& editor, long row)
    {
        Rect box = rowBox(editor, row);
        auto& documentView = editor.postsWebListView()->webView()->mainFrame()->frameView()->documentView();
        Point a = documentView->convertPointToView(Point { box.minX(), box.minY() }, nullptr);
        Point b = documentView->convertPointToView(Point { box.maxX(), box.maxY() }, nullptr);
        int height = widgetOf(editor)->height();
        return QRect(QPoint(static_cast<int>(std::min(a.x, b.x)), static_cast<int>(height - std::max(a.y, b.y))),
                     QPoint(static_cast<int>(std::max(a.x, b.x)), static_cast<int>(height - std::min(a.y, b.y))))
            .normalized();
    }
    void wheelDown(VornickWordPressBlogEditor& editor)
    {
        auto list = editor.postsWebListView()->webView();
        Rect frame = list->frame();
        Point middle = list->superview()->convertPointToView(Point { frame.midX(), frame.midY() }, nullptr);
        QPointF at(middle.x, widgetOf(editor)->height() - middle.y);
        QWheelEvent wheel(at, widgetOf(editor)->mapToGlobal(at), QPoint(), QPoint(0, -120 * 5), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widgetOf(editor), &wheel);
        settle();
    }
    void press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : widget, key, modifiers);
        settle();
    }
    // A real click at the middle of a view of the window (or popover) `widget` shows.
    void clickView(QWidget* widget, View& view, int clicks = 1)
    {
        Rect bounds = view.bounds();
        Point base = view.convertPointToView(Point { bounds.midX(), bounds.midY() }, nullptr);
        QPoint at(static_cast<int>(base.x), static_cast<int>(widget->height() - base.y));
        if (clicks == 2)
            QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
        else
            QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }
    void clickRow(VornickWordPressBlogEditor& editor, long row, int clicks = 1)
    {
        editor.postsWebListView()->webView()->scrollNodeIntoViewIfNeeded(*editor.postsWebListView()->listItemForRow(row));
        settle();
        QPoint at = rowRect(editor, row).center();
        if (clicks == 2)
            QTest::mouseDClick(widgetOf(editor), Qt::LeftButton, Qt::NoModifier, at);
        else
            QTest::mouseClick(widgetOf(editor), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }
    // A click on a token of a row of the filters popover.
    void clickToken(VornickWordPressBlogEditor& editor, VornickWordPressPostFilterStackItem& item, std::u16string_view title)
    {
        auto* controller = editor.postListFiltersUIController();
        auto* popover = shell->backend().widgetForWindow(*controller->popover()->window());
        ASSERT_TRUE(popover && popover->isVisible());
        auto tokens = item.tokenFilterView();
        const auto& titles = tokens->tokenTitles();
        auto found = std::find(titles.begin(), titles.end(), title);
        ASSERT_NE(found, titles.end()) << toUTF8(title);
        Rect rect = tokens->tokenCapsuleRects().at(static_cast<size_t>(found - titles.begin()));
        Point base = tokens->convertPointToView(Point { rect.midX(), rect.midY() }, nullptr);
        QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, QPoint(static_cast<int>(base.x), static_cast<int>(popover->height() - base.y)));
        settle();
    }
    std::vector<std::u16string> shownTitles(VornickWordPressBlogEditor& editor)
    {
        std::vector<std::u16string> titles;
        auto& list = *editor.postsWebListView();
        for (long row = 0; row < static_cast<long>(list.numberOfItemsLoaded()); ++row)
            titles.push_back(list.representedObjectForRow(row)->valueForKey(u"title").stringValue());
        return titles;
    }
    // The row's picture holds ink (its title's text runs) and, when selected, its fill.
    QImage picture(VornickWordPressBlogEditor& editor) { return widgetOf(editor)->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::vector<FixturePost> others { { u"Other blog's post" }, { u"Other blog's page", true } };
    std::string folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickProjectEditor> projectEditor;
    std::vector<std::shared_ptr<VornickWordPressBlogEditor>> editors;
};

// 120 posts and pages, newest first: every fifth a page, every seventh a draft,
// every eleventh in the Trash (every other one of those queued for the
// server's Trash), every thirteenth in conflict with the server's copy,
// each in one of two categories.
std::vector<FixturePost> sessionPosts()
{
    std::vector<FixturePost> posts;
    for (int index = 0; index < 120; ++index) {
        FixturePost post;
        post.page = index % 5 == 4;
        post.draft = index % 7 == 6;
        post.inTrash = index % 11 == 10;
        post.publishAtNextSync = post.inTrash && index % 22 == 21;
        post.category = index % 2;
        post.conflicted = index % 13 == 12;
        std::u16string word = index % 9 == 0 ? u"Walrus" : u"Entry";
        // Numbered backwards: the titles' order is not the dates'.
        post.title = word + u" " + toUTF16(std::to_string(2000 - index));
        posts.push_back(post);
    }
    return posts;
}

TEST_F(BlogWindowSessionQt, AUsersSessionThroughTheListPostWindowFiltersSortingTrashAndReopening)
{
    auto posts = sessionPosts();
    makeProject(posts, { u"News", u"Travel" });
    openProject();
    auto other = openBlog(u"Other Site");
    auto editor = openBlog(u"Test Site");
    ASSERT_TRUE(editor && other);
    ASSERT_TRUE(widgetOf(*editor) && widgetOf(*other));
    EXPECT_NE(widgetOf(*editor), widgetOf(*other));
    EXPECT_EQ(other->postsWebListView()->numberOfItemsLoaded(), 2u);
    size_t live = 0;
    for (const auto& spec : posts)
        live += !spec.inTrash;
    ASSERT_EQ(editor->postsArrayController()->arrangedObjects().size(), live);

    // The first batch with its placeholder; the wheel loads the rest.
    auto& list = *editor->postsWebListView();
    auto document = list.webView()->mainFrameDocument();
    EXPECT_EQ(list.numberOfItemsLoaded(), 50u);
    EXPECT_TRUE(document->getElementById(u"placeholder"));
    std::vector<size_t> loaded;
    for (int step = 0; step < 200 && list.numberOfItemsLoaded() < live; ++step) {
        wheelDown(*editor);
        if (loaded.empty() || loaded.back() != list.numberOfItemsLoaded())
            loaded.push_back(list.numberOfItemsLoaded());
    }
    EXPECT_EQ(loaded, (std::vector<size_t> { 50, 100, live }));
    EXPECT_FALSE(document->getElementById(u"placeholder"));
    // Each row tells its kind, status and conflict.
    for (long row = 0; row < static_cast<long>(live); ++row) {
        auto shown = std::dynamic_pointer_cast<VornickWordPressBlogPost>(list.representedObjectForRow(row));
        std::u16string classes = list.listItemForRow(row)->getAttribute(u"class");
        EXPECT_EQ(classes.find(u"conflicts") != std::u16string::npos, shown->hasPendingPostDescription()) << row;
        EXPECT_EQ(classes.find(u"in-trash"), std::u16string::npos) << row;
    }

    // A click on row 60 previews its post; the row holds its title's ink and the selection's fill.
    list.webView()->scrollNodeIntoViewIfNeeded(*list.listItemForRow(60));
    settle();
    QRect row60 = rowRect(*editor, 60);
    QImage before = picture(*editor);
    QTest::mouseClick(widgetOf(*editor), Qt::LeftButton, Qt::NoModifier, row60.center());
    settle();
    ASSERT_EQ(list.selectedRowIndexes(), std::vector<long> { 60 });
    auto selected = list.representedObjectForRow(60);
    EXPECT_EQ(editor->postView()->post(), selected);
    QImage after = picture(*editor);
    EXPECT_FALSE(brevanton::testing::inkBounds(before.copy(row60)).isEmpty()) << "the title is drawn in its row";
    QPoint edge(row60.right() - 4, row60.center().y());
    EXPECT_NE(after.pixel(edge), before.pixel(edge)) << "the selected row has its fill";

    // 60 s pass and a sync imports a new post: row 60 stays selected and in place.
    {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(std::dynamic_pointer_cast<VornickBlogPost>(selected)->blog());
        auto imported = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context().insertNewObject(u"BlogPost"));
        ASSERT_TRUE(imported->prepareNewPostAndAssociateWithBlog(blog));
        imported->setTitle(u"Imported from the server");
        imported->setValueForKey(Value(Date::now()), u"dateLastEditedLocally");
        Error error;
        ASSERT_TRUE(projectEditor->project()->index()->commitEditingAndSave(&error)) << error;
    }
    RunLoop::main().advanceClock(60);
    settle();
    ASSERT_EQ(list.selectedObjects(), Objects { selected });
    EXPECT_EQ(editor->postView()->post(), selected);
    long selectedRow = list.rowForRepresentedObject(selected);
    EXPECT_EQ(rowRect(*editor, selectedRow), row60) << "the selected row is still where it was";

    // Ctrl+F and a word: the list narrows to the titles holding it, the word marked.
    press(widgetOf(*editor), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(editor->window()->firstResponder(), editor->postListSearchField());
    QTest::keyClicks(widgetOf(*editor), "walrus");
    settle();
    size_t walruses = 0;
    for (size_t index = 0; index < posts.size(); ++index)
        walruses += posts[index].title.starts_with(u"Walrus") && !posts[index].inTrash;
    ASSERT_EQ(list.numberOfItemsLoaded(), walruses);
    for (long row = 0; row < static_cast<long>(walruses); ++row) {
        auto item = list.listItemForRow(row);
        ASSERT_TRUE(item);
        EXPECT_NE(item->innerHTML().find(u"<mark>Walrus</mark>"), std::u16string::npos) << row;
    }

    // Tab, Down, Return: the post's window; Ctrl+W closes it.
    press(widgetOf(*editor), Qt::Key_Tab);
    EXPECT_EQ(editor->window()->firstResponder(), list.webView());
    press(widgetOf(*editor), Qt::Key_Down);
    ASSERT_EQ(list.selectedObjects().size(), 1u);
    auto chosen = list.selectedObjects().front();
    press(widgetOf(*editor), Qt::Key_Return);
    ASSERT_EQ(shell->blogPostWindows().size(), 1u);
    auto postWindow = shell->blogPostWindows().front();
    EXPECT_EQ(postWindow->post(), chosen);
    QTest::keyClick(shell->backend().widgetForWindow(*postWindow->window()), Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(shell->blogPostWindows().empty());
    postWindow.reset();
    editor->window()->makeKeyAndOrderFront();
    settle();

    // The filters popover takes "Pages", then a category.
    clickView(widgetOf(*editor), *editor->windowController()->postListFiltersButton());
    auto* filters = editor->postListFiltersUIController();
    ASSERT_TRUE(filters && filters->popover()->isShown());
    clickToken(*editor, *filters->postTypesListItem(), u"Pages");
    EXPECT_EQ(editor->selectedPostTypes(), std::vector<std::u16string> { u"page" });
    clickView(widgetOf(*editor), *editor->windowController()->postListFiltersButton());
    clickToken(*editor, *filters->categoriesListItem(), u"Travel");
    ASSERT_EQ(editor->selectedCategories().size(), 1u);
    EXPECT_EQ(editor->selectedCategories()[0]->objectForKey(u"blog"), editor->blog());
    // Live pages of the word in "Travel" (odd rows), newest first.
    EXPECT_EQ(shownTitles(*editor), (std::vector<std::u16string> { u"Walrus 1991", u"Walrus 1901" }));

    // The sort popover takes title ascending.
    clickView(widgetOf(*editor), *editor->windowController()->postListSortingButton());
    auto* sorting = editor->postListSortingUIController();
    ASSERT_TRUE(sorting && sorting->popover()->isShown());
    auto& popUp = *sorting->sortSpecifierPopUpButton();
    long tag = VornickPublishedBlogPostListSortingUIController::tagForSortDescriptor({ u"title", true });
    popUp.chooseItemAtIndex(popUp.menu()->indexOfItem(popUp.menu()->itemWithTag(tag).get()));
    settle();
    EXPECT_FALSE(sorting->popover()->isShown());
    EXPECT_EQ(shownTitles(*editor), (std::vector<std::u16string> { u"Walrus 1901", u"Walrus 1991" }));

    // Move to Trash, confirmed: the file holds "inTrash" and the publish flag.
    clickRow(*editor, 0);
    auto trashed = post(u"Walrus 1901");
    ASSERT_EQ(list.selectedObjects(), Objects { trashed });
    AlertDriver::shared().enqueueButtonTitle(u"Move to Trash");
    ASSERT_TRUE(editor->window()->toolbar()->itemWithIdentifier(u"VornickDeletePostsToolbarItemIdentifier")->sendAction());
    settle();
    ASSERT_FALSE(AlertDriver::shared().shownAlerts().empty());
    EXPECT_EQ(AlertDriver::shared().shownAlerts().back()->messageText(), u"Move post to Trash?");
    EXPECT_TRUE(trashed->inTrash());
    std::string file = fileText(*trashed->sourceFileURL()->fileSystemPath());
    EXPECT_NE(file.find("\"inTrash\" : \"1\""), std::string::npos) << file;
    EXPECT_NE(file.find("\"publishAtNextSync\" : \"1\""), std::string::npos) << file;
    EXPECT_EQ(shownTitles(*editor), std::vector<std::u16string> { u"Walrus 1991" });

    // In the Trash view a double-click asks, then restores.
    clickView(widgetOf(*editor), *editor->windowController()->postListFiltersButton());
    clickToken(*editor, *filters->activeOrInTrashListItem(), u"Trash");
    ASSERT_TRUE(editor->viewingTrash());
    ASSERT_EQ(shownTitles(*editor), std::vector<std::u16string> { u"Walrus 1901" });
    size_t alerts = AlertDriver::shared().shownAlerts().size();
    AlertDriver::shared().enqueueButtonTitle(u"Restore");
    clickRow(*editor, 0, 2);
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), alerts + 1);
    EXPECT_EQ(AlertDriver::shared().shownAlerts().back()->messageText(), u"Restore post?");
    EXPECT_FALSE(trashed->inTrash());
    EXPECT_NE(fileText(*trashed->sourceFileURL()->fileSystemPath()).find("\"inTrash\" : \"0\""), std::string::npos);
    EXPECT_TRUE(shell->blogPostWindows().empty()) << "asked, not opened";
    clickView(widgetOf(*editor), *editor->windowController()->postListFiltersButton());
    clickToken(*editor, *filters->activeOrInTrashListItem(), u"Active");
    ASSERT_FALSE(editor->viewingTrash());
    EXPECT_EQ(shownTitles(*editor), (std::vector<std::u16string> { u"Walrus 1901", u"Walrus 1991" }));

    // Sync: the mini status shows in both windows of the account while the
    // session lasts (the host out of reach keeps it waiting), never "Done".
    auto* synchronizer = editor->synchronizer();
    ASSERT_TRUE(synchronizer && editor->integrator());
    editor->integrator()->setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    EXPECT_FALSE(editor->isMiniSyncStatusShown());
    auto syncItem = editor->window()->toolbar()->itemWithIdentifier(u"VornickStartSyncWithHostToolbarItemIdentifier");
    ASSERT_TRUE(syncItem);
    editor->window()->makeKeyAndOrderFront();
    settle();
    syncItem->validate();
    ASSERT_TRUE(syncItem->sendAction());
    settle();
    auto session = synchronizer->currentSyncSession();
    ASSERT_TRUE(session);
    for (int second = 0; second < 5 && synchronizer->currentSyncSession(); ++second) {
        EXPECT_TRUE(editor->isMiniSyncStatusShown());
        EXPECT_TRUE(other->isMiniSyncStatusShown());
        EXPECT_NE(editor->miniSyncStatusUIController()->latestStatusMessageTextField()->stringValue(), u"Done");
        RunLoop::main().advanceClock(1);
        settle();
    }
    // The session ends: the queue dropped, with the notice a session's end sends
    // (dropping sessions that never started sends none of its own).
    synchronizer->cancelAllSyncSessions();
    NotificationCenter::defaultCenter().post(VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, synchronizer);
    settle();
    EXPECT_FALSE(synchronizer->currentSyncSession());
    EXPECT_FALSE(editor->isMiniSyncStatusShown());
    EXPECT_FALSE(other->isMiniSyncStatusShown());
    EXPECT_NE(editor->miniSyncStatusUIController()->latestStatusMessageTextField()->stringValue(), u"Done");

    // Ctrl+W, and the blog opened again: its filters, sort and search are back.
    editor->window()->makeKeyAndOrderFront();
    QTest::keyClick(widgetOf(*editor), Qt::Key_W, Qt::ControlModifier);
    settle();
    ASSERT_TRUE(editor->isClosed());
    editor = openBlog(u"Test Site");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->postListSearchField()->stringValue(), u"walrus");
    EXPECT_EQ(editor->selectedPostTypes(), std::vector<std::u16string> { u"page" });
    ASSERT_EQ(editor->selectedCategories().size(), 1u);
    EXPECT_EQ(editor->selectedCategories()[0]->valueForKey(u"title").stringValue(), u"Travel");
    auto sort = editor->postsListArrayController()->firstSortDescriptor();
    ASSERT_TRUE(sort);
    EXPECT_EQ(sort->key, u"title");
    EXPECT_TRUE(sort->ascending);
    EXPECT_EQ(shownTitles(*editor), (std::vector<std::u16string> { u"Walrus 1901", u"Walrus 1991" }));
    EXPECT_NE(editor->postsWebListView()->listItemForRow(0)->innerHTML().find(u"<mark>Walrus</mark>"), std::u16string::npos);
}

TEST_F(BlogWindowSessionQt, HostileTitlesAndTermsAnEmptyBlogAndAPostDeletedWhileShown)
{
    std::u16string longTitle(10000, u'x');
    const std::u16string rightToLeft = u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD";
    // Each title, and the text its row shows: markup is not obeyed, references are read.
    const std::vector<std::pair<std::u16string, std::u16string>> titles {
        { u"<b>Bold</b> move<script>alert(1)</script>", u"Bold move" },
        { u"Ends here</li><li>injected row", u"Ends hereinjected row" },
        { u"Fish &amp; chips &lt;3 &#x263A;", u"Fish & chips <3 \u263A" },
        { longTitle, longTitle },
        { rightToLeft, rightToLeft },
        { u"Plain last", u"Plain last" },
    };
    std::vector<FixturePost> posts;
    for (const auto& [title, shown] : titles)
        posts.push_back({ title, false, false, false, false, 0 });
    others.clear();
    makeProject(posts, { u"<i>News</i></li><li>&amp; more" });
    openProject();

    // An empty blog: no rows, no placeholder, nothing previewed.
    auto empty = openBlog(u"Other Site");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->postsWebListView()->numberOfItemsLoaded(), 0u);
    EXPECT_FALSE(empty->postsWebListView()->webView()->mainFrameDocument()->getElementById(u"placeholder"));
    EXPECT_FALSE(empty->postView()->post());

    auto editor = openBlog(u"Test Site");
    ASSERT_TRUE(editor);
    auto& list = *editor->postsWebListView();
    ASSERT_EQ(list.numberOfItemsLoaded(), titles.size());
    auto listElement = list.webView()->mainFrameDocument()->getElementById(u"list");
    EXPECT_EQ(listElement->childElementCount(), titles.size()) << "one row a post";
    EXPECT_EQ(listElement->getElementsByTagName(u"script")->length(), 0u);
    EXPECT_EQ(listElement->getElementsByTagName(u"b")->length(), 0u);
    EXPECT_EQ(listElement->getElementsByTagName(u"i")->length(), 0u);
    QImage shown = picture(*editor);
    for (long row = 0; row < static_cast<long>(titles.size()); ++row) {
        auto item = list.listItemForRow(row);
        ASSERT_TRUE(item);
        auto heading = item->getElementsByTagName(u"h1");
        ASSERT_EQ(heading->length(), 1u) << row;
        EXPECT_EQ(heading->item(0)->textContent(), titles[static_cast<size_t>(row)].second) << row;
        auto categories = item->getElementsByTagName(u"ul");
        ASSERT_GE(categories->length(), 1u);
        EXPECT_EQ(categories->item(0)->textContent(), u"<i>News</i></li><li>&amp; more") << "a term's name is shown as it is";
        // The rows on screen hold their titles' text runs.
        QRect rect = rowRect(*editor, row).intersected(shown.rect());
        if (!rect.isEmpty()) {
            EXPECT_FALSE(brevanton::testing::inkBounds(shown.copy(rect)).isEmpty()) << row;
        }
    }
    // The long title keeps its row to a bounded height.
    EXPECT_LT(rowBox(*editor, 3).height(), 4 * rowBox(*editor, 5).height());

    // A search on the long title's text and on the right-to-left one finds each.
    press(widgetOf(*editor), Qt::Key_F, Qt::ControlModifier);
    // Typed through the input method, as such a keyboard's text comes.
    QInputMethodEvent typed;
    typed.setCommitString(QString::fromStdU16String(rightToLeft.substr(0, 3)));
    QCoreApplication::sendEvent(widgetOf(*editor), &typed);
    settle();
    EXPECT_EQ(editor->postListSearchField()->stringValue(), rightToLeft.substr(0, 3));
    ASSERT_EQ(list.numberOfItemsLoaded(), 1u);
    EXPECT_EQ(list.representedObjectForRow(0)->valueForKey(u"title").stringValue(), rightToLeft);
    editor->postListSearchField()->setStringValue(u"");
    editor->takeSearchStringFrom(editor->postListSearchField().get());
    settle();
    ASSERT_EQ(list.numberOfItemsLoaded(), titles.size());

    // A post deleted while shown: its row and its preview go, the rest stay.
    clickRow(*editor, 4);
    auto doomed = list.representedObjectForRow(4);
    ASSERT_EQ(editor->postView()->post(), doomed);
    context().deleteObject(doomed);
    Error error;
    ASSERT_TRUE(projectEditor->project()->index()->commitEditingAndSave(&error)) << error;
    RunLoop::main().advanceClock(60);
    settle();
    EXPECT_EQ(list.numberOfItemsLoaded(), titles.size() - 1);
    EXPECT_EQ(list.rowForRepresentedObject(doomed), -1);
    EXPECT_NE(editor->postView()->post(), doomed);
    EXPECT_TRUE(list.selectedObjects().empty() || list.selectedObjects().front() != doomed);
    clickRow(*editor, 4);
    EXPECT_EQ(editor->postView()->post(), list.representedObjectForRow(4));
}

// A post in two categories as the site names them ("&" escaped): the row
// shows both, apart, each read once.
TEST_F(BlogWindowSessionQt, ARowShowsItsCategoriesApartAndTheirNamesReadOnce)
{
    makeProject({ { u"Two kinds", false, false, false, false, 0 } }, { u"News", u"Recipes &amp; Food" });
    openProject();
    auto post = vornick_entityOfKind(context(), u"BlogPost", Value(u"Two kinds"), u"title");
    auto second = vornick_entityOfKind(context(), u"BlogCategory", Value(u"Recipes &amp; Food"), u"title");
    ASSERT_TRUE(post && second);
    post->addObjectForKey(second, u"categories");
    auto editor = openBlog(u"Test Site");
    ASSERT_TRUE(editor);
    auto item = editor->postsWebListView()->listItemForRow(0);
    ASSERT_TRUE(item);
    auto lists = item->getElementsByTagName(u"ul");
    ASSERT_EQ(lists->length(), 2u);
    EXPECT_EQ(lists->item(0)->textContent(), u"News, Recipes & Food");
    EXPECT_EQ(lists->item(1)->textContent(), u"featured");
}

} // namespace
} // namespace brevanton
