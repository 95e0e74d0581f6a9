#include "html/VornickHTMLSnippetValidator.h"

#include "html/VornickHTMLSpec.h"

#include <algorithm>

namespace brevanton {

// Snippet text is coloured as if tabs were four spaces wide.
static constexpr size_t snippetTabWidth = 4;

OperationQueue& VornickHTMLSnippetValidator::fragmentValidationQueue()
{
    // Never destroyed: queued validations must not hold up the end of the process.
    static OperationQueue* queue = new OperationQueue("Fragment Validation Queue");
    return *queue;
}

void VornickHTMLSnippetValidator::beginValidatingAndSyntaxColoringGeneralFragmentDescription(
    std::shared_ptr<const VornickGeneralFragmentDescription> description, VornickHTMLDocumentType documentType,
    std::optional<std::set<std::u16string>> allowedBodyElements, std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences,
    BackgroundCompletion completion)
{
    beginValidatingAndSyntaxColoringGeneralFragmentDescription(std::move(description), documentType, std::move(allowedBodyElements),
                                                               std::move(preferences), std::move(completion), OperationQueue::main());
}

void VornickHTMLSnippetValidator::beginValidatingAndSyntaxColoringGeneralFragmentDescription(
    std::shared_ptr<const VornickGeneralFragmentDescription> description, VornickHTMLDocumentType documentType,
    std::optional<std::set<std::u16string>> allowedBodyElements, std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences,
    BackgroundCompletion completion, OperationQueue& queue)
{
    if (!description)
        return;
    // The specifications load on first use, which is not safe on a worker: take it here.
    auto spec = VornickHTMLSpec::htmlSpecForDocumentType(documentType);
    // The operation colours with its own copy of the preferences.
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> copy =
        preferences ? preferences->mutableCopy() : VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences()->mutableCopy();
    fragmentValidationQueue().addOperation([description = std::move(description), documentType, spec = std::move(spec),
                                            allowedBodyElements = std::move(allowedBodyElements), copy = std::move(copy),
                                            completion = std::move(completion), &queue] {
        std::u16string markupString = description->markupString();
        VornickHTMLSnippetValidator validator;
        validator.validateAndSyntaxColorHTMLSnippet(markupString, spec, allowedBodyElements, copy,
            [&](std::shared_ptr<const AttributedString> coloredString, VornickFragmentValidationStatus status, const Advisories& advisories) {
                queue.addOperation([description, markupString, documentType, coloredString, status, advisories, completion] {
                    if (completion)
                        completion(description, markupString, documentType, coloredString, status, advisories);
                });
            });
    });
}

void VornickHTMLSnippetValidator::validateAndSyntaxColorHTMLSnippet(std::u16string_view markupString, VornickHTMLDocumentType documentType,
                                                                    std::optional<std::set<std::u16string>> allowedBodyElements,
                                                                    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences,
                                                                    const Completion& completion)
{
    validateAndSyntaxColorHTMLSnippet(markupString, VornickHTMLSpec::htmlSpecForDocumentType(documentType), std::move(allowedBodyElements),
                                      std::move(preferences), completion);
}

void VornickHTMLSnippetValidator::validateAndSyntaxColorHTMLSnippet(std::u16string_view markupString, std::shared_ptr<VornickHTMLSpec> spec,
                                                                    std::optional<std::set<std::u16string>> allowedBodyElements,
                                                                    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences,
                                                                    const Completion& completion)
{
    m_preferences = preferences ? std::move(preferences) : VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences();
    m_markupString = markupString;
    m_advisories.clear();
    m_advisories.reserve(16);
    m_sawContentExpression = false;
    m_insideDOCTYPE = false;
    m_startTagStartedAt.reset();
    m_tokenAttributes.clear();

    VornickHTMLScanner scanner;
    scanner.setIdentifiesEntityReferences(true);
    scanner.setSpec(std::move(spec));
    scanner.setAllowedBodyElements(std::move(allowedBodyElements));
    scanner.setForgiving(false);
    scanner.setIdentifiesSnippetExpressions(true);
    scanner.setDelegate(this);

    // What no token covers stays light grey.
    auto font = m_preferences->font();
    auto plain = std::make_shared<TextAttributeDictionary>();
    (*plain)[FontAttributeName] = font ? font : VornickDefaultSourceFont();
    (*plain)[ForegroundColorAttributeName] = Color::genericGamma22White(2.0 / 3);
    m_attributedString = std::make_shared<AttributedString>(std::u16string(markupString), plain);

    scanner.parseHTMLString(markupString);

    bool anyError = std::any_of(m_advisories.begin(), m_advisories.end(),
                                [](const auto& advisory) { return advisory.kind() == VornickValidationAdvisoryKind::Error; });
    bool anyWarning = std::any_of(m_advisories.begin(), m_advisories.end(),
                                  [](const auto& advisory) { return advisory.kind() == VornickValidationAdvisoryKind::Warning; });
    auto status = anyError ? VornickFragmentValidationStatus::Errors
        : anyWarning       ? VornickFragmentValidationStatus::Warnings
                           : VornickFragmentValidationStatus::Valid;

    std::shared_ptr<const AttributedString> coloredString = std::move(m_attributedString);
    m_attributedString = nullptr;
    m_markupString = {};
    if (completion)
        completion(coloredString, status, m_advisories);
}

void VornickHTMLSnippetValidator::htmlScannerScannedToken(VornickHTMLScanner&, VornickHTMLScannerToken token, std::u16string_view string,
                                                          VornickRange range, const std::u16string*)
{
    if (token == VornickHTMLScannerTokenSnippetExpression && string == u"{content}") {
        if (m_sawContentExpression) {
            m_advisories.emplace_back(VornickValidationAdvisoryKind::Error, range.location, 0, 0, u"{content} must only appear once.", true);
        }
        m_sawContentExpression = true;
    }
    // The inside of a DOCTYPE is no token of the snippet's: it stays light grey.
    if (m_insideDOCTYPE && token == VornickHTMLScannerTokenText)
        return;
    if (!m_attributedString || range.length == 0 || range.location > m_markupString.size()
        || range.length > m_markupString.size() - range.location)
        return;

    auto& attributes = m_tokenAttributes[token];
    if (!attributes) {
        auto kind = VornickHTMLSyntaxColoringPreferences::tokenKindForHTMLScannerToken(token);
        auto dictionary = std::make_shared<TextAttributeDictionary>(*m_preferences->attributesDictionaryForTokenKind(kind, snippetTabWidth));
        (*dictionary)[VornickScannerTokenKindAttributeName] = static_cast<uint32_t>(token);
        attributes = std::move(dictionary);
    }
    m_attributedString->setAttributes(attributes, range.location, range.length);
}

void VornickHTMLSnippetValidator::htmlScannerValidationAdvisory(VornickHTMLScanner&, const VornickValidationAdvisory& advisory)
{
    m_advisories.push_back(advisory);
}

void VornickHTMLSnippetValidator::htmlScannerBeginDOCTYPEAt(VornickHTMLScanner&, size_t)
{
    m_insideDOCTYPE = true;
}

void VornickHTMLSnippetValidator::htmlScannerEndDOCTYPEAt(VornickHTMLScanner&, size_t)
{
    m_insideDOCTYPE = false;
}

void VornickHTMLSnippetValidator::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view)
{
    m_startTagStartedAt = offset;
}

