#include "tests/editing/EditingTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickUserStyleSheet.h"
#include "documents/VornickKnownFileSet.h"
#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "editing/VornickSingleHTMLFileDocument.h"
#include "editing/VornickStyleSheetPicker.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SavePanel.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickFileTreeEvent.h"
#include "toolkit/VornickFileTreeWatcher.h"

using namespace brevanton;

namespace {

class RecordingPickerDelegate : public VornickObjectPickerDelegate {
public:
    VornickPickerObject selected;
    std::vector<VornickPickerObject> proposed;
    bool canOpen { true };
    int opened { 0 };
    std::shared_ptr<Window> window;
    std::optional<URL> folder;

    VornickPickerObject selectedObjectForPicker(VornickObjectPicker&) override { return selected; }
    void pickerProposeNewSelectedObject(VornickObjectPicker&, const VornickPickerObject& object) override
    {
        proposed.push_back(object);
        selected = object;
    }
    bool pickerCanOpenObject(VornickObjectPicker&, const VornickPickerObject&) override { return canOpen; }
    void pickerOpenObject(VornickObjectPicker&, const VornickPickerObject&) override { ++opened; }
    std::shared_ptr<Window> windowForOtherObjectChooserSheet() override { return window; }
    std::optional<URL> referencingFileDirectoryURLForPicker(VornickObjectPicker&) override { return folder; }
};

// A document of one HTML file in a window, as an editor window is.
class WindowDocument final : public VornickSingleHTMLFileDocument {
public:
    static std::shared_ptr<WindowDocument> make(std::shared_ptr<Window> window, std::shared_ptr<VornickContentEditingView> view)
    {
        auto document = std::make_shared<WindowDocument>();
        document->m_window = std::move(window);
        document->m_view = std::move(view);
        registerSingleHTMLFileDocument(document);
        return document;
    }
    std::shared_ptr<Window> documentWindow() const override { return m_window; }
    std::shared_ptr<VornickContentEditingView> documentContentEditingView() const override { return m_view; }

private:
    std::shared_ptr<Window> m_window;
    std::shared_ptr<VornickContentEditingView> m_view;
};

class ObjectPickerTest : public brevanton::testing::EditingViewTest {
protected:
    void SetUp() override
    {
        EditingViewTest::SetUp();
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        SavePanelDriver::shared().reset();
        m_defaults = std::make_unique<UserDefaults>(m_folder + "/defaults.plist");
        m_application = VornickApplicationDelegate::create(*m_defaults, Bundle::main());
        m_application->applicationDidFinishLaunching();
        Application::shared().setDelegate(m_application);
        delegate = std::make_shared<RecordingPickerDelegate>();
        window = Window::create(Rect(0, 0, 600, 400));
        delegate->window = window;
        window->makeKeyAndOrderFront();
    }
    void TearDown() override
    {
        VornickFileTreeWatcher::setMaker(nullptr);
        VornickKnownFileURLsUpdater::setShared(nullptr);
        AlertDriver::shared().reset();
        SavePanelDriver::shared().reset();
        Application::shared().resetForTesting();
        m_application.reset();
        EditingViewTest::TearDown();
    }

