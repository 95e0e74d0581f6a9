#include "editing/VornickAttachmentPoint.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <random>

using namespace brevanton;

namespace {

using Parameters = VornickAttachmentPointSelectorParameters;

std::optional<Parameters> parse(std::u16string selector)
{
    return VornickAttachmentPointLocator(u"any", std::move(selector)).attributeParameters();
}

std::u16string build(const Parameters& parameters)
{
    VornickAttachmentPointLocator locator(u"any", u"");
    locator.setAttributeName(parameters.attributeName, parameters.requiredValues, parameters.forbiddenValues);
    return locator.selector();
}

std::shared_ptr<DOMDocument> page(std::string_view body)
{
    return parseHTMLDocument("<!DOCTYPE html><html><head><title>T</title></head><body>" + std::string(body) + "</body></html>");
}

TEST(AttachmentPointSelectors, TheTwoFormsParse)
{
    EXPECT_EQ(parse(u".entry-title"), (Parameters { u"class", { u"entry-title" }, {} }));
    EXPECT_EQ(parse(u"[rel:{tag,!category}]"), (Parameters { u"rel", { u"tag" }, { u"category" } }));
    EXPECT_EQ(parse(u"[rel:{}]"), (Parameters { u"rel", {}, {} }));
    EXPECT_EQ(parse(u"[data-x:{!a,b,!c}]"), (Parameters { u"data-x", { u"b" }, { u"a", u"c" } }));
    // Letters and punctuation of any script; "." and "-" are punctuation.
    EXPECT_EQ(parse(u".caf\u00e9.\u4e2d-\U0001D49C_\u00ab"), (Parameters { u"class", { u"caf\u00e9.\u4e2d-\U0001D49C_\u00ab" }, {} }));
    // Text after the last value is not examined; a list may end in a comma.
    EXPECT_EQ(parse(u"[rel:{tag"), (Parameters { u"rel", { u"tag" }, {} }));
    EXPECT_EQ(parse(u"[rel:{tag,}]"), (Parameters { u"rel", { u"tag" }, {} }));
}

TEST(AttachmentPointSelectors, MalformedSelectorsParseToNothing)
{
    for (const char16_t* selector : { u"", u".", u".entry title", u".a,b", u".a b", u" .a", u".a ", u".a:b", u".a+b", u".a]",
                                      u"entry-title", u"#title", u"[", u"[rel]", u"[rel:{", u"[rel:tag]", u"[:{a}]", u"[r el:{a}]",
                                      u"[rel:{,a}]", u"[rel:{!}]", u"[rel:{ a}]", u"[rel:{a,,b}]", u"[r=l:{a}]",
                                      u"[rel :{a}]", u"[rel:{\"a\"}]" }) {
        EXPECT_FALSE(parse(selector)) << toUTF8(selector);
    }
    // The locators of such selectors find nothing and raise nothing.
    auto document = page("<p class=\"entry title\" rel=\"a\">x</p>");
    for (const char16_t* selector : { u".entry title", u"[rel]", u"" }) {
        VornickAttachmentPointLocator locator(u"title", selector);
        EXPECT_FALSE(locator.locateElementInDocument(*document));
        EXPECT_FALSE(locator.locateSiblingRunInDocument(*document));
    }
}

TEST(AttachmentPointSelectors, BuildingPicksTheShortFormOnlyForOneRequiredClass)
{
    EXPECT_EQ(build({ u"class", { u"entry-title" }, {} }), u".entry-title");
    EXPECT_EQ(build({ u"CLASS", { u"x" }, {} }), u".x");
    EXPECT_EQ(build({ u"class", { u"a", u"b" }, {} }), u"[class:{a,b}]");
    EXPECT_EQ(build({ u"class", { u"a" }, { u"b" } }), u"[class:{a,!b}]");
    EXPECT_EQ(build({ u"rel", { u"tag" }, { u"category" } }), u"[rel:{tag,!category}]");
    EXPECT_EQ(build({ u"rel", {}, { u"a", u"b" } }), u"[rel:{!a,!b}]");
    EXPECT_EQ(build({ u"rel", {}, {} }), u"[rel:{}]");
}

// Seeded random values of the grammar: every selector built from them parses
// back to them; a value or name with any character outside the grammar is
// refused by the checks and never comes back from its built selector.
class RandomSelectors : public ::testing::Test {
protected:
    std::mt19937 random { 20261208 };

