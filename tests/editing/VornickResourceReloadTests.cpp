#include "UndoableEditChecks.h"

#include "app/VornickResourceLoadAttempt.h"
#include "app/VornickWebResourceFileWatcher.h"
#include "app/VornickWindow.h"
#include "dom/VornickElementExtensions.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <fstream>
#include <set>

namespace brevanton::testing {
namespace {

std::string be32(uint32_t v) { return { char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF) }; }

std::string png(uint32_t wide, uint32_t high)
{
    return std::string("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(wide) + be32(high) + std::string("\x08\x06\0\0\0", 5)
        + be32(0);
}

class ResourceReloadTest : public UndoableEditTest {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        m_loads = NotificationCenter::defaultCenter().addObserver(
            VornickResourceLoadAttemptSucceededNotification, nullptr, nullptr, [this](const Notification& note) {
                auto* attempt = static_cast<const VornickResourceLoadAttempt*>(note.object);
                reloaded.insert(toUTF8(attempt->url().lastPathComponent()));
            });
    }
    void TearDown() override
    {
        m_loads.reset();
        UndoableEditTest::TearDown();
    }
    void file(const std::string& name, const std::string& contents)
    {
        std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
        ASSERT_TRUE(writeFileAtomically(path(name), contents));
    }
    void loadPage(const std::string& head, const std::string& body)
    {
        writePage("page.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>R</title>" + head + "</head><body>" + body
                                   + "</body></html>\n");
        load("page.html");
        settle();
        reloaded.clear();
        recorder.clear();
    }
    // Lets the loads started so far end.
    void settle() { RunLoop::main().runUntil([] { return false; }, 0.2); }
    bool waitFor(const std::function<bool()>& condition) { return RunLoop::main().runUntil(condition, 30); }
    std::string attribute(const std::u16string& tag, const std::u16string& name, unsigned index = 0) const
    {
        return toUTF8(element(tag, index)->getAttribute(name));
    }

    std::set<std::string> reloaded;

private:
    ObserverToken m_loads;
};

TEST_F(ResourceReloadTest, OneWatcherPerFileWhateverTheNumberOfReferences)
{
    file("pic.png", png(10, 10));
    file("style.css", "p { color: red }");
    loadPage("<link rel=\"stylesheet\" href=\"style.css\">", "<p><img src=\"pic.png\" alt=\"\"><img src=\"./pic.png\" alt=\"\"></p>");
    auto frame = view->mainFrame();
    for (const char* name : { "pic.png", "style.css" }) {
        auto attempt = VornickResourceLoadAttempt::createForLoadedResourceURL(url(name), frame);
        auto watcher = VornickContentEditingViewTestPeer::watcherForResourceLoadAttempt(*view, *attempt);
        ASSERT_TRUE(watcher) << name;
        EXPECT_TRUE(watcher->isActive()) << name;
    }
    size_t watchers = VornickContentEditingViewTestPeer::resourceFileWatcherCount(*view);
    EXPECT_LE(watchers, 3u); // the page, the image and the sheet at most

    // Both images show the file again after a change, through one watcher.
    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, url("pic.png"));
    ASSERT_TRUE(waitFor([&] { return reloaded.count("pic.png") > 0; }));
    settle();
    EXPECT_EQ(reloaded, (std::set<std::string> { "pic.png" }));
    EXPECT_EQ(VornickContentEditingViewTestPeer::resourceFileWatcherCount(*view), watchers);
    EXPECT_EQ(attribute(u"img", u"src", 1), "./pic.png");

    // Another load of the document starts over.
    loadPage("", "<p>none</p>");
    EXPECT_LE(VornickContentEditingViewTestPeer::resourceFileWatcherCount(*view), 1u);
}

