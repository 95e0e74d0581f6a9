// Tidy's repaired copy of a broken page against the page as the parser
// builds it: repairs that lose nothing pass, and each kind of loss real
// pages showed is caught, on pages repaired by a real tidy.
#include "html/VornickRepairedCopyCheck.h"

#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace vornick_repaired_copy_check_tests {
namespace {

std::shared_ptr<DOMDocument> parse(std::string_view markup, DocumentTextSyntax syntax = DocumentTextSyntax::HTML)
{
    return DOMDocument::parseDecoded(decodeDocumentText(markup, syntax), syntax);
}

std::optional<std::string> loss(std::string_view original, std::string_view repaired)
{
    return VornickRepairedCopyLoss(*parse(original), *parse(repaired));
}

std::string page(std::string_view body, std::string_view doctype = "<!DOCTYPE html>")
{
    return std::string(doctype) + "<html><head><meta charset=\"utf-8\"><title>t</title></head><body>" + std::string(body) + "</body></html>";
}

} // namespace

TEST(RepairedCopyCheck, RepairsThatOnlyCloseReindentOrSpellOutWhatTheParserImpliesPass)
{
    // Unclosed cells and paragraphs, written out in full with a tbody and
    // broken into indented lines.
    EXPECT_EQ(loss(page("<table><tr><td>Tea<td>2.10</table><p>Coffee<p>Cake"),
                   page("\n<table>\n<tbody>\n  <tr>\n    <td>Tea</td>\n    <td>2.10</td>\n  </tr>\n</tbody>\n</table>\n"
                        "<p>Coffee</p>\n<p>Cake</p>\n")),
              std::nullopt);
    // Attribute order and quoting are the copy's own.
    EXPECT_EQ(loss(page("<p class=a id=b>x"), page("<p id=\"b\" class=\"a\">x</p>")), std::nullopt);
    // Stray end tags both drop.
    EXPECT_EQ(loss(page("<p>a</b> b</p>"), page("<p>a b</p>")), std::nullopt);
    // Lines of flowing text broken elsewhere, runs of white space shortened,
    // white space at the edges of blocks and between them dropped.
    EXPECT_EQ(loss(page("<p>one\ntwo <b>three</b>\n   four</p>\n\n<ul><li> a <li>b\n</ul>"),
                   page("\n<p>one two <b>three</b> four</p>\n<ul>\n<li>a</li>\n<li>b</li>\n</ul>\n")),
              std::nullopt);
}

