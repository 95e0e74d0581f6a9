// The emphasis choice of the General preference pane, made in the
// preferences window, and what Ctrl+B and Ctrl+I then write into the saved
// page of an editor window.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "app/VornickGeneralPreferencePane.h"
#include "app/VornickPreferencesController.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtMenuBar.h"

#include <QAction>
#include <QApplication>

using namespace brevanton;
using brevanton::testing::centreInWidget;

namespace {

class EmphasisPreference : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        // As in the program: the delegate keeps the standard defaults, which
        // the pages' block-mode helpers read.
        m_delegate = VornickApplicationDelegate::create();
        Application::shared().setDelegate(m_delegate);
        VornickRegisterApplicationDefaults(UserDefaults::standard());
        EditorWindowSession::SetUp();
    }
    void TearDown() override
    {
        EditorWindowSession::TearDown();
        UserDefaults::standard().removeObjectForKey(VornickUseExplicitEmphasisDefaultsKey);
        m_delegate.reset();
    }
    QtWindowWidget* widgetFor(const Window& window) const { return shell->backend().widgetForWindow(window); }
    void click(const Window& window, const View& view, const Rect& area)
    {
        QTest::mouseClick(widgetFor(window), Qt::LeftButton, Qt::NoModifier, centreInWidget(*widgetFor(window), view, area));
        settle();
    }
    // Ctrl+, in the editor window, the General pane, and in its emphasis
    // pop-up the item of that title (or none): answers the item then shown.
    std::u16string chooseEmphasis(const char16_t* title)
    {
        press(Qt::Key_Comma, Qt::ControlModifier);
        auto controller = m_delegate->preferencesController();
        auto window = controller ? controller->prefsWindow() : nullptr;
        if (!window)
            return u"(no preferences window)";
        auto& toolbar = *controller->prefsToolbar()->view();
        click(*window, toolbar, toolbar.rectOfItem(*controller->prefsToolbar()->itemWithIdentifier(u"General")));
        auto general = std::dynamic_pointer_cast<VornickGeneralPreferencePane>(controller->activePane());
        if (!general)
            return u"(no General pane)";
        auto& popUp = *general->emphasisPopUpButton();
        if (title) {
            click(*window, popUp, popUp.bounds());
            auto* menu = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
            QAction* action = menu ? menu->actionForItem(*popUp.menu()->itemWithTitle(title)) : nullptr;
            if (!action)
                return u"(no such item)";
            action->trigger();
            menu->close();
            settle();
        }
        std::u16string shown = popUp.titleOfSelectedItem();
        window->close();
        widget()->activateWindow();
        editor->window()->makeKeyAndOrderFront();
        settle();
        return shown;
    }
    // The paragraph's text selected by a click, Home and Shift+End, then the key.
    void styleParagraph(const std::u16string& id, Qt::Key key)
    {
        clickInto(*document()->getElementById(id)->firstChild());
        press(Qt::Key_Home);
        press(Qt::Key_End, Qt::ShiftModifier);
        press(key, Qt::ControlModifier);
    }

    std::shared_ptr<VornickApplicationDelegate> m_delegate;
};

TEST_F(EmphasisPreference, EachChoiceMakesTheElementsItNamesAndTheChoiceShownIsTheOneApplied)
{
    struct Case {
        const char16_t* chosen;
        const char16_t* shown;
        const char* bold;
        const char* italic;
    } cases[] = {
        { nullptr, u"Emphasis and Strong (<em>, <strong>)", "strong", "em" },
        { u"Italic and Bold (<i>, <b>)", u"Italic and Bold (<i>, <b>)", "b", "i" },
        { u"Emphasis and Strong (<em>, <strong>)", u"Emphasis and Strong (<em>, <strong>)", "strong", "em" },
    };
    int page = 0;
    for (const auto& c : cases) {
        std::string name = "emphasis-" + std::to_string(++page) + ".html";
        openPage(name, "<!DOCTYPE html>\n<html><head><title>e</title></head>\n"
                       "<body><p id=\"b\">bold words</p><p id=\"i\">slanted words</p></body></html>\n");
        EXPECT_EQ(chooseEmphasis(c.chosen), c.shown);
        styleParagraph(u"b", Qt::Key_B);
        styleParagraph(u"i", Qt::Key_I);
        press(Qt::Key_S, Qt::ControlModifier);
        std::string saved = readFile(m_folder + "/" + name).value_or("");
        std::string bold = std::string("<") + c.bold + ">bold words</" + c.bold + ">";
        std::string italic = std::string("<") + c.italic + ">slanted words</" + c.italic + ">";
        EXPECT_NE(saved.find(bold), std::string::npos) << toUTF8(c.shown) << "\n" << saved;
        EXPECT_NE(saved.find(italic), std::string::npos) << toUTF8(c.shown) << "\n" << saved;
    }
}

} // namespace
