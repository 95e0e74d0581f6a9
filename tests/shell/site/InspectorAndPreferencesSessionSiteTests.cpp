// The user's session with the block inspector, the preferences and the log
// and About windows, on the executable: a synced block post of the site's
// account project and an HTML page open in one program on an X server of its
// own (Xvfb), driven by xdotool, with fresh XDG folders. Format > Edit
// Attributes with the caret in the post's first paragraph opens the
// inspector, where Center, Vivid red for the background and two classes
// typed with Return are three steps; Ctrl+Z twice and Ctrl+Shift+Z once
// leave the first two, Ctrl+S saves. Ctrl+, shows the preferences: General
// puts the source pane in a window of its own, HTML Formatting indents by 2,
// which the page's source takes (Ctrl+S writes it). Help shows the general
// log and About; Ctrl+Q closes all. WordPress's parser reads the saved post
// back with exactly those attributes; relaunched on the page, its source is
// in its own window and Ctrl+, shows the pane shown last.
#include "tests/html/WordPressBlockOracle.h"
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"
#include "tests/wordpress/site/WordPressSiteTestSupport.h"

#include "app/VornickGeneralPreferencePane.h"
#include "app/VornickHTMLFormattingPreferencePane.h"
#include "app/VornickPreferencesController.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Popover.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"
#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressColorChooserController.h"
#include "publishing/VornickWordPressColorPaletteView.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "ui/PrefsPaneController.h"
#include "ui/VornickColorSwatchView.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <QPoint>
#include <QTest>

#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace brevanton::testing::inspector_and_preferences_session_site_tests {
namespace {

constexpr int postWindowWidth = 1280;
constexpr int postWindowHeight = 800;

// An HTML page whose elements nest three deep, written without indentation.
constexpr const char* nestedPage = "<!DOCTYPE html>\n<html>\n<head>\n<title>Nested</title>\n</head>\n<body>\n"
                                   "<div class=\"outer\"><p>One</p><div><p>Two</p></div></div>\n</body>\n</html>\n";

bool runBrevanton(const std::vector<std::string>& arguments, std::string* output)
{
    ProcessLaunch launch;
    launch.executable = BREVANTON_EXECUTABLE;
    launch.arguments = arguments;
    launch.environment["BREVANTON_ANNOUNCE_MODE"] = "1";
    launch.timeout = std::chrono::minutes(10);
    Error error;
    auto result = Process::run(launch, &error);
    if (!result) {
        *output = toUTF8(error.localizedDescription());
        return false;
    }
    *output = result->standardOutput + result->standardError;
    return result->succeeded();
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

std::u16string postBody(const std::string& path)
{
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(path), &error);
    const Value* value = archive ? archive->objectForKey(u"sourceContentString") : nullptr;
    return value ? value->stringValue() : std::u16string();
}

// Where the session's clicks go, in the pixels of the window each is sent
// to (from its top left), found by laying the same windows out on the
// offscreen platform: layout is the same on every display.
struct SessionPoints {
    // In the post's window: the first paragraph's text, Format, and its
    // Edit Attributes (below the window's top, where the menu opens).
    QPoint paragraphText;
    QPoint formatMenu;
    QPoint editAttributesItem;
    // In the inspector's popover, which is this big.
    QSize popoverSize;
    QPoint centerSegment;
    QPoint vividRedBackground;
    QPoint classNamesField;
    // In a document window: the menu bar's Help.
    QPoint helpMenu;
    // In the preferences window: toolbar items, and each pane's pop-up.
    QPoint generalItem;
    QPoint formattingItem;
    QPoint sourceLoupePopUp;
    QPoint spacesPerIndentPopUp;
};

QPoint centreInWidget(const QWidget& widget, const View& view, Rect box = {})
{
    if (box.isEmpty())
        box = view.bounds();
    box = view.convertRectToView(box, nullptr);
    return QPoint(static_cast<int>(box.midX()), static_cast<int>(widget.height() - box.midY()));
}

void settle(const std::function<bool()>& until = [] { return true; }, double seconds = 2)
{
    static_cast<void>(RunLoop::main().runUntil(
        [&] {
            QCoreApplication::processEvents();
            return until();
        },
        seconds));
    for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
    }
    QCoreApplication::processEvents();
}

