// Spelling while typing and the document's text encoding in the editor
// window, as a user meets them: real Qt key events, the menu bar's items,
// the picture the window paints and the file on disk.
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "dom/VornickDocumentEncoding.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Menu.h"
#include "platform/views/WordListSpellChecker.h"

#include <cmath>

using namespace brevanton;

namespace {

class EditorWindowTextSettings : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        EditorWindowSession::SetUp();
        SpellChecker::setSharedSpellChecker(std::make_shared<WordListSpellChecker>(
            std::vector<std::u16string> { u"Hello", u"world", u"is", u"round", u"Caf\u00E9", u"cr\u00E8me" }));
    }
    void TearDown() override
    {
        UserDefaults::standard().removeObjectForKey(u"WebContinuousSpellCheckingEnabled");
        UserDefaults::standard().removeObjectForKey(u"WebAutomaticSpellingCorrectionEnabled");
        SpellChecker::setSharedSpellChecker(nullptr);
        EditorWindowSession::TearDown();
    }

    std::shared_ptr<Menu> submenu(std::initializer_list<const char16_t*> path) const
    {
        auto menu = shell->mainMenu();
        for (auto* title : path)
            menu = menu->itemWithTitle(title)->submenu();
        return menu;
    }
    // Validates the menu and chooses the item, as a click on it does.
    bool choose(const std::shared_ptr<Menu>& menu, const std::shared_ptr<MenuItem>& item)
    {
        menu->update();
        if (!item->isEnabled())
            return false;
        bool performed = menu->performActionForItemAtIndex(menu->indexOfItem(item.get()));
        settle();
        return performed;
    }
    // The red dots painted under the box (in the window's coordinates) of
    // the text of `node` from `start` to `end`.
    size_t marksUnder(const std::shared_ptr<DOMNode>& node, unsigned start, unsigned end)
    {
        auto range = document()->createRange();
        range->setStart(node, start);
        range->setEnd(node, end);
        Rect word = webView()->convertRectToView(webView()->firstRectForDOMRange(*range), nullptr);
        widget()->repaint();
        size_t marks = 0;
        for (auto& command : widget()->lastPaintedCommands()) {
            if (command.kind != DrawCommand::Kind::FillRect || command.color.space() != Color::Space::SRGB
                || command.color.redComponent() < 0.8 || command.color.greenComponent() > 0.3)
                continue;
            Rect mark = command.rectInWindow;
            if (mark.minX() >= word.minX() - 1 && mark.maxX() <= word.maxX() + 1 && std::abs(mark.midY() - word.midY()) < word.height())
                ++marks;
        }
        return marks;
    }
    std::shared_ptr<DOMNode> firstParagraphText() const { return document()->getElementsByTagName(u"P")->item(0)->firstChild(); }
};

TEST_F(EditorWindowTextSettings, CheckingWhileTypingMarksTheMisspeltWordTypedAndTheItemTurnsItOffAtOnce)
{
    openPage("notes.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Notes</title></head>\n"
                           "<body><p>Hello world</p></body></html>\n");
    clickInto(*firstParagraphText());
    press(Qt::Key_End);
    auto spelling = submenu({ u"Edit", u"Spelling" });
    auto whileTyping = spelling->itemWithTitle(u"Check Spelling While Typing");
    ASSERT_TRUE(whileTyping);
    spelling->update();
    EXPECT_EQ(whileTyping->state(), OffState);
    ASSERT_TRUE(choose(spelling, whileTyping));
    EXPECT_TRUE(UserDefaults::standard().boolForKey(u"WebContinuousSpellCheckingEnabled")) << "kept in the user's defaults";
    spelling->update();
    EXPECT_EQ(whileTyping->state(), OnState);

    QTest::keyClicks(widget(), " is rond");
    settle();
    auto text = firstParagraphText();
    ASSERT_EQ(text->textContent(), u"Hello world is rond");
    EXPECT_EQ(marksUnder(text, 15, 19), 0u) << "not while the caret ends the word being typed";
    QTest::keyClicks(widget(), ".");
    settle();
    text = firstParagraphText();
    EXPECT_GT(marksUnder(text, 15, 19), 2u) << "the misspelt word has its mark";
    EXPECT_EQ(marksUnder(text, 0, 14), 0u) << "the words spelt right have none";

    ASSERT_TRUE(choose(spelling, whileTyping));
    EXPECT_FALSE(UserDefaults::standard().boolForKey(u"WebContinuousSpellCheckingEnabled"));
    EXPECT_EQ(marksUnder(firstParagraphText(), 15, 19), 0u) << "turned off, the marks go at once";
}

