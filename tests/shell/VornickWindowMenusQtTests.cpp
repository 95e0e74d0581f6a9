// The menus of every window and the keys that close the auxiliary ones, on
// the offscreen Qt platform with real clicks on the menu bars and real key
// presses: each window kind shows the application's menus with what it can
// act on enabled (a blog window its Blog menu too), the blog window reaches
// Preferences and its blog's commands by mouse, panels and auxiliary windows
// close with Escape and Ctrl+W, and the spelling panel and the source
// window draw their content.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"
#include "tests/shell/ControlLabelsTestSupport.h"
#include "tests/shell/OffscreenWindowPoints.h"

#include "app/VornickPreferencesController.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStepState.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "editing/VornickSourceLoupe.h"
#include "editing/VornickToolbarItemViews.h"
#include "html/VornickHTMLServices.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/OutlineView.h"
#include "platform/views/Popover.h"
#include "platform/views/Screen.h"
#include "platform/views/SpellingPanel.h"
#include "platform/views/Toolbar.h"
#include "platform/views/WordListSpellChecker.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressPagePropertiesUIController.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "publishing/VornickWordPressPostView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickBlogPostWindow.h"
#include "shell/VornickEditorWindow.h"
#include "shell/VornickMainMenu.h"
#include "ui/VornickWebListView.h"
#include "toolkit/VornickHostConnectionWatcher.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "ui/VornickHTMLSourceCodeView.h"
#include "ui/AboutPanelController.h"
#include "ui/VornickLogWindowController.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMargins>
#include <QTest>
#include <QWindow>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace brevanton {
namespace {

// The geometry each top-level widget had when Qt first showed it.
class FirstShownGeometries : public QObject {
public:
    std::optional<QRect> of(QWidget* widget) const
    {
        auto found = m_geometries.find(widget);
        return found == m_geometries.end() ? std::nullopt : std::optional<QRect>(found->second);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* widget = event->type() == QEvent::Show ? qobject_cast<QWidget*>(object) : nullptr;
        if (widget && widget->isWindow() && m_geometries.emplace(widget, widget->geometry()).second)
            connect(widget, &QObject::destroyed, this, [this, widget] { m_geometries.erase(widget); });
        return false;
    }

private:
    std::map<QWidget*, QRect> m_geometries;
};

class WindowMenusQt : public ::testing::Test {
public:
    // The window kinds, opened as the program opens them.
    std::shared_ptr<Window> blogWindow() const { return editor->window(); }
    // The file of the fixture's folder in an editor window.
    std::shared_ptr<Window> openEditorWindow(const std::string& name)
    {
        Error error;
        auto opened = shell->openFile(folder + "/" + name, &error);
        settle();
        return opened ? opened->window() : nullptr;
    }
    std::shared_ptr<Window> openPostWindow()
    {
        auto post = std::dynamic_pointer_cast<VornickBlogPost>(editor->postsWebListView()->representedObjectForRow(0));
        editor->openEditorForPost(post);
        settle();
        return shell->blogPostWindows().empty() ? nullptr : shell->blogPostWindows().front()->window();
    }
    // The properties popover of the open post window, as its toolbar button opens it.
    std::shared_ptr<Window> openPostProperties()
    {
        if (shell->blogPostWindows().empty())
            return nullptr;
        auto& postWindow = *shell->blogPostWindows().front();
        auto item = postWindow.window()->toolbar() ? postWindow.window()->toolbar()->itemWithIdentifier(VornickPostPropertiesToolbarItemIdentifier)
                                                   : nullptr;
        auto button = item ? std::dynamic_pointer_cast<Control>(item->view()) : nullptr;
        if (!button || !button->performClick())
            return nullptr;
        settle();
        auto* controller = postWindow.postPropertiesController();
        return controller && controller->popover() ? controller->popover()->window() : nullptr;
    }
    std::shared_ptr<Window> openMediaLibrary()
    {
        editor->showMediaLibrary(nullptr);
        settle();
        return editor->mediaLibraryBrowser() ? editor->mediaLibraryBrowser()->window() : nullptr;
    }
    std::shared_ptr<Window> openPreferences()
    {
        shell->showPreferences();
        settle();
        return shell->preferencesController()->prefsWindow();
    }
    std::shared_ptr<Window> openGeneralLog()
    {
        shell->showGeneralLog();
        settle();
        return shell->logWindowController()->window();
    }
    std::shared_ptr<Window> openAbout()
    {
        shell->showAboutPanel();
        settle();
        return shell->aboutPanelController()->window();
    }
    std::shared_ptr<Window> openSpellingPanel()
    {
        SpellChecker::setSharedSpellChecker(std::make_shared<WordListSpellChecker>(std::vector<std::u16string> { u"word", u"ward" }));
        auto& checker = SpellChecker::sharedSpellChecker();
        checker.updateSpellingPanelWithMisspelledWord(u"wurd");
        checker.spellingPanel().orderFront();
        settle();
        return checker.spellingPanel().window();
    }
    std::shared_ptr<Window> openPostSource()
    {
        auto post = openPostWindow();
        if (!post)
            return nullptr;
        QTest::keyClick(widgetFor(*post), Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
        settle();
        const auto& loupe = shell->blogPostWindows().front()->postView()->sourceLoupe();
        if (!loupe)
            return nullptr;
        static_cast<void>(RunLoop::main().runUntil([&] { return !loupe->sourceCodeView()->string().empty(); }, 30));
        settle();
        return loupe->window();
    }

protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication().installEventFilter(&firstShown);
        VornickInstallHTMLServices();
        AlertDriver::shared().reset();
        folder = createTemporaryDirectory("window-menus-qt").value();
        ASSERT_TRUE(makeSyncedLikeWordPressProject(folder));
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        projectEditor = VornickProjectEditor::openProjectFileURL(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(projectEditor) << error;
        vornick_registerBlogWindowOpener();
        blog = std::dynamic_pointer_cast<VornickWordPressBlog>(vornick_allEntitiesOfKind(context(), u"Blog")->front());
        editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(projectEditor->openEditorForComponent(blog, &error));
        ASSERT_TRUE(editor) << error;
        settle();
    }

    void TearDown() override
    {
        if (auto* popup = QApplication::activePopupWidget())
            popup->close();
        if (editor && !editor->isClosed())
            editor->close();
        editor.reset();
        blog.reset();
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        projectEditor.reset();
        shell.reset();
        settle();
        SpellChecker::setSharedSpellChecker(nullptr);
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        std::filesystem::remove_all(folder);
        qApp->removeEventFilter(&firstShown);
    }

    ManagedObjectContext& context() { return *projectEditor->project()->index()->managedObjectContext(); }
    VornickPublishedBlogSynchronizer& synchronizer()
    {
        return std::dynamic_pointer_cast<VornickWordPressBlogProject>(projectEditor->project())->synchronizer();
    }

    void settle()
    {
        for (int round = 0; round < 200; ++round) {
            for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
            }
            QCoreApplication::processEvents();
            bool busy = editor && !editor->isClosed()
                && (editor->postsWebListView()->webView()->isLoading() || editor->postsWebListView()->needsListRefresh());
            if (!busy && round > 2)
                return;
            RunLoop::main().runFor(0.02);
        }
    }

