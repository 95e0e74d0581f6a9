// Head elements, style sheets, the snippet set and the formatting
// preferences of a document, on real pages in a real editing view.
#include "ScriptedOpenPanel.h"
#include "UndoableEditChecks.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"

#include "app/VornickBundledStyleSheet.h"
#include "app/VornickWindow.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "app/VornickStyleSheet.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickElementAttributeValue.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class StyleSheetChangeCounter : public EditingRecorder {
public:
    int styleSheetChanges { 0 };
    void vornickContentEditingViewDidChangeStyleSheetSetInFocusedWebFrame(VornickContentEditingView&) override { ++styleSheetChanges; }
};

class HeadEditingTest : public UndoableEditTest {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        view->setDelegate(&counter);
    }
    void loadHead(const std::string& headMarkup, const std::string& bodyMarkup = "<p>Some text.</p>")
    {
        writePage("head.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Head</title>" + headMarkup
                                   + "</head><body>" + bodyMarkup + "</body></html>\n");
        load("head.html");
        select(rangeIn(textNode(u"Some"), 0, 4));
    }
    std::shared_ptr<DOMElement> head() const { return vornick_headElement(*document()); }
    std::string headHTML() const { return toUTF8(head()->innerHTML()); }
    // The index of the first head child with the tag.
    unsigned headIndexOf(const std::u16string& tag) const
    {
        for (DOMNode* node = head()->first(); node; node = node->next()) {
            if (node->nodeType() == DOMNode::ELEMENT_NODE && asciiLowercase(downcast<DOMElement>(node)->tagName()) == tag)
                return node->index();
        }
        return 999;
    }
    std::string writeSheet(const std::string& name, const std::string& css)
    {
        EXPECT_TRUE(writeFileAtomically(path(name), css));
        return name;
    }
    StyleSheetChangeCounter counter;
};

TEST_F(HeadEditingTest, DeletingAndInsertingHeadElementsUndoExactlyAndTellTheDelegateOfStyleSheets)
{
    load("page.html");
    select(rangeIn(textNode(u"First"), 0, 5));
    // The LINK of page.html, with its "rel" in another case.
    element(u"link")->setAttribute(u"rel", u"StyleSheet");
    checkUndoableStep(
        *view, [&] { view->undoableDeleteHeadElementAtIndex(true, headIndexOf(u"link"), document()); },
        [&] { EXPECT_FALSE(element(u"link")); }, { u"Delete <link> Element From <head>" });
    EXPECT_GE(counter.styleSheetChanges, 1);

    counter.styleSheetChanges = 0;
    checkUndoableStep(
        *view, [&] { view->undoableDeleteHeadElementAtIndex(true, headIndexOf(u"meta"), document()); },
        [&] { EXPECT_FALSE(element(u"meta")); }, { u"Delete <meta> Element From <head>" });
    EXPECT_EQ(counter.styleSheetChanges, 0);

    // Out of range, or not an element: nothing happens.
    std::string before = documentSnapshot(*document());
    view->undoableDeleteHeadElementAtIndex(true, 999, document());
    view->undoableDeleteHeadElementAtIndex(true, 0, document()); // the text node after <head>
    EXPECT_EQ(documentSnapshot(*document()), before);
}

TEST_F(HeadEditingTest, UndoingTheDeletionOfAStyleElementBringsBackItsCSS)
{
    loadHead("<style type=\"text/css\">p { color: red; }\nh1 { margin: 0; }</style>");
    checkUndoableStep(
        *view, [&] { view->undoableDeleteHeadElementAtIndex(true, headIndexOf(u"style"), document()); },
        [&] { EXPECT_FALSE(element(u"style")); });
    view->undoManager()->undo();
    ASSERT_TRUE(element(u"style"));
    EXPECT_EQ(toUTF8(element(u"style")->textContent()), "p { color: red; }\nh1 { margin: 0; }");
    // Deleting a STYLE changes the sheets in use too.
    EXPECT_GE(counter.styleSheetChanges, 1);
}

