// VornickWordPressBlockInspectorModule: the base of the inspector modules of
// a WordPress block. A module edits some of the block's JSON properties (in
// its opening comment) together with the matching classes, styles and
// attributes of its HTML; changeProperty turns one control change into one
// undoable replacement of the whole block ("Change Block Property"), so that
// comment and HTML always change together.
//
// Subclasses override canInspectTargetOf, nibName, updateControlsFromElement
// and writeChangeFromControl. They read the block's metadata as the block
// editor parsed it when it took the target: one opening parses it once.
#pragma once

#include "editing/VornickElementInspectorModule.h"
#include "html/VornickExactSelection.h"

#include <memory>
#include <string>

namespace brevanton {

class ActionSender;
class DOMDocumentFragment;
class DOMElement;
class DOMRange;
class VornickContentEditingView;
class VornickWordPressBlockElementEditorUIController;
class VornickWordPressBlockMetadata;
class VornickWordPressBlogEditor;

class VornickWordPressBlockInspectorModule : public VornickElementInspectorModule {
public:
    static constexpr const char16_t* changeBlockPropertyActionName = u"Change Block Property";

    using VornickElementInspectorModule::VornickElementInspectorModule;

    // The metadata of the block comment right before the element (skipping
    // whitespace-only text, not other nodes); null when there is none.
    static std::shared_ptr<const VornickWordPressBlockMetadata> blockMetadataForElement(const DOMElement&);
    // The metadata of the target of a block editor; null for another editor
    // and for a target without an opening comment.
    static std::shared_ptr<const VornickWordPressBlockMetadata> blockMetadataOfTargetOf(const VornickElementEditorUIController&);
    static bool canInspectTargetOf(const VornickElementEditorUIController&) { return false; }

    // The blog window of the post being edited, when one is open; null otherwise.
    std::shared_ptr<VornickWordPressBlogEditor> wordPressBlogEditor() const;
    VornickWordPressBlockElementEditorUIController* wordPressBlockElementEditor() const;
    // The metadata of the target's opening comment; null without one.
    std::shared_ptr<const VornickWordPressBlockMetadata> wordPressBlockMetadata() const;

    // Applies the control's value to the replacement block (a copy of the
    // target inside `fragment`) and to its metadata; false when nothing is
    // to change (the base).
    virtual bool writeChangeFromControl(ActionSender* control, const VornickExactSelection& replacementBlock,
                                        DOMDocumentFragment& fragment, VornickWordPressBlockMetadata& metadata);
    // The action of every editing control of the module: the block is
    // replaced by its edited copy as one undo step. A copy equal to the block
    // (its properties as values, its HTML node for node) changes nothing.
    // Every missing piece ends the change silently; false then.
    bool changeProperty(ActionSender* sender);

    // Whether the module chooses a media item for its block (the image
    // block's figure module does): the editor starts that choice when it is
    // opened to focus the block's media item.
    virtual bool choosesMediaItem() const { return false; }
    virtual void chooseOtherMediaItem(ActionSender*) {}

protected:
    // Replaces the range by the fragment as one undo step of the name given,
    // whose undoing also reopens element editing (on the block the undo
    // restores); false, leaving no undo step, when the replacement failed.
    [[nodiscard]] static bool replaceBlockReopeningEditingOnUndo(VornickContentEditingView&, const std::shared_ptr<DOMRange>&,
                                                                 const std::shared_ptr<DOMDocumentFragment>&, std::u16string actionName,
                                                                 std::shared_ptr<DOMRange>* outResultRange);
};

} // namespace brevanton