    std::u16string pick(const std::vector<std::u16string>& alphabet, size_t minimum, size_t maximum)
    {
        std::u16string text;
        size_t length = std::uniform_int_distribution<size_t>(minimum, maximum)(random);
        for (size_t i = 0; i < length; ++i)
            text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        return text;
    }
    static std::vector<std::u16string> valueAlphabet()
    {
        // ASCII letters, digits and the punctuation the grammar keeps.
        std::vector<std::u16string> alphabet;
        for (char16_t c : std::u16string_view(u"#%&()*-./;?@\\_"))
            alphabet.push_back(std::u16string(1, c));
        for (char16_t c = '0'; c <= 'z'; ++c) {
            if (std::isalnum(static_cast<unsigned char>(c)))
                alphabet.push_back(std::u16string(1, c));
        }
        for (const char16_t* extra : { u"\u00e9", u"\u00df", u"\u4e2d", u"\u0416", u"\u05d0", u"\u0663", u"\u00bd", u"\u0301",
                                       u"\u2014", u"\u00ab", u"\u00bf", u"\u3001", u"\U0001D49C", u"\U00020000" })
            alphabet.push_back(extra);
        return alphabet;
    }
    static std::vector<std::u16string> nameAlphabet()
    {
        // Attribute names also take symbols the values refuse, but no "/".
        auto alphabet = valueAlphabet();
        std::erase(alphabet, u"/");
        for (const char16_t* extra : { u"+", u"$", u"|", u"~", u"^", u"`", u"<", u"\u00a9", u"\u20ac" })
            alphabet.push_back(extra);
        return alphabet;
    }
    // Characters outside both grammars.
    static std::vector<std::u16string> foreignToBoth()
    {
        return { u":", u",", u"!", u"{", u"}", u"[", u"]", u"\"", u"'", u" ", u"\t", u"\n", u"\u00a0", u"\u2003", u"\u200b", u"\u0007" };
    }
    // What an attribute name refuses besides: "/", "=" and ">".
    static std::vector<std::u16string> foreignToNames()
    {
        auto foreign = foreignToBoth();
        foreign.insert(foreign.end(), { u"/", u"=", u">" });
        return foreign;
    }
    // What a value refuses besides: symbols.
    static std::vector<std::u16string> foreignToValues()
    {
        auto foreign = foreignToBoth();
        foreign.insert(foreign.end(), { u"=", u">", u"+", u"$", u"|", u"<", u"\u00a9", u"\u20ac", u"`", u"^", u"~" });
        return foreign;
    }
};

TEST_F(RandomSelectors, GrammarValuesRoundTrip)
{
    auto values = valueAlphabet();
    auto names = nameAlphabet();
    for (int round = 0; round < 2000; ++round) {
        Parameters parameters;
        parameters.attributeName = round % 5 == 0 ? u"class" : pick(names, 1, 12);
        if (parameters.attributeName != u"class" && equalsIgnoringASCIICase(parameters.attributeName, u"class"))
            continue;
        size_t required = std::uniform_int_distribution<size_t>(0, 3)(random);
        size_t forbidden = std::uniform_int_distribution<size_t>(0, 3)(random);
        for (size_t i = 0; i < required; ++i)
            parameters.requiredValues.push_back(pick(values, 1, 10));
        for (size_t i = 0; i < forbidden; ++i)
            parameters.forbiddenValues.push_back(pick(values, 1, 10));
        ASSERT_TRUE(VornickAttachmentPointLocator::isValidSelectorAttributeName(parameters.attributeName)) << toUTF8(parameters.attributeName);
        for (const auto& value : parameters.requiredValues)
            ASSERT_TRUE(VornickAttachmentPointLocator::isValidSelectorValue(value)) << toUTF8(value);
        auto selector = build(parameters);
        auto parsed = parse(selector);
        ASSERT_TRUE(parsed) << toUTF8(selector);
        EXPECT_EQ(*parsed, parameters) << toUTF8(selector);
        // The stored form keeps it too.
        VornickAttachmentPointLocatorSet set({ { u"title", std::make_shared<VornickAttachmentPointLocator>(u"title", selector) } });
        auto restored = VornickAttachmentPointLocatorSet::createWithData(set.data());
        ASSERT_TRUE(restored);
        EXPECT_EQ(restored->locatorsByIdentifier().at(u"title")->selector(), selector);
    }
}

TEST_F(RandomSelectors, AnythingOutsideTheGrammarIsRefused)
{
    auto values = valueAlphabet();
    auto names = nameAlphabet();
    auto badForNames = foreignToNames();
    auto badForValues = foreignToValues();

    EXPECT_FALSE(VornickAttachmentPointLocator::isValidSelectorValue(u""));
    EXPECT_FALSE(VornickAttachmentPointLocator::isValidSelectorAttributeName(u""));
    for (int round = 0; round < 2000; ++round) {
        auto spoil = [&](std::u16string text, const std::vector<std::u16string>& bad) {
            size_t at = std::uniform_int_distribution<size_t>(0, text.size())(random);
            return text.insert(at, bad[std::uniform_int_distribution<size_t>(0, bad.size() - 1)(random)]);
        };
        auto badValue = spoil(pick(values, 0, 6), badForValues);
        auto badName = spoil(pick(names, 0, 6), badForNames);
        EXPECT_FALSE(VornickAttachmentPointLocator::isValidSelectorValue(badValue)) << toUTF8(badValue);
        EXPECT_FALSE(VornickAttachmentPointLocator::isValidSelectorAttributeName(badName)) << toUTF8(badName);

        Parameters withBadValue { pick(names, 1, 6), { pick(values, 1, 4) }, { badValue } };
        if (round % 2)
            std::swap(withBadValue.requiredValues, withBadValue.forbiddenValues);
        auto parsed = parse(build(withBadValue));
        EXPECT_FALSE(parsed && *parsed == withBadValue) << toUTF8(build(withBadValue));
        Parameters withBadClass { u"class", { badValue }, {} };
        parsed = parse(build(withBadClass));
        EXPECT_FALSE(parsed && *parsed == withBadClass) << toUTF8(build(withBadClass));
        Parameters withBadName { badName, { pick(values, 1, 4) }, {} };
        parsed = parse(build(withBadName));
        EXPECT_FALSE(parsed && *parsed == withBadName) << toUTF8(build(withBadName));
    }
}

TEST(AttachmentPointLocating, SingleElementsOnlyByOneExactClass)
{
    auto document = page("<h1 class=\"Entry-Title\">no</h1><h2 class=\"x entry-title\" rel=\"tag category\">yes</h2>"
                         "<h3 class=entry-title>later</h3>");
    auto found = VornickAttachmentPointLocator(u"title", u".entry-title").locateElementInDocument(*document);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->tagName(), u"H2");
    // The long form of one class locates as the short one; every other
    // attribute selector locates no single element.
    EXPECT_EQ(VornickAttachmentPointLocator(u"title", u"[class:{entry-title}]").locateElementInDocument(*document), found);
    EXPECT_FALSE(VornickAttachmentPointLocator(u"tags", u"[rel:{tag,category}]").locateElementInDocument(*document));
    EXPECT_FALSE(VornickAttachmentPointLocator(u"title", u"[class:{entry-title,x}]").locateElementInDocument(*document));
    EXPECT_FALSE(VornickAttachmentPointLocator(u"title", u".missing").locateElementInDocument(*document));
}

