// What the post window does as its post view's delegate at the end of a
// load (the page's base, the formatting set) and when a link of the page is
// clicked, on the offscreen Qt platform.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "blog/VornickBlog.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace brevanton {
namespace {

class BlogPostWindowLoadAndLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
        AlertDriver::shared().reset();
        folder = createTemporaryDirectory("post-window-links").value();
        auto made = makeSyncedLikeWordPressProject(folder);
        ASSERT_TRUE(made);
        postPath = *made;
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
        vornick_setWebBrowserOpenerForTesting(nullptr);
        editor.reset();
        shell.reset();
        settle();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        std::filesystem::remove_all(folder);
    }

    void settle()
    {
        for (int round = 0; round < 1500; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            if (!editor || (!editor->postView()->loadingContent() && editor->postView()->loadingState() != VornickContentLoadingState::InProgress))
                return;
            RunLoop::main().runFor(0.02);
        }
        ADD_FAILURE() << "the post's page never finished loading";
    }

    std::string postFile() const
    {
        std::ifstream stream(postPath, std::ios::binary);
        std::stringstream buffer;
        buffer << stream.rdbuf();
        return buffer.str();
    }

    std::string folder;
    std::string postPath;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickBlogPostWindow> editor;
};

TEST_F(BlogPostWindowLoadAndLinks, AfterALoadThePageIsBasedOnThePostFileAndWrittenWithTheBlogPostFormattingWithoutAnEdit)
{
    auto& view = *editor->postView();
    auto frame = view.mainFrame();
    ASSERT_TRUE(frame && frame->domDocument());
    auto bases = frame->domDocument()->getElementsByTagName(u"base");
    ASSERT_TRUE(bases);
    ASSERT_EQ(bases->length(), 1u);
    EXPECT_EQ(bases->item(0)->getAttribute(u"href"), URL::fileURLWithPath(postPath).absoluteString());
    EXPECT_EQ(vornick_HTMLFormattingPreferences(*frame), VornickBlog::blogPostHTMLFormattingPreferences());

    // Nothing of it is an edit: a save writes nothing.
    EXPECT_FALSE(editor->isDocumentEdited());
    std::string before = postFile();
    Error error;
    EXPECT_TRUE(editor->save(&error)) << error;
    EXPECT_EQ(postFile(), before);

    // The same after Clear View reloads the post.
    editor->toggleClearView();
    settle();
    bases = view.mainFrame()->domDocument()->getElementsByTagName(u"base");
    ASSERT_TRUE(bases && bases->length() == 1u);
    EXPECT_EQ(bases->item(0)->getAttribute(u"href"), URL::fileURLWithPath(postPath).absoluteString());
    EXPECT_EQ(vornick_HTMLFormattingPreferences(*view.mainFrame()), VornickBlog::blogPostHTMLFormattingPreferences());
    editor->toggleClearView();
    settle();
    UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
}

TEST_F(BlogPostWindowLoadAndLinks, OnlyACommandClickOpensAWebOrMailLinkThroughTheApplicationDelegate)
{
    auto delegate = VornickApplicationDelegate::create();
    Application::shared().setDelegate(delegate);
    std::vector<std::u16string> opened;
    vornick_setWebBrowserOpenerForTesting([&](const URL& url) { opened.push_back(url.absoluteString()); });
    auto& view = *editor->postView();
    auto click = [&](std::u16string_view address, ModifierFlags flags) {
        auto url = URL::create(address);
        ASSERT_TRUE(url) << toUTF8(address);
        editor->vornickContentEditingViewUserClickedLinkElement(view, nullptr, *url, flags);
    };
    EXPECT_TRUE(editor->respondsToUserClickedLinkElement());

    click(u"https://site.example/about/", 0);
    click(u"https://site.example/about/", ModifierFlag::Shift);
    EXPECT_TRUE(opened.empty());

    click(u"https://site.example/about/", ModifierFlag::Command);
    click(u"http://other.example/x?y=1", ModifierFlag::Command | ModifierFlag::Shift);
    click(u"mailto:writer@site.example", ModifierFlag::Command);
    // A link to the page itself, and addresses a page must not open on this computer.
    click(u"https://site.example/#", ModifierFlag::Command);
    click(u"file:///etc/passwd", ModifierFlag::Command);
    click(u"file:///home/x/Site.brevantonwordpressproject", ModifierFlag::Command);
    click(u"javascript:alert(1)", ModifierFlag::Command);
    click(u"ssh://site.example/", ModifierFlag::Command);
    EXPECT_EQ(opened, (std::vector<std::u16string> { u"https://site.example/about/", u"http://other.example/x?y=1",
                                                     u"mailto:writer@site.example" }));
    EXPECT_FALSE(editor->isDocumentEdited());
}

} // namespace
} // namespace brevanton