    QtWindowWidget* widgetFor(const Window& window) const { return shell->backend().widgetForWindow(window); }

    // Clicks the title of a menu in the window's bar, as a user does: the
    // menu that opened, or null when the bar shows no such menu.
    QtMenu* clickMenuTitle(const Window& window, std::u16string_view title)
    {
        auto* widget = widgetFor(window);
        auto* bar = widget ? dynamic_cast<QtMenuBar*>(widget->menuBar()) : nullptr;
        auto item = shell->mainMenu()->itemWithTitle(title);
        QAction* action = bar && item ? bar->actionForItem(*item) : nullptr;
        if (!action || !action->isVisible() || bar->actionGeometry(action).isEmpty())
            return nullptr;
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(action).center());
        QCoreApplication::processEvents();
        return dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
    }
    // The shown menu's item action, or null.
    static QAction* shownAction(QtMenu& menu, std::u16string_view title)
    {
        auto item = menu.menu()->itemWithTitle(title);
        return item ? menu.actionForItem(*item) : nullptr;
    }
    // Clicks Menu > Item in the window's bar.
    void choose(const Window& window, std::u16string_view menuTitle, std::u16string_view itemTitle)
    {
        QtMenu* menu = clickMenuTitle(window, menuTitle);
        ASSERT_TRUE(menu) << toUTF8(std::u16string(menuTitle));
        QAction* action = shownAction(*menu, itemTitle);
        ASSERT_TRUE(action) << toUTF8(std::u16string(itemTitle));
        ASSERT_TRUE(action->isEnabled()) << toUTF8(std::u16string(itemTitle));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
        settle();
    }
    void closePopup()
    {
        if (auto* popup = QApplication::activePopupWidget())
            popup->close();
        settle();
    }

