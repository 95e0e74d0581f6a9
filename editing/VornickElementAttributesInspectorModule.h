// VornickElementAttributesInspectorModule: the attributes editor's one
// module. Under the element's tag it lists a field per attribute: those the
// element has, in order, then those its document type offers first for the
// element (a link's href and target, an image's src, alt, width and height)
// and the title. A field of an attribute that holds a URL offers the
// view's addresses that match what is typed (Return or Tab takes one, Escape
// closes the list). Return applies what was typed to the element (one undo
// step) and closes the editor; Escape closes it without applying. Either
// way the page has the keyboard again.
#pragma once

#include "editing/VornickElementInspectorModule.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class TextField;

class VornickElementAttributesInspectorModule final : public VornickElementInspectorModule {
public:
    using VornickElementInspectorModule::VornickElementInspectorModule;

    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    std::u16string nibName() const override { return u"VornickElementAttributesInspectorModule"; }

    void updateControlsFromElement() override;
    bool showsAnotherTarget() const override { return true; }
    void editorPopoverDidClose() override { hideValidationTip(); }

    // The attributes shown, in the order of their fields.
    const std::vector<std::u16string>& attributeNames() const { return m_attributeNames; }
    // The field of an attribute; null when the attribute is not shown.
    std::shared_ptr<TextField> fieldForAttribute(std::u16string_view name) const;
    // The field the keyboard goes to: the attribute's, else the first.
    std::shared_ptr<TextField> fieldToFocus(const std::u16string* attribute) const;

    // Tab (1) and back-tab (-1): the keyboard goes to the next field, round.
    void focusNextField(int direction);
    // Return: the typed values go to the element and the editor closes.
    void applyAndClose();
    // Escape: the editor closes, the typed values are dropped.
    void cancelAndClose();

    // After each edit of a field: a value its attribute's validator warns
    // about or refuses has the shared validation tip under the field, saying
    // why, until the value is sound, the keyboard moves on or the editor closes.
    void validateField(const TextField&);
    bool showsValidationTip() const { return m_showsValidationTip; }
    void hideValidationTip();

protected:
    void loadView() override;

private:
    void closeEditor(bool apply);

    std::vector<std::u16string> m_attributeNames;
    std::vector<std::shared_ptr<TextField>> m_fields;
    std::vector<std::shared_ptr<TextField>> m_rowLabels;
    std::shared_ptr<TextField> m_elementLabel;
    bool m_showsValidationTip { false };
};

} // namespace brevanton
