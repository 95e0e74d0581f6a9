// The image block's inspector in real Qt windows (offscreen): a post window
// of a synced-like account with its blog window open; the popover shows the
// block's media item in its image well; a click on Choose Media Item opens
// the media library beside it, a click on another item answers the pick,
// and the block and the well show that item.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/html/WordPressBlockOracle.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickElementEditorUIController.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/BitmapImageEncoding.h"
#include "platform/views/Button.h"
#include "platform/views/ImageBrowserView.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickMediaItemImageView.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "publishing/VornickWordPressImageBlockFigureInspectorModule.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <gtest/gtest.h>

#include <QTest>

namespace brevanton {
namespace {

constexpr const char16_t* imagePostBody
    = u"<!-- wp:image {\"id\":412,\"width\":20,\"height\":15,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} -->\n"
      u"<figure class=\"wp-block-image size-large is-resized\"><img src=\"https://site.example/wp-content/uploads/red.png\" alt=\"Red\" class=\"wp-image-412\" width=\"20\" height=\"15\"/></figure>\n"
      u"<!-- /wp:image -->\n\n"
      u"<!-- wp:paragraph -->\n<p>After the picture.</p>\n<!-- /wp:paragraph -->\n";

class ImageBlockInspectorQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        AlertDriver::shared().reset();
        folder = createTemporaryDirectory("image-inspector-qt").value();
        ASSERT_TRUE(makeSyncedLikeWordPressProject(folder, imagePostBody));
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        projectEditor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(projectEditor) << error;
        blog = std::dynamic_pointer_cast<VornickWordPressBlog>(vornick_allEntitiesOfKind(context(), u"Blog")->front());
        red = addItem(u"412", "red.png", { 220, 30, 30 });
        blue = addItem(u"413", "blue.png", { 30, 60, 220 });
        ASSERT_TRUE(projectEditor->project()->index()->commitEditingAndSave(&error)) << error;
        vornick_registerBlogWindowOpener();
        blogEditor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(projectEditor->openEditorForComponent(blog, &error));
        ASSERT_TRUE(blogEditor) << error;
        settle();
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(vornick_allEntitiesOfKind(context(), u"BlogPost")->front());
        blogEditor->openEditorForPost(post);
        settle();
        ASSERT_EQ(shell->blogPostWindows().size(), 1u);
        postWindow = shell->blogPostWindows().front();
        for (int round = 0; round < 200 && postWindow->postView()->loadingContent(); ++round)
            settle();
    }

    void TearDown() override
    {
        postWindow.reset();
        if (blogEditor && !blogEditor->isClosed())
            blogEditor->close();
        blogEditor.reset();
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        projectEditor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        std::filesystem::remove_all(folder);
    }

    ManagedObjectContext& context() { return *projectEditor->project()->index()->managedObjectContext(); }

