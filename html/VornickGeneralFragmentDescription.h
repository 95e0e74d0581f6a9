// VornickGeneralFragmentDescription: a snippet described by its texts: an
// identifier (for a block snippet its block type), the name shown, a tab
// trigger, a keyboard shortcut, the HTML markup with its expressions in
// braces, and the block-editor source kept beside the markup (may be empty).
#pragma once

#include "html/VornickFragmentSet.h"

#include <string>

namespace brevanton {

class VornickGeneralFragmentDescription : public VornickFragmentDescription {
public:
    VornickGeneralFragmentDescription(std::u16string identifier, std::u16string displayName, std::u16string tabTrigger,
                                      std::u16string keyboardShortcutShorthand, std::u16string markupString,
                                      std::u16string blockSourceString);

    const std::u16string& identifier() const { return m_identifier; }
    std::u16string displayName() const override { return m_displayName; }
    const std::u16string& tabTrigger() const { return m_tabTrigger; }
    const std::u16string& keyboardShortcutShorthand() const { return m_keyboardShortcutShorthand; }
    const std::u16string& markupString() const { return m_markupString; }
    const std::u16string& blockSourceString() const { return m_blockSourceString; }

    // No result is kept here: always a no-result-yet one.
    std::shared_ptr<const VornickFragmentValidationResult> validationResultForDocumentType(VornickHTMLDocumentType) const override;
    // The markup with each "{name}" of `values` replaced by its value, parsed
    // in `document`. The interior range is not recorded.
    std::shared_ptr<DOMDocumentFragment> createDescribedFragmentWithValues(
        const std::map<std::u16string, std::u16string>& values, DOMDocument& document,
        std::optional<VornickFreezeDriedDOMRange>* interiorRange) const override;

private:
    std::u16string m_identifier;
    std::u16string m_displayName;
    std::u16string m_tabTrigger;
    std::u16string m_keyboardShortcutShorthand;
    std::u16string m_markupString;
    std::u16string m_blockSourceString;
};

} // namespace brevanton
