// VornickWordPressBlockAlignmentInspectorModule: a block inspector module
// that sets one alignment property of a block through a segmented control,
// keeping the element's alignment class in step. The allowed alignments are
// built per block type on first use; subclasses name the label, the
// property and the class prefix. A module kept for another block builds the
// list again when that block's type differs:
// - VornickWordPressBlockMediaAlignmentInspectorModule: "align" and the
//   classes starting "align" (left, center, right, wide, full);
// - VornickWordPressBlockTextAlignmentInspectorModule: the text alignment
//   and the classes starting "has-text-align-". WordPress keeps a
//   paragraph's and a quote's text alignment in "align", a heading's,
//   pullquote's and verse's in "textAlign"; tables have none.
//
// Classes the block's "className" property lists are the user's own and
// stay, whatever their prefix ("alignment-note").
#pragma once

#include "publishing/VornickWordPressBlockAlignment.h"
#include "publishing/VornickWordPressBlockInspectorModule.h"

#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class SegmentedControl;
class TextField;

class VornickWordPressBlockAlignmentInspectorModule : public VornickWordPressBlockInspectorModule {
public:
    using VornickWordPressBlockInspectorModule::VornickWordPressBlockInspectorModule;

    std::u16string nibName() const override { return u"WordPressBlockAlignmentInspectorModule"; }
    virtual std::u16string label() const { return u"Alignment"; }
    // The property that holds the alignment (of the block type the list was built for).
    virtual std::u16string propertyName() const { return {}; }
    virtual std::u16string classNamePrefix() const { return {}; }

    // Outlets, made with the view.
    const std::shared_ptr<TextField>& labelTextField() { view(); return m_labelTextField; }
    const std::shared_ptr<SegmentedControl>& alignmentSegmentedControl() { view(); return m_alignmentSegmentedControl; }

    const std::vector<VornickWordPressBlockAlignment>& allowedAlignments() const { return m_allowedAlignments; }
    void addAlignment(std::u16string displayName, std::u16string propertyValue, std::u16string className);
    // Fills the list for the type (the base adds none).
    virtual void buildAlignmentsForBlockType(const std::u16string& typeName);
    // The block type the list was built for.
    const std::optional<std::u16string>& alignmentsBlockType() const { return m_alignmentsBlockType; }
    // The first alignment whose value equals the metadata's (ignoring case;
    // an absent value is the empty one); 0 when none does.
    size_t alignmentIndexForBlockMetadata(const VornickWordPressBlockMetadata*) const;

    void updateControlsFromElement() override;
    bool showsAnotherTarget() const override { return true; }
    bool writeChangeFromControl(ActionSender*, const VornickExactSelection& replacementBlock, DOMDocumentFragment&,
                                VornickWordPressBlockMetadata&) override;

protected:
    void loadView() override;

private:
    std::vector<VornickWordPressBlockAlignment> m_allowedAlignments;
    std::optional<std::u16string> m_alignmentsBlockType;
    std::shared_ptr<TextField> m_labelTextField;
    std::shared_ptr<SegmentedControl> m_alignmentSegmentedControl;
};

class VornickWordPressBlockMediaAlignmentInspectorModule final : public VornickWordPressBlockAlignmentInspectorModule {
public:
    using VornickWordPressBlockAlignmentInspectorModule::VornickWordPressBlockAlignmentInspectorModule;

    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    std::u16string label() const override { return u"Alignment"; }
    std::u16string propertyName() const override { return u"align"; }
    std::u16string classNamePrefix() const override { return u"align"; }
    void buildAlignmentsForBlockType(const std::u16string& typeName) override;
};

class VornickWordPressBlockTextAlignmentInspectorModule final : public VornickWordPressBlockAlignmentInspectorModule {
public:
    using VornickWordPressBlockAlignmentInspectorModule::VornickWordPressBlockAlignmentInspectorModule;

    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    // "align" for the types that keep their text alignment there.
    static std::u16string propertyNameForBlockType(std::u16string_view typeName);
    std::u16string label() const override { return u"Text Alignment"; }
    std::u16string propertyName() const override;
    std::u16string classNamePrefix() const override { return u"has-text-align-"; }
    void buildAlignmentsForBlockType(const std::u16string& typeName) override;
};

} // namespace brevanton
