// The validators that look into the element's document: ids, references to
// ids and datalists, and URLs of local files.
#include "html/VornickHTMLAttributeValidators.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <sys/stat.h>

namespace brevanton {

namespace {

bool containsHTMLSpace(std::u16string_view value)
{
    for (char16_t c : value) {
        if (isHTMLWhitespace(c))
            return true;
    }
    return false;
}

// The elements of the element's document whose id is `id`, leaving out `excluded`.
size_t countElementsWithId(const DOMElement* element, std::u16string_view id, const DOMElement* excluded)
{
    DOMDocument* document = element ? element->document() : nullptr;
    if (!document)
        return 0;
    size_t count = 0;
    for (DOMNode* node = document->first(); node; node = node->traverseNext()) {
        if (!node->isElementNode() || node == excluded)
            continue;
        auto* candidate = downcast<DOMElement>(node);
        const std::u16string* value = candidate->attributeValue(u"id");
        if (value && *value == id)
            ++count;
    }
    return count;
}

// The URL a resource reference of the document names: an absolute URL as it
// is, otherwise resolved against the document's folder.
std::optional<URL> resolveResourceReference(const DOMElement* element, std::u16string_view reference)
{
    auto url = URL::create(reference);
    if (!url)
        return std::nullopt;
    if (!url->scheme().empty())
        return url;
    DOMDocument* document = element ? element->document() : nullptr;
    if (!document || document->URL().empty())
        return std::nullopt;
    auto documentURL = URL::create(document->URL());
    if (!documentURL || documentURL->scheme().empty())
        return std::nullopt;
    URL folder = documentURL->URLByDeletingLastPathComponent();
    return URL::create(reference, &folder);
}

// An id is one or more characters, none of them a space; else the
// completion is told why not.
bool isWellFormedId(std::u16string_view value, const VornickAttributeValidationCompletionBlock& completion)
{
    if (value.empty()) {
        completion(VornickAttributeValidationOutcome::Warning, u"Empty id value.");
        return false;
    }
    if (containsHTMLSpace(value)) {
        completion(VornickAttributeValidationOutcome::Invalid, u"id must not contain any spaces.");
        return false;
    }
    return true;
}

} // namespace

void VornickURLHTMLAttributeValidator::validateValueString(std::u16string_view value, std::u16string_view, const DOMElement* element,
                                                           const VornickHTMLElementSpec*,
                                                           const VornickAttributeValidationCompletionBlock& completion)
{
    std::u16string_view trimmed = stripHTMLWhitespace(value);
    if (trimmed.empty() || !URL::create(trimmed)) {
        completion(VornickAttributeValidationOutcome::Invalid, u"Value must be a URL.");
        return;
    }
    auto resolved = resolveResourceReference(element, trimmed);
    if (!resolved || !resolved->isFileURL()) {
        completion(VornickAttributeValidationOutcome::Valid, u"");
        return;
    }
    auto path = resolved->fileSystemPath();
    struct stat information;
    if (path && stat(path->c_str(), &information) == 0)
        completion(VornickAttributeValidationOutcome::Valid, u"");
    else
        completion(VornickAttributeValidationOutcome::Warning, u"The specified file doesn't exist.");
}

void VornickIdHTMLAttributeValidator::validateValueString(std::u16string_view value, std::u16string_view, const DOMElement* element,
                                                          const VornickHTMLElementSpec*,
                                                          const VornickAttributeValidationCompletionBlock& completion)
{
    if (!isWellFormedId(value, completion))
        return;
    size_t others = countElementsWithId(element, value, element);
    if (!others)
        completion(VornickAttributeValidationOutcome::Valid, u"");
    else if (others == 1)
        completion(VornickAttributeValidationOutcome::Invalid, u"1 other element has the same 'id'.");
    else
        completion(VornickAttributeValidationOutcome::Invalid, toUTF16(std::to_string(others)) + u" other elements have the same 'id'.");
}

void VornickIdReferenceHTMLAttributeValidator::validateValueString(std::u16string_view value, std::u16string_view,
                                                                   const DOMElement* element, const VornickHTMLElementSpec*,
                                                                   const VornickAttributeValidationCompletionBlock& completion)
{
    if (!isWellFormedId(value, completion))
        return;
    size_t count = countElementsWithId(element, value, nullptr);
    if (!count)
        completion(VornickAttributeValidationOutcome::Warning, u"Document doesn't appear to contain an element with the given 'id'.");
    else if (count == 1)
        completion(VornickAttributeValidationOutcome::Valid, u"");
    else
        completion(VornickAttributeValidationOutcome::Invalid,
                   u"Document contains " + toUTF16(std::to_string(count)) + u" elements with the given 'id'!");
}

void VornickDatalistElementIdHTMLAttributeValidator::validateValueString(std::u16string_view value, std::u16string_view,
                                                                         const DOMElement* element, const VornickHTMLElementSpec*,
                                                                         const VornickAttributeValidationCompletionBlock& completion)
{
    if (value.empty()) {
        completion(VornickAttributeValidationOutcome::Warning, u"Empty id value.");
        return;
    }
    if (containsHTMLSpace(value)) {
        completion(VornickAttributeValidationOutcome::Warning, u"id may not contain spaces.");
        return;
    }
    DOMDocument* document = element ? element->document() : nullptr;
    auto target = document ? document->getElementById(value) : nullptr;
    if (target && equalsIgnoringASCIICase(target->tagName(), u"datalist"))
        completion(VornickAttributeValidationOutcome::Valid, u"");
    else
        completion(VornickAttributeValidationOutcome::Warning, u"No <datalist> element with id=\"" + std::u16string(value) + u"\" found in document.");
}

} // namespace brevanton
