#include "publishing/VornickWordPressMediaLibraryBrowser.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/ImageView.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "platform/views/Window.h"
#include "tests/wordpress/WordPressMediaLibraryTestSupport.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace brevanton;

namespace {

class MediaLibraryBrowser : public ::testing::Test {
protected:
    MediaLibraryBrowser()
    {
        RunLoop::main().useManualClock();
        vornick_setWebBrowserOpenerForTesting([this](const URL& url) { opened.push_back(url.absoluteString()); });
        Sound::clearPlayedSounds();
        library.blog->setValueForKey(Value(u"Site Title"), u"title");
    }
    ~MediaLibraryBrowser() override
    {
        if (browser && browser->window())
            browser->window()->close();
        browser.reset();
        vornick_setWebBrowserOpenerForTesting({});
        Application::shared().resetForTesting();
        RunLoop::main().useRealClock();
    }

    std::shared_ptr<VornickWordPressMediaItem> add(std::u16string identifier, std::u16string title, std::optional<double> created,
                                                   std::u16string local = {}, std::u16string remote = {})
    {
        auto item = library.addItem(std::move(identifier), std::move(local), std::move(remote));
        item->setValueForKey(Value(std::move(title)), u"title");
        if (created)
            item->setValueForKey(Value(Date(*created)), u"dateCreated");
        return item;
    }

    void open()
    {
        browser = std::make_shared<VornickWordPressMediaLibraryBrowser>();
        browser->loadWindow();
        browser->setBlog(library.blog);
        browser->window()->makeKeyAndOrderFront();
    }

    std::vector<std::u16string> titles() const
    {
        std::vector<std::u16string> result;
        for (auto& item : browser->mediaItems())
            result.push_back(item->imageTitle());
        return result;
    }

    // A click on an item's cell as the user makes it.
    void click(long index, ModifierFlags flags = 0, int clickCount = 1)
    {
        auto& grid = *browser->imageBrowser();
        grid.scrollIndexToVisible(index);
        Rect box = grid.thumbnailFrameAtIndex(index);
        events.click(browser->window(), grid.convertPointToView({ box.midX(), box.midY() }, nullptr), flags, clickCount);
    }

    std::string mediaFile(const std::string& name)
    {
        auto folder = library.blog->mediaFolderURL()->fileSystemPath().value();
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/" + name) << "picture";
        return folder + "/" + name;
    }

    brevanton::testing::WordPressMediaLibrary library;
    std::shared_ptr<VornickWordPressMediaLibraryBrowser> browser;
    std::vector<std::u16string> opened;
    EventSynthesizer events;
};

} // namespace

TEST_F(MediaLibraryBrowser, ItemsStandNewestFirstThenByTitleAndIdentifierAndFollowTheBlogsAdditions)
{
    auto undatedB = add(u"1", u"B", std::nullopt);
    auto old = add(u"2", u"Old", 1000);
    auto newest = add(u"3", u"Newest", 3000);
    auto sameDateZ = add(u"4", u"Z", 2000);
    auto sameDateA = add(u"5", u"A", 2000);
    auto undatedA = add(u"6", u"B", std::nullopt);
    open();
    EXPECT_EQ(browser->window()->title(), u"Media Library: Site Title");
    EXPECT_EQ(titles(), (std::vector<std::u16string> { u"Newest", u"A", u"Z", u"Old", u"B", u"B" }));
    // Items with neither a local file nor a cached copy show placeholders.
    GraphicsContext context;
    browser->window()->contentView()->display(context);
    size_t placeholders = 0;
    for (auto& command : context.commandsOfView(browser->imageBrowser().get())) {
        EXPECT_NE(command.kind, DrawCommand::Kind::ImageFile);
        placeholders += command.kind == DrawCommand::Kind::StrokeRoundedRect ? 1 : 0;
    }
    EXPECT_EQ(placeholders, 6u);
    // Two undated items of one title stand by identifier, the same at every reload.
    bool firstIsLower = undatedB->uniqueIdentifier() < undatedA->uniqueIdentifier();
    EXPECT_EQ(browser->mediaItems()[4], firstIsLower ? undatedB : undatedA);
    auto before = browser->mediaItems();
    for (int i = 0; i < 5; ++i)
        browser->reloadMediaItems();
    EXPECT_EQ(browser->mediaItems(), before);

    // The selection follows its item through an addition announced for this blog.
    browser->showMediaItem(old);
    auto added = add(u"7", u"Added", 5000);
    NotificationCenter::defaultCenter().post(VornickWordPressIntegrator::AddedMediaItemsNotification, static_cast<const void*>(library.blog.get()));
    EXPECT_EQ(browser->mediaItems().front(), added);
    EXPECT_EQ(browser->selectedMediaItems(), (std::vector { old }));
    EXPECT_EQ(browser->imageBrowser()->numberOfItems(), 7);

    // A blog without a title leaves the window's title as it was.
    library.blog->setValueForKey(Value(), u"title");
    browser->window()->setTitle(u"Kept");
    browser->setBlog(library.blog);
    EXPECT_EQ(browser->window()->title(), u"Kept");

    // Unknown items are not shown; the data source answers nothing past the end.
    browser->showMediaItem(nullptr);
    EXPECT_EQ(browser->selectedMediaItems(), (std::vector { old }));
    EXPECT_FALSE(browser->imageBrowserItemAtIndex(*browser->imageBrowser(), 7));
    EXPECT_EQ(browser->imageBrowserItemAtIndex(*browser->imageBrowser(), 0)->imageTitle(), u"Added");
}