    // The texts the window's widget drew when last painted.
    std::vector<std::u16string> paintedTexts(const Window& window)
    {
        std::vector<std::u16string> texts;
        auto* widget = widgetFor(window);
        if (!widget)
            return texts;
        widget->update();
        static_cast<void>(widget->grab());
        for (const auto& command : widget->lastPaintedCommands()) {
            if (!command.text.empty())
                texts.push_back(command.text);
        }
        return texts;
    }
    static bool containsText(const std::vector<std::u16string>& texts, std::u16string_view part)
    {
        return std::any_of(texts.begin(), texts.end(), [&](const auto& text) { return text.find(part) != std::u16string::npos; });
    }

    FirstShownGeometries firstShown;
    std::string folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickProjectEditor> projectEditor;
    std::shared_ptr<VornickWordPressBlog> blog;
    std::shared_ptr<VornickWordPressBlogEditor> editor;
};

struct MenuState {
    const char16_t* menu;
    const char16_t* item;
    bool enabled;
};

struct WindowKind {
    const char* name;
    std::function<std::shared_ptr<Window>(WindowMenusQt&)> open;
    std::vector<MenuState> items;
};

TEST_F(WindowMenusQt, EveryWindowShowsTheMenusWithWhatItCanActOnEnabledAndABlogWindowItsBlogMenu)
{
    const WindowKind kinds[] = {
        { "blog window", [](WindowMenusQt& test) { return test.blogWindow(); },
          { { u"File", u"Preferences\u2026", true }, { u"File", u"New WordPress Account\u2026", true }, { u"File", u"Close", true },
            { u"File", u"Save", false }, { u"Edit", u"Undo", false }, { u"Edit", u"Select All", true },
            { u"Blog", u"New Post", true }, { u"Blog", u"Write All Posts to Source Files", true },
            { u"Blog", u"Fetch Theme Templates", true }, { u"Blog", u"Empty Trash\u2026", false }, { u"Blog", u"Cancel Sync", false },
            { u"Blog", u"Copy Source", true }, { u"View", u"Clear View", true } } },
        { "post window", [](WindowMenusQt& test) { return test.openPostWindow(); },
          { { u"File", u"Save", true }, { u"File", u"Close", true }, { u"File", u"Preferences\u2026", true },
            { u"Edit", u"Select All", true }, { u"View", u"Clear View", true } } },
        { "media library", [](WindowMenusQt& test) { return test.openMediaLibrary(); },
          { { u"File", u"Close", true }, { u"File", u"Save", false }, { u"Format", u"Make Link\u2026", false } } },
        { "preferences", [](WindowMenusQt& test) { return test.openPreferences(); },
          { { u"File", u"Close", true }, { u"File", u"Save", false }, { u"Edit", u"Undo", false }, { u"Help", u"General Log", true } } },
        { "general log", [](WindowMenusQt& test) { return test.openGeneralLog(); },
          { { u"File", u"Close", true }, { u"File", u"Revert to Saved", false }, { u"Help", u"About Brevanton", true } } },
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        auto window = kind.open(*this);
        ASSERT_TRUE(window && window->isVisible());
        auto* widget = widgetFor(*window);
        ASSERT_TRUE(widget);
        auto* bar = dynamic_cast<QtMenuBar*>(widget->menuBar());
        ASSERT_TRUE(bar) << "the window has the menu bar";
        bool isBlogWindow = window == blogWindow();
        EXPECT_EQ(clickMenuTitle(*window, VornickBlogMenuTitle) != nullptr, isBlogWindow) << "the Blog menu is the blog window's";
        closePopup();
        EXPECT_TRUE(window->isKeyWindow()) << "a click on the bar makes its window key";
        for (const auto& state : kind.items) {
            SCOPED_TRACE(toUTF8(std::u16string(state.menu) + u" > " + state.item));
            QtMenu* menu = clickMenuTitle(*window, state.menu);
            ASSERT_TRUE(menu);
            QAction* action = shownAction(*menu, state.item);
            ASSERT_TRUE(action);
            EXPECT_EQ(action->isEnabled(), state.enabled);
            closePopup();
        }
        if (!isBlogWindow)
            window->performClose();
        settle();
    }
}

