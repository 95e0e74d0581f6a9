#include "html/VornickHTMLSpec.h"

#include "dom/VornickFreezeDriedDOMRange.h"
#include "html/VornickFragmentSet.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class ContainmentTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_spec = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
        ASSERT_TRUE(m_spec);
        m_document = DOMDocument::parseHTML(std::u16string_view(
            u"<table><tbody><tr id=\"row\"><td id=\"cell\">x</td></tr></tbody></table>"
            u"<p id=\"para\">some <b>bold</b> text</p><ul id=\"list\"><li>one</li></ul><br id=\"break\"><img id=\"image\" src=\"a.png\">"
            u"<div id=\"block\"><p>a</p><p>b</p></div>"));
        ASSERT_TRUE(m_document);
    }

    DOMElement& element(std::u16string_view id) { return *m_document->getElementById(id); }
    const VornickHTMLElementSpec& spec(std::u16string_view tag) { return *m_spec->elementSpecForTagName(tag); }

    static VornickDOMPosition at(const DOMNode& node) { return VornickMakeDOMPosition(const_cast<DOMNode&>(node).shared_from_this(), 0); }

    bool mayInsert(std::u16string_view tag, const DOMNode& node, const VornickFragmentSet* set = nullptr)
    {
        m_reason.clear();
        return m_spec->mayInsertElementWithSpec(spec(tag), at(node), set, &m_reason);
    }

    std::shared_ptr<VornickHTMLSpec> m_spec;
    std::shared_ptr<DOMDocument> m_document;
    std::u16string m_reason;
};

TEST_F(ContainmentTest, InsertingElementsFollowsContentModels)
{
    EXPECT_TRUE(mayInsert(u"li", element(u"list")));
    EXPECT_TRUE(mayInsert(u"td", element(u"row")));
    EXPECT_TRUE(mayInsert(u"em", element(u"para")));
    // Inside a text node the text's parent decides.
    EXPECT_TRUE(mayInsert(u"em", *element(u"para").first()));
    EXPECT_FALSE(mayInsert(u"div", *element(u"para").first()));
    EXPECT_EQ(m_reason, u"A <div> cannot be a child of a <p>.");
    EXPECT_FALSE(mayInsert(u"span", element(u"break")));
    EXPECT_EQ(m_reason, u"A <br> is an empty element, and may not have children.");
    EXPECT_FALSE(mayInsert(u"span", element(u"image")));
    EXPECT_EQ(m_reason, u"An <img> is an empty element, and may not have children.");
    EXPECT_FALSE(mayInsert(u"img", *m_document));
    EXPECT_EQ(m_reason, u"Proposed container is not an element.");
    auto fragment = m_document->createDocumentFragment();
    EXPECT_TRUE(mayInsert(u"td", *fragment));

    auto strict = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict);
    EXPECT_FALSE(m_spec->mayInsertElementWithSpec(*strict->elementSpecForTagName(u"p"), at(element(u"block")), nullptr, &m_reason));
    EXPECT_EQ(m_reason, u"The document's spec (\"HTML 5\") disallows <p> elements.");
}

TEST_F(ContainmentTest, ContainersWithoutAContentModelTakeOnlyTheirListedChildren)
{
    // The bit test alone would let anything into a tr, a table or a tbody.
    EXPECT_FALSE(mayInsert(u"p", element(u"row")));
    EXPECT_EQ(m_reason, u"A <p> cannot be a child of a <tr>.");
    auto& table = *element(u"row").parent()->parent();
    EXPECT_FALSE(mayInsert(u"div", table));
    EXPECT_TRUE(mayInsert(u"caption", table));
    EXPECT_TRUE(mayInsert(u"tr", *element(u"row").parent()));
    EXPECT_FALSE(mayInsert(u"td", *element(u"row").parent()));
    EXPECT_FALSE(mayInsert(u"p", *m_document->documentElement()));
    EXPECT_TRUE(mayInsert(u"body", *m_document->documentElement()));

    // An iframe's model carries only an ignored bit: it names no category
    // either, and the tag-level answer agrees.
    auto iframe = m_document->createElement(u"iframe");
    element(u"block").appendChild(iframe);
    EXPECT_FALSE(mayInsert(u"div", *iframe));
    EXPECT_EQ(m_reason, u"A <div> cannot be a child of an <iframe>.");
    EXPECT_FALSE(m_spec->elementKindMayContainElementKind(u"iframe", u"div", nullptr));
    // Transparent containers still take anything.
    // Scripts and styles hold their source text, and no elements.
    auto source = m_document->createTextNode(u"p { margin: 0 }");
    EXPECT_TRUE(m_spec->elementKindMayContainNode(u"style", *source, &m_reason));
    EXPECT_TRUE(m_spec->elementKindMayContainNode(u"script", *source, &m_reason));
    EXPECT_FALSE(m_spec->elementKindMayContainElementKind(u"style", u"p", nullptr));
    EXPECT_FALSE(m_spec->elementKindMayContainNode(u"tr", *source, &m_reason));
    EXPECT_EQ(m_reason, u"A <tr> may not contain text or comments.");
    auto link = m_document->createElement(u"a");
    element(u"block").appendChild(link);
    EXPECT_TRUE(mayInsert(u"div", *link));
}

