// Editing real pages as a user does: clicks and keys synthesized through the
// application and the document window, its send-event hook, the web view's
// text input and the editing delegate, down to the undoable edits. The open
// panel is the application delegate's injected file chooser.
#include "ScriptedOpenPanel.h"
#include "UndoableEditChecks.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickWindow.h"
#include "dom/VornickNodeExtensions.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Menu.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/web/WebLayout.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class EditingEndToEnd : public UndoableEditTest, protected ScriptedOpenPanel {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        installApplicationDelegate(path("defaults.plist"));
    }
    void TearDown() override
    {
        Application::shared().setMainMenu(nullptr);
        if (window) {
            window->close();
            window.reset();
        }
        removeApplicationDelegate();
        UndoableEditTest::TearDown();
    }

    // Loads a page of the test data into the view, shows it in a document
    // window with the page's focus, and installs the menu commands used here.
    void open(const std::string& page)
    {
        std::string name = std::filesystem::path(page).filename().string();
        std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/" + page, path(name),
                                   std::filesystem::copy_options::overwrite_existing);
        load(name);
        window = VornickWindow::create(Rect(0, 0, 800, 600));
        view->setFrame(Rect(0, 0, 800, 600));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));

        auto menu = Menu::create(u"Main");
        auto insert = Menu::create(u"Insert");
        auto image = MenuItem::create(u"Image...", "chooseImageAndReplaceSelection:", u"i");
        image->setKeyEquivalentModifierMask(ModifierFlag::Command | ModifierFlag::Option);
        insert->addItem(image);
        auto attributes = MenuItem::create(u"Edit Attributes", "vornick_editElementAttributes:", u"e");
        attributes->setKeyEquivalentModifierMask(ModifierFlag::Command | ModifierFlag::Option);
        insert->addItem(attributes);
        auto top = MenuItem::create(u"Insert");
        top->setSubmenu(insert);
        menu->addItem(top);
        Application::shared().setMainMenu(menu);
    }

    // Runs the turns that perform what the events proposed.
    void drain()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }
    // A click on the left edge of the character at the offset of a text
    // node's first line (the page's font advances evenly).
    void clickBefore(const std::shared_ptr<DOMNode>& node, unsigned offset)
    {
        auto& webView = view->embeddedWebView();
        webView->layoutIfNeeded();
        auto lines = webView->lineBoxRects(*node);
        ASSERT_FALSE(lines.empty());
        const Rect& line = lines.front();
        double advance = line.height() / WebLayout::lineHeightPerFontSize * WebLayout::advancePerFontSize;
        Point inWebView { line.minX() + offset * advance + advance / 4, line.midY() };
        events.click(window, webView->convertPointToView(inWebView, nullptr));
        drain();
    }
    void type(std::u16string_view text)
    {
        events.typeText(window, text);
        drain();
    }
    void press(char16_t key, ModifierFlags flags = 0)
    {
        events.pressKey(window, key, flags);
        drain();
    }
    // The caret as "text|text" within its text node.
    std::string caretInText() const
    {
        auto range = view->effectiveOperationRange();
        if (!range || !range->collapsed() || !range->startNode()->isTextNode())
            return "(no caret in text)";
        const auto& data = downcast<DOMCharacterData>(*range->startNode()).data();
        size_t offset = range->startOffset();
        return toUTF8(data.substr(0, offset)) + "|" + toUTF8(data.substr(offset));
    }
    bool editorShown() const
    {
        auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
        return controller && controller->popover()->isShown();
    }
    std::shared_ptr<DOMElement> editorTarget() const
    {
        auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
        return controller && controller->targetObject() ? controller->targetObject()->element() : nullptr;
    }

    std::shared_ptr<VornickWindow> window;
    EventSynthesizer events;
};

TEST_F(EditingEndToEnd, ClickTypeAndBackspaceOnAPage)
{
    open("editing/page.html");
    auto first = textNode(u"First ");
    ASSERT_TRUE(first);
    clickBefore(first, 0);
    ASSERT_EQ(caretInText(), "|First ");

    checkUndoableStep(
        *view, [&] { type(u"The very "); },
        [&] {
            EXPECT_EQ(toUTF8(element(u"P")->textContent()), "The very First paragraph of text.");
            EXPECT_EQ(caretInText(), "The very |First ");
        },
        { u"Typing" });
    // The page's own text node took the characters.
    EXPECT_EQ(textNode(u"The very"), first);

    checkUndoableStep(
        *view, [&] { press(0x7F), press(0x7F), press(0x7F), press(0x7F), press(0x7F); },
        [&] {
            EXPECT_EQ(toUTF8(element(u"P")->textContent()), "The First paragraph of text.");
            EXPECT_EQ(caretInText(), "The |First ");
        },
        { u"Backspacing" });

    // A click elsewhere ends the burst: the next keys are a step of their own.
    clickBefore(textNode(u"Heading"), 7);
    type(u"s");
    EXPECT_EQ(toUTF8(element(u"H1")->textContent()), "Headings");
    auto* undo = view->undoManager();
    EXPECT_EQ(undo->undoActionName(), u"Typing");
    undo->undo();
    drain();
    EXPECT_EQ(toUTF8(element(u"H1")->textContent()), "Heading");
    EXPECT_EQ(undo->undoActionName(), u"Backspacing");
    undo->undo();
    undo->undo();
    drain();
    EXPECT_EQ(toUTF8(element(u"P")->textContent()), "First paragraph of text.");
    EXPECT_EQ(textNode(u"First "), first);
}

