#include "html/VornickHTMLSpec.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace brevanton {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        m_path = fs::temp_directory_path() / ("brevanton-html-spec-" + std::to_string(getpid()) + "-" + std::to_string(s_counter++));
        fs::create_directories(m_path);
    }
    ~TemporaryFolder() { fs::remove_all(m_path); }
    std::string write(const std::string& name, const std::string& contents) const
    {
        auto path = m_path / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path.string();
    }
    const fs::path& path() const { return m_path; }

private:
    static inline int s_counter = 0;
    fs::path m_path;
};

std::shared_ptr<VornickHTMLSpec> specFromJSON(const TemporaryFolder& folder, const std::string& json, Error* error = nullptr)
{
    std::string path = folder.write("spec.brevantonhtmlspec", json);
    return VornickHTMLSpec::createWithContentsOfURL(URL::fileURLWithPath(path, false), error);
}

TEST(VornickHTMLSpecLoading, ASpecificationMadeOnItsOwnStillHasTheElementDescriptions)
{
    // Made for an unknown DOCTYPE, possibly before any shared specification
    // was asked for.
    VornickHTMLSpec unknown;
    EXPECT_FALSE(unknown.briefDescriptionOfElementWithTagName(u"P").empty());
    EXPECT_EQ(unknown.briefDescriptionOfElementWithTagName(u"blink"), u"");
}

TEST(VornickHTMLSpecLoading, EveryDocumentTypeLoadsItsOwnFile)
{
    for (auto type : VornickEveryHTMLDocumentType) {
        auto spec = VornickHTMLSpec::htmlSpecForDocumentType(type);
        ASSERT_TRUE(spec) << toUTF8(VornickHTMLDocumentTypeToPersistableString(type));
        EXPECT_EQ(spec->documentType(), type);
        EXPECT_EQ(spec->persistableDocumentTypeName(), VornickHTMLDocumentTypeToPersistableString(type));
        EXPECT_EQ(spec->publicId(), VornickHTMLDocumentTypePublicId(type));
        EXPECT_EQ(spec->systemId(), VornickHTMLDocumentTypeSystemId(type));
        EXPECT_GT(spec->allElementSpecs().size(), 70u);
        // Every element of the kind table has a specification and a description.
        for (auto& record : VornickElementKindTableForDocumentType(type)) {
            auto element = spec->elementSpecForTagName(record.tagName);
            ASSERT_TRUE(element) << toUTF8(record.tagName) << " in " << toUTF8(spec->persistableDocumentTypeName());
            EXPECT_FALSE(element->briefDescription().empty()) << toUTF8(record.tagName);
        }
        // Names are lower case, so that lower-cased lookups find them.
        for (auto& element : spec->allElementSpecs()) {
            EXPECT_EQ(element->tagName(), asciiLowercase(element->tagName()));
            for (auto& attribute : element->allowedAttributeSpecs())
                EXPECT_EQ(attribute->name(), asciiLowercase(attribute->name()));
            for (auto& required : element->requiredAttributeNamesArray())
                EXPECT_TRUE(element->attributeSpecForAttributeName(required)) << toUTF8(element->tagName()) << " " << toUTF8(required);
        }
        auto templateURL = VornickHTMLSpec::URLForEmptyDocumentTemplateForDocumentType(type);
        ASSERT_TRUE(templateURL);
        std::ifstream stream(*templateURL->fileSystemPath());
        std::string firstLine;
        std::getline(stream, firstLine);
        EXPECT_EQ(toUTF16(firstLine), VornickHTMLDocumentTypeDeclarationForDocumentType(type));
    }
    EXPECT_EQ(VornickHTMLSpec::htmlSpecForPublicId(u"-//w3c//dtd html 4.01//en"),
              VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict));
    EXPECT_EQ(VornickHTMLSpec::htmlSpecForSystemId(u"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd"),
              VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::XHTML11));
    EXPECT_FALSE(VornickHTMLSpec::htmlSpecForPublicId(u"-//nobody//nothing"));
    EXPECT_THROW(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::Unknown), InternalInconsistencyException);
    EXPECT_THROW(VornickHTMLSpec::htmlSpecForDocumentType(static_cast<VornickHTMLDocumentType>(9)), InternalInconsistencyException);
}