    // An item of the blog with a local file of one colour and an address at the site.
    std::shared_ptr<VornickWordPressMediaItem> addItem(const std::u16string& identifier, const std::string& file, std::array<uint8_t, 3> colour)
    {
        auto media = *blog->mediaFolderURL()->fileSystemPath();
        std::filesystem::create_directories(media);
        std::vector<uint8_t> rgba;
        for (int pixel = 0; pixel < 40 * 30; ++pixel)
            rgba.insert(rgba.end(), { colour[0], colour[1], colour[2], 255 });
        auto png = representationUsingType(ImageRep(40, 30, false, std::move(rgba)), BitmapImageFileType::PNG);
        std::ofstream(media + "/" + file, std::ios::binary).write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context().insertNewObject(u"MediaItem"));
        item->setObjectForKey(blog, u"blog");
        item->ManagedObject::setValueForKey(Value(identifier), u"identifierUsedByBlogService");
        item->ManagedObject::setValueForKey(Value(toUTF16(file)), u"localURLString");
        item->ManagedObject::setValueForKey(Value(u"https://site.example/wp-content/uploads/" + toUTF16(file)), u"remoteURLString");
        item->ManagedObject::setValueForKey(Value(toUTF16(file)), u"title");
        item->ManagedObject::setValueForKey(Value(40), u"pixelsWide");
        item->ManagedObject::setValueForKey(Value(30), u"pixelsHigh");
        return item;
    }

    void settle()
    {
        for (int round = 0; round < 5; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            RunLoop::main().runFor(0.02);
        }
    }

    std::shared_ptr<VornickElementEditorUIController> elementEditor() const
    {
        return VornickContentEditingViewTestPeer::of(*postWindow->postView()).elementEditorUIController;
    }
    std::shared_ptr<VornickWordPressImageBlockFigureInspectorModule> figureModule() const
    {
        auto editor = elementEditor();
        for (const auto& module : editor ? editor->modules() : decltype(editor->modules()) {}) {
            if (auto found = std::dynamic_pointer_cast<VornickWordPressImageBlockFigureInspectorModule>(module))
                return found;
        }
        return nullptr;
    }
    static std::shared_ptr<DOMElement> imageFigureOf(VornickWordPressPostView& view)
    {
        auto figures = view.mainFrameDocument()->getElementsByTagName(u"figure");
        for (unsigned index = 0; index < figures->length(); ++index) {
            if (figures->item(index)->getAttribute(u"class").starts_with(u"wp-block-image"))
                return figures->item(index);
        }
        return nullptr;
    }
    QtWindowWidget* widgetOf(const std::shared_ptr<Window>& window) const { return window ? shell->backend().widgetForWindow(*window) : nullptr; }
    // A point of a view in its window's widget.
    static QPoint pointIn(QtWindowWidget& widget, const View& view, Point point)
    {
        Point base = view.convertPointToView(point, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget.height() - base.y));
    }
    // The colour at the centre of the image well, once the well shows `expected` (or the last one seen).
    QColor wellColourWhenItShows(const QColor& expected)
    {
        QColor seen;
        for (int round = 0; round < 300; ++round) {
            auto* widget = widgetOf(elementEditor()->popover()->window());
            if (!widget)
                return seen;
            auto well = figureModule()->mediaItemImageView();
            QImage picture = widget->grab().toImage();
            QPoint centre = pointIn(*widget, *well, { well->bounds().midX(), well->bounds().midY() });
            seen = picture.pixelColor(centre);
            if (std::abs(seen.red() - expected.red()) < 40 && std::abs(seen.blue() - expected.blue()) < 40)
                return seen;
            settle();
        }
        return seen;
    }

    std::string folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickProjectEditor> projectEditor;
    std::shared_ptr<VornickWordPressBlog> blog;
    std::shared_ptr<VornickWordPressMediaItem> red;
    std::shared_ptr<VornickWordPressMediaItem> blue;
    std::shared_ptr<VornickWordPressBlogEditor> blogEditor;
    std::shared_ptr<VornickBlogPostWindow> postWindow;
};

