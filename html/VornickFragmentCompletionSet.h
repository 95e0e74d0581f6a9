// VornickFragmentCompletionSet: what the editor offers when the user types
// the name of an element or snippet: the body elements of an HTML
// specification by tag name, then the snippets of a base and of a user
// snippet set by display name and by tab trigger (a later entry takes a
// string an earlier one had). Each object is offered once, by its strongest
// string. Objects are `std::shared_ptr<VornickHTMLElementSpec>` or
// `std::shared_ptr<VornickFragmentDescription>`.
#pragma once

#include "toolkit/VornickCompletionSet.h"

#include <memory>
#include <string_view>
#include <vector>

namespace brevanton {

class VornickFragmentDescription;
class VornickFragmentSet;
class VornickHTMLElementSpec;
class VornickHTMLSpec;

class VornickFragmentCompletionSet {
public:
    // Either set may be null; the specification is required (asserted).
    VornickFragmentCompletionSet(std::shared_ptr<VornickFragmentSet> baseFragmentSet, std::shared_ptr<VornickFragmentSet> userFragmentSet,
                                 std::shared_ptr<VornickHTMLSpec> spec);
    virtual ~VornickFragmentCompletionSet() = default;

    // Fills the index again from the specification and the sets.
    void rebuildIndex();
    // Whether an element of the specification is offered (the lower-case tag name); all are here.
    virtual bool shouldIncludeElement(std::u16string_view tagName) const;

    std::vector<VornickCompletionMatch> rankedMatchesForSearchString(std::u16string_view searchString) const;
    const VornickCompletionSet& completionSet() const { return m_completionSet; }

    // The object of a match, by its kind; null for the other kind.
    static std::shared_ptr<VornickHTMLElementSpec> elementSpecOfMatch(const VornickCompletionMatch&);
    static std::shared_ptr<VornickFragmentDescription> fragmentDescriptionOfMatch(const VornickCompletionMatch&);

private:
    std::shared_ptr<VornickFragmentSet> m_baseFragmentSet;
    std::shared_ptr<VornickFragmentSet> m_userFragmentSet;
    std::shared_ptr<VornickHTMLSpec> m_spec;
    VornickCompletionSet m_completionSet;
};

} // namespace brevanton