TEST(VornickHTMLSpecLoading, AttributeGroupsNestAndCyclesAreRefused)
{
    TemporaryFolder folder;
    auto spec = specFromJSON(folder, R"({"persistableDocumentTypeName": "HTML 4.01 Strict", "publicId": "p", "systemId": "s",
        "attributeGroups": {"attrs": ["core", {"name": "lang", "valueKind": "BCP47LanguageTag"}],
                            "core": [{"name": "id", "valueKind": "id"}, {"name": "class", "valueKind": "spaceSeparatedTokens"}]},
        "elementSpecs": [{"tagName": "p", "allowedAttributes": ["attrs", {"name": "ALIGN", "valueKind": "text"}],
                          "requiredAttributes": ["lang"]}]})");
    ASSERT_TRUE(spec);
    ASSERT_TRUE(spec->attributeSpecsForAttributeGroup(u"ATTRS"));
    EXPECT_EQ(spec->attributeSpecsForAttributeGroup(u"attrs")->size(), 3u);
    auto p = spec->elementSpecForTagName(u"P");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->attributeSpecForAttributeName(u"class")->valueKind(), u"spaceSeparatedTokens");
    EXPECT_TRUE(p->attributeSpecForAttributeName(u"align"));
    EXPECT_TRUE(p->attributeWithNameIsRequiredForThisElement(u"LANG"));
    EXPECT_FALSE(p->attributeWithNameIsRequiredForThisElement(u"id"));

    // Groups that include each other in a circle end the read with a failure.
    EXPECT_FALSE(specFromJSON(folder, R"({"persistableDocumentTypeName": "HTML 5", "publicId": "", "systemId": "",
        "attributeGroups": {"a": ["b"], "b": ["c"], "c": ["a"]}, "elementSpecs": []})"));
    EXPECT_FALSE(specFromJSON(folder, R"({"persistableDocumentTypeName": "HTML 5", "publicId": "", "systemId": "",
        "attributeGroups": {"self": ["self"]}, "elementSpecs": []})"));
    EXPECT_FALSE(specFromJSON(folder, R"({"persistableDocumentTypeName": "HTML 5", "publicId": "", "systemId": "",
        "attributeGroups": {"a": ["missing"]}, "elementSpecs": []})"));
}

