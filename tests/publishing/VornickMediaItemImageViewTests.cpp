#include "publishing/VornickMediaItemImageView.h"

#include "documents/VornickDiskWebResourceCache.h"
#include "platform/net/URLResponse.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Window.h"
#include "tests/wordpress/WordPressMediaLibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class Finder : public VornickMediaItemFinder {
public:
    std::shared_ptr<VornickWordPressMediaItem> mediaItemForLocalURL(const URL& url) override
    {
        asked.push_back(url);
        return answer;
    }
    std::vector<URL> asked;
    std::shared_ptr<VornickWordPressMediaItem> answer;
};

class MediaItemImageView : public ::testing::Test {
protected:
    MediaItemImageView()
    {
        window->contentView()->addSubview(view);
        view->setMediaItemFinder(&finder);
        target->setActionHandler("featuredImageChanged:", [this](ActionSender*) { ++actions; });
        view->setTarget(target);
        view->setAction("featuredImageChanged:");
    }

    std::vector<DrawCommand> drawn()
    {
        GraphicsContext context;
        window->contentView()->display(context);
        return context.commandsOfView(view.get());
    }

    void drop(const std::vector<URL>& urls)
    {
        auto pasteboard = Pasteboard::pasteboardWithName(u"MediaItemImageViewTests.drag");
        pasteboard->clearContents();
        std::vector<PasteboardItem> items;
        for (auto& url : urls)
            items.push_back(PasteboardItem::itemWithURL(url));
        ASSERT_TRUE(pasteboard->writeObjects(items));
        DraggingInfo info;
        info.draggingPasteboard = pasteboard;
        info.sourceOperationMask = DragOperations::Every;
        ASSERT_EQ(view->draggingEntered(info), DragOperations::Copy);
        ASSERT_TRUE(view->prepareForDragOperation(info));
        ASSERT_TRUE(view->performDragOperation(info));
        view->concludeDragOperation(info);
    }

    brevanton::testing::WordPressMediaLibrary library;
    std::shared_ptr<Window> window = Window::create(Rect(0, 0, 300, 300));
    std::shared_ptr<VornickMediaItemImageView> view = std::make_shared<VornickMediaItemImageView>(Rect(10, 10, 120, 90));
    std::shared_ptr<Responder> target = std::make_shared<Responder>();
    Finder finder;
    int actions { 0 };
};

} // namespace

TEST_F(MediaItemImageView, ShowsTheLocalFileElseTheCachedCopyElseAPlaceholder)
{
    EXPECT_TRUE(drawn().empty()) << "no item, nothing";
    auto local = library.addItem(u"1", u"photo.jpg", u"https://site.example/uploads/photo.jpg");
    view->setMediaItem(local);
    EXPECT_EQ(view->imageURL(), local->resolvedLocalURL());
    auto commands = drawn();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::ImageFile);
    EXPECT_EQ(commands[0].imagePath, local->resolvedLocalURL()->fileSystemPath());

    // A server item never downloaded: its cached copy when the blog has one, else a placeholder.
    auto remote = library.addItem(u"2", {}, u"https://site.example/uploads/remote.png");
    view->setMediaItem(remote);
    EXPECT_FALSE(view->imageURL());
    commands = drawn();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::FillRoundedRect);
    auto cache = std::dynamic_pointer_cast<VornickDiskWebResourceCache>(library.blog->webResourceCache());
    ASSERT_TRUE(cache);
    std::string body = "png";
    URLResponse response(*URL::create(u"https://site.example/uploads/remote.png"), u"image/png", body.size());
    ASSERT_TRUE(cache->storeCachedURLResponse(response, Data(body.begin(), body.end())));
    view->setMediaItem(nullptr);
    view->setMediaItem(remote);
    EXPECT_EQ(view->imageURL(), cache->cachedFileURLForURL(response.url()));
}

TEST_F(MediaItemImageView, ADropGoesToTheFinderFirstURLOnlyAndAlwaysSendsTheAction)
{
    auto known = library.addItem(u"1", u"photo.jpg", {});
    auto first = URL::fileURLWithPath(library.folder + "/first.jpg", false);
    auto second = URL::fileURLWithPath(library.folder + "/second.jpg", false);
    finder.answer = known;
    drop({ first, second });
    EXPECT_EQ(finder.asked, (std::vector { first }));
    EXPECT_EQ(view->mediaItem(), known);
    EXPECT_EQ(actions, 1);

    // A file the finder does not know clears the view, and the action still goes.
    finder.answer = nullptr;
    drop({ second });
    EXPECT_FALSE(view->mediaItem());
    EXPECT_FALSE(view->imageURL());
    EXPECT_EQ(actions, 2);
    EXPECT_TRUE(drawn().empty());

    // A drag carrying no URL is not taken.
    auto pasteboard = Pasteboard::pasteboardWithName(u"MediaItemImageViewTests.text");
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"words", PasteboardTypeString));
    DraggingInfo info;
    info.draggingPasteboard = pasteboard;
    EXPECT_EQ(view->draggingEntered(info), DragOperations::None);
}
