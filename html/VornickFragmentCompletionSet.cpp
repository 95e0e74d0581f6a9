#include "html/VornickFragmentCompletionSet.h"

#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLSpec.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <unordered_set>

namespace brevanton {

VornickFragmentCompletionSet::VornickFragmentCompletionSet(std::shared_ptr<VornickFragmentSet> baseFragmentSet,
                                                           std::shared_ptr<VornickFragmentSet> userFragmentSet,
                                                           std::shared_ptr<VornickHTMLSpec> spec)
    : m_baseFragmentSet(std::move(baseFragmentSet))
    , m_userFragmentSet(std::move(userFragmentSet))
    , m_spec(std::move(spec))
{
    BREVANTON_ASSERT(m_spec, "spec");
}

bool VornickFragmentCompletionSet::shouldIncludeElement(std::u16string_view) const
{
    return true;
}

void VornickFragmentCompletionSet::rebuildIndex()
{
    m_completionSet.removeAllObjects();
    for (const auto& elementSpec : m_spec->bodyElementSpecs()) {
        auto tagName = asciiLowercase(elementSpec->tagName());
        if (!tagName.empty() && shouldIncludeElement(tagName))
            m_completionSet.addCompletionString(tagName, elementSpec);
    }
    for (const auto& set : { m_baseFragmentSet, m_userFragmentSet }) {
        if (!set)
            continue;
        for (const auto& group : set->groups()) {
            for (const auto& description : group->fragmentDescriptions()) {
                std::shared_ptr<VornickFragmentDescription> object = description;
                if (!description->displayName().empty())
                    m_completionSet.addCompletionString(description->displayName(), object);
                if (!description->tabTrigger().empty())
                    m_completionSet.addCompletionString(description->tabTrigger(), object);
            }
        }
    }
}

std::shared_ptr<VornickHTMLElementSpec> VornickFragmentCompletionSet::elementSpecOfMatch(const VornickCompletionMatch& match)
{
    auto* spec = std::any_cast<std::shared_ptr<VornickHTMLElementSpec>>(&match.object());
    return spec ? *spec : nullptr;
}

std::shared_ptr<VornickFragmentDescription> VornickFragmentCompletionSet::fragmentDescriptionOfMatch(const VornickCompletionMatch& match)
{
    auto* description = std::any_cast<std::shared_ptr<VornickFragmentDescription>>(&match.object());
    return description ? *description : nullptr;
}

std::vector<VornickCompletionMatch> VornickFragmentCompletionSet::rankedMatchesForSearchString(std::u16string_view searchString) const
{
    auto matches = m_completionSet.rankedMatchesForSearchString(searchString);
    // A snippet found by its name and by its trigger is offered once, by the stronger.
    std::unordered_set<const void*> offered;
    std::vector<VornickCompletionMatch> result;
    result.reserve(matches.size());
    for (auto& match : matches) {
        const void* object = nullptr;
        if (auto spec = elementSpecOfMatch(match))
            object = spec.get();
        else if (auto description = fragmentDescriptionOfMatch(match))
            object = description.get();
        if (object && offered.insert(object).second)
            result.push_back(std::move(match));
    }
    return result;
}

} // namespace brevanton
