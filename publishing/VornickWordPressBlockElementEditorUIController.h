// VornickWordPressBlockElementEditorUIController: the element editor of a
// WordPress block in a block-mode post. Its popover holds the block inspector
// modules that apply to the block, or the non-inspectable module when none
// does. Registered for VornickElementEditorKind::WordPressBlockElement.
#pragma once

#include "editing/VornickElementEditorUIController.h"

namespace brevanton {

class VornickWordPressBlockMetadata;
class VornickWordPressBlockModeHelper;

class VornickWordPressBlockElementEditorUIController : public VornickElementEditorUIController {
public:
    static std::u16string nibName() { return u"VornickWordPressBlockElementEditor"; }
    // Every block: a block no module applies to shows the non-inspectable module.
    static bool canInspectElement(const DOMElement&);
    // Makes this the editor of WordPress blocks (again: no change).
    static void registerForWordPressBlockElements();

    // The metadata of the target's opening comment, parsed when the editor
    // took the target (a change replaces the block, and the editor takes the
    // new one); null without one.
    const std::shared_ptr<const VornickWordPressBlockMetadata>& wordPressBlockMetadata() const { return m_blockMetadata; }
    // The view's helper when it is a WordPress one.
    std::shared_ptr<VornickWordPressBlockModeHelper> wordPressBlockModeHelper() const;

    // Shows as the base does; asked to focus "wp-image-id", it then starts
    // the media item choice of the first module that chooses one.
    void showForTargetObject(const VornickExactSelection&, const std::optional<std::u16string>& focusAttribute,
                             VornickContentEditingView&) override;
    // The modules, in this order, that can inspect the target; the
    // non-inspectable module when none can.
    void addAllModulesForTargetObject() override;

protected:
    void loadTargetObject() override;

private:
    std::shared_ptr<const VornickWordPressBlockMetadata> m_blockMetadata;
};

} // namespace brevanton
