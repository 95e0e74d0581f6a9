#include "html/VornickHTMLPattern.h"
#include "html/VornickHTMLPatternReplacementRule.h"

#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<DOMDocument> documentWithBody(std::u16string_view body)
{
    return DOMDocument::parseHTML(u"<!DOCTYPE html><html><head><title>t</title></head><body>" + std::u16string(body) + u"</body></html>");
}

std::shared_ptr<DOMElement> firstChildElement(const std::shared_ptr<DOMDocument>& document)
{
    return document->body()->firstElementChild();
}

std::u16string bodyHTML(const std::shared_ptr<DOMDocument>& document)
{
    return document->body()->innerHTML();
}

// The pattern's tree written back as nested tag names.
std::u16string shape(const std::vector<std::shared_ptr<VornickHTMLNode>>& nodes)
{
    std::u16string result;
    for (const auto& node : nodes) {
        auto element = std::dynamic_pointer_cast<VornickHTMLElement>(node);
        if (!element)
            continue;
        result += element->description();
        auto children = element->children();
        if (!children.empty())
            result += u"(" + shape(children) + u")";
    }
    return result;
}

TEST(HTMLPattern, ParsesTagNamesIntoATree)
{
    EXPECT_EQ(shape(VornickHTMLPattern(u"<p><img>").nodes()), u"<p>(<img>)");
    EXPECT_EQ(shape(VornickHTMLPattern(u"<figure><blockquote></blockquote><figcaption>").nodes()),
              u"<figure>(<blockquote><figcaption>)");
    EXPECT_EQ(shape(VornickHTMLPattern(u"<figure><table></table><figcaption>").nodes()), u"<figure>(<table><figcaption>)");
    // Text, comments and attributes mean nothing; a stray end tag is ignored.
    EXPECT_EQ(shape(VornickHTMLPattern(u"<div class=\"x\">text<!-- c --><span></b></span></div>").nodes()), u"<div>(<span>)");

    EXPECT_EQ(VornickHTMLPattern(u"<pre><code>").rootElementKind(), u"pre");
    EXPECT_FALSE(VornickHTMLPattern(u"<p></p><p></p>").rootElementKind());
    EXPECT_FALSE(VornickHTMLPattern(u"just text").rootElementKind());
    EXPECT_EQ(VornickHTMLPattern(u"<hr>").description(), u"/<hr>/");

    auto figure = std::dynamic_pointer_cast<VornickHTMLElement>(VornickHTMLPattern(u"<figure><img><figcaption>").nodes().front());
    ASSERT_TRUE(figure);
    EXPECT_EQ(figure->childrenOfClass<VornickHTMLElement>().size(), 1u);
}

TEST(HTMLPattern, MatchesSubtreesByTagNames)
{
    VornickHTMLPattern preCode(u"<pre><code>");
    auto document = documentWithBody(u"<pre>\n  <code>any <b>content</b></code>\n</pre>");
    EXPECT_TRUE(preCode.matchNodeSubtree(*firstChildElement(document)));
    document = documentWithBody(u"<pre>text <code>x</code></pre>");
    EXPECT_FALSE(preCode.matchNodeSubtree(*firstChildElement(document)));
    document = documentWithBody(u"<pre><!-- note --><code>x</code></pre>");
    EXPECT_FALSE(preCode.matchNodeSubtree(*firstChildElement(document)));
    document = documentWithBody(u"<pre></pre>");
    EXPECT_FALSE(preCode.matchNodeSubtree(*firstChildElement(document)));
    // A non-breaking space is content, not blank.
    document = documentWithBody(u"<pre>&nbsp;<code>x</code></pre>");
    EXPECT_FALSE(preCode.matchNodeSubtree(*firstChildElement(document)));

    VornickHTMLPattern blockquote(u"<blockquote>");
    document = documentWithBody(u"<BLOCKQUOTE><p>a</p>b</BLOCKQUOTE>");
    EXPECT_TRUE(blockquote.matchNodeSubtree(*firstChildElement(document)));
    EXPECT_FALSE(blockquote.matchNodeSubtree(*document->body()));

    VornickHTMLPattern paragraphImage(u"<p><img>");
    document = documentWithBody(u"<p> <img src=a> </p>");
    EXPECT_TRUE(paragraphImage.matchNodeSubtree(*firstChildElement(document)));
    document = documentWithBody(u"<p><img src=a><img src=b></p>");
    EXPECT_FALSE(paragraphImage.matchNodeSubtree(*firstChildElement(document)));

    // Several top-level nodes match nothing as a subtree, but do as a node list.
    VornickHTMLPattern pair(u"<p></p><p></p>");
    document = documentWithBody(u"<p>a</p>\n<p>b</p>");
    EXPECT_FALSE(pair.matchNodeSubtree(*firstChildElement(document)));
    EXPECT_TRUE(VornickHTMLPattern::patternNodes(pair.nodes(), *document->body()->childNodes()));
    EXPECT_FALSE(VornickHTMLPattern::patternNodes(preCode.nodes(), *document->body()->childNodes()));
}

