// A user's first session with the real program on an X server of its own
// (Xvfb), against the real WordPress site, in fresh XDG folders: File > New
// WordPress Account…, the site's address, the Administrator's login and
// application password typed into the login panel (the password through
// xdotool's standard input, on no command line), Return; the first sync
// ends and "Open Blogs" opens the blog's window. New Post there, a title and
// a body with "<", "&", accented letters and an emoji typed; in Properties a
// seeded tag typed to its completion and a seeded category checked, OK; a
// seeded picture dragged from the Media Library into the body; Publish: the
// window closes and the site (REST, context=edit) holds the post published,
// its title and content as the post's file has them, with that tag, that
// category and the picture's image block. The password and its
// Basic form are then in no file of the XDG or account folders (the file
// keychain, 0600 in a 0700 folder, keeps it in hexadecimal), nor in the
// program's output; relaunched, the account opens in its blog's window
// without asking, and a sync changes nothing on the site.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include "app/VornickWindow.h"
#include "blog/VornickBlogCategory.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/ImageBrowserView.h"
#include "platform/views/OutlineView.h"
#include "platform/views/Popover.h"
#include "platform/views/TokenField.h"
#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "publishing/VornickWordPressPagePropertiesUIController.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/Toolbar.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickBlogPostWindow.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickFirstBlogSyncLoginUI.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "publishing/VornickSyncStatusUIController.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"
#include "toolkit/VornickBase64.h"
#include "tests/shell/site/AccountLayoutCopy.h"

#include <gtest/gtest.h>

#include <QAction>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdlib.h>
#include <sstream>
#include <sys/stat.h>

namespace brevanton::testing::user_session_site_tests {
namespace {

std::string readWholeFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

// The files below a folder that hold any of the texts.
std::vector<std::string> filesHolding(const std::string& folder, const std::vector<std::string>& texts)
{
    std::vector<std::string> found;
    std::error_code error;
    for (auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (!entry.is_regular_file())
            continue;
        std::string contents = readWholeFile(entry.path().string());
        for (const auto& text : texts) {
            if (!text.empty() && contents.find(text) != std::string::npos) {
                found.push_back(entry.path().string());
                break;
            }
        }
    }
    return found;
}

std::string textOfFilesIn(const std::string& folder)
{
    std::string text;
    std::error_code error;
    for (auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file())
            text += readWholeFile(entry.path().string());
    }
    return text;
}

// Where the user clicks, in window pixels: the File menu in a document
// window's menu bar, and "Open Blogs" in the first sync window, laid out by
// the shell on the offscreen platform with the fonts the program uses.
struct ClickPoints {
    QPoint fileMenu;
    Point openBlogs;
    Point hostField;
    Point loginField;
    Point passwordField;
};

Point centreInWindow(const View& view)
{
    Rect frame = view.convertRectToView(view.bounds(), nullptr);
    return Point { frame.midX(), frame.midY() };
}

class NoAccount final : public VornickFirstBlogSyncDocument {
public:
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override { return nullptr; }
};

std::optional<ClickPoints> clickPoints(const std::string& page)
{
    qtApplication();
    VornickInstallHTMLServices();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<ClickPoints> points;
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto editor = shell.openFile(page, &error);
        EXPECT_TRUE(editor) << error;
        RunLoop::main().runFor(0.2);
        QCoreApplication::processEvents();
        auto* widget = editor ? shell.backend().widgetForWindow(*editor->window()) : nullptr;
        auto* bar = widget ? dynamic_cast<QtMenuBar*>(widget->menuBar()) : nullptr;
        auto fileItem = shell.mainMenu()->itemWithTitle(u"File");
        QAction* fileAction = bar && fileItem ? bar->actionForItem(*fileItem) : nullptr;
        EXPECT_TRUE(fileAction) << "no File menu in the document window";

        auto document = std::make_shared<NoAccount>();
        auto controller = std::make_shared<VornickFirstBlogSyncWindowController>(document);
        auto window = controller->loadWindow();
        controller->showSyncStatusUI();
        auto& button = *controller->syncStatusUIController()->syncCompletionButton();
        // The login panel of a new account's first sync window.
        auto loginController = VornickFirstBlogSyncLoginUI::createWindowController(document);
        auto loginWindow = loginController->loadWindow();
        auto loginUI = std::dynamic_pointer_cast<VornickFirstBlogSyncLoginUI>(loginController->loginInterface());
        EXPECT_TRUE(loginUI && !loginController->isShowingSyncStatusUI());
        if (fileAction && loginUI && controller->isShowingSyncStatusUI() && button.title() == u"Open Blogs") {
            auto& login = *loginUI->loginUIController();
            points = ClickPoints { bar->mapTo(widget, bar->actionGeometry(fileAction).center()), centreInWindow(button),
                                   centreInWindow(*login.hostURLField()), centreInWindow(*login.loginIDField()),
                                   centreInWindow(*login.passwordField()) };
        }
        loginWindow->close();
        loginController.reset();
        window->close();
        if (editor)
            editor->window()->close();
        controller.reset();
        RunLoop::main().runFor(0.05);
    }
    Application::shared().resetForTesting();
    return points;
}