TEST_F(ContainmentTest, SnippetSetsRestrictTheBody)
{
    auto set = VornickFragmentSet::createWithTitle(u"Plain");
    set->setAllowedBodyElements(std::set<std::u16string> { u"p" });
    EXPECT_TRUE(mayInsert(u"p", element(u"block"), set.get()));
    EXPECT_FALSE(mayInsert(u"div", element(u"block"), set.get()));
    EXPECT_EQ(m_reason, u"The document's snippet set (\"Plain\") disallows <div> elements.");
}

TEST_F(ContainmentTest, WrappingARangeChecksTheWrapperAndTheWrappedNodes)
{
    auto& paragraph = element(u"para");
    auto range = DOMRange::create(*m_document);
    range->setStart(paragraph.first()->shared_from_this(), 0);
    range->setEnd(paragraph.last()->shared_from_this(), 3);
    EXPECT_TRUE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*range, spec(u"em"), nullptr, &m_reason));
    EXPECT_FALSE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*range, spec(u"ul"), nullptr, &m_reason));
    EXPECT_EQ(m_reason, u"<p>'s contentModel is 0x3, but child <ul>'s kind is 0x1");

    // Two paragraphs may go into a blockquote, not into a span.
    auto& block = element(u"block");
    range->setStart(block.shared_from_this(), 0);
    range->setEnd(block.shared_from_this(), 2);
    EXPECT_TRUE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*range, spec(u"blockquote"), nullptr, &m_reason));
    EXPECT_FALSE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*range, spec(u"span"), nullptr, &m_reason));
    EXPECT_EQ(m_reason, u"<span>'s contentModel is 0x3, but child <p>'s kind is 0x1");

    // Every wrapped node counts, the last one too: text and then a paragraph.
    auto mixed = DOMDocument::parseHTML(std::u16string_view(u"<div id=\"mixed\">intro<p>a</p></div>"));
    auto& mixedBlock = *mixed->getElementById(u"mixed");
    auto mixedRange = DOMRange::create(*mixed);
    mixedRange->setStart(mixedBlock.shared_from_this(), 0);
    mixedRange->setEnd(mixedBlock.shared_from_this(), 2);
    EXPECT_FALSE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*mixedRange, spec(u"span"), nullptr, &m_reason));
    EXPECT_EQ(m_reason, u"<span>'s contentModel is 0x3, but child <p>'s kind is 0x1");
    EXPECT_TRUE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*mixedRange, spec(u"div"), nullptr, &m_reason));

    // Ends in different parents cannot be wrapped.
    range->setStart(paragraph.first()->shared_from_this(), 1);
    range->setEnd(block.first()->first()->shared_from_this(), 1);
    EXPECT_FALSE(m_spec->mayWrapContentsOfRangeInElementWithSpec(*range, spec(u"em"), nullptr, &m_reason));
}