TEST_F(MediaLibraryBrowser, OnlyTheUsersChoiceOfOneItemAnswersAPick)
{
    for (int i = 0; i < 4; ++i)
        add(u"id" + std::u16string(1, char16_t(u'0' + i)), u"Item " + std::u16string(1, char16_t(u'0' + i)), 100 - i);
    open();
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> picked;
    Rect inspector(300, 300, 200, 400);
    browser->beginPickingMediaItem(nullptr, inspector, [&](auto& item) { picked.push_back(item); });
    // Beside the inspector, centred on it (the window, already shown, slides there).
    RunLoop::main().advanceClock(1);
    Rect frame = browser->window()->frame();
    EXPECT_EQ(frame.minX(), 520);
    EXPECT_EQ(frame.minY(), std::floor(300 + 200 - frame.height() / 2));
    EXPECT_TRUE(browser->window()->isKeyWindow());

    // The current choice shown in code answers nothing.
    browser->showMediaItem(browser->mediaItems()[2]);
    EXPECT_TRUE(picked.empty());
    // Two selected answer nothing; then one answers once.
    click(0);
    EXPECT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], browser->mediaItems()[0]);
    click(1);
    EXPECT_EQ(picked.size(), 1u) << "answered once";

    picked.clear();
    browser->beginPickingMediaItem(nullptr, inspector, [&](auto& item) { picked.push_back(item); });
    click(3, ModifierFlag::Command);
    EXPECT_TRUE(picked.empty()) << "two selected";
    click(1, ModifierFlag::Command);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], browser->mediaItems()[3]);

    // A click on the item already selected alone answers too.
    picked.clear();
    browser->beginPickingMediaItem(nullptr, inspector, [&](auto& item) { picked.push_back(item); });
    click(3);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], browser->mediaItems()[3]);

    // A cancelled pick is dropped without a call.
    browser->beginPickingMediaItem(nullptr, inspector, [&](auto& item) { picked.push_back(item); });
    browser->cancelPickingMediaItem();
    click(0);
    EXPECT_EQ(picked.size(), 1u);

    // An inspector off every screen leaves the window where it is; a visible window slides there.
    Rect before = browser->window()->frame();
    browser->beginPickingMediaItem(nullptr, Rect(-5000, -5000, 10, 10), [](auto&) { });
    EXPECT_EQ(browser->window()->frame(), before);
    browser->beginPickingMediaItem(nullptr, Rect(100, 100, 100, 100), [](auto&) { });
    EXPECT_EQ(browser->window()->frame(), before) << "moves over time";
    RunLoop::main().advanceClock(1);
    EXPECT_EQ(browser->window()->frame().minX(), 220);
}

TEST_F(MediaLibraryBrowser, OpensOnlyWebAddressesAndFilesInsideTheBlogsFolder)
{
    std::string inside = mediaFile("photo.jpg");
    auto bare = add(u"1", u"Bare", 5, u"photo.jpg", u"https://site.example/uploads/photo.jpg");
    auto absoluteInside = add(u"2", u"Inside", 4, URL::fileURLWithPath(inside, false).absoluteString(), u"javascript:alert(1)");
    auto outside = add(u"3", u"Outside", 3, u"file:///etc/passwd", u"data:text/html,x");
    auto climbing = add(u"4", u"Climbing", 2, u"../../../../etc/passwd", {});
    std::filesystem::create_symlink("/etc/passwd", std::filesystem::path(inside).parent_path() / "link.jpg");
    auto linked = add(u"5", u"Linked", 1, u"link.jpg", {});
    auto web = add(u"6", u"Web", 0, u"http://site.example/local.jpg", {});
    open();

    std::u16string insideURL = URL::fileURLWithPath(inside, false).absoluteString();
    EXPECT_TRUE(browser->openLocalCopyOfMediaItem(bare));
    EXPECT_TRUE(browser->openLocalCopyOfMediaItem(absoluteInside));
    EXPECT_EQ(opened, (std::vector<std::u16string> { insideURL, insideURL }));
    EXPECT_TRUE(Sound::playedSoundNames().empty());
    for (auto& refused : { outside, climbing, linked }) {
        EXPECT_FALSE(browser->openLocalCopyOfMediaItem(refused)) << toUTF8(refused->imageTitle());
    }
    EXPECT_EQ(Sound::playedSoundNames().size(), 3u);
    EXPECT_TRUE(browser->openLocalCopyOfMediaItem(web));

    opened.clear();
    Sound::clearPlayedSounds();
    EXPECT_TRUE(browser->openRemoteCopyOfMediaItem(bare));
    EXPECT_FALSE(browser->openRemoteCopyOfMediaItem(absoluteInside));
    EXPECT_FALSE(browser->openRemoteCopyOfMediaItem(outside));
    EXPECT_FALSE(browser->openRemoteCopyOfMediaItem(climbing)) << "no remote copy: nothing to refuse";
    EXPECT_TRUE(browser->openMediaItemInWordPress(bare));
    browser->openMediaLibraryInWordPress();
    EXPECT_EQ(opened, (std::vector<std::u16string> { u"https://site.example/uploads/photo.jpg",
                                                      u"https://site.example/wp-admin/post.php?post=1&action=edit",
                                                      library.blog->mediaLibraryURL() }));
    EXPECT_EQ(Sound::playedSoundNames().size(), 2u);

    // A double click opens the local copy; with Option the item's page.
    opened.clear();
    click(0);
    click(0, 0, 2);
    EXPECT_EQ(opened, (std::vector<std::u16string> { insideURL }));
    click(0, ModifierFlag::Option, 2);
    EXPECT_EQ(opened.back(), u"https://site.example/wp-admin/post.php?post=1&action=edit");
}

