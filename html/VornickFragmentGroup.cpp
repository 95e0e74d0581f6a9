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

} // namespace brevanton
