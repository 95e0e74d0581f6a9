#include "html/VornickScriptText.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// The script text a parser reads from `written` between the tags, and whether the page after it survived.
std::u16string reparsed(const std::u16string& written, bool& afterSurvived)
{
    auto document = DOMDocument::parseHTML(u"<script>" + written + u"</script><p id=after>after</p>");
    afterSurvived = document->getElementById(u"after") != nullptr;
    auto head = document->head();
    return head && head->firstChild() ? head->firstChild()->textContent() : std::u16string();
}

TEST(VornickScriptText, ParsedScriptsAreKeptAsRead)
{
    for (std::u16string_view text : {
             u"var a = 1 < 2;",
             u"<!-- document.write(\"<script src=x></script>\"); ",
             u"<!--\nif (a) document.write('<script>x()</script>');\n//-->",
             u"var s = '<!-- <scriptx>'; // -->",
             u"<!-- <script> --> </script-ish",
         }) {
        EXPECT_EQ(VornickScriptTextReadingBackAsItself(text), text);
        bool afterSurvived = false;
        EXPECT_EQ(reparsed(std::u16string(text), afterSurvived), text);
        EXPECT_TRUE(afterSurvived);
    }
}

TEST(VornickScriptText, TextThatWouldNotReadBackIsEscaped)
{
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        // An end tag that would end the script early.
        { u"document.write('</script>');", u"document.write('<\\/script>');" },
        { u"x = '</SCRIPT\t';", u"x = '<\\/SCRIPT\t';" },
        { u"<!-- a = '</script >' -->", u"<!-- a = '<\\/script >' -->" },
        // A legacy passage left open would swallow the end tag and the page.
        { u"<!-- document.write('<script>');", u"<!-- document.write('<\\script>');" },
        { u"<!-- '<script>' -- '</script>' '<script>'", u"<!-- '<script>' -- '</script>' '<\\script>'" },
    };
    for (auto [text, expected] : cases) {
        auto written = VornickScriptTextReadingBackAsItself(text);
        EXPECT_EQ(written, expected) << toUTF8(text);
        EXPECT_EQ(VornickScriptDataEndOffset(written + u"</script>"), written.size());
        bool afterSurvived = false;
        EXPECT_EQ(reparsed(written, afterSurvived), written);
        EXPECT_TRUE(afterSurvived) << toUTF8(text);
    }
}

} // namespace