TEST_F(HeadEditingTest, AnElementInsertedPastTheEndIsTakenOutAgainByUndo)
{
    loadHead("");
    std::vector<VornickElementAttributeValue> values { VornickElementAttributeValue::element(nullptr, u"name", std::u16string(u"author")),
                                                       VornickElementAttributeValue::element(nullptr, u"content", std::u16string(u"Ann")) };
    checkUndoableStep(
        *view, [&] { EXPECT_TRUE(view->undoableInsertHeadElementWithTagName(true, u"meta", values, {}, 999, document())); },
        [&] {
            auto last = head()->lastChild();
            ASSERT_TRUE(last && last->nodeType() == DOMNode::ELEMENT_NODE);
            EXPECT_EQ(toUTF8(downcast<DOMElement>(*last).getAttribute(u"content")), "Ann");
        },
        { u"Insert <meta> Element Into <head>" });
    EXPECT_EQ(counter.styleSheetChanges, 0);
}

TEST_F(HeadEditingTest, LinkingSheetsMakesLaterOnesAlternateAndTellsTheDelegate)
{
    loadHead("");
    writeSheet("first.css", "p { color: red; }");
    writeSheet("Second Look.css", "p { color: blue; }");
    checkUndoableStep(
        *view, [&] { EXPECT_TRUE(view->undoableAddNewStylesheetWithURL(true, url("first.css"), std::nullopt, false, false, document())); },
        [&] { EXPECT_NE(headHTML().find("<link rel=\"stylesheet\" href=\"first.css\">"), std::string::npos) << headHTML(); });
    counter.styleSheetChanges = 0;
    checkUndoableStep(
        *view, [&] { EXPECT_TRUE(view->undoableAddNewStylesheetWithURL(true, url("Second Look.css"), std::nullopt, true, false, document())); },
        [&] {
            auto alternate = element(u"link", 1);
            ASSERT_TRUE(alternate);
            EXPECT_EQ(toUTF8(alternate->getAttribute(u"rel")), "alternate stylesheet");
            EXPECT_EQ(toUTF8(alternate->getAttribute(u"title")), "Second Look");
        });
    EXPECT_GE(counter.styleSheetChanges, 1);

    // The application's own sheets keep their absolute URL.
    auto clarity = URL::fileURLWithPath(Bundle::main().resourcePath() + "/BundledStyleSheets/Clarity.css");
    ASSERT_TRUE(view->undoableAddNewStylesheet(true, VornickBundledStyleSheet::create(clarity), false, false, document()));
    EXPECT_EQ(element(u"link", 2)->getAttribute(u"href"), clarity.absoluteString());

    EXPECT_THROW((void)view->undoableAddNewStylesheetWithURL(true, url("first.css"), std::nullopt, true, true, document()),
                 InternalInconsistencyException);
}

TEST_F(HeadEditingTest, EmbeddedCopiesAreMarkedAndShareOneStyleElement)
{
    loadHead("");
    writeSheet("Plain.css", "/* no version here */\nbody { margin: 0; }");
    writeSheet("other.css", "h1 { color: navy; }");
    checkUndoableStep(
        *view,
        [&] { EXPECT_TRUE(view->undoableAddNewStylesheet(true, VornickBundledStyleSheet::create(url("Plain.css")), false, true, document())); },
        [&] {
            ASSERT_TRUE(element(u"style"));
            EXPECT_EQ(toUTF8(element(u"style")->getAttribute(u"type")), "text/css");
            EXPECT_EQ(toUTF8(element(u"style")->textContent()),
                      "/* begin embedded copy of Brevanton stylesheet \"Plain\", Version unknown */\n/* no version here */\n"
                      "body { margin: 0; }\n/* end embedded copy of Brevanton stylesheet */");
        });
    counter.styleSheetChanges = 0;
    checkUndoableStep(
        *view, [&] { EXPECT_TRUE(view->undoableAddNewStylesheetWithURL(true, url("other.css"), std::nullopt, false, true, document())); },
        [&] {
            EXPECT_FALSE(element(u"style", 1));
            std::string css = toUTF8(element(u"style")->textContent());
            EXPECT_NE(css.find("end embedded copy of Brevanton stylesheet *//* begin embedded copy of stylesheet \"other.css\" */\n"
                               "h1 { color: navy; }\n/* end embedded copy of stylesheet */"),
                      std::string::npos)
                << css;
        });
    // Appending to the STYLE element changes the sheets in use.
    EXPECT_GE(counter.styleSheetChanges, 1);
    EXPECT_FALSE(view->undoableAddNewStylesheetWithURL(true, url("missing.css"), std::nullopt, false, true, document()));
}

