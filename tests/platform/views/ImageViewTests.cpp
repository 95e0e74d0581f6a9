#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/ImageView.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

DraggingInfo dragOf(std::vector<PasteboardItem> items, std::u16string_view name = u"ImageViewTests.drag")
{
    auto pasteboard = Pasteboard::pasteboardWithName(name);
    pasteboard->clearContents();
    EXPECT_TRUE(pasteboard->writeObjects(items));
    DraggingInfo info;
    info.draggingPasteboard = pasteboard;
    info.sourceOperationMask = DragOperations::Every;
    return info;
}

} // namespace

TEST(ImageView, TakesDroppedURLsOnlyWhenAskedAndShowsTheFirstFileDropped)
{
    auto window = Window::create(Rect(0, 0, 200, 200));
    auto view = std::make_shared<ImageView>(Rect(10, 10, 100, 60));
    window->contentView()->addSubview(view);
    auto target = std::make_shared<Responder>();
    int actions = 0;
    target->setActionHandler("changed:", [&](ActionSender*) { ++actions; });
    view->setTarget(target);
    view->setAction("changed:");

    auto remote = URL::create(u"https://site.example/a.png").value();
    auto first = URL::fileURLWithPath("/pictures/first.png", false);
    auto info = dragOf({ PasteboardItem::itemWithURL(remote), PasteboardItem::itemWithURL(first),
                         PasteboardItem::itemWithURL(URL::fileURLWithPath("/pictures/second.png", false)) });
    EXPECT_EQ(view->draggingEntered(info), DragOperations::None);

    view->setTakesDroppedURLs(true);
    EXPECT_EQ(view->draggingEntered(info), DragOperations::Copy);
    EXPECT_EQ(view->draggingEntered(dragOf({ PasteboardItem::itemWithString(u"words") }, u"ImageViewTests.words")), DragOperations::None);
    ASSERT_TRUE(view->prepareForDragOperation(info));
    ASSERT_TRUE(view->performDragOperation(info));
    view->concludeDragOperation(info);
    EXPECT_EQ(view->imageURL(), first);
    EXPECT_EQ(actions, 1);

    // Drawn as a thumbnail of the view's size; an image held instead is fitted and centred.
    GraphicsContext context;
    window->contentView()->display(context);
    auto commands = context.commandsOfView(view.get());
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::ImageFile);
    EXPECT_EQ(commands[0].imagePath, "/pictures/first.png");
    EXPECT_EQ(commands[0].wantedPixelSize, (Size { 100, 60 }));

    view->setImage(std::make_shared<Image>(Size { 200, 60 }));
    EXPECT_FALSE(view->imageURL());
    GraphicsContext again;
    window->contentView()->display(again);
    commands = again.commandsOfView(view.get());
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].rect, Rect(0, 15, 100, 30));
}