std::optional<SessionPoints> sessionPointsOffscreen(const std::string& postPath)
{
    qtApplication();
    VornickInstallHTMLServices();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<SessionPoints> result;
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto editor = shell.openBlogPostFile(postPath, &error);
        EXPECT_TRUE(editor) << error;
        if (!editor)
            return std::nullopt;
        auto& view = *editor->postView();
        settle([&] { return !view.loadingContent() && view.loadingState() != VornickContentLoadingState::InProgress; }, 60);
        auto* widget = shell.backend().widgetForWindow(*editor->window());
        for (int round = 0; round < 3 && widget && (widget->width() != postWindowWidth || widget->height() != postWindowHeight); ++round) {
            Rect frame = editor->window()->frame();
            double dw = postWindowWidth - widget->width();
            double dh = postWindowHeight - widget->height();
            editor->window()->setFrame(Rect(frame.minX(), frame.minY() - dh, frame.width() + dw, frame.height() + dh));
            settle();
            widget = shell.backend().widgetForWindow(*editor->window());
        }
        EXPECT_TRUE(widget && widget->width() == postWindowWidth && widget->height() == postWindowHeight);
        if (!widget)
            return std::nullopt;
        SessionPoints points;

        // The caret at the start of the body's first paragraph.
        auto body = view.attachmentPointWithIdentifier(VornickAttachmentPointBody);
        auto bodyElement = body ? body->findElement() : nullptr;
        auto paragraphs = bodyElement ? bodyElement->getElementsByTagName(u"p") : nullptr;
        auto paragraph = paragraphs && paragraphs->length() ? paragraphs->item(0) : nullptr;
        EXPECT_TRUE(paragraph && paragraph->firstChild()) << "the body has no paragraph";
        if (!paragraph || !paragraph->firstChild())
            return std::nullopt;
        auto webView = view.embeddedWebView();
        Rect line = webView->lineBoxRects(*paragraph->firstChild()).front();
        Point start = webView->convertPointToView(Point { line.minX() + 1, line.midY() }, nullptr);
        points.paragraphText = QPoint(static_cast<int>(start.x), static_cast<int>(widget->height() - start.y));
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, points.paragraphText);
        settle();

        // Format > Edit Attributes: the menu opens under its title. (A
        // double-click on the paragraph's section handle cannot be sent: the
        // site's theme lays the paragraph out over the page's whole width,
        // so the handle's strip at its right edge lies under the page's
        // vertical scroller, which takes the clicks.)
        auto* menuBar = widget->findChild<QMenuBar*>();
        EXPECT_TRUE(menuBar);
        if (!menuBar)
            return std::nullopt;
        for (QAction* action : menuBar->actions()) {
            QRect title = action->menu() ? menuBar->actionGeometry(action) : QRect();
            if (action->text() == QStringLiteral("Format")) {
                points.formatMenu = menuBar->mapTo(widget, title.center());
                auto* menu = dynamic_cast<QtMenu*>(action->menu());
                if (!menu)
                    continue;
                menu->prepareToShow();
                for (QAction* item : menu->actions()) {
                    // Titled after the block the caret is in.
                    if (item->text().startsWith(QStringLiteral("Edit Attributes")))
                        points.editAttributesItem = menuBar->mapTo(widget, title.bottomLeft() + QPoint(0, 1)) + menu->actionGeometry(item).center();
                }
            }
            if (action->text() == QStringLiteral("Help"))
                points.helpMenu = menuBar->mapTo(widget, title.center());
        }
        EXPECT_FALSE(points.formatMenu.isNull() || points.editAttributesItem.isNull() || points.helpMenu.isNull()) << "a menu is missing";
        EXPECT_TRUE(Application::shared().sendAction("vornick_editElementAttributes:", nullptr, nullptr));
        settle();
        auto controller = VornickContentEditingViewTestPeer::of(view).elementEditorUIController;
        EXPECT_TRUE(controller && controller->popover()->isShown()) << "Edit Attributes shows no inspector";
        if (!controller || !controller->popover()->window())
            return std::nullopt;
        auto* popover = shell.backend().widgetForWindow(*controller->popover()->window());
        if (!popover)
            return std::nullopt;
        points.popoverSize = popover->size();
        std::shared_ptr<VornickWordPressBlockTextAlignmentInspectorModule> alignment;
        std::shared_ptr<VornickWordPressBlockColorInspectorModule> colors;
        std::shared_ptr<VornickWordPressBlockCSSClassesInspectorModule> classes;
        for (const auto& module : controller->modules()) {
            if (auto found = std::dynamic_pointer_cast<VornickWordPressBlockTextAlignmentInspectorModule>(module))
                alignment = found;
            if (auto found = std::dynamic_pointer_cast<VornickWordPressBlockColorInspectorModule>(module))
                colors = found;
            if (auto found = std::dynamic_pointer_cast<VornickWordPressBlockCSSClassesInspectorModule>(module))
                classes = found;
        }
        EXPECT_TRUE(alignment && colors && classes) << "the paragraph's inspector lacks a module";
        if (!alignment || !colors || !classes)
            return std::nullopt;
        auto& segments = *alignment->alignmentSegmentedControl();
        EXPECT_EQ(segments.labelForSegment(1), u"Center");
        Rect bounds = segments.bounds();
        Point center = segments.convertPointToView(Point { bounds.minX() + bounds.width() * 1.5 / 3, bounds.midY() }, nullptr);
        points.centerSegment = QPoint(static_cast<int>(center.x), static_cast<int>(popover->height() - center.y));
        auto& palette = *colors->backgroundColorChooser()->paletteView();
        std::shared_ptr<VornickColorSwatchView> swatch;
        for (const auto& description : VornickWordPressColorPaletteView::colors()) {
            if (description->cssName() == u"vivid-red")
                swatch = palette.swatchForColorDescription(description);
        }
        EXPECT_TRUE(swatch) << "the background palette has no Vivid red";
        if (!swatch)
            return std::nullopt;
        points.vividRedBackground = centreInWidget(*popover, *swatch);
        points.classNamesField = centreInWidget(*popover, *classes->classNamesTextField());
        controller->popover()->close();

        // The preferences: General's and HTML Formatting's items and pop-ups.
        shell.showPreferences();
        settle();
        auto preferences = shell.preferencesController();
        auto prefsWindow = preferences->prefsWindow();
        EXPECT_TRUE(prefsWindow && prefsWindow->isVisible());
        if (!prefsWindow)
            return std::nullopt;
        auto* prefsWidget = shell.backend().widgetForWindow(*prefsWindow);
        auto itemPoint = [&](const char16_t* identifier) {
            auto& toolbarView = *preferences->prefsToolbar()->view();
            auto item = preferences->prefsToolbar()->itemWithIdentifier(identifier);
            EXPECT_TRUE(item) << toUTF8(identifier);
            return item ? centreInWidget(*prefsWidget, toolbarView, toolbarView.rectOfItem(*item)) : QPoint();
        };
        points.generalItem = itemPoint(u"General");
        QTest::mouseClick(prefsWidget, Qt::LeftButton, Qt::NoModifier, points.generalItem);
        settle();
        prefsWidget = shell.backend().widgetForWindow(*prefsWindow);
        auto general = std::dynamic_pointer_cast<VornickGeneralPreferencePane>(preferences->activePane());
        EXPECT_TRUE(general) << "General shows no General pane";
        if (!general)
            return std::nullopt;
        points.sourceLoupePopUp = centreInWidget(*prefsWidget, *general->embedSourceLoupePopUpButton());
        points.formattingItem = itemPoint(u"HTML Formatting");
        QTest::mouseClick(prefsWidget, Qt::LeftButton, Qt::NoModifier, points.formattingItem);
        settle();
        prefsWidget = shell.backend().widgetForWindow(*prefsWindow);
        auto formatting = std::dynamic_pointer_cast<VornickHTMLFormattingPreferencePane>(preferences->activePane());
        EXPECT_TRUE(formatting && formatting->formattingPreferencesModule()) << "HTML Formatting shows no formatting pane";
        if (!formatting || !formatting->formattingPreferencesModule())
            return std::nullopt;
        points.spacesPerIndentPopUp = centreInWidget(*prefsWidget, *formatting->formattingPreferencesModule()->spacesPerIndentPopUpButton());
        prefsWindow->close();
        result = points;

        EXPECT_FALSE(editor->isDocumentEdited());
        editor->window()->close();
        editor.reset();
        settle();
    }
    Application::shared().resetForTesting();
    return result;
}