    // A picker with a pop-up button (and an open button) in the window, following the view.
    template<typename Picker> std::shared_ptr<Picker> makePicker(std::shared_ptr<Picker> picker)
    {
        auto popUp = std::make_shared<PopUpButton>(Rect(0, 0, 200, 26));
        auto open = std::make_shared<Button>(Rect(210, 0, 30, 26));
        window->contentView()->addSubview(popUp);
        window->contentView()->addSubview(open);
        picker->setPopUpButton(popUp);
        picker->setOpenButton(open);
        picker->setDelegate(delegate);
        picker->setContentEditingView(view.get());
        return picker;
    }
    static std::vector<std::u16string> titles(const Menu& menu)
    {
        std::vector<std::u16string> result;
        for (const auto& item : menu.items())
            result.push_back(item->isSeparatorItem() ? u"--" : item->title());
        return result;
    }
    std::shared_ptr<VornickStyleSheet> bundled(std::u16string_view title) const
    {
        return m_application->bundledStyleSheetWithTitle(title);
    }
    std::shared_ptr<VornickEnduringFileReference> reference(const std::string& name, std::u16string title = {}) const
    {
        auto made = VornickEnduringFileReference::enduringReferenceToFileURL(url(name));
        if (!title.empty())
            made->setTitle(std::move(title));
        return made;
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<VornickApplicationDelegate> m_application;
    std::shared_ptr<RecordingPickerDelegate> delegate;
    std::shared_ptr<Window> window;
};

TEST_F(ObjectPickerTest, TheStyleSheetMenuListsEachSheetOnceWithTheSelectedOnesItems)
{
    load("page.html");
    ASSERT_TRUE(writeFileAtomically(path("other.css"), "p { color: red; }"));
    auto known = vornick_knownStyleSheetFiles(m_application);
    // Known and used by the page: listed once, in the page's group.
    known->registerFileReference(reference("style.css"));
    known->registerFileReference(reference("other.css"));
    delegate->selected = VornickStyleSheet::create(url("style.css"));
    auto picker = makePicker(VornickStyleSheetPicker::create());
    picker->populatePopUpButton();
    std::u16string otherPath = url("other.css").path();
    EXPECT_EQ(titles(*picker->popUpButton()->menu()),
              (std::vector<std::u16string> { u"None (Browser Default Styles)", u"--", u"Broadsheet", u"Clarity", u"--", u"style.css",
                                             u"\u21B3 Embed Copy in Document", u"--", otherPath, u"Choose Other Style Sheet..." }));
    EXPECT_EQ(picker->popUpButton()->titleOfSelectedItem(), u"style.css");
    // The page's sheet and the known one are the user's own sheets.
    for (size_t index : { 5, 8 }) {
        auto item = std::dynamic_pointer_cast<VornickPickerMenuItem>(picker->popUpButton()->menu()->itemAtIndex(static_cast<long>(index)));
        ASSERT_TRUE(item) << index;
        EXPECT_TRUE(std::dynamic_pointer_cast<VornickUserStyleSheet>(item->pickerObject().styleSheet())) << index;
    }

    // A built-in sheet selected: its embed and export items follow it.
    delegate->selected = bundled(u"Clarity");
    picker->populatePopUpButton();
    auto menuTitles = titles(*picker->popUpButton()->menu());
    auto clarity = std::find(menuTitles.begin(), menuTitles.end(), u"Clarity");
    ASSERT_NE(clarity, menuTitles.end());
    EXPECT_EQ(*(clarity + 1), u"\u21B3 Embed Copy in Document");
    EXPECT_EQ(*(clarity + 2), u"\u21B3 Export Copy...");
    EXPECT_EQ(picker->popUpButton()->titleOfSelectedItem(), u"Clarity");

    // Choosing proposes the item's sheet, then shows the delegate's answer.
    picker->popUpButton()->menu()->performActionForItemAtIndex(0);
    ASSERT_EQ(delegate->proposed.size(), 1u);
    EXPECT_TRUE(delegate->proposed[0].isNone());
    EXPECT_EQ(picker->popUpButton()->indexOfSelectedItem(), 0);
}

TEST_F(ObjectPickerTest, ADocumentEmbeddingABuiltInSheetListsItTwice)
{
    load("page.html");
    ASSERT_TRUE(view->undoableAddNewStylesheet(true, bundled(u"Clarity"), false, true, document()));
    delegate->selected = bundled(u"Clarity");
    auto picker = makePicker(VornickStyleSheetPicker::create());
    picker->populatePopUpButton();
    auto menuTitles = titles(*picker->popUpButton()->menu());
    EXPECT_EQ(std::count(menuTitles.begin(), menuTitles.end(), u"Clarity"), 1);
    auto copy = std::find(menuTitles.begin(), menuTitles.end(), u"Clarity (Embedded Copy)");
    ASSERT_NE(copy, menuTitles.end());
    // An embedded copy offers only its export.
    EXPECT_EQ(*(copy + 1), u"\u21B3 Export Copy...");
    EXPECT_EQ(std::count(menuTitles.begin(), menuTitles.end(), u"style.css"), 1);
}

TEST_F(ObjectPickerTest, AnUnlistedOrMissingSelectionShowsTheFirstItem)
{
    load("page.html");
    auto picker = makePicker(VornickFragmentSetPicker::create());
    picker->populatePopUpButton();
    EXPECT_EQ(titles(*picker->popUpButton()->menu()),
              (std::vector<std::u16string> { u"(Plain HTML)", u"--", u"Choose Other Snippet Set...", u"Create New Snippet Set..." }));
    EXPECT_EQ(picker->popUpButton()->indexOfSelectedItem(), 0);
    delegate->selected = reference("Site.brevantonsnippets");
    picker->updateSelectedObjectIndication();
    EXPECT_EQ(picker->popUpButton()->indexOfSelectedItem(), 0) << "not among the known sets";

    // A plain menu marks its item instead; with no document of an HTML
    // file in the main window, none.
    auto menuPicker = std::make_shared<VornickStyleSheetPicker>();
    auto menu = Menu::create();
    menuPicker->setMenu(menu);
    menuPicker->setDelegate(delegate);
    menuPicker->setContentEditingView(view.get());
    menuPicker->rebuildPickerMenu(*menu);
    menuPicker->updateSelectedObjectIndication();
    EXPECT_EQ(menu->itemAtIndex(0)->state(), OffState);
    EXPECT_FALSE(VornickSingleHTMLFileDocument::activeSingleHTMLFileDocument());
    auto document = WindowDocument::make(window, view);
    EXPECT_EQ(VornickSingleHTMLFileDocument::activeSingleHTMLFileDocument(), document);
    menuPicker->updateSelectedObjectIndication();
    EXPECT_EQ(menu->itemAtIndex(0)->state(), OnState);
    // Another window main: its document is no longer the active one.
    auto other = Window::create(Rect(0, 0, 100, 100));
    other->makeKeyAndOrderFront();
    EXPECT_FALSE(VornickSingleHTMLFileDocument::activeSingleHTMLFileDocument());
    menuPicker->updateSelectedObjectIndication();
    EXPECT_EQ(menu->itemAtIndex(0)->state(), OffState);
    other->close();
}

TEST_F(ObjectPickerTest, SnippetSetsAreSortedByTitleAndTheMenuFollowsTheKnownFiles)
{
    load("snippets.html");
    auto known = vornick_knownFragmentSetFiles(m_application);
    known->registerFileReference(reference("Site.brevantonsnippets"));
    known->registerFileReference(reference("gone.brevantonsnippets"));
    auto picker = makePicker(VornickFragmentSetPicker::create());
    picker->populatePopUpButton();
    EXPECT_EQ(titles(*picker->popUpButton()->menu()),
              (std::vector<std::u16string> { u"(Plain HTML)", u"--", u"(Unknown Snippet Set)", u"Site", u"--",
                                             u"Choose Other Snippet Set...", u"Create New Snippet Set..." }));

    known->registerFileReference(reference("Site.brevantonsnippets", u"another"));
    known->registerFileReference(reference("z.brevantonsnippets", u"Zeta"));
    auto menuTitles = titles(*picker->popUpButton()->menu());
    EXPECT_EQ(std::vector<std::u16string>(menuTitles.begin() + 2, menuTitles.begin() + 5),
              (std::vector<std::u16string> { u"(Unknown Snippet Set)", u"another", u"Zeta" }));
    delegate->selected = reference("Site.brevantonsnippets");
    picker->updateSelectedObjectIndication();
    EXPECT_EQ(picker->popUpButton()->titleOfSelectedItem(), u"another") << "the same file, whatever its title";
}

TEST_F(ObjectPickerTest, TheOpenButtonNeedsAnOpenableSelectionInTheMainWindow)
{
    load("page.html");
    auto picker = makePicker(VornickStyleSheetPicker::create());
    picker->populatePopUpButton();
    EXPECT_FALSE(picker->openButton()->isEnabled()) << "nothing selected";
    delegate->selected = VornickStyleSheet::create(url("style.css"));
    picker->updateSelectedObjectIndication();
    EXPECT_TRUE(picker->openButton()->isEnabled());
    picker->openButton()->performClick();
    EXPECT_EQ(delegate->opened, 1);

    auto other = Window::create(Rect(0, 0, 100, 100));
    other->makeKeyAndOrderFront();
    ASSERT_FALSE(window->isMainWindow());
    picker->updateSelectedObjectIndication();
    EXPECT_FALSE(picker->openButton()->isEnabled());
    window->makeKeyAndOrderFront();
    picker->updateOpenButtonEnabledState();
    EXPECT_TRUE(picker->openButton()->isEnabled());
    delegate->canOpen = false;
    picker->updateOpenButtonEnabledState();
    EXPECT_FALSE(picker->openButton()->isEnabled());
    delegate->canOpen = true;
    picker->setEnabled(false);
    EXPECT_FALSE(picker->openButton()->isEnabled());
}

TEST_F(ObjectPickerTest, ANewSnippetSetThatCannotBeWrittenIsToldAndTheMenuShowsTheSelectionAgain)
{
    load("page.html");
    delegate->folder = URL::fileURLWithPath(toUTF16(m_folder), true);
    auto picker = makePicker(VornickFragmentSetPicker::create());
    picker->populatePopUpButton();
    auto menu = picker->popUpButton()->menu();
    long create = menu->indexOfItem(menu->itemWithTitle(u"Create New Snippet Set...").get());
    ASSERT_GE(create, 0);

    // Where nothing can be written.
    SavePanelDriver::shared().enqueueConfirmation(url("no-such-folder/New.brevantonsnippets"));
    picker->popUpButton()->selectItemAtIndex(create);
    ASSERT_TRUE(menu->performActionForItemAtIndex(create));
    ASSERT_EQ(SavePanelDriver::shared().shownPanels().size(), 1u);
    auto panel = SavePanelDriver::shared().shownPanels()[0];
    EXPECT_EQ(panel->message(), u"Give your document's new snippet set a title and save location.");
    EXPECT_EQ(panel->directoryURL(), delegate->folder);
    ASSERT_TRUE(panel->accessoryView());
    auto sheets = AlertDriver::shared().pendingSheets();
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0]->sheetParent(), window);
    EXPECT_NE(sheets[0]->messageText().find(u"New Snippet Set"), std::u16string::npos);
    EXPECT_TRUE(delegate->proposed.empty());
    ASSERT_TRUE(AlertDriver::shared().answerSheet(*window, AlertFirstButtonReturn));
    EXPECT_EQ(picker->popUpButton()->titleOfSelectedItem(), u"(Plain HTML)");

