// Regeneration by splicing: after random edits of real pages, the source,
// its colours, map and line index equal what writing the whole document
// gives. The edits are mostly of text (the spliced case), with structural
// changes, comments and whitespace-only text among them (written whole).
// The seed is printed on failure; BREVANTON_SPLICE_SEED sets it.
#include "EditingTestSupport.h"

#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Color.h"
#include "toolkit/VornickLineIndex.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <cstdlib>
#include <random>

namespace brevanton::testing {
namespace {

std::vector<std::shared_ptr<DOMNode>> nodesOfType(DOMNode& root, uint16_t type)
{
    std::vector<std::shared_ptr<DOMNode>> nodes;
    std::vector<DOMNode*> stack { &root };
    while (!stack.empty()) {
        DOMNode* node = stack.back();
        stack.pop_back();
        if (node->nodeType() == type)
            nodes.push_back(node->shared_from_this());
        for (DOMNode* child = node->last(); child; child = child->previous())
            stack.push_back(child);
    }
    return nodes;
}

// The first difference between two coloured sources, or "" when equal.
std::string differenceBetween(const AttributedString& spliced, const AttributedString& written)
{
    const auto& a = spliced.string();
    const auto& b = written.string();
    if (a != b) {
        size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at])
            ++at;
        size_t from = at > 40 ? at - 40 : 0;
        return "text differs at " + std::to_string(at) + ": spliced \"" + toUTF8(a.substr(from, 80)) + "\" written \""
            + toUTF8(b.substr(from, 80)) + "\"";
    }
    if (spliced.runs().size() != written.runs().size())
        return "run counts differ: " + std::to_string(spliced.runs().size()) + " and " + std::to_string(written.runs().size());
    for (size_t i = 0; i < spliced.runs().size(); ++i) {
        const auto& x = spliced.runs()[i];
        const auto& y = written.runs()[i];
        std::string where = "run " + std::to_string(i) + " at " + std::to_string(y.location);
        if (x.location != y.location || x.length != y.length)
            return where + ": places differ";
        if (x.attributes->size() != y.attributes->size())
            return where + ": attribute counts differ";
        auto* xColor = std::any_cast<Color>(&x.attributes->at(ForegroundColorAttributeName));
        auto* yColor = std::any_cast<Color>(&y.attributes->at(ForegroundColorAttributeName));
        if (!xColor || !yColor || !(*xColor == *yColor))
            return where + ": colours differ";
        auto* xRange = std::any_cast<VornickRange>(&x.attributes->at(VornickContiguousTextRangeAttributeName));
        auto* yRange = std::any_cast<VornickRange>(&y.attributes->at(VornickContiguousTextRangeAttributeName));
        if (!xRange || !yRange || !(*xRange == *yRange))
            return where + ": contiguous text ranges differ";
    }
    return "";
}

