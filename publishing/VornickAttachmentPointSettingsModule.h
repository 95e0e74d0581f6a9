// VornickAttachmentPointSettingsModule: one row of the attachment point
// settings sheet. It shows one attachment point of the blog class: a check
// box titled with the point's title that switches the point's own locator
// on or off, and the locator's attribute name, required values and
// forbidden values. Switched off, the row shows the default locator's
// parameters, disabled.
//
// The row edits a copy of the stored locator. Only selectors the language
// can carry are kept: a name or value outside the grammar is refused as it
// is typed (the field goes back to what the locator holds, with a beep), so
// the locator always parses while the row is on.
#pragma once

#include "blog/VornickAttachmentPointDescription.h"
#include "ui/VornickStackView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Button;
class TextField;
class TokenField;
class VornickAttachmentPointLocator;
class VornickAttachmentPointSettingsUIController;

class VornickAttachmentPointSettingsModule : public VornickStackItem {
public:
    static constexpr const char* HeadingCheckBoxToggledAction = "headingCheckBoxToggled:";
    static constexpr const char* AttributeNameEditedAction = "attributeNameEdited:";
    static constexpr const char* RequiredValuesEditedAction = "requiredValuesEdited:";
    static constexpr const char* ForbiddenValuesEditedAction = "forbiddenValuesEdited:";

    // Not held: the controller owns its rows.
    VornickAttachmentPointSettingsUIController* attachmentPointSettingsUIController() const { return m_controller; }
    void setAttachmentPointSettingsUIController(VornickAttachmentPointSettingsUIController* controller) { m_controller = controller; }

    const std::optional<VornickAttachmentPointDescription>& attachmentPointDescription() const { return m_description; }
    void setAttachmentPointDescription(std::optional<VornickAttachmentPointDescription>);
    // The row's own copy of the locator; null while the point is switched off.
    const std::shared_ptr<VornickAttachmentPointLocator>& attachmentPointLocator() const { return m_locator; }
    // A different locator is kept as a copy.
    void setAttachmentPointLocator(const std::shared_ptr<VornickAttachmentPointLocator>&);
    const std::shared_ptr<VornickAttachmentPointLocator>& defaultAttachmentPointLocator() const { return m_defaultLocator; }
    void setDefaultAttachmentPointLocator(std::shared_ptr<VornickAttachmentPointLocator> locator);

    bool attachmentFailed() const { return m_attachmentFailed; }
    void setAttachmentFailed(bool);
    bool attachmentNeededForCurrentPost() const { return m_attachmentNeededForCurrentPost; }
    void setAttachmentNeededForCurrentPost(bool);

    // Outlets, made with the view.
    const std::shared_ptr<Button>& headingCheckBox() { view(); return m_headingCheckBox; }
    const std::shared_ptr<TextField>& attributeNameTextField() { view(); return m_attributeNameTextField; }
    const std::shared_ptr<TokenField>& requiredValuesTokenField() { view(); return m_requiredValuesTokenField; }
    const std::shared_ptr<TokenField>& forbiddenValuesTokenField() { view(); return m_forbiddenValuesTokenField; }
    // "Failed", "Needed by this post", both or neither.
    const std::shared_ptr<TextField>& statusTextField() { view(); return m_statusTextField; }

    // Shows the locator (or the default's parameters) in the controls.
    void updateControlsFromLocator();

    // Actions of the controls.
    void headingCheckBoxToggled();
    void attributeNameEdited();
    void requiredValuesEdited();
    void forbiddenValuesEdited();

protected:
    void loadView() override;

private:
    void markEdited();
    void updateStatus();
    // The refused edit's field shows the locator again.
    void refuseEdit();

    VornickAttachmentPointSettingsUIController* m_controller { nullptr };
    std::optional<VornickAttachmentPointDescription> m_description;
    std::shared_ptr<VornickAttachmentPointLocator> m_locator;
    std::shared_ptr<VornickAttachmentPointLocator> m_defaultLocator;
    bool m_attachmentFailed { false };
    bool m_attachmentNeededForCurrentPost { false };
    std::shared_ptr<Button> m_headingCheckBox;
    std::shared_ptr<TextField> m_attributeNameTextField;
    std::shared_ptr<TokenField> m_requiredValuesTokenField;
    std::shared_ptr<TokenField> m_forbiddenValuesTokenField;
    std::shared_ptr<TextField> m_statusTextField;
};

} // namespace brevanton