// The window's widget made the size of the one on the X display.
void matchSize(VornickApplicationShell& shell, Window& window, int width, int height)
{
    auto* widget = shell.backend().widgetForWindow(window);
    for (int round = 0; round < 3 && widget && (widget->width() != width || widget->height() != height); ++round) {
        Rect frame = window.frame();
        double dw = width - widget->width();
        double dh = height - widget->height();
        window.setFrame(Rect(frame.minX(), frame.minY() - dh, frame.width() + dw, frame.height() + dh));
        QCoreApplication::processEvents();
        RunLoop::main().runFor(0.05);
        widget = shell.backend().widgetForWindow(window);
    }
}

// A toolbar item's centre in window pixels.
std::optional<QPoint> toolbarItemCentre(Window& window, const char16_t* identifier, int height)
{
    auto toolbar = window.toolbar();
    if (!toolbar)
        return std::nullopt;
    toolbar->layout();
    auto item = toolbar->itemWithIdentifier(identifier);
    Rect rect = item ? toolbar->view()->rectOfItem(*item) : Rect();
    if (rect.isEmpty())
        return std::nullopt;
    Rect inWindow = toolbar->view()->convertRectToView(rect, nullptr);
    return QPoint(static_cast<int>(inWindow.midX()), static_cast<int>(height - inWindow.midY()));
}

// Where "New Post" and "Media" are in the account's blog window, laid out here at the size given.
struct BlogWindowPoints {
    QPoint newPost;
    QPoint media;
};

std::optional<BlogWindowPoints> blogWindowPoints(const std::string& folder, int width, int height)
{
    AccountLayoutCopy copy(folder);
    qtApplication();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<BlogWindowPoints> points;
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto account = shell.openAccountProject(copy.folder(), &error);
        EXPECT_TRUE(account) << error;
        std::shared_ptr<Window> window;
        static_cast<void>(RunLoop::main().runUntil(
            [&] {
                QCoreApplication::processEvents();
                for (auto& candidate : Application::shared().windows()) {
                    if (candidate->isVisible() && candidate->toolbar()
                        && candidate->toolbar()->itemWithIdentifier(u"VornickCreatePostToolbarItemIdentifier"))
                        window = candidate;
                }
                return window != nullptr;
            },
            20));
        if (window) {
            matchSize(shell, *window, width, height);
            auto newPost = toolbarItemCentre(*window, VornickCreatePostToolbarItemIdentifier, height);
            auto media = toolbarItemCentre(*window, VornickShowMediaLibraryToolbarItemIdentifier, height);
            if (newPost && media)
                points = BlogWindowPoints { *newPost, *media };
            window->close();
        }
        RunLoop::main().runFor(0.1);
    }
    Application::shared().resetForTesting();
    return points;
}

// Where the named picture's thumbnail is in the blog's media library
// window, laid out here at the size given, and the picture's identifier on
// the site.
struct LibraryPoints {
    QPoint thumbnail;
    std::u16string identifier;
};

