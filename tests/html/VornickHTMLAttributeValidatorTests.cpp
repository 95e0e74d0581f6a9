#include "html/VornickHTMLAttributeValidators.h"

#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace brevanton {
namespace {

struct Result {
    VornickAttributeValidationOutcome outcome { VornickAttributeValidationOutcome::NoResult };
    std::u16string message;
    int calls { 0 };
};

Result run(VornickHTMLAttributeValidator& validator, std::u16string_view value, std::u16string_view name = u"attr",
           const DOMElement* element = nullptr, const VornickHTMLElementSpec* spec = nullptr)
{
    Result result;
    validator.validateValueString(value, name, element, spec, [&](VornickAttributeValidationOutcome outcome, const std::u16string& message) {
        result.outcome = outcome;
        result.message = message;
        ++result.calls;
    });
    EXPECT_EQ(result.calls, 1);
    return result;
}

template<typename T>
VornickAttributeValidationOutcome outcome(std::u16string_view value, std::u16string_view name = u"attr")
{
    T validator;
    return run(validator, value, name).outcome;
}

constexpr auto Valid = VornickAttributeValidationOutcome::Valid;
constexpr auto Warning = VornickAttributeValidationOutcome::Warning;
constexpr auto Invalid = VornickAttributeValidationOutcome::Invalid;

TEST(VornickHTMLAttributeValidatorSelection, ValueKindsOfTheSpecificationSelectValidators)
{
    auto html5 = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5);
    auto strict = VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML401Strict);
    ASSERT_TRUE(html5 && strict);
    auto div = html5->elementSpecForTagName(u"div");
    auto strictDiv = strict->elementSpecForTagName(u"div");

    auto validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(u"data-x", *div);
    EXPECT_EQ(run(*validator, u"anything").outcome, Valid);
    validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(u"data-", *div);
    auto result = run(*validator, u"", u"data-", nullptr, div.get());
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"Unknown attribute. <div> elements don't have a \"data-\" attribute, according to the spec.");
    validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(u"data-x", *strictDiv);
    EXPECT_EQ(run(*validator, u"", u"data-x", nullptr, strictDiv.get()).outcome, Warning);

    // Global attributes are found through every element.
    validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(u"role", *div);
    EXPECT_EQ(run(*validator, u"navigation").outcome, Valid);
    validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(u"aria-sort", *div);
    EXPECT_EQ(run(*validator, u"sideways").outcome, Invalid);
    validator = VornickHTMLAttributeValidator::attributeValidatorForAttributeName(u"HIDDEN", *div);
    EXPECT_EQ(run(*validator, u"hidden", u"hidden").outcome, Valid);

    // Every value kind used by the resource files has a validator.
    for (auto type : VornickEveryHTMLDocumentType) {
        auto spec = VornickHTMLSpec::htmlSpecForDocumentType(type);
        for (auto& attribute : spec->globalAttributeSpecs())
            EXPECT_TRUE(VornickHTMLAttributeValidator::validatorClassForValueKind(attribute->valueKind())) << toUTF8(attribute->valueKind());
        for (auto& element : spec->allElementSpecs()) {
            for (auto& attribute : element->allowedAttributeSpecs())
                EXPECT_TRUE(VornickHTMLAttributeValidator::validatorClassForValueKind(attribute->valueKind()))
                    << toUTF8(element->tagName()) << " " << toUTF8(attribute->name()) << " " << toUTF8(attribute->valueKind());
        }
    }
    EXPECT_FALSE(VornickHTMLAttributeValidator::validatorClassForValueKind(u"nonsense"));

    VornickHTMLAttributeValidator base;
    EXPECT_EQ(run(base, u"x").message, u"VornickHTMLAttributeValidator base class implementation invoked.");
}

