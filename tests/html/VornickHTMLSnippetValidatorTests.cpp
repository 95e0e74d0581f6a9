#include "html/VornickHTMLSnippetValidator.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Validation {
    std::shared_ptr<const AttributedString> coloredString;
    VornickFragmentValidationStatus status { VornickFragmentValidationStatus::NoResultYet };
    std::vector<VornickValidationAdvisory> advisories;

    std::vector<std::u16string> messages() const
    {
        std::vector<std::u16string> result;
        for (const auto& advisory : advisories)
            result.push_back(advisory.message());
        return result;
    }
};

Validation validate(std::u16string_view markup, VornickHTMLDocumentType type = VornickHTMLDocumentType::HTML5,
                    std::optional<std::set<std::u16string>> allowed = std::nullopt)
{
    Validation validation;
    VornickHTMLSnippetValidator validator;
    validator.validateAndSyntaxColorHTMLSnippet(markup, type, std::move(allowed), nullptr,
        [&](std::shared_ptr<const AttributedString> string, VornickFragmentValidationStatus status, const std::vector<VornickValidationAdvisory>& advisories) {
            validation.coloredString = std::move(string);
            validation.status = status;
            validation.advisories = advisories;
        });
    return validation;
}

const Color* colorAt(const AttributedString& string, size_t index)
{
    return string.attributeAtIndex<Color>(ForegroundColorAttributeName, index);
}

TEST(HTMLSnippetValidator, StatusFollowsTheWorstAdvisory)
{
    auto valid = validate(u"<p>{content}</p>");
    EXPECT_EQ(valid.status, VornickFragmentValidationStatus::Valid);
    EXPECT_TRUE(valid.advisories.empty());

    auto twice = validate(u"<p>{content}</p><p>{content}</p>");
    EXPECT_EQ(twice.status, VornickFragmentValidationStatus::Errors);
    ASSERT_EQ(twice.messages(), std::vector<std::u16string> { u"{content} must only appear once." });
    EXPECT_EQ(twice.advisories[0].offset(), 19u);
    EXPECT_TRUE(twice.advisories[0].isStructuralIssue());
    EXPECT_EQ(validate(u"{content} {content} {content}").advisories.size(), 2u);
    // Other expressions may repeat.
    EXPECT_EQ(validate(u"<p>{name} {name} {content}</p>").status, VornickFragmentValidationStatus::Valid);

    auto unknown = validate(u"<blink>text");
    EXPECT_EQ(unknown.status, VornickFragmentValidationStatus::Errors);
    auto messages = unknown.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find(u"<blink> is not part of"), std::u16string::npos);
    EXPECT_EQ(messages[1], u"Missing close tag: </blink>");

    auto disallowed = validate(u"<p><b>x</b></p>", VornickHTMLDocumentType::HTML5, std::set<std::u16string> { u"p" });
    EXPECT_EQ(disallowed.status, VornickFragmentValidationStatus::Errors);
    EXPECT_EQ(disallowed.messages(), std::vector<std::u16string> { u"<b> disallowed by snippet set" });
    EXPECT_EQ(validate(u"<p><b>x</b></p>", VornickHTMLDocumentType::HTML5, std::set<std::u16string> { u"p", u"b" }).status,
              VornickFragmentValidationStatus::Valid);

    auto warning = validate(u"<p title<x=\"a\">t</p>");
    EXPECT_EQ(warning.status, VornickFragmentValidationStatus::Warnings) << toUTF8(warning.messages().empty() ? u"" : warning.messages()[0]);
}