std::optional<LibraryPoints> mediaLibraryPoints(const std::string& folder, const std::u16string& title, int width, int height)
{
    AccountLayoutCopy copy(folder);
    qtApplication();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<LibraryPoints> points;
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto account = shell.openAccountProject(copy.folder(), &error);
        EXPECT_TRUE(account) << error;
        auto blogs = account ? vornick_allEntitiesOfKind(*account->project()->index()->managedObjectContext(), u"Blog") : std::nullopt;
        if (blogs && !blogs->empty()) {
            auto browser = std::make_shared<VornickWordPressMediaLibraryBrowser>();
            browser->loadWindow();
            browser->setBlog(std::dynamic_pointer_cast<VornickWordPressBlog>(blogs->front()));
            browser->window()->makeKeyAndOrderFront();
            QCoreApplication::processEvents();
            matchSize(shell, *browser->window(), width, height);
            const auto& items = browser->mediaItems();
            for (size_t index = 0; index < items.size() && !points; ++index) {
                if (items[index]->valueForKey(u"title").stringValue() != title)
                    continue;
                auto& grid = *browser->imageBrowser();
                Rect frame = grid.convertRectToView(grid.thumbnailFrameAtIndex(static_cast<long>(index)), nullptr);
                points = LibraryPoints { QPoint(static_cast<int>(frame.midX()), static_cast<int>(height - frame.midY())),
                                         items[index]->identifierUsedByBlogService() };
            }
            browser->window()->close();
        }
        for (auto& window : Application::shared().windows())
            window->close();
        RunLoop::main().runFor(0.1);
    }
    Application::shared().resetForTesting();
    return points;
}

// Where the title's and the body's text begin and where Publish is in the
// post's window, laid out here at the size given.
struct PostWindowPoints {
    QPoint title;
    QPoint body;
    QPoint publish;
    QPoint properties;
    // In the properties popover's window: the tag field, the named
    // category's box, OK; the popover's size.
    QPoint tagField;
    QPoint categoryBox;
    QPoint ok;
    QSize popover;
};

// The popover's points for the category with the title.
bool findPropertiesPoints(VornickApplicationShell& shell, VornickBlogPostWindow& editor, const std::u16string& category,
                          PostWindowPoints& points)
{
    auto toolbar = editor.window()->toolbar();
    auto item = toolbar ? toolbar->itemWithIdentifier(VornickPostPropertiesToolbarItemIdentifier) : nullptr;
    if (!item || !item->view())
        return false;
    editor.editPostProperties(item->view());
    QCoreApplication::processEvents();
    RunLoop::main().runFor(0.1);
    auto* controller = dynamic_cast<VornickWordPressPostPropertiesUIController*>(editor.postPropertiesController());
    auto* widget = controller && controller->popover() && controller->popover()->window()
        ? shell.backend().widgetForWindow(*controller->popover()->window()) : nullptr;
    if (!widget)
        return false;
    auto in = [&](const View& view, Point point) {
        Point base = view.convertPointToView(point, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget->height() - base.y));
    };
    points.popover = widget->size();
    points.tagField = in(*controller->tagsTokenFieldController()->tokenField(), { 20, 12 });
    auto categories = controller->categoriesOutlineViewController();
    auto& outline = *categories->categoriesOutlineView();
    bool found = false;
    for (const auto& root : categories->sortedRootCategories()) {
        if (root->title() != category)
            continue;
        long row = outline.rowForItem(root);
        Rect box = row >= 0 ? outline.checkBoxRect(0, row) : Rect();
        if (box.isEmpty() || !outline.visibleRect().intersects(box))
            return false;
        points.categoryBox = in(outline, { box.midX(), box.midY() });
        found = true;
    }
    std::shared_ptr<Button> ok;
    for (const auto& subview : controller->contentView()->subviews()) {
        if (auto button = std::dynamic_pointer_cast<Button>(subview); button && button->title() == u"OK")
            ok = button;
    }
    if (!found || !ok)
        return false;
    points.ok = in(*ok, { 20, 11 });
    controller->popover()->close();
    return true;
}

