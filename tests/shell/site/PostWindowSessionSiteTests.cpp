// The user's whole session against the real WordPress site: the executable's
// exhaustive sync brings the site into a fresh account folder; the program,
// on an X server of its own (Xvfb) and driven by xdotool, opens a synced
// draft in its theme, where a click in the title, typing, a click in a
// paragraph, typing, Ctrl+S and Ctrl+W save the post file and end; a manual
// sync sends it, the site (REST, context=edit) holds the new title and text,
// and the sync after it sends nothing.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <string>

namespace brevanton::testing::post_window_session_site_tests {
namespace {

// What one run of the executable printed, and whether it succeeded.
struct ProgramRun {
    bool succeeded { false };
    std::string output;
};

ProgramRun brevanton(const std::vector<std::string>& arguments)
{
    ProcessLaunch launch;
    launch.executable = BREVANTON_EXECUTABLE;
    launch.arguments = arguments;
    // As scripts/run starts it.
    launch.environment["BREVANTON_ANNOUNCE_MODE"] = "1";
    launch.timeout = std::chrono::minutes(10);
    Error error;
    auto result = Process::run(launch, &error);
    if (!result)
        return { false, toUTF8(error.localizedDescription()) };
    return { result->succeeded(), result->standardOutput + result->standardError };
}

// A value of a post file (a JSON archive).
Value postFileValue(const std::string& path, const char16_t* key)
{
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(path), &error);
    const Value* value = archive ? archive->objectForKey(key) : nullptr;
    return value ? *value : Value();
}

// Where a click goes in the post's window, in the window's own pixels.
struct PostWindowPoints {
    QPoint title;
    QPoint paragraph;
    std::u16string paragraphText;
};

// The post opened in a window of the shell on the offscreen platform, sized
// as the window on the X display is: the page's layout is the same on every
// display, so this window says where the title's text and the body's first
// paragraph begin. Nothing is edited or saved.
std::optional<PostWindowPoints> pointsInOffscreenPostWindow(const std::string& postPath, int width, int height)
{
    qtApplication();
    VornickInstallHTMLServices();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<PostWindowPoints> points;
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto editor = shell.openBlogPostFile(postPath, &error);
        EXPECT_TRUE(editor) << error;
        if (!editor)
            return std::nullopt;
        auto& view = *editor->postView();
        auto settle = [&] {
            return RunLoop::main().runUntil(
                [&] {
                    QCoreApplication::processEvents();
                    return !view.loadingContent() && view.loadingState() != VornickContentLoadingState::InProgress;
                },
                60);
        };
        EXPECT_TRUE(settle()) << "the post's page never finished loading";
        auto* widget = shell.backend().widgetForWindow(*editor->window());
        // The window's frame grows or shrinks by what its widget lacks.
        for (int round = 0; round < 3 && widget && (widget->width() != width || widget->height() != height); ++round) {
            Rect frame = editor->window()->frame();
            double dw = width - widget->width();
            double dh = height - widget->height();
            editor->window()->setFrame(Rect(frame.minX(), frame.minY() - dh, frame.width() + dw, frame.height() + dh));
            QCoreApplication::processEvents();
            RunLoop::main().runFor(0.05);
            widget = shell.backend().widgetForWindow(*editor->window());
        }
        EXPECT_TRUE(widget && widget->width() == width && widget->height() == height)
            << (widget ? widget->width() : 0) << "x" << (widget ? widget->height() : 0) << " for " << width << "x" << height;
        auto title = view.attachmentPointWithIdentifier(VornickAttachmentPointTitle);
        auto body = view.attachmentPointWithIdentifier(VornickAttachmentPointBody);
        auto titleElement = title ? title->findElement() : nullptr;
        auto bodyElement = body ? body->findElement() : nullptr;
        auto paragraphs = bodyElement ? bodyElement->getElementsByTagName(u"p") : nullptr;
        auto paragraph = paragraphs && paragraphs->length() ? paragraphs->item(0) : nullptr;
        EXPECT_TRUE(titleElement && paragraph) << "the title and the body attach in the theme";
        if (widget && titleElement && titleElement->firstChild() && paragraph && paragraph->firstChild()) {
            auto webView = view.embeddedWebView();
            auto start = [&](const DOMNode& node) {
                Rect box = webView->lineBoxRects(node).front();
                Point base = webView->convertPointToView(Point { box.minX() + 1, box.midY() }, nullptr);
                return QPoint(static_cast<int>(base.x), static_cast<int>(widget->height() - base.y));
            };
            points = PostWindowPoints { start(*titleElement->firstChild()), start(*paragraph->firstChild()), paragraph->textContent() };
        }
        EXPECT_FALSE(editor->isDocumentEdited());
        editor->window()->close();
        editor.reset();
        RunLoop::main().runFor(0.1);
    }
    Application::shared().resetForTesting();
    return points;
}