// A window appears at its size, its menu bar above its content: nothing
// it shows grows or moves it after it is on screen.
TEST_F(WindowMenusQt, EveryWindowFirstShowsAtTheGeometryItKeeps)
{
    std::ofstream(folder + "/page.html") << "<!DOCTYPE html><title>Page</title><p>Text</p>\n";
    struct Case {
        const char* name;
        std::function<std::shared_ptr<Window>(WindowMenusQt&)> open;
    };
    const Case cases[] = {
        { "editor window", [](WindowMenusQt& test) { return test.openEditorWindow("page.html"); } },
        { "blog window", [](WindowMenusQt& test) { return test.blogWindow(); } },
        { "post window", [](WindowMenusQt& test) { return test.openPostWindow(); } },
        { "media library", [](WindowMenusQt& test) { return test.openMediaLibrary(); } },
        { "preferences", [](WindowMenusQt& test) { return test.openPreferences(); } },
        { "general log", [](WindowMenusQt& test) { return test.openGeneralLog(); } },
        { "about", [](WindowMenusQt& test) { return test.openAbout(); } },
        { "spelling panel", [](WindowMenusQt& test) { return test.openSpellingPanel(); } },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto window = test.open(*this);
        ASSERT_TRUE(window && window->isVisible());
        auto* widget = widgetFor(*window);
        ASSERT_TRUE(widget);
        auto first = firstShown.of(widget);
        ASSERT_TRUE(first) << "the widget was never shown";
        EXPECT_EQ(first->size(), widget->size()) << "the window grew after it showed";
        // The offscreen platform may shift a window at the screen's edge
        // by the frame it gives it; nothing else moves it.
        QMargins frame = widget->windowHandle() ? widget->windowHandle()->frameMargins() : QMargins();
        QPoint moved = widget->geometry().topLeft() - first->topLeft();
        EXPECT_LE(std::abs(moved.x()), frame.left()) << "moved by " << moved.x() << "," << moved.y();
        EXPECT_LE(std::abs(moved.y()), frame.top()) << "moved by " << moved.x() << "," << moved.y();
        if (widget->menuBar()) {
            EXPECT_EQ(widget->menuBar()->geometry(), QRect(0, 0, widget->width(), widget->contentTop())) << "the bar spans the top";
        }
    }
}

// The blog's windows and the post's properties popover, measured as the
// desktop's style draws them; the popover opens at its toolbar button, on
// the screen, and the window behind keeps its picture.
TEST_F(WindowMenusQt, NoControlOfTheBlogsWindowsIsCutAndThePropertiesPopoverLiesOnTheScreen)
{
    struct Case {
        const char* name;
        std::function<std::shared_ptr<Window>(WindowMenusQt&)> open;
        bool hasControls;
    };
    const Case cases[] = {
        { "blog window", [](WindowMenusQt& test) { return test.blogWindow(); }, true },
        { "post window", [](WindowMenusQt& test) { return test.openPostWindow(); }, true },
        { "properties popover", [](WindowMenusQt& test) { return test.openPostProperties(); }, true },
        // Its items' browser and nothing else.
        { "media library", [](WindowMenusQt& test) { return test.openMediaLibrary(); }, false },
    };
    Rect screen = Screen::mainScreen().frame();
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto window = test.open(*this);
        ASSERT_TRUE(window && window->isVisible());
        size_t measured = 0;
        EXPECT_EQ(brevanton::testing::cutControlLabels(*window, measured), std::vector<std::string>());
        EXPECT_EQ(measured > 0, test.hasControls) << "the window's controls";
        EXPECT_TRUE(screen.containsRect(window->frame())) << "on the screen";
        auto* widget = widgetFor(*window);
        ASSERT_TRUE(widget);
        QRect global(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        EXPECT_TRUE(QRect(0, 0, static_cast<int>(screen.width()), static_cast<int>(screen.height())).contains(global))
            << "its widget on the screen at " << global.x() << "," << global.y();
        if (auto parent = window->parentWindow()) {
            auto texts = paintedTexts(*parent);
            EXPECT_FALSE(texts.empty()) << "the window behind keeps its picture";
        }
    }
}