TEST_F(ResourceReloadTest, ChangedImageFileGivesItsSizeWithoutEverLosingItsSource)
{
    file("pic@2x.png", png(10, 10));
    loadPage("", "<p>a<img src=\"pic@2x.png\" class=\"brevanton-set-width-and-height-when-known\" alt=\"\">b</p>");
    auto image = element(u"img");
    // The image is selected; the refresh takes it out of the tree and back.
    auto paragraph = element(u"p");
    select(rangeIn(paragraph, 1, 2));

    file("pic@2x.png", png(800, 600));
    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, url("pic@2x.png"));
    // Within the same turn the source is back: a save now writes it.
    EXPECT_EQ(attribute(u"img", u"src"), "pic@2x.png");
    EXPECT_EQ(element(u"img"), image);
    auto selection = view->effectiveOperationRange();
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->startContainer(), paragraph);
    EXPECT_EQ(selection->startOffset(), 1u);
    EXPECT_EQ(selection->endOffset(), 2u);

    ASSERT_TRUE(waitFor([&] { return !image->getAttribute(u"width").empty(); }));
    EXPECT_EQ(attribute(u"img", u"width"), "400");
    EXPECT_EQ(attribute(u"img", u"height"), "300");
    EXPECT_FALSE(vornick_imgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*image));
    // The size change is a content change: the source follows.
    EXPECT_GE(recorder.count("note DidChangeContentNotification frame"), 1u);
}

TEST_F(ResourceReloadTest, ThreeTimesImageIsScaledAndTheWatcherNoticesTheWrite)
{
    file("PIC@3X.png", png(10, 10));
    loadPage("", "<p><img src=\"PIC@3X.png\" class=\"brevanton-set-width-and-height-when-known\" alt=\"\"></p>");
    auto image = element(u"img");
    file("PIC@3X.png", png(900, 600));
    ASSERT_TRUE(waitFor([&] { return !image->getAttribute(u"width").empty(); }));
    EXPECT_EQ(attribute(u"img", u"width"), "300");
    EXPECT_EQ(attribute(u"img", u"height"), "200");
}

TEST_F(ResourceReloadTest, ImportedAndBackgroundImageFilesReloadTheLinkedSheet)
{
    file("main.css", "@import \"imported.css\";\nbody { background-image: url(\"bg.png\"); }\np { color: green }");
    file("imported.css", "p { color: red }");
    file("bg.png", png(4, 4));
    loadPage("<link rel=\"stylesheet\" href=\"main.css\">", "<p>text</p>");

    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, url("imported.css"));
    ASSERT_TRUE(waitFor([&] { return reloaded.count("main.css") && reloaded.count("imported.css"); }));
    settle();
    EXPECT_TRUE(reloaded.count("main.css"));
    EXPECT_TRUE(reloaded.count("imported.css"));

    reloaded.clear();
    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, url("bg.png"));
    ASSERT_TRUE(waitFor([&] { return reloaded.count("main.css") > 0; }));
    settle();
    EXPECT_TRUE(reloaded.count("main.css"));

    // A file nothing references changes nothing.
    reloaded.clear();
    file("other.png", png(4, 4));
    std::string before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, url("other.png"));
    settle();
    EXPECT_TRUE(reloaded.empty());
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_EQ(recorder.count("note DidChangeContentNotification frame"), 0u);
}

// The save's own write into the page's folder is no change of a file the
// page uses, whatever name reaches the file; nor is a file the page never
// loaded. A closing view refreshes for nothing.
TEST_F(ResourceReloadTest, OnlyFilesThePageLoadsAreRefreshedAndNeverItsOwnSave)
{
    file("pic.png", png(10, 10));
    file("style.css", "p { color: red }");
    file("other.png", png(4, 4));
    loadPage("<link rel=\"stylesheet\" href=\"style.css\">", "<p><img src=\"pic.png\" alt=\"\"></p>");
    auto refreshes = [&](const std::string& name) {
        return VornickContentEditingViewTestPeer::refreshesForResourceFileChangeAtURL(*view, url(name));
    };
    for (const char* name : { "pic.png", "style.css" })
        EXPECT_TRUE(refreshes(name)) << name;
    EXPECT_FALSE(refreshes("other.png"));

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, true, &errors));
    std::filesystem::create_hard_link(path("page.html"), path("same-file.html"));
    EXPECT_FALSE(refreshes("page.html"));
    EXPECT_FALSE(refreshes("same-file.html"));
    EXPECT_TRUE(refreshes("pic.png"));

    // The image changed on disk is shown again through its watcher after the save.
    auto image = element(u"img");
    vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*image, true);
    file("pic.png", png(40, 30));
    ASSERT_TRUE(waitFor([&] { return !image->getAttribute(u"width").empty(); }));
    EXPECT_EQ(attribute(u"img", u"width"), "40");

    auto window = VornickWindow::create(Rect(0, 0, 800, 600));
    window->contentView()->addSubview(view);
    EXPECT_TRUE(refreshes("pic.png"));
    window->close();
    EXPECT_FALSE(refreshes("pic.png"));
    EXPECT_FALSE(refreshes("style.css"));
    view->removeFromSuperview();
}

