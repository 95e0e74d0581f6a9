// Copy and paste between the editor window and other programs on the
// offscreen Qt platform: the system clipboard filled as another program
// fills it, Ctrl+C, Ctrl+Shift+C and Ctrl+V pressed in the window, and the
// saved file checked.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/qt/QtPasteboardBridge.h"

#include <QClipboard>
#include <QMimeData>
#include <QTest>

#include <regex>

using namespace brevanton;

namespace {

class EditorWindowClipboard : public brevanton::testing::EditorWindowSession {
protected:
    static constexpr const char* head = "<!DOCTYPE html>\n<html><head><title>c</title></head><body>";
    static constexpr const char* tail = "</body></html>\n";

    // The page's body as saved with Ctrl+S, the writer's line breaks and indents dropped.
    std::string savedBody(const std::string& name)
    {
        press(Qt::Key_S, Qt::ControlModifier);
        auto saved = readFile(m_folder + "/" + name);
        if (!saved)
            return {};
        auto start = saved->find("<body>");
        auto end = saved->find("</body>");
        return std::regex_replace(saved->substr(start + 6, end - start - 6), std::regex("\\s*\n\\s*"), "");
    }
    // Another program's copy: the formats it offers, on the system clipboard.
    static void copiedElsewhere(const char* text, const char* html)
    {
        auto* data = new QMimeData;
        if (text)
            data->setText(QString::fromUtf8(text));
        if (html)
            data->setHtml(QString::fromUtf8(html));
        QGuiApplication::clipboard()->setMimeData(data);
    }
    // What other programs find on the system clipboard once our copy is written out.
    static const QMimeData& clipboardAfterOurCopy()
    {
        installedQtPasteboardBridge()->synchronize();
        return *QGuiApplication::clipboard()->mimeData();
    }
    // The caret in the first line of the element with the id, `rights`
    // characters after its start (-1: at its end).
    void caretIn(const char16_t* id, int rights)
    {
        DOMNode* text = document()->getElementById(id).get();
        while (text && !text->isTextNode())
            text = text->first();
        ASSERT_TRUE(text);
        clickInto(*text);
        press(rights < 0 ? Qt::Key_End : Qt::Key_Home);
        for (int step = 0; step < rights; ++step)
            press(Qt::Key_Right);
    }
};

struct PasteCase {
    const char* name;
    const char* text; // the clipboard's text/plain
    const char* html; // and text/html
    const char* body;
    const char16_t* caretIn;
    int rights;
    int selected; // characters selected with Shift+Right from there
    const char* expected;
};

TEST_F(EditorWindowClipboard, CtrlVInsertsTextAsTextAndParsesOnlyHTML)
{
    const char* paragraph = "<p id=\"p\">ab</p>";
    const char* list = "<div id=\"d\"><p>ab<b>cd</b>ef</p></div>";
    const char* blocks = "<p>pasted</p><ul><li>item</li></ul>";
    const PasteCase cases[] = {
        { "plain text keeps its angle brackets and ampersands", "if a<b and c>d then x&y", nullptr, paragraph, u"p", -1, 0,
          "<p id=\"p\">abif a&lt;b and c&gt;d then x&amp;y</p>" },
        { "text that looks like markup stays text", "<i>not italic</i>", nullptr, paragraph, u"p", 1, 0,
          "<p id=\"p\">a&lt;i&gt;not italic&lt;/i&gt;b</p>" },
        { "HTML is parsed", "bold", "<b>bold</b>", paragraph, u"p", -1, 0, "<p id=\"p\">ab<b>bold</b></p>" },
        { "blocks at the end of a paragraph go after it", "pasted item", blocks, list, u"d", -1, 0,
          "<div id=\"d\"><p>ab<b>cd</b>ef</p><p>pasted</p><ul><li>item</li></ul></div>" },
        { "blocks at the start of a paragraph go before it", "pasted item", blocks, list, u"d", 0, 0,
          "<div id=\"d\"><p>pasted</p><ul><li>item</li></ul><p>ab<b>cd</b>ef</p></div>" },
        { "blocks inside a paragraph split it", "pasted item", blocks, list, u"d", 4, 0,
          "<div id=\"d\"><p>ab<b>c</b></p><p>pasted</p><ul><li>item</li></ul><p><b>d</b>ef</p></div>" },
        { "blocks in an empty paragraph take its place", "pasted item", blocks, "<div id=\"d\"><p>ab</p><p id=\"e\">&nbsp;</p></div>", u"e", 0, 0,
          "<div id=\"d\"><p>ab</p><p>pasted</p><ul><li>item</li></ul></div>" },
        { "inline HTML stays in the paragraph", "x", "<i>x</i>", list, u"d", 4, 0, "<div id=\"d\"><p>ab<b>c<i>x</i>d</b>ef</p></div>" },
        { "blocks over a selection take its place", "pasted item", blocks, list, u"d", 1, 1,
          "<div id=\"d\"><p>a</p><p>pasted</p><ul><li>item</li></ul><p><b>cd</b>ef</p></div>" },
    };
    int number = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string name = "paste-" + std::to_string(++number) + ".html";
        std::string page = std::string(head) + test.body + tail;
        openPage(name, page);
        caretIn(test.caretIn, test.rights);
        copiedElsewhere(test.text, test.html);
        undoManager().removeAllActions();
        auto written = [&] { return toUTF8(editor->editingView()->htmlWriterForWebFrame(*webView()->mainFrame())->htmlStringFromDocument(*document())); };
        std::string before = written();
        for (int step = 0; step < test.selected; ++step)
            press(Qt::Key_Right, Qt::ShiftModifier);
        press(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(toUTF8(undoManager().undoActionName()), "Paste");
        EXPECT_EQ(savedBody(name), test.expected);
        // One Undo gives the page back as it was, byte for byte.
        press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_FALSE(undoManager().canUndo());
        EXPECT_EQ(savedBody(name), test.body) << "after Undo";
        EXPECT_EQ(readFile(m_folder + "/" + name).value_or(""), before) << "after Undo";
    }
}

TEST_F(EditorWindowClipboard, CopyOffersHTMLAndTextWithRealNonBreakingSpacesToOtherPrograms)
{
    openPage("copy.html", std::string(head) + "<p id=\"p\">5&nbsp;km <b>away</b></p><p id=\"q\">to go</p>" + tail);
    caretIn(u"p", 0);
    press(Qt::Key_End, Qt::ShiftModifier);
    press(Qt::Key_C, Qt::ControlModifier);
    const QMimeData& copied = clipboardAfterOurCopy();
    EXPECT_EQ(copied.text().toStdU16String(), u"5\u00A0km away");
    ASSERT_TRUE(copied.hasHtml());
    auto html = toUTF8(copied.html().toStdU16String());
    EXPECT_TRUE(std::regex_search(html, std::regex("5(\u00A0|&nbsp;)km <b>away</b>"))) << html;

    // As HTML source: the markup as text, the non-breaking space as a reference.
    press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData& source = clipboardAfterOurCopy();
    EXPECT_FALSE(source.hasHtml());
    EXPECT_EQ(source.text().trimmed().toStdU16String(), u"5&nbsp;km <b>away</b>");

    // Our own copy pastes back as it was copied.
    press(Qt::Key_C, Qt::ControlModifier);
    caretIn(u"q", -1);
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(savedBody("copy.html"), "<p id=\"p\">5&nbsp;km <b>away</b></p><p id=\"q\">to go5&nbsp;km <b>away</b></p>");
}

} // namespace
