// VornickWordPressBlockCSSClassesInspectorModule: the block's extra classes
// (its "className" property) in a text field; Return writes them to the
// property and the element's class list, keeping the classes the block owns
// (those "className" did not list).
#pragma once

#include "publishing/VornickWordPressBlockInspectorModule.h"

namespace brevanton {

class TextField;

class VornickWordPressBlockCSSClassesInspectorModule final : public VornickWordPressBlockInspectorModule {
public:
    using VornickWordPressBlockInspectorModule::VornickWordPressBlockInspectorModule;

    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    std::u16string nibName() const override { return u"WordPressBlockCSSClassesInspectorModule"; }
    const std::shared_ptr<TextField>& classNamesTextField() { view(); return m_classNamesTextField; }

    void updateControlsFromElement() override;
    bool showsAnotherTarget() const override { return true; }
    bool writeChangeFromControl(ActionSender*, const VornickExactSelection& replacementBlock, DOMDocumentFragment&,
                                VornickWordPressBlockMetadata&) override;

protected:
    void loadView() override;

private:
    std::shared_ptr<TextField> m_classNamesTextField;
};

} // namespace brevanton