TEST_F(HeadEditingTest, AnEmbeddedSheetContainingAStyleEndTagStaysInsideItsElementWhenReadAgain)
{
    loadHead("");
    writeSheet("sly.css", "p::after { content: \"</style><h2>Injected</h2>\"; }");
    ASSERT_TRUE(view->undoableAddNewStylesheetWithURL(true, url("sly.css"), std::nullopt, false, true, document()));
    writePage("written.html", "<!DOCTYPE html>\n" + toUTF8(document()->documentElement()->outerHTML()));
    load("written.html");
    EXPECT_FALSE(element(u"h2")) << bodyHTML();
    ASSERT_TRUE(element(u"style"));
    EXPECT_NE(toUTF8(element(u"style")->textContent()).find("content: \"<\\/style><h2>Injected<\\/h2>\""), std::string::npos);
}

TEST_F(HeadEditingTest, ReplacingThePrimarySheetIsOneNamedStep)
{
    load("page.html");
    select(rangeIn(textNode(u"First"), 0, 5));
    writeSheet("new.css", "p { color: green; }");
    checkUndoableStep(
        *view, [&] { EXPECT_TRUE(view->undoableSetPrimaryStylesheet(true, VornickStyleSheet::create(url("new.css")), false, view->mainFrame())); },
        [&] {
            EXPECT_FALSE(element(u"link", 1));
            EXPECT_EQ(toUTF8(element(u"link")->getAttribute(u"href")), "new.css");
        },
        { u"Change Primary Style Sheet" });

    // An embedded primary copy goes with its STYLE element when that is left empty.
    ASSERT_TRUE(view->undoableSetPrimaryStylesheet(true, VornickStyleSheet::create(url("new.css")), true, view->mainFrame()));
    ASSERT_TRUE(element(u"style"));
    EXPECT_FALSE(element(u"link"));
    checkUndoableStep(
        *view, [&] { EXPECT_TRUE(view->undoableSetPrimaryStylesheet(true, nullptr, false, view->mainFrame())); },
        [&] { EXPECT_FALSE(element(u"style")); }, { u"Change Primary Style Sheet" });
}

TEST_F(HeadEditingTest, SwitchingSnippetSetsNamesEachStepAfterTheSetItSwitchesTo)
{
    load("page.html");
    auto frame = view->mainFrame();
    auto set = VornickFragmentSet::createWithTitle(u"Site");
    auto* undo = view->undoManager();
    EXPECT_TRUE(view->undoableSetFragmentSet(true, set, frame));
    endEvent();
    EXPECT_EQ(toUTF8(undo->undoActionName()), "Switch to Snippet Set: \"Site\"");
    EXPECT_TRUE(view->undoableSetFragmentSet(true, nullptr, frame));
    endEvent();
    EXPECT_EQ(toUTF8(undo->undoActionName()), "Switch to No Snippet Set (Plain HTML)");
    EXPECT_FALSE(vornick_userFragmentSet(*frame));
    undo->undo();
    EXPECT_EQ(vornick_userFragmentSet(*frame), set);
    EXPECT_EQ(toUTF8(undo->redoActionName()), "Switch to No Snippet Set (Plain HTML)");
    EXPECT_EQ(toUTF8(undo->undoActionName()), "Switch to Snippet Set: \"Site\"");
}

TEST_F(HeadEditingTest, FormattingPreferencesStringsChangeNoSharedObject)
{
    load("page.html");
    auto frame = view->mainFrame();
    auto* undo = view->undoManager();
    endEvent();
    undo->removeAllActions();

    // A set that other documents use too.
    auto shared = std::make_shared<VornickHTMLFormattingPreferences>();
    std::u16string sharedString = shared->stringRepresentation();
    ASSERT_TRUE(view->undoableSetHTMLFormattingPreferences(true, shared, frame));
    endEvent();
    EXPECT_EQ(toUTF8(undo->undoActionName()), "use custom HTML formatting preferences");

    EXPECT_TRUE(view->undoableSetHTMLFormattingPreferencesString(true, u"2,8-t", frame));
    endEvent();
    EXPECT_FALSE(view->undoableSetHTMLFormattingPreferencesString(true, u"2,8-t", frame));
    endEvent();
    EXPECT_EQ(toUTF8(undo->undoActionName()), "HTML formatting preferences change");
    EXPECT_EQ(shared->stringRepresentation(), sharedString);
    auto own = vornick_HTMLFormattingPreferences(*frame);
    ASSERT_TRUE(own);
    EXPECT_NE(own, shared);
    EXPECT_EQ(own->spacesPerIndent(), 2u);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), u"2,8-t");

    // One step for the string, one for installing the set.
    undo->undo();
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), sharedString);
    undo->undo();
    EXPECT_FALSE(undo->canUndo());
    EXPECT_EQ(toUTF8(undo->redoActionName()), "use custom HTML formatting preferences");

    // The user's default set is no document's own: it stores no string.
    VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
    auto usersDefault = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    ASSERT_TRUE(usersDefault);
    ASSERT_TRUE(view->undoableSetHTMLFormattingPreferences(true, usersDefault, frame));
    EXPECT_FALSE(vornick_HTMLFormattingPreferencesString(*document()));
    std::u16string defaultString = usersDefault->stringRepresentation();
    EXPECT_TRUE(view->undoableSetHTMLFormattingPreferencesString(true, u"3,3", frame));
    EXPECT_EQ(usersDefault->stringRepresentation(), defaultString);
    EXPECT_EQ(vornick_HTMLFormattingPreferences(*frame)->spacesPerIndent(), 3u);
}