// The CPU time a process used so far, in clock ticks; -1 when it is gone.
long long cpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long ticks = 0;
    // After the name: state is the 3rd field of the line, utime the 14th, stime the 15th.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index >= 14)
            ticks += std::atoll(field.c_str());
    }
    return ticks;
}

// Waits until the process has used next to no CPU for a second: the
// window's page has loaded and laid out (clicks before that may find
// nothing to take them).
bool waitUntilIdle(pid_t pid, double seconds)
{
    std::vector<long long> samples;
    return waitFor(
        [&] {
            samples.push_back(cpuTicks(pid));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (samples.size() < 6 || samples.back() < 0)
                return false;
            // At most a tenth of a processor over the last second.
            return samples.back() - samples[samples.size() - 6] <= sysconf(_SC_CLK_TCK) / 10;
        },
        seconds);
}

// When each post and page of the site, of any status, last changed.
std::map<std::string, std::string> modificationsOnSite(const WordPressSite& site)
{
    std::map<std::string, std::string> modified;
    for (std::u16string kind : { u"posts", u"pages" }) {
        for (int page = 1; page <= 3; ++page) {
            SiteReply reply = siteRESTRequest(site, site.administrator, u"GET",
                u"/wp/v2/" + kind + u"?context=edit&status=publish,future,draft,pending,private&per_page=100&page="
                    + toUTF16(std::to_string(page)));
            if (reply.status != 200 || !reply.json || !reply.json->isArray() || reply.json->array().empty())
                break;
            for (const Value& item : reply.json->array())
                modified[toUTF8(kind) + " " + item[u"id"].description()] = toUTF8(item[u"modified_gmt"].stringValue());
        }
    }
    return modified;
}