class SourceSplicingTest : public EditingViewTest {
protected:
    // A page of tests/data, copied beside the editing pages.
    void loadPage(const std::string& relativePath)
    {
        std::string name = std::filesystem::path(relativePath).filename().string();
        std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/" + relativePath, path(name),
                                   std::filesystem::copy_options::overwrite_existing);
        load(name);
        frame = view->mainFrame();
    }

    // A small page written here, with the line breaks given.
    void loadInlinePage(const std::string& name, std::string text, const std::string& lineBreak)
    {
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + lineBreak.size())) {
            text.replace(at, 1, lineBreak);
        }
        ASSERT_TRUE(writeFileAtomically(path(name), text));
        load(name);
        frame = view->mainFrame();
    }

    // Some rules of the frame's formatting preferences turned the other way,
    // in the one object the frame and the preferences popover share (no
    // change of the document).
    void flipFormattingRules(std::mt19937& random)
    {
        if (!vornick_HTMLFormattingPreferences(*frame))
            vornick_storeHTMLFormattingPreferencesOfLoadedDocument(
                *frame, std::make_shared<VornickHTMLFormattingPreferences>(vornick_effectiveHTMLFormattingPreferences(*frame)->mutableCopy()));
        auto& preferences = *vornick_HTMLFormattingPreferences(*frame);
        using P = VornickHTMLFormattingPreferences;
        const std::pair<bool (P::*)() const, void (P::*)(bool)> rules[] = {
            { &P::putCommentsOnNewLine, &P::setPutCommentsOnNewLine },
            { &P::newLineAfterBR, &P::setNewLineAfterBR },
            { &P::indentAfterBR, &P::setIndentAfterBR },
            { &P::useNativeSpecialCharacters, &P::setUseNativeSpecialCharacters },
            { &P::useNamedCharacterReferences, &P::setUseNamedCharacterReferences },
            { &P::useDecimalCharacterReferences, &P::setUseDecimalCharacterReferences },
            { &P::dontEscapeGreaterThanCharacter, &P::setDontEscapeGreaterThanCharacter },
            { &P::putBlockElementTagsOnNewLine, &P::setPutBlockElementTagsOnNewLine },
            { &P::useTabs, &P::setUseTabs },
        };
        for (auto [get, set] : rules) {
            if (random() % 2)
                (preferences.*set)(!(preferences.*get)());
        }
    }

    // Regenerates; `reference` becomes the frame's writer as the
    // regeneration found it (a writer takes its line breaks from the source
    // before).
    void regenerate()
    {
        reference = view->htmlWriterForWebFrame(*frame);
        view->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
        VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    }

    // What the frame shows against writing the whole document; "" when equal.
    std::string compareWithWholeWrite()
    {
        auto source = vornick_lastGeneratedHTMLAttributedString(*frame);
        auto map = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame);
        auto lineIndex = vornick_lineIndexForLastGeneratedHTMLString(*frame);
        if (!source || !map)
            return "no source";
        std::shared_ptr<const AttributedString> written;
        std::shared_ptr<const VornickDOMToNSRangeMap> writtenMap;
        reference->writeAttributedStringFromDocument(*document(), false, [&](auto string, auto rangeMap) {
            written = string;
            writtenMap = rangeMap;
        });
        if (auto difference = differenceBetween(*source, *written); !difference.empty())
            return difference;
        if (map->description() != writtenMap->description())
            return "maps differ";
        auto indexed = VornickLineIndex::createByIndexingString(written->string(), 1, 1, 8);
        if (!lineIndex || !indexed)
            return lineIndex || indexed ? "one line index is missing" : "";
        if (lineIndex->string() != written->string())
            return "the line index indexes another text";
        if (lineIndex->startOffsetsByLine() != indexed->startOffsetsByLine())
            return "line starts differ";
        if (lineIndex->newlineConvention() != indexed->newlineConvention())
            return "line index conventions differ";
        return "";
    }

    std::shared_ptr<WebFrame> frame;
    std::shared_ptr<VornickHTMLWriter> reference;
};

std::u16string randomText(std::mt19937& random, char16_t substitute)
{
    static const std::u16string pieces[] = {
        u"a", u"Word", u"x y", u" ", u"  ", u"\n", u"\t", u"&", u"&amp;", u"<", u">", u"\"", u"'", u"\u00A0", u"\u00E9", u"\u20AC",
        u"\U0001F600", u"]]>", u"--", u"\r", u"\u0001",
    };
    std::u16string text;
    size_t count = 1 + random() % 3;
    for (size_t i = 0; i < count; ++i) {
        if (substitute && random() % 12 == 0)
            text += substitute;
        else
            text += pieces[random() % std::size(pieces)];
    }
    return text;
}

// One text edit as typing and the editing operations make them.
void editText(DOMCharacterData& text, std::mt19937& random, char16_t substitute)
{
    unsigned length = text.length();
    // The start often: a line break there matters in preformatted text.
    unsigned offset = length && random() % 4 ? random() % (length + 1) : 0;
    switch (random() % 6) {
    case 0:
    case 1:
        (void)text.insertData(offset, randomText(random, substitute));
        break;
    case 2:
        if (length)
            (void)text.deleteData(offset == length ? offset - 1 : offset, 1 + random() % 3);
        break;
    case 3:
        text.appendData(randomText(random, substitute));
        break;
    case 4:
        (void)text.replaceData(offset, random() % 4, randomText(random, substitute));
        break;
    default:
        text.setData(u"Typed " + randomText(random, substitute) + u" text");
        break;
    }
}

// Changes the document at random; mostly the data of a text or two.
void editAtRandom(DOMDocument& document, std::mt19937& random, char16_t substitute)
{
    auto texts = nodesOfType(document, DOMNode::TEXT_NODE);
    auto pick = [&](const std::vector<std::shared_ptr<DOMNode>>& nodes) { return nodes[random() % nodes.size()]; };
    unsigned roll = random() % 100;
    if (texts.empty() || roll >= 94) {
        // A new text node in an element.
        auto elements = nodesOfType(document, DOMNode::ELEMENT_NODE);
        if (!elements.empty())
            pick(elements)->appendChild(document.createTextNode(u"new " + randomText(random, substitute)));
        return;
    }
    auto& text = downcast<DOMCharacterData>(*pick(texts));
    if (roll < 70) {
        unsigned count = 1 + (roll % 5 == 0 ? random() % 3 : 0);
        for (unsigned i = 0; i < count; ++i)
            editText(downcast<DOMCharacterData>(*pick(texts)), random, substitute);
    } else if (roll < 76) {
        // Typing runs: a character at a time into one text.
        for (unsigned i = 0; i < 5; ++i)
            text.appendData(random() % 4 ? u"k" : u" ");
    } else if (roll < 80) {
        text.setData(roll % 2 ? u" " : u"");
    } else if (roll < 83) {
        text.setData(text.data());
    } else if (roll < 86) {
        if (text.length() > 1)
            (void)downcast<DOMText>(text).splitText(1 + random() % (text.length() - 1));
    } else if (roll < 89) {
        if (auto parent = text.parentNode())
            parent->removeChild(text.shared_from_this());
    } else if (roll < 92) {
        auto comments = nodesOfType(document, DOMNode::COMMENT_NODE);
        if (!comments.empty())
            downcast<DOMCharacterData>(*pick(comments)).appendData(u" c");
    } else {
        if (auto parent = text.parentElement())
            parent->setAttribute(u"title", randomText(random, substitute));
    }
}