TEST(HTMLPatternReplacementRule, ActionsRewriteTheMatchedSubtree)
{
    using Action = VornickHTMLPatternReplacementRuleAction;
    auto document = documentWithBody(u"<table border=\"1\" style=\"x\" class=\"old\"><tbody><tr><td width=\"3\">a</td></tr></tbody></table>");
    auto rule = VornickHTMLPatternReplacementRule::ruleWithPattern(
        VornickHTMLPattern::patternWithHTMLPatternString(u"<table>"),
        { Action::deleteAttributesFromElementsOfKind(u"table", { u"CLASS" }), Action::deleteAttributesFromElementsOfKind(u"td", {}),
          Action::wrapInElement(u"figure", u"wp-block-table"), Action::wrapInBlockDelimiterComments(u"wp:table", std::nullopt) });
    ASSERT_TRUE(rule->matchAndApplyToNodeSubtree(*firstChildElement(document)));
    EXPECT_EQ(bodyHTML(document), u"<!-- wp:table --><figure class=\"wp-block-table\"><table class=\"old\"><tbody><tr><td>a</td></tr>"
                                  u"</tbody></table></figure><!-- /wp:table -->");

    document = documentWithBody(u"<p>x</p><blockquote><p>q</p><cite>c</cite></blockquote><p>y</p>");
    rule = VornickHTMLPatternReplacementRule::ruleWithPattern(
        VornickHTMLPattern::patternWithHTMLPatternString(u"<blockquote>"),
        { Action::addClassToRootElement(u"wp-block-quote"), Action::addClassToRootElement(u"wp-block-quote"),
          Action::deleteElementsOfKind(u"cite"), Action::wrapInBlockDelimiterComments(u"wp:quote", u"{\"a\":1}") });
    ASSERT_TRUE(rule->matchAndApplyToNodeSubtree(*document->body()->children()->item(1)));
    EXPECT_EQ(bodyHTML(document), u"<p>x</p><!-- wp:quote {\"a\":1} --><blockquote class=\"wp-block-quote\"><p>q</p></blockquote>"
                                  u"<!-- /wp:quote --><p>y</p>");

    // Unwrapping the root leaves the range on its former contents, which later actions then wrap.
    document = documentWithBody(u"<p>a</p><p><img src=\"i.png\"></p><p>b</p>");
    rule = VornickHTMLPatternReplacementRule::ruleWithPattern(
        VornickHTMLPattern::patternWithHTMLPatternString(u"<p><img>"),
        { Action::unwrapElementsOfKind(u"p"), Action::wrapInElement(u"figure", u"wp-block-image"),
          Action::wrapInBlockDelimiterComments(u"wp:image", std::nullopt) });
    ASSERT_TRUE(rule->matchAndApplyToNodeSubtree(*document->body()->children()->item(1)));
    EXPECT_EQ(bodyHTML(document), u"<p>a</p><!-- wp:image --><figure class=\"wp-block-image\"><img src=\"i.png\"></figure>"
                                  u"<!-- /wp:image --><p>b</p>");

    // A rule whose pattern does not match changes nothing.
    document = documentWithBody(u"<p>text</p>");
    EXPECT_FALSE(rule->matchAndApplyToNodeSubtree(*firstChildElement(document)));
    EXPECT_EQ(bodyHTML(document), u"<p>text</p>");

    EXPECT_EQ(Action::wrapInBlockDelimiterComments(u"wp:code", std::nullopt)->description(), u"Wrap in <!-- wp:code -->.");
    EXPECT_EQ(Action::wrapInElement(u"figure", u"c")->description(), u"Wrap in <figure class=\"c\">.");
}

