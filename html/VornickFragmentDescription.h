// A snippet as the editor and the HTML layer see it: its names, the group
// and snippet set it belongs to, its validation result per document type,
// and the building of its fragment.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickValidationAdvisory.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;
class VornickFragmentGroup;
class VornickFragmentSet;

enum class VornickFragmentValidationStatus : int {
    Valid = 0,
    Warnings = 1,
    Errors = 2,
    NoResultYet = 3,
};

// The validation result of one snippet for one document type.
class VornickFragmentValidationResult {
public:
    explicit VornickFragmentValidationResult(VornickFragmentValidationStatus status = VornickFragmentValidationStatus::NoResultYet,
                                             std::vector<VornickValidationAdvisory> advisories = {})
        : m_validationStatus(status)
        , m_advisories(std::move(advisories))
    {
    }
    virtual ~VornickFragmentValidationResult() = default;
    VornickFragmentValidationStatus validationStatus() const { return m_validationStatus; }
    const std::vector<VornickValidationAdvisory>& advisories() const { return m_advisories; }

private:
    VornickFragmentValidationStatus m_validationStatus;
    std::vector<VornickValidationAdvisory> m_advisories;
};

class VornickFragmentDescription {
public:
    virtual ~VornickFragmentDescription() = default;

    // For a block snippet its block type.
    virtual std::u16string identifier() const = 0;
    virtual std::u16string displayName() const = 0;
    // A one-line summary of what the snippet inserts.
    virtual std::u16string summaryForDisplay() const = 0;

    // The group holding the snippet, and that group's set; null when none.
    std::shared_ptr<VornickFragmentGroup> group() const { return m_group.lock(); }
    std::shared_ptr<VornickFragmentSet> fragmentSet() const;

    // The cached result for a document type 1 to 8 (asserted), or a fresh
    // no-result-yet one. Main thread only, as is every change of the cache.
    virtual std::shared_ptr<const VornickFragmentValidationResult> validationResultForDocumentType(VornickHTMLDocumentType) const;
    bool hasValidationResultForDocumentType(VornickHTMLDocumentType) const;
    void setValidationResultForDocumentType(VornickHTMLDocumentType, std::shared_ptr<const VornickFragmentValidationResult>);
    void removeAllValidationResults();

    // The snippet as a fragment of `document`, its expressions filled from
    // `values` (expression name to text). When `interiorRange` is given it
    // receives where "{content}" stood, frozen relative to the fragment.
    // nullptr when the snippet cannot be built.
    virtual std::shared_ptr<DOMDocumentFragment> createDescribedFragmentWithValues(
        const std::map<std::u16string, std::u16string>& values, DOMDocument& document,
        std::optional<VornickFreezeDriedDOMRange>* interiorRange) const = 0;

private:
    friend class VornickFragmentGroup;

    std::weak_ptr<VornickFragmentGroup> m_group;
    std::array<std::shared_ptr<const VornickFragmentValidationResult>, 9> m_validationResults;
};

} // namespace brevanton