unsigned baseSeed()
{
    if (const char* seed = std::getenv("BREVANTON_SPLICE_SEED"))
        return static_cast<unsigned>(std::strtoul(seed, nullptr, 10));
    return 20261207;
}

// Text beside comments, breaks, preformatted and raw text, no-break spaces,
// inline and block neighbours, block comments and character references.
constexpr const char* trickyPage = R"(<!DOCTYPE html>
<html><head><title>Tricky &amp; small</title>
<style>p { color: red; }</style>
<script>var a = "</p>"; // text</script>
</head>
<body>
<p>Text before a comment<!-- a comment -->and after it.</p>
<p>Ends with a space <!--c--> <b>bold</b> <i>it</i>alic<br>after a break<br>
again<br></p>
<pre>
first line of pre
  indented</pre>
<textarea>
area text</textarea>
<p>no&nbsp;break and&nbsp;&nbsp;two &lt;tags&gt; &amp; "quotes"</p>
<div>Block <span>inline</span> tail<div>inner block</div>after inner</div>
<ul><li>one</li> <li>two <!-- note --></li></ul>
<!-- wp:paragraph -->
<p>Block text</p>
<!-- /wp:paragraph -->
<p><code>  code  text </code> and <a href="x.html">a link</a>.</p>
<table><tr><td>cell</td> <td> cell two </td></tr></table>
<p>Last<!--
multi-line comment
-->
</p>
</body></html>
)";

constexpr const char* templatePage = R"(<!DOCTYPE html>
<html><head><title>Templates</title></head>
<body><p>Before the template</p><template><p>templated text</p></template><p>after it</p></body></html>
)";

struct RandomEditCase {
    const char* page;
    const char* inlineText { nullptr };
    const char* lineBreak { "\n" };
    bool flipRules { false };
};

const RandomEditCase randomEditCases[] = {
    { "editing/page.html" }, { "editing/own-base.html" }, { "editing/broken.html" }, { "editing/empty-body.html" },
    { "html-pages/blog-post.html" }, { "html-pages/blog-post.html", nullptr, "\n", true }, { "html-pages/legacy.html" },
    { "html-pages/legacy-windows-1252.html" }, { "html-pages/malformed.html" }, { "html-pages/xhtml-served-as-html.html" },
    { "save-roundtrip/control-references.html" }, { "save-roundtrip/deep-outline.xhtml" },
    { "save-roundtrip/legacy-script.html" }, { "save-roundtrip/plaintext.html" },
    { "save-roundtrip/internal-entity-ampersand.xhtml" }, { "save-roundtrip/utf16le-bom.html" },
    { "save-roundtrip/latin1-standalone.xhtml" }, { "save-roundtrip/us-ascii-label.html" },
    { "tricky.html", trickyPage }, { "tricky-rules.html", trickyPage, "\n", true }, { "tricky-crlf.html", trickyPage, "\r\n" },
    { "tricky-crlf-rules.html", trickyPage, "\r\n", true }, { "tricky-cr.html", trickyPage, "\r", true },
    { "template.html", templatePage },
};

// The pages are dealt to a few shards, which CTest runs side by side.
constexpr unsigned randomEditShards = 4;

class SourceSplicingRandomEditsTest : public SourceSplicingTest, public ::testing::WithParamInterface<unsigned> { };

