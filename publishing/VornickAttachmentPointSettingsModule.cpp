#include "publishing/VornickAttachmentPointSettingsModule.h"

#include "editing/VornickAttachmentPoint.h"
#include "platform/views/Button.h"
#include "platform/views/Sound.h"
#include "platform/views/TokenField.h"
#include "platform/views/Window.h"
#include "publishing/VornickAttachmentPointSettingsUIController.h"
#include "ui/VornickFlippedView.h"
#include "ui/VornickSendActionOnEditTextField.h"

#include <algorithm>

namespace brevanton {

static constexpr double rowHeight = 92;
static constexpr double rowWidth = 480;
static constexpr double labelWidth = 110;

static std::shared_ptr<VornickAttachmentPointLocator> copyOfLocator(const VornickAttachmentPointLocator& locator)
{
    return std::make_shared<VornickAttachmentPointLocator>(locator.identifier(), locator.selector());
}

void VornickAttachmentPointSettingsModule::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, rowWidth, rowHeight));
    view->setAutoresizingMask(Autoresizing::WidthSizable);

    m_headingCheckBox = std::make_shared<Button>(Rect(0, 0, rowWidth - 160, 20));
    m_headingCheckBox->setButtonType(ButtonType::Switch);
    m_headingCheckBox->setAutoresizingMask(Autoresizing::WidthSizable);
    m_statusTextField = std::make_shared<TextField>(Rect(rowWidth - 150, 2, 150, 18));
    m_statusTextField->setAutoresizingMask(Autoresizing::MinXMargin);
    view->addSubview(m_headingCheckBox);
    view->addSubview(m_statusTextField);

    auto addField = [&](const char16_t* label, double y, std::shared_ptr<TextField> field) {
        auto labelField = TextField::labelWithString(label);
        labelField->setFrame(Rect(20, y + 2, labelWidth - 20, 18));
        view->addSubview(labelField);
        field->setFrame(Rect(labelWidth, y, rowWidth - labelWidth, 22));
        field->setAutoresizingMask(Autoresizing::WidthSizable);
        view->addSubview(field);
        return field;
    };
    m_attributeNameTextField = addField(u"Attribute:", 24, std::make_shared<VornickSendActionOnEditTextField>());
    m_attributeNameTextField->setEditable(true);
    m_attributeNameTextField->setBezeled(true);
    m_requiredValuesTokenField = std::static_pointer_cast<TokenField>(addField(u"Required values:", 48, std::make_shared<TokenField>()));
    m_forbiddenValuesTokenField = std::static_pointer_cast<TokenField>(addField(u"Forbidden values:", 70, std::make_shared<TokenField>()));

    std::weak_ptr<VornickAttachmentPointSettingsModule> weakModule
        = std::static_pointer_cast<VornickAttachmentPointSettingsModule>(shared_from_this());
    auto wire = [&](const std::shared_ptr<Control>& control, const char* action, void (VornickAttachmentPointSettingsModule::*member)()) {
        control->setAction(action);
        control->setTarget(view);
        view->setActionHandler(action, [weakModule, member](ActionSender*) {
            if (auto module = weakModule.lock())
                (module.get()->*member)();
        });
    };
    wire(m_headingCheckBox, HeadingCheckBoxToggledAction, &VornickAttachmentPointSettingsModule::headingCheckBoxToggled);
    wire(m_attributeNameTextField, AttributeNameEditedAction, &VornickAttachmentPointSettingsModule::attributeNameEdited);
    wire(m_requiredValuesTokenField, RequiredValuesEditedAction, &VornickAttachmentPointSettingsModule::requiredValuesEdited);
    wire(m_forbiddenValuesTokenField, ForbiddenValuesEditedAction, &VornickAttachmentPointSettingsModule::forbiddenValuesEdited);

    setView(view);
    updateControlsFromLocator();
}

void VornickAttachmentPointSettingsModule::setAttachmentPointDescription(std::optional<VornickAttachmentPointDescription> description)
{
    m_description = std::move(description);
    if (isViewLoaded())
        updateControlsFromLocator();
}

void VornickAttachmentPointSettingsModule::setAttachmentPointLocator(const std::shared_ptr<VornickAttachmentPointLocator>& locator)
{
    if (locator == m_locator)
        return;
    m_locator = locator ? copyOfLocator(*locator) : nullptr;
    if (isViewLoaded())
        updateControlsFromLocator();
}

void VornickAttachmentPointSettingsModule::setDefaultAttachmentPointLocator(std::shared_ptr<VornickAttachmentPointLocator> locator)
{
    m_defaultLocator = std::move(locator);
    if (isViewLoaded())
        updateControlsFromLocator();
}