TEST_F(MediaLibraryBrowser, MenusFollowTheSelectionAndCopyOnlyValidRemoteURLs)
{
    std::string file = mediaFile("photo.jpg");
    auto local = add(u"", u"Local only", 3, u"photo.jpg", {});
    auto remote = add(u"9", u"Remote", 2, {}, u"https://site.example/uploads/remote.jpg");
    auto broken = add(u"", u"Broken", 1, {}, u"not a url");
    open();
    auto enabled = [&](const char* action) {
        for (auto& menu : { browser->itemContextMenu(), browser->noItemContextMenu() }) {
            for (auto& item : menu->items()) {
                if (item->action() == action)
                    return Menu::validateItem(*item);
            }
        }
        ADD_FAILURE() << action;
        return false;
    };
    browser->showMediaItem(local);
    EXPECT_TRUE(enabled(VornickWordPressMediaLibraryBrowser::OpenLocalCopyAction));
    EXPECT_FALSE(enabled(VornickWordPressMediaLibraryBrowser::OpenRemoteCopyAction));
    EXPECT_FALSE(enabled(VornickWordPressMediaLibraryBrowser::CopyRemoteURLAction));
    EXPECT_FALSE(enabled(VornickWordPressMediaLibraryBrowser::OpenInWordPressAction));
    EXPECT_TRUE(enabled(VornickWordPressMediaLibraryBrowser::RefreshAction));
    browser->imageBrowser()->setSelectionIndexes({ 0, 1, 2 }, false);
    EXPECT_TRUE(enabled(VornickWordPressMediaLibraryBrowser::OpenRemoteCopyAction));
    EXPECT_TRUE(enabled(VornickWordPressMediaLibraryBrowser::OpenInWordPressAction));

    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"before", PasteboardTypeString));
    browser->showMediaItem(broken);
    browser->copyRemoteURL();
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"before") << "nothing valid: left alone";
    browser->imageBrowser()->setSelectionIndexes({ 0, 1, 2 }, false);
    browser->copyRemoteURL();
    ASSERT_EQ(pasteboard->pasteboardItems().size(), 1u);
    EXPECT_EQ(URLsOnPasteboard(*pasteboard), (std::vector { *URL::create(u"https://site.example/uploads/remote.jpg") }));

    // Drags carry the local file when it is there, else the remote address.
    auto& grid = *browser->imageBrowser();
    auto carried = [&](long index) {
        auto item = browser->imageBrowserPasteboardItemAtIndex(grid, index);
        return item ? URLsFromURIList(item->stringForType(PasteboardTypeURL).value_or(u"")) : std::vector<URL> {};
    };
    EXPECT_EQ(carried(0), (std::vector { URL::fileURLWithPath(file, false) }));
    EXPECT_EQ(carried(1), (std::vector { *URL::create(u"https://site.example/uploads/remote.jpg") }));
    EXPECT_TRUE(carried(2).empty());
    std::filesystem::remove(file);
    EXPECT_TRUE(carried(0).empty());

    // Right clicks show the item menu, or the background's after clearing the selection.
    grid.setSelectionIndexes({ 1 }, false);
    Rect box = grid.thumbnailFrameAtIndex(1);
    events.send(events.rightMouseDown(browser->window(), grid.convertPointToView({ box.midX(), box.midY() }, nullptr)));
    EXPECT_EQ(Menu::shownContextMenu(), browser->itemContextMenu());
    events.send(events.rightMouseDown(browser->window(), grid.convertPointToView({ 2, 2 }, nullptr)));
    EXPECT_EQ(Menu::shownContextMenu(), browser->noItemContextMenu());
    EXPECT_TRUE(browser->selectedMediaItems().empty());
}
