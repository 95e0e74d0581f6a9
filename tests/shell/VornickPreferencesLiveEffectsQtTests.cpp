// The General and Appearance panes in the shell's preferences window, driven
// by Qt events at their controls, and what a change does to open windows.
#include "tests/editing/ApplicationDelegateTestSupport.h"
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "app/VornickAppearancePreferencePane.h"
#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationIcons.h"
#include "app/VornickGeneralPreferencePane.h"
#include "app/VornickPreferencesController.h"
#include "editing/VornickSourceLoupe.h"
#include "dom/VornickWebFrameExtensions.h"
#include "ui/VornickHTMLSourceCodeView.h"
#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SplitView.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtMenuBar.h"

#include <QAction>
#include <QIcon>

using namespace brevanton;
using brevanton::testing::centreInWidget;

namespace {

class PreferencesLiveEffects : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        m_defaultsFolder = createTemporaryDirectory("live-prefs").value();
        launchDelegate();
        EditorWindowSession::SetUp();
    }
    void TearDown() override
    {
        EditorWindowSession::TearDown();
        m_delegate.remove();
        std::filesystem::remove_all(m_defaultsFolder);
    }
    void launchDelegate()
    {
        m_delegate.install(m_defaultsFolder + "/defaults.plist");
        VornickRegisterApplicationDefaults(m_delegate->userDefaults());
    }
    // Quits and starts the program again on the same defaults file.
    void relaunch()
    {
        editor.reset();
        shell.reset();
        m_delegate.remove();
        launchDelegate();
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
    }
    Value inFile(std::u16string_view key) const { return UserDefaults(m_defaultsFolder + "/defaults.plist").objectForKey(key); }

    QtWindowWidget* widgetFor(const Window& window) const { return shell->backend().widgetForWindow(window); }
    // Ctrl+, in the editor window.
    std::shared_ptr<VornickPreferencesController> pressCommandComma()
    {
        press(Qt::Key_Comma, Qt::ControlModifier);
        auto controller = m_delegate->preferencesController();
        EXPECT_TRUE(controller && controller->prefsWindow() && controller->prefsWindow()->isVisible());
        return controller;
    }
    void clickToolbarItem(VornickPreferencesController& controller, std::u16string_view name)
    {
        auto item = controller.prefsToolbar()->itemWithIdentifier(name);
        ASSERT_TRUE(item);
        auto& toolbarView = *controller.prefsToolbar()->view();
        QTest::mouseClick(widgetFor(*controller.prefsWindow()), Qt::LeftButton, Qt::NoModifier,
                          centreInWidget(*widgetFor(*controller.prefsWindow()), toolbarView, toolbarView.rectOfItem(*item)));
        settle();
    }
    // A click on the pop-up, then on the item of that title in the menu it shows.
    void chooseInPopUp(const Window& window, PopUpButton& popUp, std::u16string_view title)
    {
        auto* widget = widgetFor(window);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centreInWidget(*widget, popUp));
        settle();
        auto* menu = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        auto item = popUp.menu()->itemWithTitle(std::u16string(title));
        ASSERT_TRUE(item);
        QAction* action = menu->actionForItem(*item);
        ASSERT_TRUE(action);
        action->trigger();
        menu->close();
        settle();
    }
    void click(const Window& window, const View& control)
    {
        auto* widget = widgetFor(window);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centreInWidget(*widget, control));
        settle();
    }
    static QColor iconColourAtCentre(const QWidget& widget)
    {
        QImage picture = widget.windowIcon().pixmap(64, 64).toImage();
        return picture.isNull() ? QColor() : picture.pixelColor(picture.width() / 2, picture.height() - 8);
    }

    std::string m_defaultsFolder;
    brevanton::testing::TestApplicationDelegate m_delegate;
};

} // namespace