    // A cancelled panel shows the selection again too.
    SavePanelDriver::shared().enqueueCancellation();
    picker->popUpButton()->selectItemAtIndex(create);
    menu->performActionForItemAtIndex(create);
    EXPECT_EQ(picker->popUpButton()->titleOfSelectedItem(), u"(Plain HTML)");
}

TEST_F(ObjectPickerTest, ANewSnippetSetIsWrittenKnownOpenedAndProposed)
{
    load("page.html");
    std::vector<std::u16string> openedTitles;
    VornickFragmentSetPicker::setEditorOpener([&](const std::shared_ptr<VornickFragmentSet>& set) { openedTitles.push_back(set->title()); });
    auto picker = makePicker(VornickFragmentSetPicker::create());
    picker->populatePopUpButton();
    SavePanelDriver::shared().setResponder([&](SavePanel& panel) {
        // The user types a title into the accessory view.
        auto field = std::dynamic_pointer_cast<TextField>(panel.accessoryView()->subviews().at(1));
        EXPECT_EQ(field->stringValue(), u"New Snippet Set");
        field->editTextAsUser(u"Mine");
        return std::optional<SavePanelDriver::Answer>(SavePanelDriver::Answer { ModalResponseOK, url("Mine.brevantonsnippets") });
    });
    picker->createNewFragmentSet(nullptr);
    VornickFragmentSetPicker::setEditorOpener(nullptr);

    ASSERT_TRUE(std::filesystem::exists(path("Mine.brevantonsnippets")));
    ASSERT_EQ(delegate->proposed.size(), 1u);
    ASSERT_TRUE(delegate->proposed[0].fileReference());
    EXPECT_EQ(delegate->proposed[0].fileReference()->path(), path("Mine.brevantonsnippets"));
    EXPECT_EQ(openedTitles, (std::vector<std::u16string> { u"Mine" }));
    EXPECT_TRUE(vornick_knownFragmentSetFiles(m_application)->fileReferenceForURL(url("Mine.brevantonsnippets")));
    EXPECT_EQ(picker->popUpButton()->titleOfSelectedItem(), u"Mine");
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
}