TEST_F(ImageBlockInspectorQt, AClickInTheMediaLibraryAnswersThePick)
{
    auto& view = *postWindow->postView();
    auto imageFigure = imageFigureOf(view);
    ASSERT_TRUE(imageFigure);
    view.setTargetRange(view.blockModeHelper()->blockOrElement(imageFigure).outerRange());
    ASSERT_TRUE(view.showAttributeEditorForElement(imageFigure, std::nullopt));
    settle();
    ASSERT_TRUE(figureModule());
    auto* popover = widgetOf(elementEditor()->popover()->window());
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(popover->isVisible());
    EXPECT_EQ(figureModule()->mediaItemIDTextField()->stringValue(), u"412");
    // The well shows the block's item, red.
    QColor shown = wellColourWhenItShows(QColor(220, 30, 30));
    EXPECT_GT(shown.red(), 160);
    EXPECT_LT(shown.blue(), 100);

    // Choose Media Item: the library opens, picking, beside the popover.
    auto button = figureModule()->chooseOtherMediaItemButton();
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, pointIn(*popover, *button, { button->bounds().midX(), button->bounds().midY() }));
    settle();
    auto browser = blogEditor->mediaLibraryBrowser();
    ASSERT_TRUE(browser && browser->isPicking());
    EXPECT_TRUE(figureModule()->isPickingMediaItem());
    auto* library = widgetOf(browser->window());
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(library->isVisible());
    // Beside the popover, once the window has slid there.
    double besidePopover = elementEditor()->popover()->window()->frame().maxX() + VornickWordPressMediaLibraryBrowser::PickingWindowGap;
    for (int round = 0; round < 300 && browser->window()->frame().minX() != besidePopover; ++round)
        settle();
    EXPECT_EQ(browser->window()->frame().minX(), besidePopover);

    // A click on the blue item answers it: one step, the block's id, source and size.
    auto steps = view.undoManager()->undoPosition();
    auto& items = browser->mediaItems();
    long blueIndex = std::find(items.begin(), items.end(), blue) - items.begin();
    ASSERT_LT(blueIndex, static_cast<long>(items.size()));
    auto& grid = *browser->imageBrowser();
    grid.scrollIndexToVisible(blueIndex);
    Rect cell = grid.thumbnailFrameAtIndex(blueIndex);
    QTest::mouseClick(library, Qt::LeftButton, Qt::NoModifier, pointIn(*library, grid, { cell.midX(), cell.midY() }));
    settle();
    EXPECT_FALSE(browser->isPicking());
    EXPECT_NE(view.undoManager()->undoPosition(), steps);
    EXPECT_EQ(view.undoManager()->undoActionName(), u"Change Block Property");
    steps = view.undoManager()->undoPosition();
    auto target = elementEditor()->targetObject();
    ASSERT_TRUE(target && target->blockStartComment());
    EXPECT_EQ(target->blockStartComment()->data(), u" wp:image {\"id\":413,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} ");
    auto image = target->element()->getElementsByTagName(u"img")->item(0);
    EXPECT_EQ(image->getAttribute(u"src"), u"https://site.example/wp-content/uploads/blue.png");
    EXPECT_EQ(image->getAttribute(u"class"), u"wp-image-413");
    // The new image shows at its own size: no width, height or "is-resized" any more.
    EXPECT_FALSE(image->hasAttribute(u"width"));
    EXPECT_FALSE(image->hasAttribute(u"height"));
    EXPECT_EQ(target->element()->getAttribute(u"class"), u"wp-block-image size-large");

    // Saved: WordPress reads the new item's attributes, the figure as its editor writes it.
    Error error;
    ASSERT_TRUE(postWindow->save(&error)) << error;
    auto body = postWindow->post()->sourceContentString();
    auto tree = testing::runWordPressOracle("tree", toUTF8(body));
    ASSERT_TRUE(tree);
    auto expected = testing::runWordPressOracle("tree", "<!-- wp:image {\"id\":413,\"sizeSlug\":\"large\",\"linkDestination\":\"none\"} -->\n"
                                                        "<!-- /wp:image -->\n<!-- wp:paragraph -->\n<!-- /wp:paragraph -->");
    EXPECT_EQ(testing::normalizedOracleValue(*tree), testing::normalizedOracleValue(*expected)) << toUTF8(body);
    EXPECT_NE(body.find(u"<figure class=\"wp-block-image size-large\"><img src=\"https://site.example/wp-content/uploads/blue.png\" alt=\"Red\" class=\"wp-image-413\""),
              std::u16string::npos)
        << toUTF8(body);
    EXPECT_EQ(figureModule()->mediaItemIDTextField()->stringValue(), u"413");
    shown = wellColourWhenItShows(QColor(30, 60, 220));
    EXPECT_GT(shown.blue(), 160);
    EXPECT_LT(shown.red(), 100);

    // Closing the popover while picking cancels the pick.
    QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, pointIn(*popover, *button, { button->bounds().midX(), button->bounds().midY() }));
    settle();
    ASSERT_TRUE(browser->isPicking());
    elementEditor()->closePopover();
    settle();
    EXPECT_FALSE(browser->isPicking());
    EXPECT_EQ(view.undoManager()->undoPosition(), steps);

    // Opened to focus the block's media item, the editor starts the pick at once.
    ASSERT_TRUE(view.showAttributeEditorForElement(imageFigureOf(view), std::u16string(u"wp-image-id")));
    settle();
    EXPECT_TRUE(browser->isPicking());
    EXPECT_TRUE(figureModule() && figureModule()->isPickingMediaItem());
}

} // namespace
} // namespace brevanton
