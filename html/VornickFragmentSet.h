// What the HTML specification needs of snippet sets and snippets: a set's
// title and allowed body elements, a snippet's validation status per document
// type, and the building of its fragment. The snippet subsystem implements
// these interfaces.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"
#include "html/VornickHTMLDocumentType.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;

class VornickFragmentSet {
public:
    virtual ~VornickFragmentSet() = default;
    // The set's title (file key "title").
    virtual std::u16string title() const = 0;
    // Whether the lower-cased tag name is among the set's allowed body elements.
    virtual bool bodyElementIsAllowed(std::u16string_view tagName) const = 0;
    // Starts validating, in the background, the snippets whose result for the type is still pending.
    virtual void requestValidationForDocumentType(VornickHTMLDocumentType) {}
};

enum class VornickFragmentValidationStatus : int {
    Valid = 0,
    Warnings = 1,
    Errors = 2,
    NoResultYet = 3,
};

// The validation result of one snippet for one document type.
class VornickFragmentValidationResult {
public:
    explicit VornickFragmentValidationResult(VornickFragmentValidationStatus status = VornickFragmentValidationStatus::NoResultYet)
        : m_validationStatus(status) {}
    virtual ~VornickFragmentValidationResult() = default;
    VornickFragmentValidationStatus validationStatus() const { return m_validationStatus; }

private:
    VornickFragmentValidationStatus m_validationStatus;
};

class VornickFragmentDescription {
public:
    virtual ~VornickFragmentDescription() = default;
    virtual std::u16string displayName() const = 0;
    // The cached result for a document type 1 to 8, or a no-result-yet one.
    virtual std::shared_ptr<const VornickFragmentValidationResult> validationResultForDocumentType(VornickHTMLDocumentType) const = 0;
    // The snippet as a fragment of `document`, its expressions filled from
    // `values` (expression name to text). When `interiorRange` is given it
    // receives where "{content}" stood, frozen relative to the fragment.
    // nullptr when the snippet cannot be built.
    virtual std::shared_ptr<DOMDocumentFragment> createDescribedFragmentWithValues(
        const std::map<std::u16string, std::u16string>& values, DOMDocument& document,
        std::optional<VornickFreezeDriedDOMRange>* interiorRange) const = 0;
};

} // namespace brevanton