TEST_F(ObjectPickerTest, TheFormattingMenuStandsForTheFramesOwnPreferences)
{
    load("page.html");
    auto picker = makePicker(VornickHTMLFormattingPreferencesPicker::create());
    picker->populatePopUpButton();
    auto menu = picker->popUpButton()->menu();
    EXPECT_EQ(titles(*menu), (std::vector<std::u16string> { u"(User Settings)", u"Custom..." }));
    EXPECT_EQ(picker->popUpButton()->indexOfSelectedItem(), 0);
    menu->performActionForItemAtIndex(1);
    ASSERT_EQ(delegate->proposed.size(), 1u);
    EXPECT_TRUE(delegate->proposed[0].isNoFormattingPreferences());

    // Once the frame has its own, "Custom..." stands for them and shows selected.
    auto own = std::make_shared<VornickHTMLFormattingPreferences>(*vornick_effectiveHTMLFormattingPreferences(*view->mainFrame()));
    ASSERT_TRUE(view->undoableSetHTMLFormattingPreferences(true, own, view->mainFrame()));
    delegate->selected = vornick_HTMLFormattingPreferences(*view->mainFrame());
    picker->updateSelectedObjectIndication();
    EXPECT_EQ(picker->popUpButton()->indexOfSelectedItem(), 1);
    auto* custom = dynamic_cast<VornickPickerMenuItem*>(menu->itemAtIndex(1).get());
    ASSERT_TRUE(custom);
    EXPECT_EQ(custom->pickerObject().formattingPreferences(), vornick_HTMLFormattingPreferences(*view->mainFrame()));
}

} // namespace
