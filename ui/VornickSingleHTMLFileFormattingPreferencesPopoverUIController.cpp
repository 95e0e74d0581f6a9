#include "ui/VornickSingleHTMLFileFormattingPreferencesPopoverUIController.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/views/Popover.h"
#include "platform/views/View.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"

namespace brevanton {

VornickSingleHTMLFileFormattingPreferencesPopoverUIController::VornickSingleHTMLFileFormattingPreferencesPopoverUIController()
    : m_module(std::make_unique<VornickHTMLFormattingPreferencesModule>())
    , m_popover(std::make_shared<Popover>())
{
    // The module's view in the placeholder's place, a margin round it.
    constexpr double margin = 8;
    Size size = m_module->view()->frame().size;
    m_contentView = std::make_shared<View>(Rect(0, 0, size.width + 2 * margin, size.height + 2 * margin));
    m_module->view()->setFrame(Rect(margin, margin, size.width, size.height));
    m_contentView->addSubview(m_module->view());
    m_popover->setContentView(m_contentView);
    m_popover->setBehavior(PopoverBehavior::Transient);
}

VornickSingleHTMLFileFormattingPreferencesPopoverUIController::~VornickSingleHTMLFileFormattingPreferencesPopoverUIController()
{
    if (m_popover->isShown())
        m_popover->close();
}

void VornickSingleHTMLFileFormattingPreferencesPopoverUIController::showForHTMLFormattingPreferences(
    std::shared_ptr<VornickHTMLFormattingPreferences> preferences, const std::shared_ptr<View>& view)
{
    m_module->setActiveHTMLFormattingPreferences(std::move(preferences));
    m_module->updatePreviewTextView();
    if (view)
        m_popover->showRelativeToRect(view->bounds(), view, RectEdge::MinY);
}

} // namespace brevanton
