#include "html/VornickFragmentDescription.h"

#include "html/VornickFragmentGroup.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

namespace {

size_t slotOfDocumentType(VornickHTMLDocumentType type)
{
    auto slot = static_cast<size_t>(type);
    BREVANTON_ASSERT(slot >= 1 && slot <= 8, "documentType out of range");
    return slot;
}

} // namespace

std::shared_ptr<VornickFragmentSet> VornickFragmentDescription::fragmentSet() const
{
    auto group = m_group.lock();
    return group ? group->fragmentSet() : nullptr;
}

std::shared_ptr<const VornickFragmentValidationResult> VornickFragmentDescription::validationResultForDocumentType(
    VornickHTMLDocumentType type) const
{
    if (auto& cached = m_validationResults[slotOfDocumentType(type)])
        return cached;
    return std::make_shared<VornickFragmentValidationResult>();
}

bool VornickFragmentDescription::hasValidationResultForDocumentType(VornickHTMLDocumentType type) const
{
    return m_validationResults[slotOfDocumentType(type)] != nullptr;
}

void VornickFragmentDescription::setValidationResultForDocumentType(VornickHTMLDocumentType type,
                                                                    std::shared_ptr<const VornickFragmentValidationResult> result)
{
    m_validationResults[slotOfDocumentType(type)] = std::move(result);
}

void VornickFragmentDescription::removeAllValidationResults()
{
    m_validationResults.fill(nullptr);
}

} // namespace brevanton
