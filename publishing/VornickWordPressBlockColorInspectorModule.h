// VornickWordPressBlockColorInspectorModule: a block's text and background
// colours, each in a colour chooser. A change writes the colour of the
// chooser that changed, as the block editor stores it (see
// VornickWordPressBlockColors.h), in one "Change Block Property" step; the
// other colour stays as it was, shown as the palette colour, the theme's
// colour of its slug, or its custom value.
#pragma once

#include "publishing/VornickWordPressBlockInspectorModule.h"
#include "ui/VornickColorDescriptionList.h"

#include <optional>

namespace brevanton {

class DOMDocument;
class VornickWordPressColorChooserController;

class VornickWordPressBlockColorInspectorModule final : public VornickWordPressBlockInspectorModule {
public:
    using VornickWordPressBlockInspectorModule::VornickWordPressBlockInspectorModule;

    static bool canInspectTargetOf(const VornickElementEditorUIController&);
    std::u16string nibName() const override { return u"WordPressBlockColorInspectorModule"; }
    const std::shared_ptr<VornickWordPressColorChooserController>& textColorChooser() { view(); return m_textColorChooser; }
    const std::shared_ptr<VornickWordPressColorChooserController>& backgroundColorChooser() { view(); return m_backgroundColorChooser; }

    void updateControlsFromElement() override;
    bool showsAnotherTarget() const override { return true; }
    bool writeChangeFromControl(ActionSender*, const VornickExactSelection& replacementBlock, DOMDocumentFragment&,
                                VornickWordPressBlockMetadata&) override;

protected:
    void loadView() override;

private:
    // The palette the post's theme declares in its style sheets, read once
    // per document.
    const VornickColorDescriptionList& themeColors();

    std::shared_ptr<VornickWordPressColorChooserController> m_textColorChooser;
    std::shared_ptr<VornickWordPressColorChooserController> m_backgroundColorChooser;
    std::optional<VornickColorDescriptionList> m_themeColors;
    std::weak_ptr<DOMDocument> m_themeColorsDocument;
};

} // namespace brevanton
