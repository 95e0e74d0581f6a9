#include "app/VornickAppearancePreferencePane.h"
#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationIcons.h"
#include "app/VornickGeneralPreferencePane.h"
#include "app/VornickPreferencesController.h"
#include "app/VornickStyleSheet.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickTidyFilter.h"
#include "tests/editing/ApplicationDelegateTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Toolbar.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class GeneralPreferencePaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("general-pane").value();
        m_path = m_folder + "/defaults.plist";
        launch();
    }
    void TearDown() override
    {
        m_delegate.remove();
        EXPECT_TRUE(removeItem(m_folder));
    }
    // A launch of the program on the defaults file: the delegate, its registered defaults.
    void launch()
    {
        m_delegate.install(m_path);
        VornickRegisterApplicationDefaults(defaults());
    }
    void relaunch()
    {
        m_delegate.remove();
        launch();
    }

    UserDefaults& defaults() { return m_delegate->userDefaults(); }
    // What the file holds after the turn the application runs after each
    // event (which writes the changes), as another process reads it.
    Value inFile(std::u16string_view key) const
    {
        RunLoop::main().runOnce(0);
        return UserDefaults(m_path).objectForKey(key);
    }
    static void choose(PopUpButton& popUp, std::u16string_view title)
    {
        for (long index = 0; index < popUp.numberOfItems(); ++index) {
            if (popUp.itemAtIndex(index)->title() == title)
                return popUp.chooseItemAtIndex(index);
        }
        FAIL() << "no item of that title";
    }
    int posts(const char* name, const std::function<void()>& change)
    {
        int posted = 0;
        auto token = NotificationCenter::defaultCenter().addObserver(name, nullptr, nullptr, [&](const Notification&) { ++posted; });
        change();
        return posted;
    }

    std::string m_folder;
    std::string m_path;
    brevanton::testing::TestApplicationDelegate m_delegate;
};

TEST_F(GeneralPreferencePaneTest, EachControlWritesItsDefaultToTheFileAtOnceAndShowsItAgainAfterARelaunch)
{
    {
        VornickGeneralPreferencePane pane;
        ASSERT_TRUE(pane.paneView());
        auto& documentType = *pane.defaultHTMLDocumentTypePopUpButton();
        EXPECT_EQ(documentType.numberOfItems(), 8);
        EXPECT_EQ(documentType.titleOfSelectedItem(), u"HTML 5") << "the registered number 8";
        EXPECT_EQ(pane.embedSourceLoupePopUpButton()->titleOfSelectedItem(), u"Beside the Page");
        EXPECT_EQ(pane.allowUserDefinedAttributesCheckBox()->state(), OffState);

        choose(documentType, u"HTML 4.01 Strict");
        EXPECT_EQ(inFile(VornickDefaultHTMLDocumentTypeDefaultsKey), Value(u"HTML 4.01 Strict")) << "stored by its name";
        EXPECT_EQ(m_delegate->defaultHTMLDocumentType(), VornickHTMLDocumentType::HTML401Strict);
        EXPECT_EQ(VornickDefaultHTMLDocumentType(defaults()), VornickHTMLDocumentType::HTML401Strict) << "what documents are edited as";

        EXPECT_EQ(posts(VornickSourceLoupeEmbeddingPreferenceDidChangeNotification,
                        [&] { choose(*pane.embedSourceLoupePopUpButton(), u"In a Window of Its Own"); }),
                  1);
        EXPECT_EQ(inFile(VornickEmbedSourceLoupeDefaultsKey), Value(0));
        EXPECT_EQ(pane.emphasisPopUpButton()->titleOfSelectedItem(), u"Emphasis and Strong (<em>, <strong>)") << "the registered NO";
        choose(*pane.emphasisPopUpButton(), u"Italic and Bold (<i>, <b>)");
        EXPECT_EQ(inFile(VornickUseExplicitEmphasisDefaultsKey), Value(true));

        EXPECT_EQ(posts(VornickValidationPreferencesDidChangeNotification, [&] { pane.allowUserDefinedAttributesCheckBox()->performClick(); }), 1);
        EXPECT_EQ(inFile(VornickAllowUserDefinedAttributesDefaultsKey), Value(true));
        EXPECT_EQ(posts(VornickValidationPreferencesDidChangeNotification, [&] { pane.allowJavaScriptExecutionCheckBox()->performClick(); }), 0)
            << "JavaScript is only stored";
        EXPECT_EQ(inFile(VornickAllowJavaScriptExecutionDefaultsKey), Value(true));
    }

    relaunch();
    VornickGeneralPreferencePane pane;
    ASSERT_TRUE(pane.paneView());
    EXPECT_EQ(m_delegate->defaultHTMLDocumentType(), VornickHTMLDocumentType::HTML401Strict) << "the stored name wins over the registered number";
    EXPECT_EQ(pane.defaultHTMLDocumentTypePopUpButton()->titleOfSelectedItem(), u"HTML 4.01 Strict");
    EXPECT_EQ(pane.embedSourceLoupePopUpButton()->titleOfSelectedItem(), u"In a Window of Its Own");
    EXPECT_EQ(pane.emphasisPopUpButton()->titleOfSelectedItem(), u"Italic and Bold (<i>, <b>)");
    EXPECT_EQ(pane.allowUserDefinedAttributesCheckBox()->state(), OnState);
    EXPECT_EQ(pane.allowJavaScriptExecutionCheckBox()->state(), OnState);
}