TEST(RepairedCopyCheck, WhiteSpaceThatIsTextAndElementsThatMoveAreLosses)
{
    struct Case {
        const char* original;
        const char* repaired;
        const char* named;
    };
    const Case cases[] {
        // A space moved across an inline boundary.
        { "<p><b>one <i>two</b> three</i></p>", "<p><b>one <i>two</i></b> <i>three</i></p>", "the text" },
        // Spaces taken from, or added to, inline content.
        { "<p>a <b>b</b> c</p>", "<p>a<b>b</b>c</p>", "the text" },
        { "<p><span>a</span><span>b</span></p>", "<p><span>a</span> <span>b</span></p>", "the text" },
        // Raw text given a newline at each end.
        { "<style>p { color: navy }</style><p>x", "<style>\np { color: navy }\n</style><p>x", "the text" },
        { "<p>x<script>go()</script>", "<p>x<script>\ngo()\n</script>", "the text" },
        { "<pre>a\n  b</pre>", "<pre>a\nb</pre>", "the text" },
        // A form moved out of its span: the same elements in the same order.
        { "<span class=nav><form action=go><input name=q></form></span>", "<span class=nav></span><form action=go><input name=q></form>",
          "element 7 (<FORM action=\"go\">) moves from element 6 (<SPAN class=\"nav\">) into element 5 (<BODY>)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.original);
        auto found = loss(page(c.original), page(c.repaired));
        ASSERT_TRUE(found);
        EXPECT_NE(found->find(c.named), std::string::npos) << *found;
    }
}

TEST(RepairedCopyCheck, NamesTheFirstLossOfDoctypeElementsAttributesOrText)
{
    auto strict = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">";
    auto transitional = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">";
    auto dropped = loss(page("<p>x", strict), page("<p>x</p>", ""));
    ASSERT_TRUE(dropped);
    EXPECT_NE(dropped->find("XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"> becomes none"), std::string::npos) << *dropped;
    EXPECT_TRUE(loss(page("<p>x", transitional), page("<p>x", strict)));
    // A DOCTYPE the file did not have changes how the page renders.
    EXPECT_TRUE(loss(page("<p>x", ""), page("<p>x")));

    auto lost = loss(page("<a href=x><em><a href=y>x</a></em></a>"), page("<a href=x><em></em></a><a href=y>x</a>"));
    ASSERT_TRUE(lost);
    EXPECT_NE(lost->find("(<EM>) becomes <A href=\"y\">"), std::string::npos) << *lost;
    auto inserted = loss(page("<pre><code>a</code></pre><p>b"), page("<pre><code>a</code></pre><p><code>b</code>"));
    ASSERT_TRUE(inserted);
    EXPECT_NE(inserted->find("<CODE> is inserted after the last element"), std::string::npos) << *inserted;
    auto attribute = loss(page("<p>a</p><body id=main onload=\"go()\"><p>b"), page("<p>a</p><p>b"));
    ASSERT_TRUE(attribute);
    EXPECT_NE(attribute->find("(<BODY id=\"main\" onload=\"go()\">) becomes <BODY>"), std::string::npos) << *attribute;
    EXPECT_TRUE(loss(page("<img src=a.png alt=\"\">"), page("<img src=a.png alt=\"a\">")));

    // Text: a style sheet given CDATA markers, a word moved, whitespace
    // inside preformatted text.
    auto style = loss("<!DOCTYPE html><html><head><style>p { color: navy }</style></head><body>x</body></html>",
                      "<!DOCTYPE html><html><head><style>\n/*<![CDATA[*/\np { color: navy }\n/*]]>*/\n</style></head><body>x</body></html>");
    ASSERT_TRUE(style);
    EXPECT_NE(style->find("the text \"|||p { color: navy }|||x||\" becomes \"|||\n/*<![CDATA[*/\np { color: navy }"), std::string::npos)
        << *style;
    EXPECT_TRUE(loss(page("<p>one two</p>"), page("<p>two one</p>")));
    EXPECT_TRUE(loss(page("<pre>a  b</pre>"), page("<pre>a b</pre>")));
    EXPECT_TRUE(loss(page("<textarea>a\n\nb</textarea>"), page("<textarea>a\nb</textarea>")));
    EXPECT_FALSE(loss(page("<pre>\na  b</pre>"), page("<pre>a  b</pre>"))) << "the parser drops a newline that opens a pre";
    EXPECT_TRUE(loss(page("<p>x<!-- note -->"), page("<p>x</p>")));
}

TEST(RepairedCopyCheck, PagesTidyRepairsAreCheckedAsTheyParse)
{
    VornickTidyFilter::setTidyExecutablePath(std::nullopt);
    if (VornickTidyFilter::tidyExecutablePath().empty())
        GTEST_SKIP() << "tidy is not installed";
    auto folder = *createTemporaryDirectory("repaired-copy-check");
    // Each page of the corpus and the start of what its repair loses.
    const std::pair<const char*, const char*> pages[] = {
        { "repair-doctype-dropped.html", "the document type <!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\"" },
        { "repair-doctype-changed.html", "the document type <!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\"> becomes <!DOCTYPE html>" },
        { "repair-anchor-in-emphasis-in-anchor.html", "(<EM>) becomes <A href=\"inner.html\">" },
        { "repair-nested-strong.html", "(<STRONG>) is lost" },
        { "repair-pre-code-split.html", "(<PRE>) becomes <CODE>" },
        { "repair-block-in-span.html", "<SPAN class=\"card\"> is inserted" },
        { "repair-definition-outside-list.html", "(<DD>) becomes <DL>" },
        { "repair-input-outside-form.html", "becomes <!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"" },
        { "repair-second-body.html", "(<BODY class=\"page\" id=\"main\" onload=\"start()\">) becomes <BODY class=\"page\">" },
        { "repair-style-sheet-cdata.html", "becomes \"|||||Styled||\n/*<![CDATA[*/\np { color: n" },
        { "repair-unclosed-cells.html", nullptr },
    };
    for (auto [name, expected] : pages) {
        SCOPED_TRACE(name);
        std::string path = std::string(BREVANTON_TEST_DATA_DIR) + "/save-roundtrip/" + name;
        std::string copy = folder + "/" + name;
        std::vector<VornickValidationAdvisory> advisories;
        Error error;
        ASSERT_TRUE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(URL::fileURLWithPath(path), URL::fileURLWithPath(copy),
                                                                          nullptr, &advisories, &error))
            << error;
        EXPECT_TRUE(std::any_of(advisories.begin(), advisories.end(), [](auto& advisory) { return advisory.isStructuralIssue(); }))
            << "tidy finds nothing to repair";
        auto found = VornickRepairedCopyLoss(decodeDocumentText(*readFile(path), DocumentTextSyntax::HTML), DocumentTextSyntax::HTML, copy);
        if (!expected) {
            EXPECT_EQ(found, std::nullopt);
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_NE(found->find(expected), std::string::npos) << *found;
    }

    // XML that does not parse has no tree to lose; a copy that cannot be
    // read or parsed loses everything.
    auto xml = DocumentTextSyntax::XML;
    std::string broken = folder + "/broken.xhtml";
    ASSERT_TRUE(writeFileAtomically(broken, "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>x</body></html>"));
    EXPECT_EQ(VornickRepairedCopyLoss(decodeDocumentText("<html><body><p>x</body></html>", xml), xml, broken), std::nullopt);
    auto wellFormed = decodeDocumentText("<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>x</p></body></html>", xml);
    EXPECT_TRUE(VornickRepairedCopyLoss(wellFormed, xml, broken));
    EXPECT_TRUE(VornickRepairedCopyLoss(wellFormed, xml, folder + "/missing.xhtml"));
    EXPECT_TRUE(removeItem(folder));
}

} // namespace vornick_repaired_copy_check_tests
