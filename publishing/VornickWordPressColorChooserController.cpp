#include "publishing/VornickWordPressColorChooserController.h"

#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressColorPaletteView.h"
#include "publishing/VornickWordPressHexColorWell.h"
#include "ui/VornickFlippedView.h"

namespace brevanton {

std::shared_ptr<VornickWordPressColorChooserController> VornickWordPressColorChooserController::create()
{
    std::shared_ptr<VornickWordPressColorChooserController> controller(new VornickWordPressColorChooserController);
    controller->loadView();
    return controller;
}

void VornickWordPressColorChooserController::loadView()
{
    m_view = std::make_shared<VornickFlippedView>(Rect(0, 0, viewWidth, viewHeight));
    m_labelTextField = TextField::labelWithString(u"");
    m_labelTextField->setFrame(Rect(0, 0, viewWidth, 17));
    m_paletteView = VornickWordPressColorPaletteView::create(Rect(0, 20, viewWidth, 20));
    m_colorWell = std::make_shared<VornickWordPressHexColorWell>(Rect(0, 46, 150, 24));
    m_clearColorButton = std::make_shared<Button>(Rect(161, 46, 80, 24), u"Clear");
    for (const std::shared_ptr<View>& subview : std::initializer_list<std::shared_ptr<View>> { m_labelTextField, m_paletteView, m_colorWell, m_clearColorButton })
        m_view->addSubview(subview);

    std::weak_ptr<VornickWordPressColorChooserController> weakController = shared_from_this();
    m_paletteView->setAction(TakeColorFromAction);
    m_paletteView->setTarget(m_view);
    m_colorWell->setAction(TakeColorFromAction);
    m_colorWell->setTarget(m_view);
    m_clearColorButton->setAction(ClearToNoColorAction);
    m_clearColorButton->setTarget(m_view);
    m_view->setActionHandler(TakeColorFromAction, [weakController](ActionSender* sender) {
        if (auto controller = weakController.lock())
            controller->takeColorFrom(sender);
    });
    m_view->setActionHandler(ClearToNoColorAction, [weakController](ActionSender* sender) {
        if (auto controller = weakController.lock())
            controller->clearToNoColor(sender);
    });
    setColorDescription(nullptr);
}

std::optional<std::u16string> VornickWordPressColorChooserController::labelTextForColorDescription(const Description& description)
{
    if (!description)
        return std::nullopt;
    const auto& name = description->cssName();
    if (name && !VornickColorDescriptionList::wordPressTextAndBackgroundColors().colorDescriptionWithCSSName(*name))
        return *name;
    return description->hexRGBString();
}

void VornickWordPressColorChooserController::setColorDescription(Description description)
{
    if (description && description == m_colorDescription)
        return;
    m_colorDescription = std::move(description);
    m_paletteView->setSelectedColorDescription(m_colorDescription);
    m_colorWell->setColor(m_colorDescription && m_colorDescription->color() ? *m_colorDescription->color() : Color::clear());
    m_colorWell->setLabelText(labelTextForColorDescription(m_colorDescription));
}

void VornickWordPressColorChooserController::takeColorFrom(ActionSender* sender)
{
    if (sender == m_colorWell.get()) {
        if (!m_colorWell->color())
            return;
        m_colorDescription = VornickColorDescription::createWithColor(*m_colorWell->color());
        m_colorWell->setLabelText(m_colorDescription->hexRGBString());
        m_paletteView->setSelectedColorDescription(m_colorDescription);
    } else if (sender == m_paletteView.get()) {
        m_colorDescription = m_paletteView->selectedColorDescription();
        m_colorWell->setColor(m_colorDescription && m_colorDescription->color() ? *m_colorDescription->color() : Color::clear());
        m_colorWell->setLabelText(labelTextForColorDescription(m_colorDescription));
    } else
        return;
    changed();
}

void VornickWordPressColorChooserController::clearToNoColor(ActionSender*)
{
    setColorDescription(nullptr);
    changed();
}

void VornickWordPressColorChooserController::changed()
{
    if (m_colorChangeHandler)
        m_colorChangeHandler(m_colorDescription);
}

} // namespace brevanton
