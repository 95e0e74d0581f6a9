#include "wordpress/VornickGetWordPressPostTemplatesStep.h"

namespace brevanton {

VornickGetWordPressPostTemplatesStep::VornickGetWordPressPostTemplatesStep(std::u16string name, std::u16string title)
    : VornickSyncStep(std::move(name), std::move(title))
{
    setStartBlock([this] { loginIfNeededThenStartGettingTemplates(); });
}

VornickGetWordPressPostTemplatesStep::~VornickGetWordPressPostTemplatesStep() = default;

void VornickGetWordPressPostTemplatesStep::loginIfNeededThenStartGettingTemplates()
{
    setState(VornickSyncStepState::Completed);
}

void VornickGetWordPressPostTemplatesStep::updatedProxyDraftAndReceivedWordPressIdentifier(const std::optional<std::u16string>&) { }

void VornickGetWordPressPostTemplatesStep::failedToUpdateProxyDraft() { }

} // namespace brevanton