TEST_F(HeadEditingTest, AnEditedDocumentSetStoresItsStringAndStaysTheFramesOwn)
{
    load("page.html");
    auto frame = view->mainFrame();
    auto own = std::make_shared<VornickHTMLFormattingPreferences>();
    ASSERT_TRUE(view->undoableSetHTMLFormattingPreferences(true, own, frame));
    own->setSpacesPerIndent(6);
    Notification note;
    note.object = own.get();
    VornickContentEditingViewTestPeer::htmlFormattingPreferencesInstanceWasEdited(*view, note);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), own->stringRepresentation());
    EXPECT_EQ(vornick_HTMLFormattingPreferences(*frame), own);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(*view));
}

TEST_F(HeadEditingTest, ThePreferencesEditorsChangesReachTheDocumentsThatWriteWithTheSet)
{
    load("page.html");
    auto frame = view->mainFrame();
    auto own = std::make_shared<VornickHTMLFormattingPreferences>();
    ASSERT_TRUE(view->undoableSetHTMLFormattingPreferences(true, own, frame));
    endEvent();
    view->undoManager()->removeAllActions();
    VornickHTMLFormattingPreferencesModule editor;
    editor.setActiveHTMLFormattingPreferences(own);

    // A control that changed nothing tells nobody.
    editor.editOccurred(nullptr);
    EXPECT_FALSE(view->undoManager()->canUndo());

    // A real change: the document stores the set's new string as one undo step.
    own->setSpacesPerIndent(5);
    editor.editOccurred(nullptr);
    endEvent();
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), own->stringRepresentation());
    EXPECT_EQ(vornick_HTMLFormattingPreferences(*frame), own);
    EXPECT_EQ(toUTF8(view->undoManager()->undoActionName()), "HTML formatting preferences change");
    EXPECT_EQ(editor.lastHTMLFormattingPreferencesString(), own->stringRepresentation());

    // Another document's set edited elsewhere leaves this one alone.
    auto before = vornick_HTMLFormattingPreferencesString(*document());
    auto other = std::make_shared<VornickHTMLFormattingPreferences>();
    editor.setActiveHTMLFormattingPreferences(other);
    other->setSpacesPerIndent(7);
    editor.editOccurred(nullptr);
    EXPECT_EQ(vornick_HTMLFormattingPreferencesString(*document()), before);
}

class HeadCommandsTest : public HeadEditingTest, public ScriptedOpenPanel {
protected:
    void SetUp() override
    {
        HeadEditingTest::SetUp();
        installApplicationDelegate(path("defaults.plist"));
    }
    void TearDown() override
    {
        if (window) {
            window->close();
            window.reset();
        }
        removeApplicationDelegate();
        HeadEditingTest::TearDown();
    }
    void showInWindow()
    {
        window = VornickWindow::create(Rect(100, 100, 800, 600));
        view->setFrame(Rect(0, 0, 800, 600));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    }
    std::shared_ptr<VornickWindow> window;
};