void VornickAttachmentPointSettingsModule::setAttachmentFailed(bool failed)
{
    m_attachmentFailed = failed;
    if (isViewLoaded())
        updateStatus();
}

void VornickAttachmentPointSettingsModule::setAttachmentNeededForCurrentPost(bool needed)
{
    m_attachmentNeededForCurrentPost = needed;
    if (isViewLoaded())
        updateStatus();
}

void VornickAttachmentPointSettingsModule::updateStatus()
{
    std::u16string status;
    if (m_attachmentFailed)
        status = u"Not found";
    if (m_attachmentNeededForCurrentPost)
        status += status.empty() ? u"Needed by this post" : u", needed by this post";
    m_statusTextField->setTextString(std::move(status));
}

void VornickAttachmentPointSettingsModule::updateControlsFromLocator()
{
    const auto& view = this->view();
    m_headingCheckBox->setTitle(m_description ? m_description->title : std::u16string());
    updateStatus();

    auto parameters = m_locator ? m_locator->attributeParameters() : std::nullopt;
    bool on = parameters.has_value();
    if (!on && m_defaultLocator)
        parameters = m_defaultLocator->attributeParameters();
    m_headingCheckBox->setState(on ? OnState : OffState);
    m_attributeNameTextField->setEnabled(on);
    m_requiredValuesTokenField->setEnabled(on);
    m_forbiddenValuesTokenField->setEnabled(on);
    m_attributeNameTextField->setTextString(parameters ? parameters->attributeName : std::u16string());
    m_requiredValuesTokenField->setTokens(parameters ? parameters->requiredValues : std::vector<std::u16string>());
    m_forbiddenValuesTokenField->setTokens(parameters ? parameters->forbiddenValues : std::vector<std::u16string>());
    if (on) {
        if (auto window = view->window())
            window->makeFirstResponder(m_attributeNameTextField);
    }
}

void VornickAttachmentPointSettingsModule::markEdited()
{
    if (m_controller)
        m_controller->setEdited(true);
}

void VornickAttachmentPointSettingsModule::refuseEdit()
{
    Sound::beep();
    updateControlsFromLocator();
}

void VornickAttachmentPointSettingsModule::headingCheckBoxToggled()
{
    if (m_headingCheckBox->state() == OnState) {
        // Only a default the language can carry switches the point on.
        if (m_defaultLocator && m_defaultLocator->attributeParameters()) {
            m_locator = std::make_shared<VornickAttachmentPointLocator>(m_description ? m_description->identifier
                                                                                      : m_defaultLocator->identifier(),
                                                                        m_defaultLocator->selector());
        } else
            m_locator = nullptr;
    } else
        m_locator = nullptr;
    markEdited();
    updateControlsFromLocator();
}

void VornickAttachmentPointSettingsModule::attributeNameEdited()
{
    auto parameters = m_locator ? m_locator->attributeParameters() : std::nullopt;
    if (!parameters)
        return;
    std::u16string name = m_attributeNameTextField->attributedStringValue().string();
    if (!VornickAttachmentPointLocator::isValidSelectorAttributeName(name))
        return refuseEdit();
    m_locator->setAttributeName(name, parameters->requiredValues, parameters->forbiddenValues);
    markEdited();
}

void VornickAttachmentPointSettingsModule::requiredValuesEdited()
{
    auto parameters = m_locator ? m_locator->attributeParameters() : std::nullopt;
    if (!parameters || !m_requiredValuesTokenField->objectValue().isArray())
        return;
    auto values = m_requiredValuesTokenField->tokens();
    if (!std::all_of(values.begin(), values.end(), [](const auto& value) { return VornickAttachmentPointLocator::isValidSelectorValue(value); }))
        return refuseEdit();
    m_locator->setAttributeName(parameters->attributeName, values, parameters->forbiddenValues);
    markEdited();
}

void VornickAttachmentPointSettingsModule::forbiddenValuesEdited()
{
    auto parameters = m_locator ? m_locator->attributeParameters() : std::nullopt;
    if (!parameters || !m_forbiddenValuesTokenField->objectValue().isArray())
        return;
    auto values = m_forbiddenValuesTokenField->tokens();
    if (!std::all_of(values.begin(), values.end(), [](const auto& value) { return VornickAttachmentPointLocator::isValidSelectorValue(value); }))
        return refuseEdit();
    m_locator->setAttributeName(parameters->attributeName, parameters->requiredValues, values);
    markEdited();
}

} // namespace brevanton