TEST(VornickHTMLSpecLoading, BadItemsFailTheWholeFile)
{
    TemporaryFolder folder;
    const std::string head = R"({"persistableDocumentTypeName": "HTML 5", "publicId": "", "systemId": "", )";
    EXPECT_TRUE(specFromJSON(folder, head + R"("elementSpecs": [{"tagName": "p"}]})"));
    EXPECT_FALSE(specFromJSON(folder, head + R"("elementSpecs": [{"tagName": 3}]})"));
    EXPECT_FALSE(specFromJSON(folder, head + R"("elementSpecs": ["p"]})"));
    EXPECT_FALSE(specFromJSON(folder, head + R"("elementSpecs": [{"tagName": "p", "allowedAttributes": ["nogroup"]}]})"));
    EXPECT_FALSE(specFromJSON(folder, head + R"("elementSpecs": [{"tagName": "p", "allowedAttributes": [{"name": "x"}]}]})"));
    EXPECT_FALSE(specFromJSON(folder, head + R"("elementSpecs": [{"tagName": "p", "otherAllowedChildren": "b"}]})"));
    EXPECT_FALSE(specFromJSON(folder, head + R"("globalAttributeSpecs": [{"name": "id"}], "elementSpecs": []})"));
    EXPECT_FALSE(specFromJSON(folder, R"({"persistableDocumentTypeName": "HTML 5", "elementSpecs": []})"));
    Error error;
    EXPECT_FALSE(specFromJSON(folder, "{ not json", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(specFromJSON(folder, "[]"));
}

TEST(VornickHTMLSpecLoading, AFileNamingAnotherDocumentTypeFailsToLoadWithoutAnAssertion)
{
    TemporaryFolder folder;
    folder.write("HTML 5.brevantonhtmlspec",
                 R"({"persistableDocumentTypeName": "XHTML 1.1", "publicId": "", "systemId": "", "elementSpecs": []})");
    Bundle bundle(folder.path().string());
    Error error;
    std::shared_ptr<VornickHTMLSpec> spec;
    EXPECT_NO_THROW(spec = VornickHTMLSpec::loadHTMLSpecForDocumentType(VornickHTMLDocumentType::HTML5, bundle, &error));
    EXPECT_FALSE(spec);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(VornickHTMLSpec::loadHTMLSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict, bundle));
}

TEST(VornickHTMLSpecKinds, TagQuestionsFollowTheKindTables)
{
    auto html5 = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    auto strict = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict);
    auto xhtml11 = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::XHTML11);
    ASSERT_TRUE(html5 && strict && xhtml11);

    // An empty template would be written as <template /> and swallow the
    // rest of the page when read back; col has no content at all.
    EXPECT_TRUE(html5->isUsuallyEmptyElement(u"col"));
    EXPECT_FALSE(html5->isUsuallyEmptyElement(u"template"));
    EXPECT_TRUE(html5->isUsuallyEmptyElement(u"BR"));

    EXPECT_TRUE(html5->isKnownElement(u"DIV"));
    EXPECT_FALSE(html5->isKnownElement(u"blink"));
    EXPECT_TRUE(strict->isKnownElement(u"acronym"));
    EXPECT_FALSE(strict->isKnownElement(u"font"));
    EXPECT_FALSE(xhtml11->isKnownElement(u"u")); // the Strict table
    EXPECT_TRUE(xhtml11->elementSpecForTagName(u"ruby"));

    EXPECT_TRUE(html5->elementIsHeading(u"h3"));
    EXPECT_TRUE(html5->elementIsHeading(u"hgroup"));
    EXPECT_FALSE(html5->elementIsHeading(u"header"));
    EXPECT_TRUE(strict->elementIsHeading(u"H1"));

    EXPECT_TRUE(html5->isUsuallyInlineElement(u"span"));
    EXPECT_TRUE(html5->isUsuallyInlineElement(u"img"));
    EXPECT_FALSE(html5->isUsuallyInlineElement(u"video"));
    EXPECT_FALSE(html5->isUsuallyInlineElement(u"picture"));
    EXPECT_FALSE(html5->isUsuallyInlineElement(u"div"));
    EXPECT_TRUE(strict->isUsuallyInlineElement(u"em"));
    EXPECT_FALSE(strict->isUsuallyInlineElement(u"p"));

    EXPECT_TRUE(html5->elementContentIsUsuallyInline(u"p"));
    EXPECT_TRUE(html5->elementContentIsUsuallyInline(u"td"));
    EXPECT_FALSE(html5->elementContentIsUsuallyInline(u"ul"));
    EXPECT_TRUE(strict->elementContentIsUsuallyInline(u"p"));

    EXPECT_FALSE(html5->elementIsAllowedInBody(u"TITLE"));
    EXPECT_TRUE(html5->elementIsAllowedInBody(u"p"));
    auto& body = html5->bodyElementSpecs();
    EXPECT_TRUE(std::is_sorted(body.begin(), body.end(), [](auto& a, auto& b) { return compareIgnoringCase(a->tagName(), b->tagName()) < 0; }));
    EXPECT_TRUE(std::none_of(body.begin(), body.end(), [](auto& e) { return e->tagName() == u"head"; }));

    EXPECT_TRUE(html5->isKnownCharacterEntityName(u"apos"));
    EXPECT_FALSE(strict->isKnownCharacterEntityName(u"apos"));
    EXPECT_EQ(strict->stringByEscapingSpecialCharactersInString(u"\u00E9", u"", 2), u"&eacute;");
}

