#include "html/VornickFragmentCompletionSet.h"

#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLSpec.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <functional>

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
    // A snippet found by its name and by its trigger is offered once, by the
    // stronger (the earlier). The objects' addresses are sorted with their
    // ranks rather than put in a hash set: no allocation per match, and no
    // shared_ptr copied to look at an object.
    struct Ranked {
        const void* object;
        size_t index;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(matches.size());
    for (size_t index = 0; index < matches.size(); ++index) {
        const auto& object = matches[index].object();
        const void* address = nullptr;
        if (auto* spec = std::any_cast<std::shared_ptr<VornickHTMLElementSpec>>(&object))
            address = spec->get();
        else if (auto* description = std::any_cast<std::shared_ptr<VornickFragmentDescription>>(&object))
            address = description->get();
        ranked.push_back({ address, index });
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        return a.object != b.object ? std::less<const void*>()(a.object, b.object) : a.index < b.index;
    });
    std::vector<bool> kept(matches.size(), false);
    for (size_t i = 0; i < ranked.size(); ++i) {
        if (ranked[i].object && (i == 0 || ranked[i - 1].object != ranked[i].object))
            kept[ranked[i].index] = true;
    }
    // Kept matches close up in place, in ranked order.
    size_t count = 0;
    for (size_t index = 0; index < matches.size(); ++index) {
        if (!kept[index])
            continue;
        if (count != index)
            matches[count] = std::move(matches[index]);
        ++count;
    }
    matches.erase(matches.begin() + static_cast<std::ptrdiff_t>(count), matches.end());
    return matches;
}

} // namespace brevanton