TEST_P(SourceSplicingRandomEditsTest, RegenerateAsAWholeWriteWould)
{
    constexpr unsigned stepsPerPage = 150;
    size_t steps = 0;
    size_t spliced = 0;
    for (unsigned caseIndex = GetParam(); caseIndex < std::size(randomEditCases); caseIndex += randomEditShards) {
        const RandomEditCase& test = randomEditCases[caseIndex];
        unsigned seed = baseSeed() + caseIndex;
        SCOPED_TRACE(std::string(test.page) + " with seed " + std::to_string(seed)
                     + " (BREVANTON_SPLICE_SEED=" + std::to_string(baseSeed()) + ")");
        std::mt19937 random(seed);
        if (test.inlineText)
            loadInlinePage(test.page, test.inlineText, test.lineBreak);
        else
            loadPage(test.page);
        ASSERT_TRUE(frame && document());
        if (test.flipRules)
            flipFormattingRules(random);
        char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*frame);
        regenerate();
        ASSERT_EQ(compareWithWholeWrite(), "");
        // A source somebody holds is never changed under them.
        std::shared_ptr<const AttributedString> held;
        std::shared_ptr<const VornickDOMToNSRangeMap> heldMap;
        std::u16string heldText;
        std::u16string heldMapDescription;
        for (unsigned step = 0; step < stepsPerPage; ++step) {
            if (step % 20 == 7) {
                held = vornick_lastGeneratedHTMLAttributedString(*frame);
                heldText = held->string();
                heldMap = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame);
                heldMapDescription = heldMap->description();
            }
            if (step % 37 == 36)
                flipFormattingRules(random);
            else
                editAtRandom(*document(), random, substitute);
            regenerate();
            ++steps;
            spliced += VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced;
            ASSERT_EQ(compareWithWholeWrite(), "") << "after step " << step;
            if (held) {
                ASSERT_EQ(held->string(), heldText) << "a held source changed at step " << step;
                ASSERT_EQ(heldMap->description(), heldMapDescription) << "a held map changed at step " << step;
                if (step % 20 == 9) {
                    held.reset();
                    heldMap.reset();
                }
            }
        }
    }
    // Most edits are of text alone: on every shard's pages, well over a third
    // were spliced (pages with much raw or preformatted text splice less).
    EXPECT_GT(spliced * 5, steps * 2) << spliced << " of " << steps << " regenerations were spliced";
}

INSTANTIATE_TEST_SUITE_P(Shards, SourceSplicingRandomEditsTest, ::testing::Range(0u, randomEditShards));

TEST_F(SourceSplicingTest, OnlyTextChangesAreSplicedAndASettingChangeWritesWhole)
{
    load("page.html");
    frame = view->mainFrame();
    auto paragraph = element(u"p");
    ASSERT_TRUE(paragraph);
    auto* text = paragraph->first();
    ASSERT_TRUE(text && text->isTextNode());
    regenerate();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);

    downcast<DOMCharacterData>(text)->appendData(u" more");
    regenerate();
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_EQ(compareWithWholeWrite(), "");

    // An attribute is more than text.
    paragraph->setAttribute(u"class", u"changed");
    regenerate();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_EQ(compareWithWholeWrite(), "");

    // So is another way of writing.
    downcast<DOMCharacterData>(text)->appendData(u"!");
    auto preferences = vornick_effectiveHTMLFormattingPreferences(*frame)->mutableCopy();
    preferences.setUseLowercaseTagNames(!preferences.useLowercaseTagNames());
    vornick_setHTMLFormattingPreferences(*frame, std::make_shared<VornickHTMLFormattingPreferences>(preferences));
    regenerate();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_EQ(compareWithWholeWrite(), "");

    // Text that becomes whitespace only changes the layout around it.
    downcast<DOMCharacterData>(text)->setData(u"  ");
    regenerate();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
    EXPECT_EQ(compareWithWholeWrite(), "");
}

TEST_F(SourceSplicingTest, TypingAndItsUndoThroughTheViewAreSpliced)
{
    load("page.html");
    frame = view->mainFrame();
    auto paragraph = element(u"p");
    ASSERT_TRUE(paragraph && paragraph->first() && paragraph->first()->isTextNode());
    auto text = downcast<DOMCharacterData>(paragraph->first()->shared_from_this());
    regenerate();

    // A word typed a character at a time, as the editing delegate performs it.
    for (char16_t character : std::u16string(u" typed & said")) {
        auto range = document()->createRange();
        range->setStart(text, text->length());
        range->collapse(true);
        ASSERT_TRUE(view->undoableReplaceRangeWithText(true, range, std::u16string(1, character), true));
        reference = view->htmlWriterForWebFrame(*frame);
        VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
        EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).lastRegenerationWasSpliced);
        ASSERT_EQ(compareWithWholeWrite(), "");
    }
    EXPECT_TRUE(text->data().ends_with(u" typed & said"));

    // Undo and redo come back through the same cycle.
    view->endTypingRun();
    ASSERT_TRUE(view->undoManager()->canUndo());
    view->undoManager()->undo();
    reference = view->htmlWriterForWebFrame(*frame);
    VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    EXPECT_FALSE(text->data().ends_with(u"said"));
    EXPECT_EQ(compareWithWholeWrite(), "");
    view->undoManager()->redo();
    reference = view->htmlWriterForWebFrame(*frame);
    VornickContentEditingViewTestPeer::htmlUpdateTimerFired(*view);
    EXPECT_EQ(compareWithWholeWrite(), "");
}

} // namespace
} // namespace brevanton::testing