TEST(AttachmentPointLocating, SiblingRunsStayUnderTheFirstOnesParent)
{
    auto document = page("<div id=first><a id=a1 rel=\"TAG\">1</a> <span>sep</span> <a id=a2 rel=\"nofollow tag\">2</a>"
                         "<a id=c rel=\"tag category\">c</a></div>"
                         "<div id=second><a id=a3 rel=tag>3</a></div>");
    VornickAttachmentPointLocator tags(u"tags", u"[rel:{tag,!category}]");
    auto run = tags.locateSiblingRunInDocument(*document);
    ASSERT_TRUE(run);
    auto first = document->getElementById(u"first");
    EXPECT_EQ(run->startContainer().get(), first.get());
    EXPECT_EQ(run->startOffset(), document->getElementById(u"a1")->index());
    EXPECT_EQ(run->endContainer().get(), first.get());
    EXPECT_EQ(run->endOffset(), document->getElementById(u"a2")->index() + 1);

    // Both words, in any case; only the one link holds them.
    auto categories = VornickAttachmentPointLocator(u"categories", u"[rel:{tag,category}]").locateSiblingRunInDocument(*document);
    ASSERT_TRUE(categories);
    EXPECT_EQ(toUTF8(categories->toString()), "c");
    EXPECT_FALSE(VornickAttachmentPointLocator(u"x", u"[rel:{none}]").locateSiblingRunInDocument(*document));
    // A class selector finds a run of one.
    EXPECT_TRUE(VornickAttachmentPointLocator(u"x", u".missing").locateSiblingRunInDocument(*document) == nullptr);
}

