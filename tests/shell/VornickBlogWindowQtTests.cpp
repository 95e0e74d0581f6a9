// A blog window on the offscreen Qt platform, opened on a synced-like
// account project and driven by real Qt events: the list's rows, a click
// that previews a post, Ctrl+F to the search field, typing that narrows the
// list, Return that opens the post's window and Ctrl+W that closes it; the
// toolbar's back and forward segments and its Clear View button.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickHTMLServices.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/SearchField.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/dom/DOMElement.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "ui/VornickWebListView.h"

#include <gtest/gtest.h>

#include <QTest>

namespace brevanton {
namespace {

class BlogWindowQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        AlertDriver::shared().reset();
        folder = createTemporaryDirectory("blog-window-qt").value();
        ASSERT_TRUE(makeSyncedLikeWordPressProject(folder));
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        projectEditor = VornickProjectEditor::openProjectFileURL(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(projectEditor) << error;
        addPosts();
        vornick_registerBlogWindowOpener();
        auto blogs = vornick_allEntitiesOfKind(context(), u"Blog");
        ASSERT_TRUE(blogs && blogs->size() == 1);
        editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(projectEditor->openEditorForComponent(std::dynamic_pointer_cast<VornickProjectComponent>(blogs->front()), &error));
        ASSERT_TRUE(editor) << error;
        settle();
    }

    void TearDown() override
    {
        if (editor && !editor->isClosed())
            editor->close();
        editor.reset();
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        projectEditor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        std::filesystem::remove_all(folder);
    }

    ManagedObjectContext& context() { return *projectEditor->project()->index()->managedObjectContext(); }

    void addPosts()
    {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(vornick_allEntitiesOfKind(context(), u"Blog")->front());
        double age = 2;
        for (auto title : { u"Zebra crossing", u"Yak shaving" }) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context().insertNewObject(u"BlogPost"));
            ASSERT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
            post->setTitle(title);
            post->setSourceContentString(u"<p>About " + std::u16string(title) + u".</p>");
            post->setSourceContentType(u"html");
            post->setValueForKey(Value(Date::now().addingTimeInterval(-86400 * ++age)), u"dateLastEditedLocally");
            Error error;
            ASSERT_TRUE(post->writePostToURL(*post->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
        }
        Error error;
        ASSERT_TRUE(projectEditor->project()->index()->commitEditingAndSave(&error)) << error;
    }

    void settle()
    {
        for (int round = 0; round < 1500; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            bool busy = editor && !editor->isClosed()
                && (editor->postsWebListView()->webView()->isLoading() || editor->postsWebListView()->needsListRefresh()
                    || editor->postView()->loadingContent());
            if (!busy && round > 2)
                return;
            RunLoop::main().runFor(0.02);
        }
    }

    QtWindowWidget* widget() const { return shell->backend().widgetForWindow(*editor->window()); }
    QPoint rowInWidget(long row)
    {
        auto& webView = editor->postsWebListView()->webView();
        webView->layoutIfNeeded();
        Rect box = webView->boundingBox(*editor->postsWebListView()->listItemForRow(row));
        auto& documentView = webView->mainFrame()->frameView()->documentView();
        Point base = documentView->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : widget(), key, modifiers);
        settle();
    }

    std::string folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickProjectEditor> projectEditor;
    std::shared_ptr<VornickWordPressBlogEditor> editor;
};