TEST_F(EditorWindowTextSettings, CorrectingAutomaticallyReplacesTheMisspeltWordOnceTypingEndsItAsOneUndoStep)
{
    openPage("notes.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Notes</title></head>\n"
                           "<body><p>Hello</p></body></html>\n");
    auto spelling = submenu({ u"Edit", u"Spelling" });
    auto correct = spelling->itemWithTitle(u"Correct Spelling Automatically");
    ASSERT_TRUE(correct);
    clickInto(*firstParagraphText());
    press(Qt::Key_End);
    QTest::keyClicks(widget(), " wrld.");
    settle();
    EXPECT_EQ(firstParagraphText()->textContent(), u"Hello wrld.") << "off, nothing is corrected";

    ASSERT_TRUE(choose(spelling, correct));
    EXPECT_TRUE(UserDefaults::standard().boolForKey(u"WebAutomaticSpellingCorrectionEnabled"));
    QTest::keyClicks(widget(), " is rond");
    settle();
    EXPECT_EQ(firstParagraphText()->textContent(), u"Hello wrld. is rond") << "a word the caret still ends is left";
    QTest::keyClicks(widget(), ".");
    settle();
    EXPECT_EQ(firstParagraphText()->textContent(), u"Hello wrld. is round.") << "only the word just ended is corrected";
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(firstParagraphText()->textContent(), u"Hello wrld. is rond.") << "Undo takes the correction back";
}

TEST_F(EditorWindowTextSettings, ChoosingATextEncodingSwitchesTheDocumentAndTheSaveWritesInIt)
{
    std::string original = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Menu</title></head>\n"
                           "<body><p>Caf\xC3\xA9 cr\xC3\xA8me \xCE\xA9</p></body></html>\n";
    openPage("menu.html", original);
    clickInto(*firstParagraphText());
    std::string path = m_folder + "/menu.html";
    auto encodings = submenu({ u"View", u"Text Encoding" });
    encodings->update();
    std::shared_ptr<MenuItem> checked;
    std::shared_ptr<MenuItem> latin;
    std::shared_ptr<MenuItem> utf8;
    for (auto& item : encodings->items()) {
        if (item->isSeparatorItem())
            continue;
        EXPECT_TRUE(vornick_canDeclareStringEncoding(static_cast<VornickStringEncoding>(item->tag()))) << toUTF8(item->title());
        if (item->state() == OnState) {
            EXPECT_FALSE(checked) << "one item is checked";
            checked = item;
        }
        if (item->tag() == static_cast<long>(VornickISOLatin1StringEncoding))
            latin = item;
        if (item->tag() == static_cast<long>(VornickUTF8StringEncoding))
            utf8 = item;
    }
    ASSERT_TRUE(latin && utf8);
    EXPECT_EQ(checked, utf8) << "the document's own encoding";
    EXPECT_FALSE(utf8->isEnabled()) << "choosing it would change nothing";

    ASSERT_TRUE(choose(encodings, latin));
    EXPECT_TRUE(editor->window()->isDocumentEdited());
    encodings->update();
    EXPECT_EQ(latin->state(), OnState);
    EXPECT_EQ(utf8->state(), OffState);

    // Saved in ISO 8859-1, declared so, the omega it cannot hold as a
    // reference; a second save writes the same bytes.
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(editor->window()->isDocumentEdited());
    auto saved = readFile(path).value_or("");
    EXPECT_NE(saved.find("Caf\xE9 cr\xE8me"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Caf\xC3\xA9"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\xCE\xA9"), std::string::npos) << saved;
    EXPECT_NE(saved.find("charset=\"iso-8859-1\""), std::string::npos) << saved;
    EXPECT_EQ(saved.find("utf-8"), std::string::npos) << saved;
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFile(path).value_or(""), saved);

    // Undo brings UTF-8 back, as declared and as written.
    press(Qt::Key_Z, Qt::ControlModifier);
    encodings->update();
    EXPECT_EQ(utf8->state(), OnState);
    press(Qt::Key_S, Qt::ControlModifier);
    auto back = readFile(path).value_or("");
    EXPECT_NE(back.find("Caf\xC3\xA9 cr\xC3\xA8me"), std::string::npos) << back;
    EXPECT_NE(back.find("charset=\"utf-8\""), std::string::npos) << back;

    // Redo, save, and the file opens again with its text intact.
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_S, Qt::ControlModifier);
    editor->window()->close();
    editor.reset();
    settle();
    open("menu.html");
    EXPECT_EQ(firstParagraphText()->textContent(), u"Caf\u00E9 cr\u00E8me \u03A9");
}

} // namespace