// The visible windows of a process.
std::vector<std::string> windowsOfProcess(const XvfbServer& server, pid_t pid)
{
    std::vector<std::string> windows;
    std::istringstream lines(xdotool(server.display, { "search", "--onlyvisible", "--pid", std::to_string(pid) }).standardOutput);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            windows.push_back(line);
    }
    return windows;
}

// Clicks at a point of a window, which comes to the front first unless a
// menu is open over it.
void clickIn(const XvfbServer& server, const std::string& window, QPoint at, bool toFront = true)
{
    if (toFront) {
        xdotool(server.display, { "windowraise", window });
        xdotool(server.display, { "windowfocus", "--sync", window });
    }
    xdotool(server.display, { "mousemove", "--window", window, std::to_string(at.x()), std::to_string(at.y()) });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    xdotool(server.display, { "click", "1" });
}

void keysIn(const XvfbServer& server, const std::string& window, std::initializer_list<const char*> names)
{
    xdotool(server.display, { "windowraise", window });
    xdotool(server.display, { "windowfocus", "--sync", window });
    server.keys(names);
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
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index >= 14)
            ticks += std::atoll(field.c_str());
    }
    return ticks;
}

// Waits until the process has used next to no CPU for half a second.
bool waitUntilIdle(pid_t pid, double seconds)
{
    std::vector<long long> samples;
    return waitFor(
        [&] {
            samples.push_back(cpuTicks(pid));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (samples.size() < 6 || samples.back() < 0)
                return false;
            return samples.back() - samples[samples.size() - 6] <= sysconf(_SC_CLK_TCK) / 20;
        },
        seconds);
}