std::optional<PostWindowPoints> postWindowPoints(const std::string& accountFolder, const std::string& postPath, const std::u16string& category, int width, int height)
{
    AccountLayoutCopy copy(accountFolder);
    std::string copiedPostPath = (std::filesystem::path(copy.folder()) / std::filesystem::relative(postPath, accountFolder)).string();
    qtApplication();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<PostWindowPoints> points;
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto editor = shell.openBlogPostFile(copiedPostPath, &error);
        EXPECT_TRUE(editor) << error;
        if (!editor)
            return std::nullopt;
        auto& view = *editor->postView();
        static_cast<void>(RunLoop::main().runUntil(
            [&] {
                QCoreApplication::processEvents();
                return !view.loadingContent() && view.loadingState() != VornickContentLoadingState::InProgress;
            },
            60));
        matchSize(shell, *editor->window(), width, height);
        auto title = view.attachmentPointWithIdentifier(VornickAttachmentPointTitle);
        auto body = view.attachmentPointWithIdentifier(VornickAttachmentPointBody);
        auto titleElement = title ? title->findElement() : nullptr;
        auto bodyElement = body ? body->findElement() : nullptr;
        auto paragraphs = bodyElement ? bodyElement->getElementsByTagName(u"p") : nullptr;
        auto paragraph = paragraphs && paragraphs->length() ? paragraphs->item(0) : nullptr;
        auto publish = toolbarItemCentre(*editor->window(), VornickPublishContentToolbarItemIdenitifer, height);
        auto properties = toolbarItemCentre(*editor->window(), VornickPostPropertiesToolbarItemIdentifier, height);
        auto* widget = shell.backend().widgetForWindow(*editor->window());
        if (widget && titleElement && titleElement->firstChild() && paragraph && paragraph->firstChild() && publish && properties) {
            auto webView = view.embeddedWebView();
            auto start = [&](const DOMNode& node) {
                Rect box = webView->lineBoxRects(node).front();
                Point base = webView->convertPointToView(Point { box.minX() + 1, box.midY() }, nullptr);
                return QPoint(static_cast<int>(base.x), static_cast<int>(widget->height() - base.y));
            };
            PostWindowPoints found;
            found.title = start(*titleElement->firstChild());
            found.body = start(*paragraph->firstChild());
            found.publish = *publish;
            found.properties = *properties;
            if (findPropertiesPoints(shell, *editor, category, found))
                points = found;
        }
        editor->window()->close();
        editor.reset();
        RunLoop::main().runFor(0.1);
    }
    Application::shared().resetForTesting();
    return points;
}

Value postFileValue(const std::string& path, const char16_t* key)
{
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(path), &error);
    const Value* value = archive ? archive->objectForKey(key) : nullptr;
    return value ? *value : Value();
}