// Through the watchers themselves: the view's save of the page (whose file
// is watched) refreshes nothing; a sheet the page loads, written afterwards
// by another program in the plain way (truncated, then written in chunks),
// is loaded again once, with its new rules.
TEST_F(ResourceReloadTest, TheWatchersRefreshOnceForAnOutsideWriteAndNeverForTheSave)
{
    file("style.css", "p { color: red }");
    file("marker.png", png(2, 2));
    loadPage("<link rel=\"stylesheet\" href=\"style.css\">", "<p>text<img src=\"marker.png\" alt=\"\"></p>");
    auto watcherOf = [&](const char* name) {
        auto attempt = VornickResourceLoadAttempt::createForLoadedResourceURL(url(name), view->mainFrame());
        return VornickContentEditingViewTestPeer::watcherForResourceLoadAttempt(*view, *attempt);
    };
    auto pageWatcher = watcherOf("page.html");
    ASSERT_TRUE(pageWatcher && pageWatcher->isActive()) << "the page's own file is watched";
    std::multiset<std::string> loads;
    auto counting = NotificationCenter::defaultCenter().addObserver(
        VornickResourceLoadAttemptSucceededNotification, nullptr, nullptr, [&](const Notification& note) {
            loads.insert(toUTF8(static_cast<const VornickResourceLoadAttempt*>(note.object)->url().lastPathComponent()));
        });
    std::string before = documentSnapshot(*document());

    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("page.html"), std::nullopt, true, &errors));
    {
        std::ofstream out(path("style.css"), std::ios::binary | std::ios::trunc);
        out << "p " << std::flush << "{ color: " << std::flush << "green }";
    }
    // The watchers report in the order the files changed: once the sheet's
    // change was acted on, so was the save's. A later change of another
    // file marks the end of the sheet's changes.
    ASSERT_TRUE(waitFor([&] { return loads.count("style.css") > 0; }));
    file("marker.png", png(3, 3));
    ASSERT_TRUE(waitFor([&] { return loads.count("marker.png") > 0; }));
    settle();
    EXPECT_TRUE(pageWatcher->isActive()) << "the watch followed the saved file";
    EXPECT_EQ(loads, (std::multiset<std::string> { "marker.png", "style.css" }));
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_EQ(recorder.count("note DidChangeContentNotification frame"), 0u);
    auto sheet = view->mainFrame()->dataSource()->subresourceForURL(url("style.css"));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(std::string(sheet->data().begin(), sheet->data().end()), "p { color: green }");
}

// A page whose base element points elsewhere (as a repaired copy's does)
// finds its images where its loads found them.
TEST_F(ResourceReloadTest, ReferencesAreResolvedAgainstTheBase)
{
    file("assets/pic.png", png(10, 10));
    loadPage("<base href=\"assets/\">", "<p><img src=\"pic.png\" class=\"brevanton-set-width-and-height-when-known\" alt=\"\"></p>");
    auto image = element(u"img");
    file("assets/pic.png", png(30, 20));
    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*view, url("assets/pic.png"));
    ASSERT_TRUE(waitFor([&] { return !image->getAttribute(u"width").empty(); }));
    EXPECT_EQ(attribute(u"img", u"width"), "30");
    EXPECT_EQ(attribute(u"img", u"height"), "20");
}

} // namespace
} // namespace brevanton::testing