TEST_F(PreferencesLiveEffects, CommandCommaShowsThePaneShownLastAcrossARelaunch)
{
    open("page.html");
    auto controller = pressCommandComma();
    auto window = controller->prefsWindow();
    EXPECT_EQ(window->title(), u"Appearance") << "the first launch";
    std::vector<std::u16string> order;
    for (const auto& item : controller->prefsToolbar()->items())
        order.push_back(item->itemIdentifier());
    EXPECT_EQ(order, (std::vector<std::u16string> { u"Appearance", u"General", u"HTML Formatting", u"Blogging" }));
    double top = window->frame().maxY();

    clickToolbarItem(*controller, u"General");
    EXPECT_EQ(window->title(), u"General");
    EXPECT_EQ(controller->prefsToolbar()->selectedItemIdentifier(), u"General");
    auto pane = controller->activePane();
    ASSERT_TRUE(pane);
    Size paneSize = pane->paneView()->frame().size;
    EXPECT_EQ(window->frame().size, (Size { paneSize.width, paneSize.height + Toolbar::height }));
    EXPECT_EQ(window->frame().maxY(), top) << "the top edge stays";
    auto* widget = widgetFor(*window);
    ASSERT_TRUE(widget);
    EXPECT_EQ(widget->minimumSize(), widget->maximumSize()) << "a pane that allows no resizing fixes the window";
    EXPECT_EQ(inFile(PrefsPaneController::lastPaneDefaultsKey()), Value(u"General")) << "in the file before the next event";

    relaunch();
    open("page.html");
    controller = pressCommandComma();
    EXPECT_EQ(controller->prefsWindow()->title(), u"General");
}