TEST(PostWindowSession, SyncEditInTheThemeOnXvfbSaveCloseSyncAndTheSiteHoldsItThenNothingMoreGoesUp)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::string scriptOutput;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &scriptOutput)) << scriptOutput;

    // A fresh account folder: the project file, the account's address and
    // login, its application password in the keychain file the executable
    // reads too (the environment names it), never on a command line.
    auto folder = createTemporaryDirectory("post-window-session");
    ASSERT_TRUE(folder);
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(*folder + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        auto account = project->wordPressAccount();
        account->setRootURLString(site.url + u"/");
        account->setUseXMLRPC(false);
        account->setLoginID(site.administrator.username);
        ASSERT_TRUE(account->setPassword(site.administrator.applicationPassword, &error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
    }

    // The exhaustive sync, as `scripts/run --sync --type 3 FOLDER` runs it.
    ProgramRun imported = brevanton({ "--sync", "--type", "3", *folder });
    ASSERT_TRUE(imported.succeeded) << imported.output;

    // The first draft, written to its file, with the theme's post template.
    std::string postPath;
    std::u16string identifier;
    {
        Error error;
        auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(*folder + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        auto posts = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"BlogPost").value_or(ManagedObjects());
        for (auto& object : posts) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(object);
            if (post && post->title() == u"Draft 1" && post->sourceFileURL()) {
                postPath = *post->sourceFileURL()->fileSystemPath();
                identifier = post->identifierUsedByBlogService();
                ASSERT_FALSE(post->currentlyPublished());
                auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(post->blog());
                ASSERT_TRUE(blog && blog->templatesFolderURL());
                EXPECT_TRUE(fileExists(*blog->templatesFolderURL()->fileSystemPath() + "/post-standard.html")) << imported.output;
            }
        }
    }
    ASSERT_FALSE(postPath.empty()) << imported.output;
    ASSERT_FALSE(identifier.empty());
    std::u16string originalBody = postFileValue(postPath, u"sourceContentString").stringValue();

    XvfbServer server;
    ASSERT_TRUE(server.start()) << "Xvfb did not start";
    // Where to click, from the page laid out in a window of the same size.
    constexpr int width = 1280;
    constexpr int height = 800;
    auto points = pointsInOffscreenPostWindow(postPath, width, height);
    ASSERT_TRUE(points);
    ASSERT_NE(points->paragraphText.find(u"opens with a paragraph"), std::u16string::npos) << toUTF8(points->paragraphText);

    auto editor = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, postPath },
        std::vector<std::string> { "DISPLAY=" + server.display });
    ASSERT_TRUE(editor->running());
    std::string window;
    ASSERT_TRUE(server.waitWhileRunning(*editor, [&] { return !(window = server.windowNamed("^Draft 1")).empty(); }, 60))
        << "no window showed the post" << server.whatEnded(*editor);
    // The window takes the size the points were taken at.
    ASSERT_TRUE(server.resizeWindow(window, width, height)) << server.windowSize(window).first << "x" << server.windowSize(window).second;
    pid_t windowProcess = std::atoi(xdotool(server.display, { "getwindowpid", window }).standardOutput.c_str());
    ASSERT_GT(windowProcess, 0);
    // On a busy machine it may not come to rest: the clicks are sent again until they take.
    if (!waitUntilIdle(windowProcess, 45))
        std::fprintf(stderr, "the window's program did not come to rest\n");

    // The title, then the paragraph: each click and its typing sent again
    // until a save shows it (the window may show before its page has loaded,
    // when nothing takes the click yet).
    auto editAndSave = [&](QPoint at, const char* text, const std::function<bool()>& saved) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            server.click(window, at.x(), at.y());
            EXPECT_TRUE(server.type(text));
            server.keys({ "ctrl+s" });
            if (waitFor(saved, 6))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(editAndSave(points->title, "Zephyr ", [&] {
        return postFileValue(postPath, u"title").stringValue().find(u"Zephyr") != std::u16string::npos;
    })) << toUTF8(postFileValue(postPath, u"title").stringValue());
    ASSERT_EQ(postFileValue(postPath, u"sourceContentString").stringValue().find(u"Zephyr"), std::u16string::npos)
        << "the title's text went into the body";
    EXPECT_TRUE(editAndSave(points->paragraph, "Quokka ", [&] {
        return postFileValue(postPath, u"sourceContentString").stringValue().find(u"Quokka Post number") != std::u16string::npos;
    })) << toUTF8(postFileValue(postPath, u"sourceContentString").stringValue());

    // Saved: Ctrl+W closes the window without asking, and the program ends well.
    server.keys({ "ctrl+w" });
    ASSERT_TRUE(editor->waitForExit(30)) << "the program did not end";
    EXPECT_TRUE(editor->exitedNormally());
    EXPECT_EQ(editor->exitCode(), 0);

    // The file: the new title and text, the rest of the body, queued to go up.
    std::u16string title = postFileValue(postPath, u"title").stringValue();
    std::u16string body = postFileValue(postPath, u"sourceContentString").stringValue();
    EXPECT_NE(title.find(u"Draft 1"), std::u16string::npos) << toUTF8(title);
    EXPECT_NE(body.find(u"It ends here, with a"), std::u16string::npos) << toUTF8(body);
    EXPECT_NE(body.find(u"<!-- wp:quote -->"), std::u16string::npos) << toUTF8(body);
    EXPECT_EQ(body.find(u"file:"), std::u16string::npos) << toUTF8(body);
    EXPECT_TRUE(postFileValue(postPath, u"publishAtNextSync").boolValue());
    EXPECT_NE(body, originalBody);

    // A manual sync sends it; the site holds the title and the text.
    ProgramRun uploaded = brevanton({ "--sync", *folder });
    ASSERT_TRUE(uploaded.succeeded) << uploaded.output;
    EXPECT_NE(uploaded.output.find("Push to server of \"" + toUTF8(title) + "\" succeeded"), std::string::npos) << uploaded.output;
    SiteReply reply = siteRESTRequest(site, site.administrator, u"GET", u"/wp/v2/posts/" + identifier + u"?context=edit");
    ASSERT_EQ(reply.status, 200);
    ASSERT_TRUE(reply.json);
    std::u16string siteTitle = (*reply.json)[u"title"][u"raw"].stringValue();
    std::u16string siteContent = (*reply.json)[u"content"][u"raw"].stringValue();
    EXPECT_NE(siteTitle.find(u"Zephyr"), std::u16string::npos) << toUTF8(siteTitle);
    EXPECT_NE(siteContent.find(u"Quokka Post number 121 opens with a paragraph"), std::u16string::npos) << toUTF8(siteContent);
    EXPECT_EQ(siteContent.find(u"file:"), std::u16string::npos) << toUTF8(siteContent);
    EXPECT_EQ((*reply.json)[u"status"].stringValue(), u"draft");
    EXPECT_FALSE(postFileValue(postPath, u"publishAtNextSync").boolValue());

    // The next sync sends nothing: no post or page of the site changes.
    auto modifications = modificationsOnSite(site);
    EXPECT_GT(modifications.size(), 140u);
    ProgramRun again = brevanton({ "--sync", *folder });
    ASSERT_TRUE(again.succeeded) << again.output;
    EXPECT_EQ(again.output.find("Push to server of"), std::string::npos) << again.output;
    EXPECT_EQ(again.output.find(">> \""), std::string::npos) << again.output;
    EXPECT_NE(again.output.find("queued 0, conflicts 0"), std::string::npos) << again.output;
    EXPECT_EQ(modificationsOnSite(site), modifications);

    editor.reset();
    server.process.reset();
    EXPECT_TRUE(removeItem(*folder));
    std::string restoreOutput;
    EXPECT_TRUE(runWordPressSiteScript("restore", {}, &restoreOutput)) << restoreOutput;
}

} // namespace
} // namespace brevanton::testing::post_window_session_site_tests