TEST_F(GeneralPreferencePaneTest, TheDefaultDocumentTypeReadsNumbersAndNamesAndIgnoresTheRest)
{
    struct Case {
        Value stored;
        VornickHTMLDocumentType type;
    };
    const Case cases[] = {
        { Value(8), VornickHTMLDocumentType::HTML5 },
        { Value(4), VornickHTMLDocumentType::XHTML10Transitional },
        { Value(u"XHTML 1.1"), VornickHTMLDocumentType::XHTML11 },
        { Value(u"3"), VornickHTMLDocumentType::HTML401Frameset },
        { Value(0), VornickHTMLDocumentType::HTML5 },
        { Value(9), VornickHTMLDocumentType::HTML5 },
        { Value(u"Unknown"), VornickHTMLDocumentType::HTML5 },
        { Value(u"html 4.01 strict"), VornickHTMLDocumentType::HTML5 },
    };
    for (const auto& entry : cases) {
        defaults().setObject(entry.stored, VornickDefaultHTMLDocumentTypeDefaultsKey);
        EXPECT_EQ(m_delegate->defaultHTMLDocumentType(), entry.type);
    }
    defaults().setObject(Value(u"XHTML 1.1"), VornickDefaultHTMLDocumentTypeDefaultsKey);
    for (int64_t outside : { 0, 9, -1 }) {
        m_delegate->setDefaultHTMLDocumentType(outside);
        EXPECT_EQ(inFile(VornickDefaultHTMLDocumentTypeDefaultsKey), Value(u"XHTML 1.1")) << "ignored";
    }
    m_delegate->setDefaultHTMLDocumentType(1);
    EXPECT_EQ(inFile(VornickDefaultHTMLDocumentTypeDefaultsKey), Value(u"HTML 4.01 Transitional"));
}

TEST_F(GeneralPreferencePaneTest, TheStyleSheetPopUpListsTheBuiltInSheetsAndAnotherChosenOne)
{
    m_delegate->applicationDidFinishLaunching();
    ASSERT_GE(m_delegate->bundledStyleSheets().size(), 2u);
    ASSERT_TRUE(m_delegate->defaultStyleSheet());
    EXPECT_EQ(m_delegate->defaultStyleSheet()->title(), u"Clarity") << "registered";

    std::string otherSheet = m_folder + "/Mine.css";
    ASSERT_TRUE(writeFileAtomically(otherSheet, "body { color: teal; }"));
    std::vector<VornickApplicationDelegate::FileChooserRequest> requests;
    m_delegate->setFileChooser([&](const auto& request, auto completion) {
        requests.push_back(request);
        completion(URL::fileURLWithPath(otherSheet));
    });

    VornickGeneralPreferencePane pane;
    auto view = pane.paneView();
    auto window = Window::create(Rect(0, 0, 600, 400));
    window->setContentView(view);
    auto& popUp = *pane.styleSheetPopUpButton();
    EXPECT_EQ(popUp.titleOfSelectedItem(), u"Clarity");
    choose(popUp, u"Broadsheet");
    EXPECT_EQ(inFile(VornickDefaultStyleSheetDefaultsKey), Value(u"Broadsheet"));

    choose(popUp, VornickGeneralPreferencePane::chooseOtherStyleSheetTitle);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].documentWindow.lock(), window) << "its sheet on the preferences window";
    EXPECT_EQ(inFile(VornickDefaultStyleSheetDefaultsKey), Value(toUTF16(otherSheet)));
    EXPECT_EQ(popUp.titleOfSelectedItem(), u"Mine");
    EXPECT_EQ(popUp.itemAtIndex(0)->title(), u"Mine") << "listed before the built-in sheets";
    ASSERT_TRUE(m_delegate->defaultStyleSheet());
    EXPECT_EQ(m_delegate->defaultStyleSheet()->fileURL(), URL::fileURLWithPath(otherSheet));

    // Cancelled: the choice stays.
    m_delegate->setFileChooser([](const auto&, auto completion) { completion(std::nullopt); });
    choose(popUp, VornickGeneralPreferencePane::chooseOtherStyleSheetTitle);
    EXPECT_EQ(popUp.titleOfSelectedItem(), u"Mine");
    EXPECT_EQ(inFile(VornickDefaultStyleSheetDefaultsKey), Value(toUTF16(otherSheet)));
}