TEST_F(PreferencesLiveEffects, TheSourcePaneMovesBetweenEveryWindowAndOneOfItsOwnAtOnce)
{
    open("page.html");
    auto first = editor;
    open("page.html");
    auto second = editor;
    for (const auto& each : { first, second }) {
        EXPECT_TRUE(each->sourcePaneIsBesidePage()) << "the registered value";
        EXPECT_EQ(each->sourcePane()->superview(), each->splitView());
        EXPECT_TRUE(each->sourcePaneShown());
    }
    // The second window's pane hidden by the user stays hidden where it goes.
    editor = second;
    press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_FALSE(second->sourcePaneShown());
    editor = first;

    auto controller = pressCommandComma();
    clickToolbarItem(*controller, u"General");
    auto general = std::dynamic_pointer_cast<VornickGeneralPreferencePane>(controller->activePane());
    ASSERT_TRUE(general);
    chooseInPopUp(*controller->prefsWindow(), *general->embedSourceLoupePopUpButton(), u"In a Window of Its Own");
    EXPECT_EQ(inFile(VornickEmbedSourceLoupeDefaultsKey), Value(0));

    EXPECT_FALSE(first->sourcePaneIsBesidePage());
    EXPECT_NE(first->sourcePane()->superview(), first->splitView());
    auto sourceWindow = first->detachedSourceWindow();
    ASSERT_TRUE(sourceWindow);
    EXPECT_TRUE(sourceWindow->isVisible());
    EXPECT_EQ(sourceWindow->contentView(), first->sourcePane());
    EXPECT_EQ(first->editingView()->frame().width(), first->splitView()->bounds().width()) << "the page takes the window";
    auto* sourceWidget = widgetFor(*sourceWindow);
    ASSERT_TRUE(sourceWidget);
    EXPECT_TRUE(sourceWidget->isVisible());
    EXPECT_FALSE(second->sourcePaneIsBesidePage());
    EXPECT_FALSE(second->sourcePaneShown()) << "hidden it stays hidden";
    EXPECT_EQ(first->editingView()->sourceLoupe()->sourceCodeView()->string(),
              *vornick_lastGeneratedHTMLString(*first->editingView()->mainFrame()));

    // Show Source in the first window hides its source window; back beside the page it shows again.
    editor = first;
    widget()->activateWindow();
    first->window()->makeKeyAndOrderFront();
    press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(sourceWindow->isVisible());
    press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(sourceWindow->isVisible());
    // Pressed in the source window, brought to the front, it hides that window:
    // the document window stays the main one, which the menu's command reaches.
    sourceWidget->activateWindow();
    sourceWindow->makeKeyWindow();
    ASSERT_TRUE(sourceWindow->isKeyWindow());
    EXPECT_TRUE(first->window()->isMainWindow());
    QTest::keyClick(sourceWidget, Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(sourceWindow->isVisible());
    widget()->activateWindow();
    first->window()->makeKeyAndOrderFront();
    press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(sourceWindow->isVisible());

    controller->prefsWindow()->makeKeyAndOrderFront();
    chooseInPopUp(*controller->prefsWindow(), *general->embedSourceLoupePopUpButton(), u"Beside the Page");
    EXPECT_TRUE(first->sourcePaneIsBesidePage());
    EXPECT_EQ(first->sourcePane()->superview(), first->splitView());
    EXPECT_TRUE(first->sourcePaneShown());
    EXPECT_FALSE(sourceWindow->isVisible());
    EXPECT_LT(first->editingView()->frame().width(), first->splitView()->bounds().width());

    // A window opened now follows the stored choice; so does one after a relaunch.
    m_delegate->userDefaults().setInteger(0, VornickEmbedSourceLoupeDefaultsKey);
    relaunch();
    open("page.html");
    EXPECT_FALSE(editor->sourcePaneIsBesidePage());
    ASSERT_TRUE(editor->detachedSourceWindow());
    EXPECT_TRUE(editor->detachedSourceWindow()->isVisible());
}

TEST_F(PreferencesLiveEffects, UserDefinedAttributesRevalidateEveryOpenDocument)
{
    open("page.html");
    auto first = editor;
    open("page.html");
    auto second = editor;
    int firstValidations = 0;
    int secondValidations = 0;
    auto countFirst = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification, first->editingView().get(), nullptr,
        [&](const Notification&) { ++firstValidations; });
    auto countSecond = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification, second->editingView().get(), nullptr,
        [&](const Notification&) { ++secondValidations; });

    auto controller = pressCommandComma();
    clickToolbarItem(*controller, u"General");
    auto general = std::dynamic_pointer_cast<VornickGeneralPreferencePane>(controller->activePane());
    ASSERT_TRUE(general);
    click(*controller->prefsWindow(), *general->allowUserDefinedAttributesCheckBox());
    EXPECT_EQ(general->allowUserDefinedAttributesCheckBox()->state(), OnState);
    EXPECT_EQ(inFile(VornickAllowUserDefinedAttributesDefaultsKey), Value(true));
    EXPECT_EQ(firstValidations, 1);
    EXPECT_EQ(secondValidations, 1);

    // JavaScript is stored only.
    click(*controller->prefsWindow(), *general->allowJavaScriptExecutionCheckBox());
    EXPECT_EQ(inFile(VornickAllowJavaScriptExecutionDefaultsKey), Value(true));
    EXPECT_EQ(firstValidations, 1);
}

TEST_F(PreferencesLiveEffects, TheClassicIconShowsOnEveryWindowAtOnce)
{
    m_delegate->applicationDidFinishLaunching();
    open("page.html");
    auto controller = pressCommandComma();
    auto appearance = std::dynamic_pointer_cast<VornickAppearancePreferencePane>(controller->activePane());
    ASSERT_TRUE(appearance);
    QColor standard = iconColourAtCentre(*widget());
    ASSERT_TRUE(standard.isValid()) << "the standard icon shows from the launch";
    EXPECT_GT(standard.blue(), standard.red());

    click(*controller->prefsWindow(), *appearance->classicIconRadioButton());
    EXPECT_EQ(inFile(VornickAppIconDefaultsKey), Value(1));
    for (auto* each : { widget(), widgetFor(*controller->prefsWindow()) }) {
        QColor classic = iconColourAtCentre(*each);
        EXPECT_GT(classic.red(), classic.blue()) << "the classic icon's orange";
    }
    click(*controller->prefsWindow(), *appearance->revisedIconRadioButton());
    EXPECT_TRUE(inFile(VornickAppIconDefaultsKey).isNull());
    EXPECT_GT(iconColourAtCentre(*widget()).blue(), iconColourAtCentre(*widget()).red());
}