TEST(VornickHTMLAttributeValidators, NumbersBooleansAndNames)
{
    EXPECT_EQ(outcome<VornickIntegerHTMLAttributeValidator>(u" 42"), Valid);
    EXPECT_EQ(outcome<VornickIntegerHTMLAttributeValidator>(u"-7"), Valid);
    EXPECT_EQ(outcome<VornickIntegerHTMLAttributeValidator>(u"42px"), Invalid);
    EXPECT_EQ(outcome<VornickIntegerHTMLAttributeValidator>(u""), Invalid);
    EXPECT_EQ(outcome<VornickIntegerHTMLAttributeValidator>(u"+"), Invalid);
    EXPECT_EQ(outcome<VornickNonNegativeIntegerHTMLAttributeValidator>(u"+0"), Valid);
    EXPECT_EQ(outcome<VornickNonNegativeIntegerHTMLAttributeValidator>(u"-1"), Invalid);
    EXPECT_EQ(outcome<VornickNonNegativeNonZeroIntegerHTMLAttributeValidator>(u"+0"), Invalid);
    EXPECT_EQ(outcome<VornickNonNegativeNonZeroIntegerHTMLAttributeValidator>(u"3"), Valid);
    EXPECT_EQ(outcome<VornickNumberHTMLAttributeValidator>(u"6.7e-4"), Valid);
    EXPECT_EQ(outcome<VornickNumberHTMLAttributeValidator>(u"-2"), Valid);
    EXPECT_EQ(outcome<VornickNumberHTMLAttributeValidator>(u".5"), Valid);
    EXPECT_EQ(outcome<VornickNumberHTMLAttributeValidator>(u"1e"), Invalid);
    EXPECT_EQ(outcome<VornickNumberHTMLAttributeValidator>(u"abc"), Invalid);
    EXPECT_EQ(outcome<VornickNonNegativeFloatingPointHTMLAttributeValidator>(u"3.14"), Valid);
    EXPECT_EQ(outcome<VornickNonNegativeFloatingPointHTMLAttributeValidator>(u"-0.1"), Invalid);

    EXPECT_EQ(outcome<VornickBooleanHTMLAttributeValidator>(u"", u"checked"), Valid);
    EXPECT_EQ(outcome<VornickBooleanHTMLAttributeValidator>(u"CHECKED", u"checked"), Valid);
    EXPECT_EQ(outcome<VornickBooleanHTMLAttributeValidator>(u"true", u"checked"), Invalid);

    EXPECT_EQ(outcome<VornickOrderedListTypeHTMLAttributeValidator>(u"I"), Valid);
    EXPECT_EQ(outcome<VornickOrderedListTypeHTMLAttributeValidator>(u"b"), Invalid);
    EXPECT_EQ(outcome<VornickBrowsingContextNameHTMLAttributeValidator>(u"_top"), Invalid);
    EXPECT_EQ(outcome<VornickBrowsingContextNameOrKeywordHTMLAttributeValidator>(u"_TOP"), Valid);
    EXPECT_EQ(outcome<VornickBrowsingContextNameOrKeywordHTMLAttributeValidator>(u"frame1"), Valid);
    EXPECT_EQ(outcome<VornickBrowsingContextNameOrKeywordHTMLAttributeValidator>(u"_new"), Invalid);
    EXPECT_EQ(outcome<VornickUnvalidatedHTMLAttributeValidator>(u"x"), VornickAttributeValidationOutcome::NoResult);
}

TEST(VornickHTMLAttributeValidators, EnumeratedValuesAndTokenLists)
{
    VornickGetOrPostHTMLAttributeValidator method;
    EXPECT_EQ(run(method, u"POST").outcome, Valid);
    EXPECT_EQ(run(method, u"").outcome, Valid);
    auto result = run(method, u"put");
    EXPECT_EQ(result.outcome, Invalid);
    EXPECT_EQ(result.message, u"Value must be one of: (empty string), get, post");
    VornickDirHTMLAttributeValidator dir;
    EXPECT_EQ(run(dir, u"").message, u"Value must be one of: ltr, rtl, auto");

    VornickIFrameSandboxHTMLAttributeValidator sandbox;
    // A run of spaces separates two tokens: no empty token is reported.
    EXPECT_EQ(run(sandbox, u"allow-forms  allow-scripts").outcome, Valid);
    EXPECT_EQ(run(sandbox, u"  allow-forms\t\n").outcome, Valid);
    result = run(sandbox, u"allow-forms allow-magic ALLOW-FORMS");
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"Some tokens not allowed by the spec: allow-magic. The allowed tokens are: allow-forms, "
                              u"allow-pointer-lock, allow-popups, allow-same-origin, allow-scripts, allow-top-navigation.  "
                              u"Some token(s) appeared more than once: allow-forms.");
    result = run(sandbox, u"   ");
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"An empty list of space-separated tokens is valid, but probably not what you intended?");

    VornickIdReferenceListHTMLAttributeValidator idList;
    result = run(idList, u"a A");
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"Some token(s) appeared more than once: a.");
    EXPECT_EQ(run(idList, u"a  b").outcome, Valid);
    EXPECT_EQ(outcome<VornickARIARoleHTMLAttributeValidator>(u"button"), Valid);
    EXPECT_EQ(outcome<VornickARIARoleHTMLAttributeValidator>(u"buton"), Warning);
    EXPECT_EQ(outcome<VornickSpaceSeparatedTokensHTMLAttributeValidator>(u" "), Warning);
    EXPECT_EQ(outcome<VornickSpaceSeparatedTokensHTMLAttributeValidator>(u"a  b"), Valid);
}