TEST_F(GeneralPreferencePaneTest, TheAppearanceRadioButtonsChooseTheApplicationIcon)
{
    VornickRegisterApplicationIcons();
    {
        VornickAppearancePreferencePane pane;
        ASSERT_TRUE(pane.paneView());
        EXPECT_EQ(pane.revisedIconRadioButton()->state(), OnState);
        EXPECT_EQ(pane.classicIconRadioButton()->state(), OffState);
        pane.classicIconRadioButton()->performClick();
        EXPECT_EQ(inFile(VornickAppIconDefaultsKey), Value(1));
        EXPECT_EQ(Application::shared().applicationIconImage(), Image::imageNamed(VornickClassicAppIconImageName));
        EXPECT_EQ(pane.revisedIconRadioButton()->state(), OffState);
        EXPECT_EQ(pane.classicIconRadioButton()->state(), OnState);
    }
    relaunch();
    m_delegate->applicationDidFinishLaunching();
    EXPECT_EQ(Application::shared().applicationIconImage(), Image::imageNamed(VornickClassicAppIconImageName)) << "shown at launch";
    VornickAppearancePreferencePane pane;
    ASSERT_TRUE(pane.paneView());
    EXPECT_EQ(pane.classicIconRadioButton()->state(), OnState);
    pane.revisedIconRadioButton()->performClick();
    EXPECT_TRUE(inFile(VornickAppIconDefaultsKey).isNull()) << "the default removed";
    EXPECT_EQ(Application::shared().applicationIconImage(), Image::imageNamed(VornickStandardAppIconImageName));
    m_delegate->setAppIconVersion(7);
    EXPECT_TRUE(inFile(VornickAppIconDefaultsKey).isNull());
    EXPECT_EQ(m_delegate->appIconVersion(), 0);
}

TEST_F(GeneralPreferencePaneTest, ThePreferencesControllerIsMadeOnceWithItsFourPanesInOrder)
{
    auto& controller = m_delegate->preferencesController();
    ASSERT_TRUE(controller);
    EXPECT_EQ(&m_delegate->preferencesController(), &controller);
    EXPECT_TRUE(controller->debug());
    ASSERT_TRUE(controller->prefsWindow()) << "built";
    EXPECT_FALSE(controller->prefsWindow()->isVisible()) << "not shown";
    EXPECT_EQ(controller->panesOrder(), (std::vector<std::u16string> { u"Appearance", u"General", u"HTML Formatting", u"Blogging" }));
    EXPECT_EQ(controller->prefsWindow()->title(), u"Appearance") << "the first launch shows the first pane";
    EXPECT_EQ(inFile(PrefsPaneController::lastPaneDefaultsKey()), Value(u"Appearance"));
    auto general = controller->preferencePaneNamed(u"General");
    ASSERT_TRUE(general);
    EXPECT_EQ(general->paneToolTip(), u"Configure general Brevanton settings.");
    EXPECT_TRUE(general->paneIcon());
    ASSERT_TRUE(controller->loadPreferencePaneNamed(u"General"));
    EXPECT_EQ(inFile(PrefsPaneController::lastPaneDefaultsKey()), Value(u"General"));
    EXPECT_EQ(controller->prefsWindow()->frame().size.width, general->paneView()->frame().width());
}

TEST_F(GeneralPreferencePaneTest, SettingsAnotherProcessWritesHaveTheirEffectsHere)
{
    VornickRegisterApplicationIcons();
    int validations = 0;
    int moves = 0;
    int intervals = 0;
    auto& center = NotificationCenter::defaultCenter();
    auto countValidations = center.addObserver(VornickValidationPreferencesDidChangeNotification, nullptr, nullptr, [&](auto&) { ++validations; });
    auto countMoves = center.addObserver(VornickSourceLoupeEmbeddingPreferenceDidChangeNotification, nullptr, nullptr, [&](auto&) { ++moves; });
    auto countIntervals = center.addObserver(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr, nullptr, [&](auto&) { ++intervals; });

    // The other process's own defaults on the same file; the panes are open here.
    VornickGeneralPreferencePane general;
    VornickAppearancePreferencePane appearance;
    ASSERT_TRUE(general.paneView());
    ASSERT_TRUE(appearance.paneView());
    UserDefaults other(m_path);
    other.setInteger(1, VornickAppIconDefaultsKey);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return Application::shared().applicationIconImage() == Image::imageNamed(VornickClassicAppIconImageName); }, 30));
    other.setBool(true, VornickAllowUserDefinedAttributesDefaultsKey);
    other.setInteger(0, VornickEmbedSourceLoupeDefaultsKey);
    other.setInteger(30, VornickWordPressSyncIntervalDefaultsKey);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return intervals == 1; }, 30));
    EXPECT_EQ(validations, 1);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(VornickWordPressSyncInterval(defaults()), 30);
    EXPECT_EQ(general.allowUserDefinedAttributesCheckBox()->state(), OnState);
    EXPECT_EQ(general.embedSourceLoupePopUpButton()->titleOfSelectedItem(), u"In a Window of Its Own");
    EXPECT_EQ(appearance.classicIconRadioButton()->state(), OnState);

    // A change made here has its effects through the pane that made it, once.
    defaults().setBool(false, VornickAllowUserDefinedAttributesDefaultsKey);
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(validations, 1);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !other.boolForKey(VornickAllowUserDefinedAttributesDefaultsKey); }, 30));
}

} // namespace
