#include "publishing/VornickWordPressBlockElementEditorUIController.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickElementEditorUIControllerClass.h"
#include "editing/VornickElementInspectorModuleClass.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"
#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"
#include "publishing/VornickWordPressBlockColorInspectorModule.h"
#include "publishing/VornickWordPressEmbedBlockInspectorModule.h"
#include "publishing/VornickWordPressImageBlockFigureInspectorModule.h"
#include "publishing/VornickWordPressNonInspectableBlockInspectorModule.h"

namespace brevanton {

bool VornickWordPressBlockElementEditorUIController::canInspectElement(const DOMElement& element)
{
    return VornickWordPressBlockInspectorModule::blockMetadataForElement(element) != nullptr;
}

void VornickWordPressBlockElementEditorUIController::registerForWordPressBlockElements()
{
    VornickRegisterElementEditorUIControllerClass(VornickElementEditorKind::WordPressBlockElement,
                                                  VornickElementEditorUIControllerClass::of<VornickWordPressBlockElementEditorUIController>());
}

void VornickWordPressBlockElementEditorUIController::loadTargetObject()
{
    m_blockMetadata = nullptr;
    if (targetObject() && targetObject()->blockStartComment())
        m_blockMetadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(targetObject()->blockStartComment()->data());
}

std::shared_ptr<VornickWordPressBlockModeHelper> VornickWordPressBlockElementEditorUIController::wordPressBlockModeHelper() const
{
    auto* view = contentEditingView();
    return view ? std::dynamic_pointer_cast<VornickWordPressBlockModeHelper>(view->blockModeHelper()) : nullptr;
}

void VornickWordPressBlockElementEditorUIController::showForTargetObject(const VornickExactSelection& target,
                                                                         const std::optional<std::u16string>& focusAttribute,
                                                                         VornickContentEditingView& view)
{
    VornickElementEditorUIController::showForTargetObject(target, focusAttribute, view);
    if (focusAttribute != u"wp-image-id")
        return;
    auto chooser = firstModulePassingTest([](VornickElementInspectorModule& module) {
        auto* blockModule = dynamic_cast<VornickWordPressBlockInspectorModule*>(&module);
        return blockModule && blockModule->choosesMediaItem();
    });
    if (chooser)
        std::static_pointer_cast<VornickWordPressBlockInspectorModule>(chooser)->chooseOtherMediaItem(nullptr);
}

void VornickWordPressBlockElementEditorUIController::addAllModulesForTargetObject()
{
    // One line per module, in the order the popover shows them.
    addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickWordPressBlockMediaAlignmentInspectorModule>());
    addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickWordPressBlockTextAlignmentInspectorModule>());
    addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickWordPressBlockColorInspectorModule>());
    addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickWordPressImageBlockFigureInspectorModule>());
    addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickWordPressEmbedBlockInspectorModule>());
    addInspectorModuleOfClassIfApplicable(VornickElementInspectorModuleClass::of<VornickWordPressBlockCSSClassesInspectorModule>());
    if (moduleCount() == 0)
        insertModule(std::make_shared<VornickWordPressNonInspectableBlockInspectorModule>(*this), 0);
}

} // namespace brevanton