TEST(HTMLSnippetValidator, ColoursTokensAndMarksTags)
{
    std::u16string markup = u"<!DOCTYPE html><p class=\"a\">{content}</p><br>";
    auto validation = validate(markup);
    ASSERT_TRUE(validation.coloredString);
    const auto& string = *validation.coloredString;
    ASSERT_EQ(string.string(), markup);

    // Every character but the inside of the DOCTYPE is in a token here; that inside stays light grey.
    size_t doctypeInside = markup.find(u" html>");
    for (size_t index = 0; index < markup.size(); ++index) {
        bool inside = index >= doctypeInside && index < doctypeInside + 5;
        EXPECT_EQ(string.attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, index) != nullptr, !inside) << index;
        if (inside) {
            EXPECT_EQ(*colorAt(string, index), Color::genericGamma22White(2.0 / 3)) << index;
        }
    }
    EXPECT_EQ(*string.attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, 2),
              static_cast<uint32_t>(VornickHTMLScannerTokenDOCTYPE)) << "the keyword is coloured";

    // What no token covers (here, all after the scan stopped at a misplaced end tag) stays light grey.
    std::u16string broken = u"<p>a</b> rest";
    auto stopped = validate(broken);
    EXPECT_EQ(stopped.status, VornickFragmentValidationStatus::Errors);
    size_t rest = broken.find(u"rest");
    ASSERT_TRUE(colorAt(*stopped.coloredString, rest));
    EXPECT_EQ(*colorAt(*stopped.coloredString, rest), Color::genericGamma22White(2.0 / 3));
    EXPECT_FALSE(stopped.coloredString->attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, rest));
    EXPECT_TRUE(stopped.coloredString->attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, 1));

    auto preferences = VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences();
    size_t tagName = markup.find(u"p class");
    ASSERT_TRUE(string.attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, tagName));
    EXPECT_EQ(*string.attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, tagName),
              static_cast<uint32_t>(VornickHTMLScannerTokenElementTagName));
    EXPECT_EQ(*colorAt(string, tagName), *preferences->colorForTokenKind(TK_TAG_NAME));
    size_t expression = markup.find(u"{content}");
    EXPECT_EQ(*string.attributeAtIndex<uint32_t>(VornickScannerTokenKindAttributeName, expression + 3),
              static_cast<uint32_t>(VornickHTMLScannerTokenSnippetExpression));
    EXPECT_FALSE(string.attributeAtIndex<VornickRange>(VornickHTMLTagSpanAttributeName, expression));

    // Start tags, end tags and empty elements' tags carry their own span, over every token inside.
    size_t startTag = markup.find(u"<p");
    size_t startTagEnd = markup.find(u">{") + 1;
    for (size_t index = startTag; index < startTagEnd; ++index) {
        auto span = string.attributeAtIndex<VornickRange>(VornickHTMLTagSpanAttributeName, index);
        ASSERT_TRUE(span) << index;
        EXPECT_EQ(span->location, startTag);
        EXPECT_EQ(span->length, startTagEnd - startTag);
    }
    EXPECT_EQ(*colorAt(string, markup.find(u"class")), *preferences->colorForTokenKind(TK_ATTRIBUTE_NAME));
    auto endTag = string.attributeAtIndex<VornickRange>(VornickHTMLTagSpanAttributeName, markup.find(u"</p>") + 2);
    ASSERT_TRUE(endTag);
    EXPECT_EQ(endTag->location, markup.find(u"</p>"));
    EXPECT_EQ(endTag->length, 4u);
    auto empty = string.attributeAtIndex<VornickRange>(VornickHTMLTagSpanAttributeName, markup.size() - 1);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->location, markup.size() - 4);
    EXPECT_EQ(empty->length, 4u);
}

TEST(HTMLSnippetValidator, BackgroundValidationDeliversOnTheChosenQueue)
{
    auto description = std::make_shared<const VornickGeneralFragmentDescription>(u"id", u"Twice", u"", u"",
                                                                                 u"<div>{content}{content}</div>", u"");
    bool delivered = false;
    bool onMainThread = false;
    std::u16string markup;
    VornickHTMLDocumentType type = VornickHTMLDocumentType::Unknown;
    VornickFragmentValidationStatus status = VornickFragmentValidationStatus::NoResultYet;
    size_t advisoryCount = 0;
    std::shared_ptr<const VornickGeneralFragmentDescription> deliveredDescription;
    VornickHTMLSnippetValidator::beginValidatingAndSyntaxColoringGeneralFragmentDescription(
        description, VornickHTMLDocumentType::XHTML10Strict, std::nullopt, VornickHTMLSyntaxColoringPreferences::fragmentEditorDarkHTMLSyntaxHighlightingPreferences(),
        [&](std::shared_ptr<const VornickGeneralFragmentDescription> d, std::u16string m, VornickHTMLDocumentType t,
            std::shared_ptr<const AttributedString> string, VornickFragmentValidationStatus s, std::vector<VornickValidationAdvisory> advisories) {
            onMainThread = RunLoop::isMainThread();
            deliveredDescription = std::move(d);
            markup = std::move(m);
            type = t;
            status = s;
            advisoryCount = advisories.size();
            EXPECT_EQ(string->string(), markup);
            delivered = true;
        });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delivered; }, 30));
    EXPECT_TRUE(onMainThread);
    EXPECT_EQ(deliveredDescription, description);
    EXPECT_EQ(markup, u"<div>{content}{content}</div>");
    EXPECT_EQ(type, VornickHTMLDocumentType::XHTML10Strict);
    EXPECT_EQ(status, VornickFragmentValidationStatus::Errors);
    EXPECT_EQ(advisoryCount, 1u);

    // A caller's own queue gets the result there.
    OperationQueue callerQueue("Snippet Test Queue");
    std::atomic<bool> onCallerQueue { false };
    std::atomic<bool> done { false };
    VornickHTMLSnippetValidator::beginValidatingAndSyntaxColoringGeneralFragmentDescription(
        description, VornickHTMLDocumentType::HTML5, std::nullopt, nullptr,
        [&](auto, auto, auto, auto, auto, auto) {
            onCallerQueue = OperationQueue::current() == &callerQueue;
            done = true;
        },
        callerQueue);
    VornickHTMLSnippetValidator::fragmentValidationQueue().waitUntilAllOperationsAreFinished();
    callerQueue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(done);
    EXPECT_TRUE(onCallerQueue);

    // A document type without a specification fails on the caller's thread, never on the worker.
    EXPECT_THROW(VornickHTMLSnippetValidator::beginValidatingAndSyntaxColoringGeneralFragmentDescription(
                     description, VornickHTMLDocumentType::Unknown, std::nullopt, nullptr, [](auto, auto, auto, auto, auto, auto) {}),
                 InternalInconsistencyException);
}

} // namespace