TEST(UserSession, NewAccountLogInFirstSyncNewPostPublishedThePasswordStaysInTheKeychainAndARelaunchOpensWithoutAsking)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::string scriptOutput;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &scriptOutput)) << scriptOutput;

    // Fresh XDG folders, a page to start the program with.
    auto home = createTemporaryDirectory("user-session");
    ASSERT_TRUE(home);
    // Its keychain holds the password: the folder goes however the test ends.
    struct RemovedAtEnd {
        std::string path;
        ~RemovedAtEnd() { static_cast<void>(removeItem(path)); }
    } removedAtEnd { *home };
    std::string page = *home + "/Start.html";
    std::ofstream(page, std::ios::binary) << "<!DOCTYPE html>\n<html><head><title>Start</title></head><body><p>Start</p></body></html>\n";
    auto points = clickPoints(page);
    ASSERT_TRUE(points);

    XvfbServer server;
    ASSERT_TRUE(server.start()) << "Xvfb did not start";
    std::string output = *home + "/program-output.txt";
    std::vector<std::string> environment { "DISPLAY=" + server.display, "HOME=" + *home, "XDG_CONFIG_HOME=" + *home + "/config",
                                           "XDG_DATA_HOME=" + *home + "/data", "XDG_CACHE_HOME=" + *home + "/cache", "BREVANTON_KEYCHAIN=file" };
    // The program's output goes to a file, searched for the password below.
    auto launch = [&](const std::string& argument) {
        return std::make_unique<ChildProcess>(
            std::vector<std::string> { "/bin/sh", "-c", "exec \"$0\" \"$1\" >>\"$2\" 2>&1", BREVANTON_EXECUTABLE, argument, output }, environment);
    };
    auto program = launch(page);
    ASSERT_TRUE(program->running());
    std::string startWindow;
    ASSERT_TRUE(server.waitWhileRunning(*program, [&] { return !(startWindow = server.windowNamed("Start")).empty(); }, 30))
        << readWholeFile(output) << server.whatEnded(*program);

    // File > New WordPress Account…: the menu opens at a click, its first item takes Return.
    std::string accountWindow;
    bool opened = false;
    for (int attempt = 0; attempt < 4 && !opened; ++attempt) {
        server.click(startWindow, points->fileMenu.x(), points->fileMenu.y());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        server.keys({ "Down", "Return" });
        opened = waitFor([&] { return !(accountWindow = server.windowNamed("^WordPress Account")).empty(); }, 8);
    }
    ASSERT_TRUE(opened) << "File > New WordPress Account\u2026 showed no window\n" << readWholeFile(output);
    std::string shoebox = *home + "/data/com.Orbendalworks.Brevanton/CMSAccounts";
    std::string accountFolder;
    for (auto& entry : std::filesystem::directory_iterator(shoebox))
        accountFolder = entry.path().string();
    ASSERT_FALSE(accountFolder.empty());

    // The login panel: the address, the login, the application password
    // from standard input, Return.
    const int panelHeight = server.windowSize(accountWindow).second;
    auto clickAt = [&](Point point) { server.click(accountWindow, static_cast<int>(point.x), panelHeight - static_cast<int>(point.y)); };
    clickAt(points->hostField);
    server.keys({ "ctrl+a" });
    ASSERT_TRUE(server.type(toUTF8(site.url)));
    clickAt(points->loginField);
    ASSERT_TRUE(server.type(toUTF8(site.administrator.username)));
    clickAt(points->passwordField);
    {
        ProcessLaunch typing;
        typing.executable = findExecutable("xdotool");
        typing.arguments = { "type", "--delay", "20", "--file", "-" };
        typing.environment["DISPLAY"] = server.display;
        typing.standardInput = toUTF8(site.administrator.applicationPassword);
        typing.timeout = std::chrono::seconds(20);
        auto typed = Process::run(typing);
        ASSERT_TRUE(typed && typed->succeeded());
    }
    std::string syncLogs = *home + "/cache/com.Orbendalworks.Brevanton/SyncLogs";
    server.keys({ "Return" });
    ASSERT_TRUE(waitFor([&] { return textOfFilesIn(syncLogs).find("== END Sync Session") != std::string::npos; }, 120))
        << textOfFilesIn(syncLogs) << readWholeFile(output);
    std::string syncLog = textOfFilesIn(syncLogs);
    EXPECT_NE(syncLog.find("state=Completed"), std::string::npos) << syncLog;

    // "Open Blogs": the blog's window.
    std::string blogsFolder = accountFolder + "/blogs";
    std::string blogFolderName;
    for (auto& entry : std::filesystem::directory_iterator(blogsFolder))
        blogFolderName = entry.path().filename().string();
    ASSERT_FALSE(blogFolderName.empty()) << syncLog;
    std::string blogName = blogFolderName.substr(0, blogFolderName.find(" ("));
    auto [width, height] = server.windowSize(accountWindow);
    std::string blogWindow;
    bool blogShown = false;
    for (int attempt = 0; attempt < 3 && !blogShown; ++attempt) {
        server.click(accountWindow, static_cast<int>(points->openBlogs.x), height - static_cast<int>(points->openBlogs.y));
        blogShown = waitFor([&] { return !(blogWindow = server.windowNamed(blogName)).empty(); }, 8);
    }
    ASSERT_TRUE(blogShown) << "\"Open Blogs\" opened no window named " << blogName;

    // New Post in the blog's window: a post window, where the title and
    // the body are typed; Publish sends it and closes the window.
    constexpr int windowWidth = 1280;
    constexpr int windowHeight = 800;
    xdotool(server.display, { "windowsize", "--sync", blogWindow, std::to_string(windowWidth), std::to_string(windowHeight) });
    auto blogPoints = blogWindowPoints(accountFolder, windowWidth, windowHeight);
    ASSERT_TRUE(blogPoints) << "no New Post or Media in the blog's window";
    std::string postWindow;
    bool made = false;
    for (int attempt = 0; attempt < 3 && !made; ++attempt) {
        server.click(blogWindow, blogPoints->newPost.x(), blogPoints->newPost.y());
        made = waitFor([&] { return !(postWindow = server.windowNamed("^Untitled Post")).empty(); }, 10);
    }
    ASSERT_TRUE(made) << "New Post opened no window";
    std::string postPath;
    for (auto& entry : std::filesystem::recursive_directory_iterator(blogsFolder)) {
        if (entry.path().extension() == ".brevantonwordpresspost" && postFileValue(entry.path().string(), u"title").stringValue() == u"Untitled Post")
            postPath = entry.path().string();
    }
    ASSERT_FALSE(postPath.empty());
    xdotool(server.display, { "windowsize", "--sync", postWindow, std::to_string(windowWidth), std::to_string(windowHeight) });
    const std::u16string category = u"Architecture";
    auto postPoints = postWindowPoints(accountFolder, postPath, category, windowWidth, windowHeight);
    ASSERT_TRUE(postPoints);
    const std::string title = "Tide pools & \u00e9t\u00e9 notes";
    // "<" starts the completion of element names (the user's default), and
    // a second "<" is the literal character: the user types it twice.
    const std::string body = "A << B & caf\u00e9 \U0001F30A.";
    server.click(postWindow, postPoints->title.x(), postPoints->title.y());
    server.keys({ "shift+End" });
    ASSERT_TRUE(server.type(title));
    server.click(postWindow, postPoints->body.x(), postPoints->body.y());
    server.keys({ "shift+End" });
    ASSERT_TRUE(server.type(body));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // Properties: the popover at its item, a seeded tag typed to its
    // completion and taken with Return, a seeded category checked, OK.
    auto windowsBefore = server.visibleWindows();
    server.click(postWindow, postPoints->properties.x(), postPoints->properties.y());
    std::string popover;
    ASSERT_TRUE(waitFor([&] {
        for (const auto& window : server.visibleWindows()) {
            if (std::find(windowsBefore.begin(), windowsBefore.end(), window) == windowsBefore.end()
                && server.windowSize(window) == std::pair { postPoints->popover.width(), postPoints->popover.height() })
                popover = window;
        }
        return !popover.empty();
    }, 10)) << "Properties opened no popover";
    server.click(popover, postPoints->tagField.x(), postPoints->tagField.y());
    ASSERT_TRUE(server.type("omic"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.keys({ "Return" });
    server.click(popover, postPoints->categoryBox.x(), postPoints->categoryBox.y());
    server.click(popover, postPoints->ok.x(), postPoints->ok.y());
    ASSERT_TRUE(waitFor([&] { return !server.isVisible(popover); }, 10)) << "OK left the popover open";

    // The Media Library from the blog's window, beside the post's window;
    // a picture dragged from it into the post's body.
    xdotool(server.display, { "windowraise", blogWindow });
    server.click(blogWindow, blogPoints->media.x(), blogPoints->media.y());
    std::string libraryWindow;
    ASSERT_TRUE(waitFor([&] { return !(libraryWindow = server.windowNamed("^Media Library")).empty(); }, 10))
        << "Media opened no library window";
    auto [libraryWidth, libraryHeight] = server.windowSize(libraryWindow);
    auto picture = mediaLibraryPoints(accountFolder, u"Blue square", libraryWidth, libraryHeight);
    ASSERT_TRUE(picture) << "no \"Blue square\" in the library";
    xdotool(server.display, { "windowmove", "--sync", postWindow, "0", "0" });
    xdotool(server.display, { "windowmove", "--sync", libraryWindow, std::to_string(windowWidth + 10), "0" });
    xdotool(server.display, { "windowraise", postWindow });
    xdotool(server.display, { "windowraise", libraryWindow });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.drag(libraryWindow, picture->thumbnail.x(), picture->thumbnail.y(), postWindow, postPoints->body.x(), postPoints->body.y());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    server.click(postWindow, postPoints->publish.x(), postPoints->publish.y());
    ASSERT_TRUE(waitFor([&] { return server.windowNamed("^Tide pools").empty() && server.windowNamed("^Untitled Post").empty(); }, 20))
        << "the post's window stayed open";
    std::u16string fileTitle = postFileValue(postPath, u"title").stringValue();
    std::u16string fileBody = postFileValue(postPath, u"sourceContentString").stringValue();
    // The title is HTML, as the site keeps it.
    EXPECT_EQ(toUTF8(fileTitle), "Tide pools &amp; \u00e9t\u00e9 notes");
    EXPECT_NE(toUTF8(fileBody).find("A &lt; B &amp; caf\u00e9 \U0001F30A."), std::string::npos) << toUTF8(fileBody);
    ASSERT_TRUE(waitFor([&] { return !postFileValue(postPath, u"identifierUsedByBlogService").stringValue().empty()
                                  && !postFileValue(postPath, u"publishAtNextSync").boolValue(); }, 60))
        << textOfFilesIn(syncLogs);
    std::u16string identifier = postFileValue(postPath, u"identifierUsedByBlogService").stringValue();
    SiteReply published = siteRESTRequest(site, site.administrator, u"GET", u"/wp/v2/posts/" + identifier + u"?context=edit");
    ASSERT_EQ(published.status, 200);
    ASSERT_TRUE(published.json);
    EXPECT_EQ((*published.json)[u"status"].stringValue(), u"publish");
    EXPECT_EQ((*published.json)[u"title"][u"raw"].stringValue(), postFileValue(postPath, u"title").stringValue());
    EXPECT_EQ((*published.json)[u"content"][u"raw"].stringValue(), postFileValue(postPath, u"sourceContentString").stringValue());
    // The category checked, the tag completed, the picture dropped.
    auto identifiers = [](const Value& list) {
        std::vector<std::string> numbers;
        for (size_t index = 0; list.isArray() && index < list.count(); ++index)
            numbers.push_back(std::to_string(list.array()[index].integerValue()));
        return numbers;
    };
    auto termIdentifier = [&](const std::u16string& route) {
        SiteReply terms = siteRESTRequest(site, site.administrator, u"GET", route);
        EXPECT_TRUE(terms.json && terms.json->isArray() && terms.json->count() == 1) << (terms.json ? terms.json->description() : "");
        return terms.json && terms.json->count() == 1 ? std::to_string(terms.json->array()[0][u"id"].integerValue()) : std::string();
    };
    EXPECT_EQ(identifiers((*published.json)[u"tags"]), std::vector<std::string> { termIdentifier(u"/wp/v2/tags?slug=omicron") });
    EXPECT_EQ(identifiers((*published.json)[u"categories"]), std::vector<std::string> { termIdentifier(u"/wp/v2/categories?slug=architecture") });
    EXPECT_NE(toUTF8(fileBody).find("wp-image-" + toUTF8(picture->identifier)), std::string::npos) << toUTF8(fileBody);

    // The password and its Basic form: only in the keychain file.
    std::string password = toUTF8(site.administrator.applicationPassword);
    std::string credentials = toUTF8(site.administrator.username) + ":" + password;
    std::string basic = toUTF8(base64EncodedString(Data(credentials.begin(), credentials.end()), VornickBase64Lines::OneLine));
    // The keychain file keeps it in hexadecimal.
    std::string hexLower;
    std::string hexUpper;
    for (unsigned char byte : password) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hexLower += digits;
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hexUpper += digits;
    }
    EXPECT_EQ(filesHolding(*home, { password, basic }), std::vector<std::string> {});
    std::vector<std::string> holding = filesHolding(*home, { hexLower, hexUpper });
    ASSERT_EQ(holding.size(), 1u) << ::testing::PrintToString(holding);
    std::string keychain = holding.front();
    EXPECT_EQ(std::filesystem::path(keychain).filename(), "Keychain.json");
    EXPECT_EQ(keychain.rfind(*home + "/data/", 0), 0u) << keychain;
    struct stat status {};
    ASSERT_EQ(::stat(keychain.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(std::filesystem::path(keychain).parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);


    // Ctrl+W in the blog's window ends the program.
    xdotool(server.display, { "windowfocus", "--sync", blogWindow });
    server.keys({ "ctrl+w" });
    if (!program->waitForExit(10)) {
        // The start page's window may still be open.
        if (auto start = server.windowNamed("Start"); !start.empty()) {
            xdotool(server.display, { "windowfocus", "--sync", start });
            server.keys({ "ctrl+w" });
        }
    }
    ASSERT_TRUE(program->waitForExit(20)) << "the program did not end";
    EXPECT_EQ(program->exitCode(), 0);

    // Relaunched with the account: its blog's window, no login panel.
    program = launch(accountFolder);
    ASSERT_TRUE(program->running());
    EXPECT_TRUE(waitFor([&] { return !(blogWindow = server.windowNamed(blogName)).empty(); }, 30))
        << readWholeFile(output);
    EXPECT_TRUE(server.windowNamed("^WordPress Account").empty()) << "the account asked again";
    xdotool(server.display, { "windowfocus", "--sync", blogWindow });
    server.keys({ "ctrl+w" });
    ASSERT_TRUE(program->waitForExit(20)) << "the program did not end";

    // A sync changes nothing; nothing said the password.
    SiteReply before = siteRESTRequest(site, site.administrator, u"GET", u"/wp/v2/posts?context=edit&per_page=100&orderby=modified");
    ProcessLaunch sync;
    sync.executable = BREVANTON_EXECUTABLE;
    sync.arguments = { "--sync", accountFolder };
    for (const auto& variable : environment) {
        auto equals = variable.find('=');
        sync.environment[variable.substr(0, equals)] = variable.substr(equals + 1);
    }
    sync.environment["DISPLAY"] = std::nullopt;
    sync.timeout = std::chrono::minutes(5);
    auto synced = Process::run(sync);
    ASSERT_TRUE(synced && synced->succeeded()) << (synced ? synced->standardOutput + synced->standardError : "");
    std::string syncOutput = synced->standardOutput + synced->standardError;
    EXPECT_EQ(syncOutput.find("Push to server of"), std::string::npos) << syncOutput;
    EXPECT_NE(syncOutput.find("queued 0, conflicts 0"), std::string::npos) << syncOutput;
    SiteReply after = siteRESTRequest(site, site.administrator, u"GET", u"/wp/v2/posts?context=edit&per_page=100&orderby=modified");
    ASSERT_TRUE(before.json && after.json);
    EXPECT_EQ(after.json->description(), before.json->description());
    EXPECT_EQ(syncOutput.find(password), std::string::npos);
    EXPECT_EQ(readWholeFile(output).find(password), std::string::npos);
    EXPECT_EQ(readWholeFile(output).find(basic), std::string::npos);
    EXPECT_EQ(readWholeFile(output).find(hexLower), std::string::npos);
    EXPECT_EQ(filesHolding(*home, { password, basic }), std::vector<std::string> {});
    EXPECT_EQ(filesHolding(*home, { hexLower, hexUpper }), std::vector<std::string> { keychain });

    program.reset();
    server.process.reset();
    std::string restoreOutput;
    EXPECT_TRUE(runWordPressSiteScript("restore", {}, &restoreOutput)) << restoreOutput;
}

} // namespace
} // namespace brevanton::testing::user_session_site_tests