class MarkupSnippet : public VornickFragmentDescription {
public:
    MarkupSnippet(std::u16string markup, VornickFragmentValidationStatus status) : m_markup(std::move(markup)), m_status(status) {}
    std::u16string identifier() const override { return u"snippet"; }
    std::u16string displayName() const override { return u"Snippet"; }
    std::u16string summaryForDisplay() const override { return m_markup; }
    std::shared_ptr<const VornickFragmentValidationResult> validationResultForDocumentType(VornickHTMLDocumentType) const override
    {
        return std::make_shared<VornickFragmentValidationResult>(m_status);
    }
    std::shared_ptr<DOMDocumentFragment> createDescribedFragmentWithValues(const std::map<std::u16string, std::u16string>& values,
                                                                           DOMDocument& document,
                                                                           std::optional<VornickFreezeDriedDOMRange>* interior) const override
    {
        std::u16string markup = m_markup;
        auto at = markup.find(u"{content}");
        if (at != std::u16string::npos)
            markup.replace(at, 9, values.at(u"content"));
        auto fragment = document.createDocumentFragmentWithMarkupString(markup);
        if (interior && fragment) {
            // The content placeholder is the only text of the innermost element.
            DOMNode* node = fragment.get();
            while (node->first() && node->first()->isElementNode())
                node = node->first();
            auto range = DOMRange::create(document);
            range->selectNodeContents(node->shared_from_this());
            *interior = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, fragment, false);
        }
        return fragment;
    }

private:
    std::u16string m_markup;
    VornickFragmentValidationStatus m_status;
};

TEST_F(ContainmentTest, SnippetsAreCheckedByValidityAndByTheirTopLevelNodes)
{
    MarkupSnippet emphasis(u"<em>{content}</em>", VornickFragmentValidationStatus::Valid);
    MarkupSnippet quote(u"<blockquote><p>{content}</p></blockquote>", VornickFragmentValidationStatus::Warnings);
    MarkupSnippet broken(u"<em>{content}</em>", VornickFragmentValidationStatus::Errors);

    EXPECT_TRUE(m_spec->mayInsertDescribedFragment(emphasis, at(element(u"para")), &m_reason));
    EXPECT_FALSE(m_spec->mayInsertDescribedFragment(quote, at(element(u"para")), &m_reason));
    EXPECT_TRUE(m_spec->mayInsertDescribedFragment(quote, at(element(u"block")), &m_reason));
    EXPECT_FALSE(m_spec->mayInsertDescribedFragment(broken, at(element(u"para")), &m_reason));
    EXPECT_EQ(m_reason, u"The snippet (\"Snippet\") is not valid HTML 5");
    auto range = DOMRange::create(*m_document);
    EXPECT_FALSE(m_spec->fragment(broken, *range, nullptr));
    EXPECT_TRUE(m_spec->fragment(quote, *range, nullptr));

    auto& block = element(u"block");
    range->setStart(block.shared_from_this(), 0);
    range->setEnd(block.shared_from_this(), 2);
    EXPECT_TRUE(m_spec->mayReplaceContentsOfRange(*range, quote, &m_reason));
    EXPECT_TRUE(m_spec->mayWrapContentsOfRangeInFragmentDescription(*range, quote, &m_reason) == false);
    MarkupSnippet section(u"<section>{content}</section>", VornickFragmentValidationStatus::Valid);
    EXPECT_TRUE(m_spec->mayWrapContentsOfRangeInFragmentDescription(*range, section, &m_reason));
    EXPECT_FALSE(m_spec->mayWrapContentsOfRangeInFragmentDescription(*range, emphasis, &m_reason));
}

TEST_F(ContainmentTest, ASnippetOfASetWrapsWhatItsContentMayHold)
{
    auto& block = element(u"block");
    auto range = DOMRange::create(*m_document);
    range->setStart(block.shared_from_this(), 0);
    range->setEnd(block.shared_from_this(), 2);
    VornickGeneralFragmentDescription quote(u"quote", u"Quote", u"", u"", u"<blockquote class=\"pull\">\n  {content}\n</blockquote>", u"");
    VornickGeneralFragmentDescription emphasis(u"em", u"Emphasis", u"", u"", u"<p>Note: <em>{content}</em></p>", u"");
    EXPECT_TRUE(m_spec->mayWrapContentsOfRangeInFragmentDescription(*range, quote, &m_reason)) << toUTF8(m_reason);
    EXPECT_FALSE(m_spec->mayWrapContentsOfRangeInFragmentDescription(*range, emphasis, &m_reason));
}

} // namespace
} // namespace brevanton