TEST(VornickHTMLSpecKinds, KindContainmentUsesContentModelsAndOtherAllowedChildren)
{
    auto html5 = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    auto transitional = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Transitional);
    std::u16string reason;
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"ul", u"li", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"a", u"div", &reason)); // transparent
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"table", u"tbody", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"tr", u"td", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"select", u"option", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"picture", u"source", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"dl", u"div", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"html", u"body", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"details", u"summary", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"details", u"p", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"menu", u"li", &reason));
    EXPECT_TRUE(html5->elementKindMayContainElementKind(u"colgroup", u"col", &reason));

    reason.clear();
    EXPECT_FALSE(html5->elementKindMayContainElementKind(u"table", u"p", &reason));
    EXPECT_EQ(reason, u"<table>'s contentModel is 0x0, but child <p>'s kind is 0x1");
    EXPECT_FALSE(html5->elementKindMayContainElementKind(u"p", u"div", &reason));
    EXPECT_EQ(reason, u"<p>'s contentModel is 0x3, but child <div>'s kind is 0x1");
    EXPECT_FALSE(html5->elementKindMayContainElementKind(u"br", u"span", &reason));
    EXPECT_EQ(reason, u"<br>'s contentModel is EMPTY");
    reason = u"untouched";
    EXPECT_FALSE(html5->elementKindMayContainElementKind(u"p", u"blink", &reason));
    EXPECT_EQ(reason, u"untouched");

    EXPECT_TRUE(transitional->elementKindMayContainElementKind(u"ul", u"li", nullptr));
    EXPECT_TRUE(transitional->elementKindMayContainElementKind(u"div", u"p", nullptr));
    EXPECT_TRUE(transitional->elementKindMayContainElementKind(u"p", u"em", nullptr));
    EXPECT_FALSE(transitional->elementKindMayContainElementKind(u"p", u"div", nullptr));
    EXPECT_TRUE(transitional->elementKindMayContainElementKind(u"fieldset", u"legend", nullptr));
    EXPECT_FALSE(transitional->elementKindMayContainElementKind(u"tr", u"p", nullptr));
}

TEST(VornickHTMLSpecBodyElementGroups, GroupsAndRulesAreRead)
{
    EXPECT_TRUE(VornickHTMLSpec::bodyElementGroups().count(u"Tables"));
    auto* added = VornickHTMLSpec::allowedElementsToAddWhenAddingAllowedElement(u"ul");
    ASSERT_TRUE(added);
    EXPECT_TRUE(added->count(u"li"));
    EXPECT_FALSE(VornickHTMLSpec::allowedElementsToAddWhenAddingAllowedElement(u"UL"));
    auto* removed = VornickHTMLSpec::allowedElementsToRemoveWhenRemovingAllowedElement(u"li");
    ASSERT_TRUE(removed);
    EXPECT_TRUE(removed->count(u"ol"));

    auto root = Value(Dictionary {
        { u"groups", Value(Dictionary { { u"Good", Value(Array { Value(u"p"), Value(3) }) }, { u"Bad", Value(u"p") } }) },
        { u"allowedElementRules", Value(Dictionary { { u"table", Value(Dictionary { { u"whenAddedAdd", Value(Array { Value(u"tr") }) },
                                                                                    { u"whenRemovedRemove", Value(u"tr") } }) },
                                                     { u"junk", Value(3) } }) },
    });
    std::map<std::u16string, VornickTagNameSet> groups, add, remove;
    VornickHTMLSpec::readBodyElementGroups(root, groups, add, remove);
    EXPECT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[u"Good"], VornickTagNameSet { u"p" });
    EXPECT_EQ(add[u"table"], VornickTagNameSet { u"tr" });
    EXPECT_TRUE(remove.empty());
}

} // namespace
} // namespace brevanton
