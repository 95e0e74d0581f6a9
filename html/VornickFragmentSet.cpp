#include "html/VornickFragmentSet.h"

#include "html/VornickHTMLSnippetValidator.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

std::shared_ptr<VornickFragmentSet> VornickFragmentSet::createWithTitle(std::u16string title)
{
    return std::shared_ptr<VornickFragmentSet>(new VornickFragmentSet(std::move(title)));
}

void VornickFragmentSet::setAllowedBodyElements(AllowedBodyElements elements)
{
    if (elements) {
        std::set<std::u16string> lowered;
        for (const auto& name : *elements)
            lowered.insert(asciiLowercase(name));
        elements = std::move(lowered);
    }
    m_allowedBodyElements = std::move(elements);
    // Every result was found against the former list, and so would be every result still on its way.
    ++m_validationGeneration;
    m_validationsInProgress.clear();
    for (const auto& group : m_groups) {
        for (const auto& description : group->fragmentDescriptions())
            description->removeAllValidationResults();
    }
}

bool VornickFragmentSet::bodyElementIsAllowed(std::u16string_view tagName) const
{
    return !m_allowedBodyElements || m_allowedBodyElements->contains(asciiLowercase(tagName));
}

void VornickFragmentSet::addGroup(std::shared_ptr<VornickFragmentGroup> group)
{
    BREVANTON_ASSERT(group, "group");
    BREVANTON_ASSERT(!group->fragmentSet(), "group.fragmentSet == nil");
    group->m_fragmentSet = weak_from_this();
    m_groups.push_back(std::move(group));
}

bool VornickFragmentSet::removeGroup(const VornickFragmentGroup& group)
{
    auto found = std::find_if(m_groups.begin(), m_groups.end(), [&](const auto& held) { return held.get() == &group; });
    if (found == m_groups.end())
        return false;
    (*found)->m_fragmentSet.reset();
    m_groups.erase(found);
    return true;
}

template<typename Predicate>
std::shared_ptr<VornickGeneralFragmentDescription> VornickFragmentSet::firstFragmentDescription(Predicate matches) const
{
    for (const auto& group : m_groups) {
        for (const auto& description : group->fragmentDescriptions()) {
            if (matches(*description))
                return description;
        }
    }
    return nullptr;
}

std::shared_ptr<VornickGeneralFragmentDescription> VornickFragmentSet::fragmentDescriptionMatchingTabTrigger(std::u16string_view trigger) const
{
    // A snippet without a trigger is never one an empty trigger finds.
    if (trigger.empty())
        return nullptr;
    return firstFragmentDescription([trigger](const auto& description) { return description.tabTrigger() == trigger; });
}

std::shared_ptr<VornickGeneralFragmentDescription> VornickFragmentSet::fragmentDescriptionWithIdentifier(std::u16string_view identifier) const
{
    if (identifier.empty())
        return nullptr;
    return firstFragmentDescription(
        [identifier](const auto& description) { return compareIgnoringCase(description.identifier(), identifier) == 0; });
}

std::shared_ptr<VornickGeneralFragmentDescription> VornickFragmentSet::fragmentDescriptionWithDisplayName(std::u16string_view displayName) const
{
    if (displayName.empty())
        return nullptr;
    return firstFragmentDescription(
        [displayName](const auto& description) { return compareIgnoringCase(description.displayName(), displayName) == 0; });
}

void VornickFragmentSet::requestValidationForDocumentType(VornickHTMLDocumentType type)
{
    auto slot = static_cast<int>(type);
    BREVANTON_ASSERT(slot >= 1 && slot <= 8, "documentType out of range");
    std::weak_ptr<VornickFragmentSet> weakSet = weak_from_this();
    for (const auto& group : m_groups) {
        for (const auto& description : group->fragmentDescriptions()) {
            if (description->hasValidationResultForDocumentType(type))
                continue;
            if (!m_validationsInProgress.emplace(description.get(), type).second)
                continue;
            auto generation = m_validationGeneration;
            VornickHTMLSnippetValidator::beginValidatingAndSyntaxColoringGeneralFragmentDescription(
                description, type, m_allowedBodyElements, nullptr,
                [weakSet, generation, description](std::shared_ptr<const VornickGeneralFragmentDescription>, std::u16string markupString,
                                      VornickHTMLDocumentType documentType, std::shared_ptr<const AttributedString>,
                                      VornickFragmentValidationStatus status, VornickHTMLSnippetValidator::Advisories advisories) {
                    auto set = weakSet.lock();
                    if (!set || set->m_validationGeneration != generation)
                        return;
                    set->m_validationsInProgress.erase({ description.get(), documentType });
                    // A snippet taken out of the set meanwhile keeps no result of it.
                    if (description->fragmentSet() != set || description->markupString() != markupString)
                        return;
                    description->setValidationResultForDocumentType(
                        documentType, std::make_shared<VornickFragmentValidationResult>(status, std::move(advisories)));
                });
        }
    }
}

} // namespace brevanton