TEST_F(BlogWindowQt, RowsClickSearchOpenAndClose)
{
    ASSERT_TRUE(widget());
    auto& list = *editor->postsWebListView();
    ASSERT_EQ(list.numberOfItemsLoaded(), 3u);
    EXPECT_EQ(editor->window()->title(), u"Test Site (site.example)");
    // The rows are drawn: ink where each row stands.
    QImage picture = widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (long row = 0; row < 3; ++row) {
        QPoint middle = rowInWidget(row);
        EXPECT_FALSE(brevanton::testing::inkBounds(picture.copy(0, middle.y() - 6, middle.x() * 2, 12)).isEmpty()) << row;
    }

    // A click on the last row previews its post.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, rowInWidget(2));
    settle();
    ASSERT_EQ(list.selectedRowIndexes(), std::vector<long> { 2 });
    EXPECT_EQ(editor->postView()->post(), list.representedObjectForRow(2));

    // Ctrl+F: the search field; typing narrows the list.
    press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(editor->window()->firstResponder(), editor->postListSearchField());
    QTest::keyClicks(widget(), "zebra");
    settle();
    EXPECT_EQ(editor->postListSearchField()->stringValue(), u"zebra");
    ASSERT_EQ(list.numberOfItemsLoaded(), 1u);
    auto zebra = list.representedObjectForRow(0);
    EXPECT_EQ(zebra->valueForKey(u"title").stringValue(), u"Zebra crossing");

    // Tab to the list, Return opens the post's window; Ctrl+W closes it.
    press(Qt::Key_Tab);
    EXPECT_EQ(editor->window()->firstResponder(), list.webView());
    if (list.selectedObjects().empty())
        press(Qt::Key_Down);
    EXPECT_EQ(list.selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { zebra });
    press(Qt::Key_Return);
    ASSERT_EQ(shell->blogPostWindows().size(), 1u);
    auto postWindow = shell->blogPostWindows().front();
    EXPECT_EQ(postWindow->post(), zebra);
    EXPECT_TRUE(postWindow->window()->isKeyWindow());
    QTest::keyClick(shell->backend().widgetForWindow(*postWindow->window()), Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(postWindow->window()->isVisible());
    EXPECT_TRUE(shell->blogPostWindows().empty());
    postWindow.reset();

    // The blog window closes the same way, and its editor with it.
    editor->window()->makeKeyAndOrderFront();
    QTest::keyClick(widget(), Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(editor->isClosed());
    EXPECT_FALSE(VornickProjectComponentEditor::editorForComponent(*editor->blog()));
}

// The toolbar's controls by real clicks: the back segment shows the post
// shown before, clearing the search that hides it from the list, the
// forward segment the one after; Clear View swaps the preview's page.
TEST_F(BlogWindowQt, BackForwardAndClearViewTakeClicksInTheToolbar)
{
    ASSERT_TRUE(widget());
    auto& list = *editor->postsWebListView();
    auto toolbar = editor->window()->toolbar();
    ASSERT_TRUE(toolbar);
    auto backForwardItem = toolbar->itemWithIdentifier(VornickBackForwardToolbarItemIdentifier);
    ASSERT_TRUE(backForwardItem);
    auto backForward = std::dynamic_pointer_cast<SegmentedControl>(backForwardItem->view());
    ASSERT_TRUE(backForward);
    ASSERT_FALSE(toolbar->view()->rectOfItem(*backForwardItem).isEmpty()) << "the control is shown";
    // A click in the middle of one of the control's two segments.
    auto clickSegment = [&](long segment) {
        Rect bounds = backForward->bounds();
        Rect half(bounds.minX() + segment * bounds.width() / 2, bounds.minY(), bounds.width() / 2, bounds.height());
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*widget(), *backForward, half));
        settle();
    };

    // Two rows clicked one after the other: two posts in the history.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, rowInWidget(1));
    settle();
    auto first = list.representedObjectForRow(1);
    ASSERT_EQ(editor->postView()->post(), first);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, rowInWidget(2));
    settle();
    auto second = list.representedObjectForRow(2);
    ASSERT_EQ(editor->postView()->post(), second);
    ASSERT_NE(first, second);
    EXPECT_TRUE(backForward->isEnabled());

    // A search for the second post's first word leaves the first out of the list.
    std::u16string secondTitle = second->valueForKey(u"title").stringValue();
    std::string word = toUTF8(asciiLowercase(secondTitle.substr(0, secondTitle.find(u' '))));
    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(widget(), QString::fromStdString(word));
    settle();
    ASSERT_EQ(list.numberOfItemsLoaded(), 1u);
    ASSERT_EQ(editor->postView()->post(), second);

    // Back: the first post, the search gone so that the list shows it, selected.
    clickSegment(0);
    EXPECT_EQ(editor->postView()->post(), first);
    EXPECT_EQ(editor->postListSearchField()->stringValue(), u"");
    EXPECT_EQ(list.numberOfItemsLoaded(), 3u);
    EXPECT_EQ(list.selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { first });
    // Forward: the second again.
    clickSegment(1);
    EXPECT_EQ(editor->postView()->post(), second);
    EXPECT_EQ(list.selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { second });

    // Clear View: a click shows the post on the plain page, and the button
    // says so; a second click brings the blog's template back.
    auto clearView = editor->toolbarItemViews()->toggleClearViewButton();
    ASSERT_TRUE(clearView);
    const bool initially = editor->postView()->usingClearView();
    auto pageShown = [&] {
        auto url = editor->postView()->mainFrameURL();
        return url ? url->lastPathComponent() : std::u16string();
    };
    auto expectedPage = [](bool clear) { return std::u16string(clear ? u"ClearViewTemplate.html" : u"post-standard.html"); };
    EXPECT_EQ(pageShown(), expectedPage(initially));
    for (bool clear : { !initially, initially }) {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*widget(), *clearView));
        settle();
        EXPECT_EQ(editor->postView()->usingClearView(), clear);
        EXPECT_EQ(clearView->state(), clear ? OnState : OffState);
        EXPECT_EQ(pageShown(), expectedPage(clear));
        EXPECT_EQ(editor->postView()->post(), second);
    }
}

// Ctrl+A in the search field selects its text, as a real key press: what is
// typed next replaces it.
TEST_F(BlogWindowQt, ControlASelectsTheSearchFieldsText)
{
    ASSERT_TRUE(widget());
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(editor->window()->firstResponder(), editor->postListSearchField());
    QTest::keyClicks(widget(), "zebra");
    settle();
    ASSERT_EQ(editor->postListSearchField()->stringValue(), u"zebra");
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor->window()->firstResponder(), editor->postListSearchField());
    QTest::keyClicks(widget(), "yak");
    settle();
    EXPECT_EQ(editor->postListSearchField()->stringValue(), u"yak");
    ASSERT_EQ(editor->postsWebListView()->numberOfItemsLoaded(), 1u);
    EXPECT_EQ(editor->postsWebListView()->representedObjectForRow(0)->valueForKey(u"title").stringValue(), u"Yak shaving");
}

} // namespace
} // namespace brevanton