TEST(AttachmentPointLocatorSets, PropertyListsAndDataKeepWhatIsStored)
{
    VornickAttachmentPointLocatorSet empty;
    EXPECT_TRUE(empty.propertyList().isDictionary());
    EXPECT_TRUE(empty.propertyList().dictionary().empty());
    auto restoredEmpty = VornickAttachmentPointLocatorSet::createWithData(empty.data());
    ASSERT_TRUE(restoredEmpty);
    EXPECT_FALSE(restoredEmpty->identifier());
    EXPECT_TRUE(restoredEmpty->locatorsByIdentifier().empty());

    VornickAttachmentPointLocatorSet set({ { u"title", std::make_shared<VornickAttachmentPointLocator>(u"title", u".t") },
                                           { u"tags", std::make_shared<VornickAttachmentPointLocator>(u"tags", u"[rel:{tag}]") },
                                           { u"date", std::make_shared<VornickAttachmentPointLocator>(u"date", u"") } });
    set.setIdentifier(u"twentytwentythree");
    auto propertyList = set.propertyList();
    EXPECT_EQ(propertyList[u"themeIdentifier"].stringValue(), u"twentytwentythree");
    EXPECT_EQ(propertyList[u"attachmentPoints"][u"tags"].stringValue(), u"[rel:{tag}]");

    Error error;
    auto json = readJSON(set.data(), &error);
    ASSERT_TRUE(json);
    EXPECT_EQ(json->dictionary().size(), 2u);
    auto restored = VornickAttachmentPointLocatorSet::createWithData(set.data());
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->identifier(), std::optional<std::u16string>(u"twentytwentythree"));
    ASSERT_EQ(restored->locatorsByIdentifier().size(), 3u);
    for (const auto& entry : restored->locatorsByIdentifier()) {
        EXPECT_EQ(entry.second->identifier(), entry.first);
        EXPECT_EQ(entry.second->selector(), set.locatorsByIdentifier().at(entry.first)->selector());
    }
}

TEST(AttachmentPointLocatorSets, OnlyTheStoredShapeIsRead)
{
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithPropertyList(Value(u"x")));
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithPropertyList(Value(Array {})));
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithPropertyList(Value(Dictionary { { u"themeIdentifier", Value(3) } })));
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithPropertyList(Value(Dictionary { { u"attachmentPoints", Value(u"x") } })));
    // Entries that are not strings are skipped; the rest is kept.
    auto set = VornickAttachmentPointLocatorSet::createWithPropertyList(Value(Dictionary {
        { u"attachmentPoints", Value(Dictionary { { u"title", Value(u".t") }, { u"body", Value(7) }, { u"date", Value(Array {}) } }) },
        { u"other", Value(true) } }));
    ASSERT_TRUE(set);
    EXPECT_FALSE(set->identifier());
    ASSERT_EQ(set->locatorsByIdentifier().size(), 1u);
    EXPECT_EQ(set->locatorsByIdentifier().at(u"title")->selector(), u".t");

    auto bytes = [](std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); };
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithData(bytes("")));
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithData(bytes("{\"attachmentPoints\":")));
    EXPECT_FALSE(VornickAttachmentPointLocatorSet::createWithData(bytes("[1,2]")));
    auto fromJSON = VornickAttachmentPointLocatorSet::createWithData(bytes("{\"attachmentPoints\":{\"title\":\".x\"}}"));
    ASSERT_TRUE(fromJSON);
    EXPECT_EQ(fromJSON->locatorsByIdentifier().at(u"title")->selector(), u".x");
}

TEST(AttachmentPointLocators, DescriptionsNameIdentifierAndSelector)
{
    VornickAttachmentPointLocator locator(u"title", u".entry-title");
    auto text = toUTF8(locator.description());
    EXPECT_EQ(text.rfind("VornickAttachmentPointLocator(0x", 0), 0u) << text;
    EXPECT_NE(text.find(") {title,.entry-title}"), std::string::npos) << text;
    // A copy is a new locator with the same strings.
    VornickAttachmentPointLocator copy = locator;
    EXPECT_EQ(copy.identifier(), u"title");
    EXPECT_EQ(copy.selector(), u".entry-title");
    EXPECT_NE(toUTF8(copy.description()), text);
}

} // namespace