// The first paragraph block's comment and its attributes' JSON as written.
std::string firstParagraphAttributesJSON(const std::string& body)
{
    size_t start = body.find("<!-- wp:paragraph ");
    if (start == std::string::npos)
        return {};
    start += std::string("<!-- wp:paragraph ").size();
    size_t end = body.find(" -->", start);
    std::string json = end == std::string::npos ? std::string() : body.substr(start, end - start);
    return json.empty() || json[0] != '{' ? std::string() : json;
}

std::set<std::string> classesOfFirstParagraph(const std::string& body)
{
    size_t comment = body.find("<!-- wp:paragraph");
    size_t tag = comment == std::string::npos ? comment : body.find("<p", comment);
    size_t end = tag == std::string::npos ? tag : body.find('>', tag);
    std::set<std::string> classes;
    if (end == std::string::npos)
        return classes;
    std::string opening = body.substr(tag, end - tag);
    size_t attribute = opening.find("class=\"");
    if (attribute == std::string::npos)
        return classes;
    std::istringstream names(opening.substr(attribute + 7, opening.find('"', attribute + 7) - attribute - 7));
    for (std::string name; names >> name;)
        classes.insert(name);
    return classes;
}

TEST(InspectorAndPreferencesSession, InspectorUndoRedoSavePreferencesLogAndAboutThenTheSiteReadsThePostAndARelaunchKeepsThem)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::string scriptOutput;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &scriptOutput)) << scriptOutput;

    // The site's account project, synced; its first draft (a block post
    // that opens with a paragraph) and a page beside it.
    auto folder = createTemporaryDirectory("inspector-preferences-session");
    ASSERT_TRUE(folder);
    std::string account = *folder + "/Account";
    std::string projectPath = account + "/" + toUTF8(VornickWordPressProjectFileName);
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(URL::fileURLWithPath(projectPath, false), &error);
        ASSERT_TRUE(project) << error;
        auto wordPressAccount = project->wordPressAccount();
        wordPressAccount->setRootURLString(site.url + u"/");
        wordPressAccount->setUseXMLRPC(false);
        wordPressAccount->setLoginID(site.administrator.username);
        ASSERT_TRUE(wordPressAccount->setPassword(site.administrator.applicationPassword, &error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
    }
    std::string output;
    ASSERT_TRUE(runBrevanton({ "--sync", "--type", "3", account }, &output)) << output;
    std::string postPath;
    {
        Error error;
        auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(URL::fileURLWithPath(projectPath, false), &error);
        ASSERT_TRUE(project) << error;
        auto posts = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"BlogPost").value_or(ManagedObjects());
        for (auto& object : posts) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(object);
            if (post && post->title() == u"Draft 1" && post->sourceFileURL())
                postPath = *post->sourceFileURL()->fileSystemPath();
        }
    }
    ASSERT_FALSE(postPath.empty()) << output;
    std::string originalBody = toUTF8(postBody(postPath));
    auto originalTree = runWordPressOracle("tree", originalBody);
    ASSERT_TRUE(originalTree && originalTree->isArray() && !originalTree->array().empty());
    ASSERT_EQ(originalTree->array()[0][u"name"].stringValue(), u"core/paragraph");
    std::string pagePath = *folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(pagePath, nestedPage));

    auto points = sessionPointsOffscreen(postPath);
    ASSERT_TRUE(points);

    XvfbServer server;
    ASSERT_TRUE(server.start()) << "Xvfb did not start";
    std::string xdg = *folder + "/xdg";
    std::vector<std::string> environment { "DISPLAY=" + server.display, "XDG_CONFIG_HOME=" + xdg + "/config", "XDG_DATA_HOME=" + xdg + "/data",
                                           "XDG_CACHE_HOME=" + xdg + "/cache" };
    std::string defaultsPath = xdg + "/config/com.Orbendalworks.Brevanton/UserDefaults.plist";
    auto inDefaults = [&](std::u16string_view key) { return UserDefaults(defaultsPath).objectForKey(key); };
    auto started = std::chrono::steady_clock::now();

    auto program = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, postPath, pagePath }, environment);
    ASSERT_TRUE(program->running());
    std::string postWindow;
    std::string pageWindow;
    ASSERT_TRUE(server.waitWhileRunning(
        *program, [&] { return !(postWindow = server.windowNamed("^Draft 1")).empty() && !(pageWindow = server.windowNamed("^page\\.html$")).empty(); }, 60))
        << "the post's and the page's windows did not show" << server.whatEnded(*program);
    ASSERT_TRUE(server.resizeWindow(postWindow, postWindowWidth, postWindowHeight))
        << server.windowSize(postWindow).first << "x" << server.windowSize(postWindow).second;
    pid_t pid = std::atoi(xdotool(server.display, { "getwindowpid", postWindow }).standardOutput.c_str());
    ASSERT_GT(pid, 0);
    static_cast<void>(waitUntilIdle(pid, 30));

    // The inspector: the caret in the paragraph, Format > Edit Attributes.
    std::string popover;
    auto findPopover = [&] {
        for (const auto& window : windowsOfProcess(server, pid)) {
            auto [width, height] = server.windowSize(window);
            if (std::abs(width - points->popoverSize.width()) <= 2 && std::abs(height - points->popoverSize.height()) <= 2)
                popover = window;
        }
        return !popover.empty();
    };
    for (int attempt = 0; attempt < 3 && popover.empty(); ++attempt) {
        clickIn(server, postWindow, points->paragraphText);
        static_cast<void>(waitUntilIdle(pid, 10));
        clickIn(server, postWindow, points->formatMenu);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        clickIn(server, postWindow, points->editAttributesItem, false);
        static_cast<void>(waitFor(findPopover, 5));
    }
    ASSERT_FALSE(popover.empty()) << "no inspector showed beside the paragraph";
    static_cast<void>(waitUntilIdle(pid, 10));
    // Center, Vivid red for the background, two classes and Return: three steps.
    clickIn(server, popover, points->centerSegment);
    static_cast<void>(waitUntilIdle(pid, 10));
    clickIn(server, popover, points->vividRedBackground);
    static_cast<void>(waitUntilIdle(pid, 10));
    clickIn(server, popover, points->classNamesField);
    ASSERT_TRUE(server.type("session-one session-two"));
    server.keys({ "Return" });
    static_cast<void>(waitUntilIdle(pid, 10));
    // Two undone, one redone: the alignment and the colour stay; saved.
    keysIn(server, postWindow, { "ctrl+z" });
    static_cast<void>(waitUntilIdle(pid, 10));
    keysIn(server, postWindow, { "ctrl+z" });
    static_cast<void>(waitUntilIdle(pid, 10));
    keysIn(server, postWindow, { "ctrl+shift+z" });
    static_cast<void>(waitUntilIdle(pid, 10));
    keysIn(server, postWindow, { "ctrl+s" });
    EXPECT_TRUE(waitFor([&] { return toUTF8(postBody(postPath)) != originalBody; }, 10)) << "the post was not saved";

    // Preferences: General puts the source pane in a window of its own.
    keysIn(server, pageWindow, { "ctrl+comma" });
    std::string prefsWindow;
    ASSERT_TRUE(waitFor([&] { return !(prefsWindow = server.windowNamed("^Appearance$")).empty(); }, 10)) << "Ctrl+, showed no preferences";
    clickIn(server, prefsWindow, points->generalItem);
    ASSERT_TRUE(waitFor([&] { return server.windowTitle(prefsWindow) == "General"; }, 10)) << server.windowTitle(prefsWindow);
    static_cast<void>(waitUntilIdle(pid, 10));
    // The pop-up's menu opens at the pointer, nothing chosen: the second item.
    clickIn(server, prefsWindow, points->sourceLoupePopUp);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.keys({ "Down", "Down", "Return" });
    EXPECT_TRUE(waitFor([&] { return inDefaults(u"EmbedSourceLoupe") == Value(0); }, 10)) << "the source pane's place is not in the defaults";
    std::string sourceWindow;
    EXPECT_TRUE(waitFor([&] { return !(sourceWindow = server.windowNamed("^page\\.html \u2014 Source$")).empty(); }, 10))
        << "the page's source did not go to a window of its own";

    // HTML Formatting: 2 spaces per indent, which the page's source takes at once.
    clickIn(server, prefsWindow, points->formattingItem);
    ASSERT_TRUE(waitFor([&] { return server.windowTitle(prefsWindow) == "HTML Formatting"; }, 10)) << server.windowTitle(prefsWindow);
    static_cast<void>(waitUntilIdle(pid, 10));
    clickIn(server, prefsWindow, points->spacesPerIndentPopUp);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.keys({ "Down", "Down", "Return" });
    auto formattingInDefaults = [&] {
        auto stored = VornickHTMLFormattingPreferences::createWithPropertyList(inDefaults(VornickHTMLFormattingPreferencesDefaultsKey), nullptr);
        return stored ? toUTF8(stored->stringRepresentation()) : std::string("(none)");
    };
    EXPECT_TRUE(waitFor([&] { return formattingInDefaults().rfind("2,", 0) == 0; }, 10)) << formattingInDefaults();
    static_cast<void>(waitUntilIdle(pid, 10));
    // The page's source, written again by the new rule, is what Ctrl+S saves
    // (the page itself is unchanged, so saving writes nothing else).
    keysIn(server, pageWindow, { "ctrl+s" });
    std::string saved;
    EXPECT_TRUE(waitFor([&] { return (saved = readWholeFile(pagePath)).find("\n  <div class=\"outer\">\n") != std::string::npos; }, 10))
        << "the page's source is not indented by 2:\n" << saved;

    // Help: the general log, then About.
    clickIn(server, pageWindow, points->helpMenu);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.keys({ "Down", "Return" });
    EXPECT_TRUE(waitFor([&] { return !server.windowNamed("^General Log$").empty(); }, 10)) << "no general log";
    clickIn(server, pageWindow, points->helpMenu);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.keys({ "Down", "Down", "Return" });
    EXPECT_TRUE(waitFor([&] { return !server.windowNamed("^About Brevanton$").empty(); }, 10)) << "no About window";

    // Quit closes every window; nothing is left to save.
    keysIn(server, pageWindow, { "ctrl+q" });
    ASSERT_TRUE(program->waitForExit(20)) << "the program did not end";
    EXPECT_TRUE(program->exitedNormally());
    EXPECT_EQ(program->exitCode(), 0);
    double sessionSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    // WordPress reads the post as before but for the paragraph's alignment
    // and background colour; the comment is as WordPress writes it.
    std::string body = toUTF8(postBody(postPath));
    auto tree = runWordPressOracle("tree", body);
    ASSERT_TRUE(tree && tree->isArray() && tree->array().size() == originalTree->array().size()) << body;
    Value expectedAttributes = *readJSON(R"({"align":"center","backgroundColor":"vivid-red"})", nullptr);
    EXPECT_EQ(normalizedOracleValue(tree->array()[0][u"attrs"]), expectedAttributes) << body;
    Array expected = originalTree->array();
    expected[0].dictionary()[u"attrs"] = expectedAttributes;
    EXPECT_EQ(normalizedOracleValue(*tree), normalizedOracleValue(Value(expected)));
    std::string json = firstParagraphAttributesJSON(body);
    ASSERT_FALSE(json.empty()) << body;
    auto written = runWordPressOracleText("attributes", json);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, json) << "the attributes are not written as WordPress writes them";
    EXPECT_EQ(json.find("className"), std::string::npos) << json;
    EXPECT_EQ(classesOfFirstParagraph(body), (std::set<std::string> { "has-text-align-center", "has-vivid-red-background-color", "has-background" }))
        << body;
    EXPECT_EQ(body.find("session-one"), std::string::npos);

    // Relaunched on the page: its source in its own window, and Ctrl+, shows
    // the pane shown last.
    program = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, pagePath }, environment);
    ASSERT_TRUE(program->running());
    ASSERT_TRUE(server.waitWhileRunning(*program, [&] { return !(pageWindow = server.windowNamed("^page\\.html$")).empty(); }, 30))
        << "the page did not open" << server.whatEnded(*program);
    EXPECT_TRUE(waitFor([&] { return !server.windowNamed("^page\\.html \u2014 Source$").empty(); }, 10)) << "the source is beside the page";
    keysIn(server, pageWindow, { "ctrl+comma" });
    EXPECT_TRUE(waitFor([&] { return !server.windowNamed("^HTML Formatting$").empty(); }, 10)) << "Ctrl+, showed another pane";
    keysIn(server, pageWindow, { "ctrl+q" });
    ASSERT_TRUE(program->waitForExit(20)) << "the relaunched program did not end";
    EXPECT_EQ(program->exitCode(), 0);
    std::fprintf(stderr, "the session took %.1f s\n", sessionSeconds);

    program.reset();
    server.process.reset();
    EXPECT_TRUE(removeItem(*folder));
    std::string restoreOutput;
    EXPECT_TRUE(runWordPressSiteScript("restore", {}, &restoreOutput)) << restoreOutput;
}

} // namespace
} // namespace brevanton::testing::inspector_and_preferences_session_site_tests