TEST_F(WindowMenusQt, TheBlogWindowsBarReachesPreferencesAndTheBlogsCommandsByMouse)
{
    // File > Preferences… opens the preferences in front.
    choose(*blogWindow(), u"File", u"Preferences\u2026");
    auto preferences = shell->preferencesController()->prefsWindow();
    ASSERT_TRUE(preferences && preferences->isVisible());
    EXPECT_TRUE(preferences->isKeyWindow());

    // Blog > Write All Posts to Source Files writes the blog's and its posts' files again.
    auto post = std::dynamic_pointer_cast<VornickBlogPost>(editor->postsWebListView()->representedObjectForRow(0));
    auto postFile = *post->sourceFileURL()->fileSystemPath();
    std::filesystem::remove(postFile);
    choose(*blogWindow(), u"Blog", u"Write All Posts to Source Files");
    EXPECT_TRUE(blogWindow()->isKeyWindow());
    EXPECT_TRUE(std::filesystem::exists(postFile)) << postFile;

    // Blog > Fetch Theme Templates queues the templates' download (which
    // waits here: the site is out of reach).
    synchronizer().integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    choose(*blogWindow(), u"Blog", u"Fetch Theme Templates");
    EXPECT_TRUE(synchronizer().activeOrWaitingSyncSessionOfType(VornickSyncSessionType::TemplateDownload));
    synchronizer().cancelAllSyncSessions();

    // Blog > Empty Trash… asks about the post in the Trash.
    post->setValueForKey(Value(true), u"inTrash");
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    choose(*blogWindow(), u"Blog", u"Empty Trash\u2026");
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts().front()->messageText(),
              u"Are you sure you want to permanently delete the 1 post in this site\u2019s Trash?");
    EXPECT_FALSE(post->isDeleted()) << "Cancel keeps it";
}