TEST_F(EditingEndToEnd, TextTypedIntoABareBodyGetsAParagraph)
{
    open("editing/empty-body.html");
    auto placeholder = VornickContentEditingViewTestPeer::of(*view).bodyPlaceholderTextNode;
    ASSERT_TRUE(placeholder);
    // A double click selects the placeholder, which the typing replaces.
    auto& webView = view->embeddedWebView();
    auto lines = webView->lineBoxRects(*placeholder);
    ASSERT_FALSE(lines.empty());
    events.click(window, webView->convertPointToView(Point { lines[0].midX(), lines[0].midY() }, nullptr), 0, 2);
    drain();
    checkUndoableStep(
        *view, [&] { type(u"Hello"); },
        [&] {
            auto paragraph = element(u"P");
            ASSERT_TRUE(paragraph);
            EXPECT_EQ(paragraph->parentNode(), body());
            std::string text = toUTF8(paragraph->textContent());
            EXPECT_EQ(text.substr(text.size() - 5), "Hello");
            EXPECT_EQ(text.find('*'), std::string::npos);
            EXPECT_EQ(caretInText().substr(caretInText().size() - 6), "Hello|");
        });
}

TEST_F(EditingEndToEnd, AnImageChosenInTheOpenPanelGoesWhereTheCaretIs)
{
    open("editing/page.html");
    auto text = textNode(u" of text.");
    ASSERT_TRUE(text);
    clickBefore(text, 3);
    size_t imagesBefore = document()->getElementsByTagName(u"IMG")->length();

    checkUndoableStep(
        *view,
        [&] {
            press(u'i', ModifierFlag::Command | ModifierFlag::Option);
            ASSERT_EQ(requests.size(), 1u);
            EXPECT_EQ(requests[0].allowedFileTypes, std::vector<std::u16string> { u"public.image" });
            EXPECT_EQ(requests[0].documentWindow.lock(), window);
            // Nothing is inserted while the panel is up.
            EXPECT_EQ(document()->getElementsByTagName(u"IMG")->length(), imagesBefore);
            answerOpenPanel(url("picture.png"));
            drain();
        },
        [&] {
            auto image = element(u"IMG");
            ASSERT_TRUE(image);
            EXPECT_EQ(image->getAttribute(u"src"), u"picture.png");
            EXPECT_EQ(image->parentNode(), element(u"P"));
            EXPECT_EQ(document()->getElementsByTagName(u"IMG")->length(), imagesBefore + 1);
            // The attribute editor opened on the new image.
            EXPECT_TRUE(editorShown());
            EXPECT_EQ(editorTarget(), image);
        },
        { u"Insert Image" });
}

TEST_F(EditingEndToEnd, TheAttributeEditorOpensFromTheKeyboardAndFollowsItsElement)
{
    open("editing/page.html");
    auto emphasis = element(u"EM");
    ASSERT_TRUE(emphasis);
    clickBefore(emphasis->firstChild(), 2);
    press(u'e', ModifierFlag::Command | ModifierFlag::Option);
    ASSERT_TRUE(editorShown());
    EXPECT_EQ(editorTarget(), emphasis);
    auto popover = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->popover();
    auto boundsOfEmphasis = [&] { return view->vornick_bestGuessBoundsOfRange(*vornick_outerRange(*emphasis)); };
    EXPECT_EQ(popover->positioningRect(), boundsOfEmphasis());

    // Text typed before the element moves it along its line. (A click in
    // the page would close the editor: the caret is put there directly.)
    auto before = document()->createRange();
    before->setStart(textNode(u"First "), 0);
    view->setTargetRange(before);
    drain();
    ASSERT_TRUE(popover->isShown());
    type(u"The very ");
    Rect moved = boundsOfEmphasis();
    ASSERT_NE(moved, popover->positioningRect());

    // With the keyboard focus in the editor, Command-Option-] shows the
    // section handles and the editor moves to where its element now stands.
    // (The editor's own fields are not built here: a text field stands in.)
    ASSERT_TRUE(popover->window());
    auto field = std::make_shared<TextField>(Rect(10, 10, 200, 22));
    field->setEditable(true);
    popover->contentView()->addSubview(field);
    ASSERT_TRUE(window->makeFirstResponder(field));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::relatedUIHasFocus(*view));
    bool handlesShown = view->sectionHandlesShown();
    events.send(events.keyDown(window, u"]", EventSynthesizer::keyCodeForCharacter(u']'), ModifierFlag::Command | ModifierFlag::Option));
    drain();
    EXPECT_NE(view->sectionHandlesShown(), handlesShown);
    EXPECT_EQ(popover->positioningRect(), boundsOfEmphasis());
    EXPECT_EQ(editorTarget(), emphasis);
    // Command-Option-U shows or hides the source loupe from there too.
    ASSERT_TRUE(view->sourceLoupe());
    bool loupeShown = view->sourceLoupe()->isShown();
    events.send(events.keyDown(window, u"u", EventSynthesizer::keyCodeForCharacter(u'u'), ModifierFlag::Command | ModifierFlag::Option));
    drain();
    EXPECT_NE(view->sourceLoupe()->isShown(), loupeShown);
}

} // namespace
} // namespace brevanton::testing