TEST_F(HeadCommandsTest, AStyleSheetChosenInThePanelIsLinkedAsOneUndoStep)
{
    // A page with a sheet of its own: the panel opens in that sheet's folder
    // and the new sheet becomes an alternate one titled by its file name.
    load("page.html");
    std::filesystem::create_directories(path("sheets"));
    ASSERT_TRUE(writeFileAtomically(path("sheets/extra.css"), "p { color: blue }\n"));
    ASSERT_TRUE(view->tryToPerform("addNewStylesheetLinkHeadElement:", nullptr));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].allowedFileTypes, std::vector<std::u16string> { u"css" });
    EXPECT_EQ(toUTF8(requests[0].messageToUser), "Please choose a .css style sheet file.");
    ASSERT_TRUE(requests[0].initialDirectoryURL);
    EXPECT_EQ(requests[0].initialDirectoryURL->fileSystemPath().value_or("").rfind(m_folder, 0), 0u);
    counter.styleSheetChanges = 0;
    checkUndoableStep(
        *view, [&] { answerOpenPanel(url("sheets/extra.css")); },
        [&] {
            auto links = head()->getElementsByTagName(u"link");
            ASSERT_EQ(links->length(), 2u);
            auto& link = downcast<DOMElement>(*links->item(1));
            EXPECT_EQ(link.getAttribute(u"rel"), u"alternate stylesheet");
            EXPECT_EQ(link.getAttribute(u"href"), u"sheets/extra.css");
            EXPECT_EQ(link.getAttribute(u"title"), u"extra");
        },
        { u"Insert <link> Element Into <head>" });
    EXPECT_GE(counter.styleSheetChanges, 1);

    // A page without sheets: the document's folder, a primary sheet; a
    // cancelled panel changes nothing.
    loadHead("");
    ASSERT_TRUE(view->tryToPerform("addNewStylesheetLinkHeadElement:", nullptr));
    ASSERT_EQ(requests.size(), 2u);
    ASSERT_TRUE(requests[1].initialDirectoryURL);
    EXPECT_EQ(requests[1].initialDirectoryURL->fileSystemPath().value_or(""), m_folder);
    auto before = headHTML();
    answerOpenPanel(std::nullopt);
    EXPECT_EQ(headHTML(), before);
    ASSERT_TRUE(view->tryToPerform("addNewStylesheetLinkHeadElement:", nullptr));
    answerOpenPanel(url("sheets/extra.css"));
    EXPECT_NE(headHTML().find("<link rel=\"stylesheet\" href=\"sheets/extra.css\">"), std::string::npos) << headHTML();
}

TEST_F(HeadCommandsTest, TheToggleFocusesAShownPaneFirstAndHidesItNext)
{
    load("page.html");
    showInWindow();
    VornickContentEditingViewTestPeer::setHeadElementsShown(*view, false);
    ASSERT_TRUE(view->tryToPerform("toggleHeadElementsShown:", nullptr));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::headElementsShown(*view));
    // Shown, the title field not focused: the field takes the focus, the pane stays.
    ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    ASSERT_TRUE(view->tryToPerform("toggleHeadElementsShown:", nullptr));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::headElementsShown(*view));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).headMetadataEditingUIController->titleTextFieldHasFocus());
    ASSERT_TRUE(view->tryToPerform("toggleHeadElementsShown:", nullptr));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::headElementsShown(*view));

    // Where head display is not allowed the toggle does nothing.
    VornickContentEditingViewTestPeer::setAllowsHeadDisplayAndEditing(*view, false);
    ASSERT_TRUE(view->tryToPerform("toggleHeadElementsShown:", nullptr));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::headElementsShown(*view));
}

TEST_F(HeadCommandsTest, TheAddHeadElementMenuComesUpOverTheButtonThatAsksForIt)
{
    load("page.html");
    showInWindow();
    auto button = std::make_shared<Button>(Rect(10, 10, 40, 20));
    window->contentView()->addSubview(button);
    ASSERT_TRUE(view->tryToPerform("addNewHeadElement:", button.get()));
    auto shown = Menu::shownContextMenu();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown, view->addHeadElementMenu()) << "made once and kept";
    ASSERT_EQ(shown->numberOfItems(), 1);
    EXPECT_EQ(shown->itemAtIndex(0)->action(), "addNewStylesheetLinkHeadElement:");
    EXPECT_TRUE(shown->itemAtIndex(0)->isEnabled());

    // Its item opens the style sheet panel.
    ASSERT_TRUE(shown->performActionForItemAtIndex(0));
    EXPECT_EQ(requests.size(), 1u);

    // A sender that is no view shows nothing.
    auto item = MenuItem::create(u"Add", "addNewHeadElement:");
    Menu::popUpContextMenu(Menu::create(u"Other"), Event::mouseEvent(EventType::LeftMouseDown, Point {}, 0, 0, window, 1), *view);
    ASSERT_TRUE(view->tryToPerform("addNewHeadElement:", item.get()));
    EXPECT_NE(Menu::shownContextMenu(), view->addHeadElementMenu());
}

} // namespace
} // namespace brevanton::testing