TEST_F(WindowMenusQt, AuxiliaryWindowsCloseWithEscapeAndControlWTheDocumentWindowStays)
{
    struct Case {
        const char* name;
        std::function<std::shared_ptr<Window>(WindowMenusQt&)> open;
    };
    const Case cases[] = {
        { "preferences", [](WindowMenusQt& test) { return test.openPreferences(); } },
        { "general log", [](WindowMenusQt& test) { return test.openGeneralLog(); } },
        { "about", [](WindowMenusQt& test) { return test.openAbout(); } },
        { "spelling panel", [](WindowMenusQt& test) { return test.openSpellingPanel(); } },
        { "post's source", [](WindowMenusQt& test) { return test.openPostSource(); } },
    };
    for (const auto& test : cases) {
        for (auto [key, modifiers] : { std::pair { Qt::Key_Escape, Qt::KeyboardModifiers(Qt::NoModifier) },
                                       std::pair { Qt::Key_W, Qt::KeyboardModifiers(Qt::ControlModifier) } }) {
            SCOPED_TRACE(std::string(test.name) + (key == Qt::Key_Escape ? ", Escape" : ", Ctrl+W"));
            auto window = test.open(*this);
            ASSERT_TRUE(window && window->isVisible());
            auto* widget = widgetFor(*window);
            ASSERT_TRUE(widget);
            QTest::keyClick(widget, key, modifiers);
            settle();
            EXPECT_FALSE(window->isVisible());
            EXPECT_TRUE(blogWindow()->isVisible());
            for (auto& post : std::vector(shell->blogPostWindows()))
                post->window()->performClose();
            settle();
        }
    }
    // A document window keeps Escape for its views.
    QTest::keyClick(widgetFor(*blogWindow()), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(blogWindow()->isVisible());
}

TEST_F(WindowMenusQt, TheSpellingPanelShowsTheWordItsGuessesAndButtonsOnTheScreen)
{
    auto window = openSpellingPanel();
    ASSERT_TRUE(window);
    auto& panel = SpellChecker::sharedSpellChecker().spellingPanel();
    Rect visible = Screen::mainScreen().visibleFrame();
    EXPECT_TRUE(visible.containsRect(window->frame())) << "on the screen";
    EXPECT_GT(window->frame().minY(), visible.midY()) << "in its upper half, not at its bottom edge";
    auto texts = paintedTexts(*window);
    for (const char16_t* text : { u"wurd", u"word", u"ward", u"Change", u"Ignore", u"Find Next" })
        EXPECT_TRUE(containsText(texts, text)) << toUTF8(text);
    EXPECT_FALSE(widgetFor(*window)->menuBar()) << "a panel has no menu bar";

    // A click on a guess puts it in the word field.
    auto& list = *panel.guessList();
    QPoint second = brevanton::testing::centreInWidget(*widgetFor(*window), list, list.rectOfRow(1));
    QTest::mouseClick(widgetFor(*window), Qt::LeftButton, Qt::NoModifier, second);
    settle();
    EXPECT_EQ(panel.wordField()->stringValue(), u"ward");
    EXPECT_TRUE(blogWindow()->isMainWindow()) << "the document stays the one its commands reach";
}

TEST_F(WindowMenusQt, TheSourceWindowDrawsThePostsSource)
{
    auto window = openPostSource();
    ASSERT_TRUE(window && window->isVisible());
    // Drawn a run of one colour at a time: the runs make the source's lines.
    std::u16string drawn;
    for (const auto& text : paintedTexts(*window))
        drawn += text;
    EXPECT_NE(drawn.find(u"<title>Hello world! \u2013 Test Site</title>"), std::u16string::npos) << "the page's source is drawn";
    // And seen: the window shows the source's text in its colours, not a bare fill.
    QImage picture = widgetFor(*window)->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            colours.insert(picture.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 8u) << "the window shows " << colours.size() << " colours";
    auto content = window->contentView();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->frame().size, window->frame().size) << "the source fills the window";
}

} // namespace

OffscreenWindowPoints windowPointsInOffscreenWindows()
{
    class Probe : public WindowMenusQt {
    public:
        void TestBody() override {}
        OffscreenWindowPoints points()
        {
            OffscreenWindowPoints points;
            SetUp();
            auto viewCentre = [&](const Window& window, const char16_t* identifier) {
                auto item = window.toolbar() ? window.toolbar()->itemWithIdentifier(identifier) : nullptr;
                auto* widget = widgetFor(window);
                return item && item->view() && widget ? brevanton::testing::centreInWidget(*widget, *item->view()) : QPoint();
            };
            points.mediaButton = viewCentre(*blogWindow(), VornickShowMediaLibraryToolbarItemIdentifier);
            if (auto post = openPostWindow()) {
                points.propertiesButton = viewCentre(*post, VornickPostPropertiesToolbarItemIdentifier);
                points.statusPopUp = viewCentre(*post, VornickPostStatusToolbarItemIdentifier);
            }
            auto preferences = openPreferences();
            auto& controller = *shell->preferencesController();
            const std::u16string first = controller.prefsToolbar() ? controller.prefsToolbar()->selectedItemIdentifier() : u"";
            for (const auto& pane : controller.loadedPanes()) {
                const auto& toolbar = *controller.prefsToolbar();
                auto item = toolbar.itemWithIdentifier(pane);
                auto* widget = preferences ? widgetFor(*preferences) : nullptr;
                if (pane == first || !item || !widget)
                    continue;
                Rect rect = toolbar.view()->convertRectToView(toolbar.view()->rectOfItem(*item), nullptr);
                points.preferencePanes.emplace_back(toUTF8(pane), QPoint(static_cast<int>(rect.midX()), static_cast<int>(widget->height() - rect.midY())));
                EXPECT_TRUE(controller.loadPreferencePaneNamed(pane));
                settle();
            }
            TearDown();
            return points;
        }
    };
    return Probe().points();
}

} // namespace brevanton
