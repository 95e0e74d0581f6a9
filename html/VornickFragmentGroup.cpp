#include "html/VornickFragmentGroup.h"

#include "platform/foundation/Assertions.h"

namespace brevanton {

std::shared_ptr<VornickFragmentGroup> VornickFragmentGroup::create(std::u16string title)
{
    return std::shared_ptr<VornickFragmentGroup>(new VornickFragmentGroup(std::move(title)));
}

void VornickFragmentGroup::addFragmentDescription(std::shared_ptr<VornickGeneralFragmentDescription> description)
{
    BREVANTON_ASSERT(description, "fragmentDescription");
    BREVANTON_ASSERT(!description->group(), "fragmentDescription.group == nil");
    description->m_group = weak_from_this();
    m_fragmentDescriptions.push_back(std::move(description));
}

void VornickFragmentGroup::insertFragmentDescription(std::shared_ptr<VornickGeneralFragmentDescription> description, size_t index)
{
    BREVANTON_ASSERT(description, "fragmentDescription");
    BREVANTON_ASSERT(!description->group(), "fragmentDescription.group == nil");
    BREVANTON_ASSERT(index <= m_fragmentDescriptions.size(), "index <= fragmentDescriptions.count");
    description->m_group = weak_from_this();
    m_fragmentDescriptions.insert(m_fragmentDescriptions.begin() + static_cast<std::ptrdiff_t>(index), std::move(description));
}

std::optional<size_t> VornickFragmentGroup::removeFragmentDescription(const VornickGeneralFragmentDescription& description)
{
    for (size_t index = 0; index < m_fragmentDescriptions.size(); ++index) {
        if (m_fragmentDescriptions[index].get() == &description) {
            m_fragmentDescriptions[index]->m_group.reset();
            m_fragmentDescriptions.erase(m_fragmentDescriptions.begin() + static_cast<std::ptrdiff_t>(index));
            return index;
        }
    }
    return std::nullopt;
}

} // namespace brevanton