TEST(HTMLPatternReplacementRule, TablesApplyTheFirstMatchingRule)
{
    using Action = VornickHTMLPatternReplacementRuleAction;
    VornickHTMLPatternReplacementRuleTable table;
    table.addRule(VornickHTMLPatternReplacementRule::ruleWithPattern(VornickHTMLPattern::patternWithHTMLPatternString(u"<TABLE><caption>"),
                                                                     { Action::addClassToRootElement(u"captioned") }));
    table.addRule(VornickHTMLPatternReplacementRule::ruleWithPattern(VornickHTMLPattern::patternWithHTMLPatternString(u"<table>"),
                                                                     { Action::addClassToRootElement(u"any") }));
    table.addRule(VornickHTMLPatternReplacementRule::ruleWithPattern(VornickHTMLPattern::patternWithHTMLPatternString(u"<table>"),
                                                                     { Action::addClassToRootElement(u"never") }));

    auto document = documentWithBody(u"<table><caption>c</caption></table><table><tr><td>x</td></tr></table><p>p</p>");
    auto tables = document->body()->children();
    EXPECT_TRUE(table.applyFirstMatchingReplacementRuleToElementSubtree(*tables->item(0)));
    EXPECT_EQ(tables->item(0)->getAttribute(u"class"), u"captioned");
    EXPECT_TRUE(table.applyFirstMatchingReplacementRuleToElementSubtree(*tables->item(1)));
    EXPECT_EQ(tables->item(1)->getAttribute(u"class"), u"any");
    EXPECT_FALSE(table.applyFirstMatchingReplacementRuleToElementSubtree(*tables->item(2)));

    // A pattern without one root element cannot be filed.
    auto twoRoots = VornickHTMLPatternReplacementRule::ruleWithPattern(VornickHTMLPattern::patternWithHTMLPatternString(u"<p></p><div>"), {});
    EXPECT_THROW(table.addRule(twoRoots), InternalInconsistencyException);
    auto none = VornickHTMLPatternReplacementRule::ruleWithPattern(VornickHTMLPattern::patternWithHTMLPatternString(u"text"), {});
    try {
        table.addRule(none);
        FAIL();
    } catch (const InternalInconsistencyException& exception) {
        EXPECT_NE(std::string(exception.what()).find("Pattern /text/ did not produce a unique root element"), std::string::npos);
    }
}

} // namespace

TEST(HTMLPatternReplacementRule, RulesTraceTheirMatchesOnlyWhileDebugLoggingIsOn)
{
    using Action = VornickHTMLPatternReplacementRuleAction;
    auto rule = VornickHTMLPatternReplacementRule::ruleWithPattern(VornickHTMLPattern::patternWithHTMLPatternString(u"<table>"),
                                                                   { Action::addClassToRootElement(u"any") });
    auto document = documentWithBody(u"<table><tr><td>x</td></tr></table><p>p</p>");
    auto children = document->body()->children();
    bool wasEnabled = debugLoggingEnabled();

    // Off: applying rules to a paste's elements writes nothing.
    setDebugLoggingEnabled(false);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(rule->matchAndApplyToNodeSubtree(*children->item(0)));
    EXPECT_FALSE(rule->matchAndApplyToNodeSubtree(*children->item(1)));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    // On: each attempt is traced with its pattern.
    setDebugLoggingEnabled(true);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(rule->matchAndApplyToNodeSubtree(*children->item(1)));
    std::string traced = ::testing::internal::GetCapturedStderr();
    setDebugLoggingEnabled(wasEnabled);
    EXPECT_NE(traced.find("Node subtree did not match pattern"), std::string::npos) << traced;
}