void VornickHTMLSnippetValidator::htmlScannerEndElementOpenTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view, size_t openTagStartedAt)
{
    m_startTagStartedAt.reset();
    addTagSpan(openTagStartedAt, offset);
}

void VornickHTMLSnippetValidator::htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view, size_t closeTagStartedAt)
{
    addTagSpan(closeTagStartedAt, offset);
}

void VornickHTMLSnippetValidator::htmlScannerEndElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view)
{
    // The end of an empty element's start tag; after an end tag there is no start tag pending.
    if (!m_startTagStartedAt)
        return;
    size_t start = *m_startTagStartedAt;
    m_startTagStartedAt.reset();
    addTagSpan(start, offset);
}

void VornickHTMLSnippetValidator::addTagSpan(size_t start, size_t end)
{
    if (!m_attributedString || start >= end || end > m_attributedString->length())
        return;
    VornickRange span { start, end - start };
    size_t position = start;
    while (position < end) {
        size_t runLocation = 0;
        size_t runLength = 0;
        auto attributes = m_attributedString->attributesAtIndex(position, &runLocation, &runLength);
        size_t pieceEnd = std::min(end, runLocation + runLength);
        if (pieceEnd <= position)
            break;
        auto dictionary = attributes ? std::make_shared<TextAttributeDictionary>(*attributes) : std::make_shared<TextAttributeDictionary>();
        (*dictionary)[VornickHTMLTagSpanAttributeName] = span;
        m_attributedString->setAttributes(std::move(dictionary), position, pieceEnd - position);
        position = pieceEnd;
    }
}

} // namespace brevanton