TEST(VornickHTMLAttributeValidators, LanguageTagsAndMIMETypes)
{
    for (auto tag : { u"en", u"en-US", u"zh-Hant-TW", u"de-CH-1901", u"x-private", u"i-klingon", u"sl-rozaj-biske",
                      u"zh-yue-HK", u"es-419", u"en-a-bbb-x-a-ccc", u"qaa-Qaaa-QM-x-southern",
                      // languages whose code begins with x, and tags in any case
                      u"xh", u"xh-ZA", u"xog", u"I-KLINGON", u"X-Private" })
        EXPECT_EQ(outcome<VornickBCP47LanguageTagHTMLAttributeValidator>(tag), Valid) << toUTF8(tag);
    for (auto tag : { u"en-", u"toolongtag", u"", u"e", u"en--US", u"en-a", u"en-x", u"1en", u"i-bogus", u"x", u"x-", u"xh-", u"xhosalanguage" })
        EXPECT_EQ(outcome<VornickBCP47LanguageTagHTMLAttributeValidator>(tag), Warning) << toUTF8(tag);

    EXPECT_EQ(outcome<VornickMIMETypeHTMLAttributeValidator>(u"text/html"), Valid);
    EXPECT_EQ(outcome<VornickMIMETypeHTMLAttributeValidator>(u"image/png"), Valid);
    EXPECT_EQ(outcome<VornickMIMETypeHTMLAttributeValidator>(u"text/html; charset=utf-8"), Invalid);
    EXPECT_EQ(outcome<VornickMIMETypeHTMLAttributeValidator>(u"text"), Invalid);
    EXPECT_EQ(outcome<VornickMIMETypeHTMLAttributeValidator>(u"/html"), Invalid);
    VornickMIMETypeHTMLAttributeValidator mime;
    auto result = run(mime, u"application/x-brevanton-nothing");
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"application/x-brevanton-nothing appears to be a well-formed MIME Type, but it is not one that OS X knows about.");
}

TEST(VornickHTMLAttributeValidators, IdsAndReferencesLookIntoTheDocument)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<p id=\"one\">a</p><p id=\"two\">b</p><p id=\"two\">c</p><datalist id=\"colours\"></datalist><input id=\"field\">"));
    ASSERT_TRUE(document);
    auto first = document->getElementById(u"one");
    ASSERT_TRUE(first);

    VornickIdHTMLAttributeValidator id;
    EXPECT_EQ(run(id, u"one", u"id", first.get()).outcome, Valid);
    auto result = run(id, u"two", u"id", first.get());
    EXPECT_EQ(result.outcome, Invalid);
    EXPECT_EQ(result.message, u"2 other elements have the same 'id'.");
    EXPECT_EQ(run(id, u"field", u"id", first.get()).message, u"1 other element has the same 'id'.");
    EXPECT_EQ(run(id, u"a b", u"id", first.get()).message, u"id must not contain any spaces.");
    EXPECT_EQ(run(id, u"", u"id", first.get()).outcome, Warning);

    VornickIdReferenceHTMLAttributeValidator reference;
    EXPECT_EQ(run(reference, u"one", u"for", first.get()).outcome, Valid);
    EXPECT_EQ(run(reference, u"two", u"for", first.get()).message, u"Document contains 2 elements with the given 'id'!");
    EXPECT_EQ(run(reference, u"three", u"for", first.get()).outcome, Warning);

    VornickDatalistElementIdHTMLAttributeValidator datalist;
    EXPECT_EQ(run(datalist, u"colours", u"list", first.get()).outcome, Valid);
    result = run(datalist, u"one", u"list", first.get());
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"No <datalist> element with id=\"one\" found in document.");
}

TEST(VornickHTMLAttributeValidators, URLsOfLocalFilesMustExist)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("brevanton-url-validator-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "present.png") << "x";
    auto documentURL = URL::fileURLWithPath((folder / "page.html").string(), false);
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<img id=\"i\">"), documentURL.absoluteString());
    auto image = document->getElementById(u"i");
    ASSERT_TRUE(image);

    VornickURLHTMLAttributeValidator url;
    EXPECT_EQ(run(url, u" present.png ", u"src", image.get()).outcome, Valid);
    auto result = run(url, u"absent.png", u"src", image.get());
    EXPECT_EQ(result.outcome, Warning);
    EXPECT_EQ(result.message, u"The specified file doesn't exist.");
    EXPECT_EQ(run(url, u"https://example.org/a.png", u"src", image.get()).outcome, Valid);
    EXPECT_EQ(run(url, u"", u"src", image.get()).message, u"Value must be a URL.");
    EXPECT_EQ(run(url, u"a b<c>", u"src", image.get()).outcome, Invalid);
    fs::remove_all(folder);
}

} // namespace
} // namespace brevanton
