#include "publishing/VornickWordPressBlockColorInspectorModule.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickElementEditorUIController.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressBlockColors.h"
#include "publishing/VornickWordPressColorChooserController.h"
#include "ui/VornickFlippedView.h"

#include <set>

namespace brevanton {

namespace {

constexpr double margin = 8;
constexpr double gap = 10;

} // namespace

bool VornickWordPressBlockColorInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    static const std::set<std::u16string, std::less<>> types {
        u"wp:heading", u"wp:paragraph", u"wp:list", u"wp:code", u"wp:preformatted", u"wp:pullquote", u"wp:table",
        u"wp:verse", u"wp:media-text", u"wp:columns", u"wp:column", u"wp:group", u"wp:site-tagline", u"wp:site-title",
        u"wp:query-title", u"wp:post-terms", u"wp:search", u"wp:query", u"wp:post-title", u"wp:post-excerpt",
    };
    auto metadata = blockMetadataOfTargetOf(editor);
    return metadata && types.contains(metadata->typeName());
}

void VornickWordPressBlockColorInspectorModule::loadView()
{
    constexpr double chooserWidth = VornickWordPressColorChooserController::viewWidth;
    constexpr double chooserHeight = VornickWordPressColorChooserController::viewHeight;
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, chooserWidth + 2 * margin, 2 * chooserHeight + 2 * margin + gap));
    m_textColorChooser = VornickWordPressColorChooserController::create();
    m_backgroundColorChooser = VornickWordPressColorChooserController::create();
    m_textColorChooser->labelTextField()->setTextString(u"Text Color");
    m_backgroundColorChooser->labelTextField()->setTextString(u"Background Color");
    m_textColorChooser->view()->setFrameOrigin({ margin, margin });
    m_backgroundColorChooser->view()->setFrameOrigin({ margin, margin + chooserHeight + gap });
    std::weak_ptr<VornickWordPressBlockColorInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressBlockColorInspectorModule>(shared_from_this());
    for (const auto& chooser : { m_textColorChooser, m_backgroundColorChooser }) {
        view->addSubview(chooser->view());
        VornickWordPressColorChooserController* sender = chooser.get();
        chooser->setColorChangeHandler([weakModule, sender](const VornickColorDescriptionList::Description&) {
            if (auto module = weakModule.lock())
                (void)module->changeProperty(sender);
        });
    }
    setView(view);
}

const VornickColorDescriptionList& VornickWordPressBlockColorInspectorModule::themeColors()
{
    auto* editor = elementEditor();
    auto* contentView = editor ? editor->contentEditingView() : nullptr;
    auto document = contentView ? contentView->mainFrameDocument() : nullptr;
    // A module kept for another block may find the post in another document.
    if (!m_themeColors || document != m_themeColorsDocument.lock()) {
        m_themeColors = document ? vornick_wordPressPresetColorsInDocument(*document) : VornickColorDescriptionList();
        m_themeColorsDocument = document;
    }
    return *m_themeColors;
}

void VornickWordPressBlockColorInspectorModule::updateControlsFromElement()
{
    view();
    auto metadata = wordPressBlockMetadata();
    std::optional<Dictionary> properties = metadata ? metadata->properties() : std::nullopt;
    const auto& theme = themeColors();
    m_textColorChooser->setColorDescription(vornick_wordPressBlockColorDescription(properties, VornickWordPressBlockColorRole::Text, theme));
    m_backgroundColorChooser->setColorDescription(
        vornick_wordPressBlockColorDescription(properties, VornickWordPressBlockColorRole::Background, theme));
}

bool VornickWordPressBlockColorInspectorModule::writeChangeFromControl(ActionSender* control, const VornickExactSelection& replacementBlock,
                                                                      DOMDocumentFragment&, VornickWordPressBlockMetadata& metadata)
{
    VornickWordPressColorChooserController* chooser;
    VornickWordPressBlockColorRole role;
    if (control && control == m_textColorChooser.get()) {
        chooser = m_textColorChooser.get();
        role = VornickWordPressBlockColorRole::Text;
    } else if (control && control == m_backgroundColorChooser.get()) {
        chooser = m_backgroundColorChooser.get();
        role = VornickWordPressBlockColorRole::Background;
    } else
        return false;
    const auto& element = replacementBlock.element();
    if (!element)
        return false;
    auto properties = metadata.properties();
    if (!vornick_writeWordPressBlockColor(role, chooser->colorDescription(), properties, *element))
        return false;
    metadata.setProperties(std::move(properties));
    return true;
}

} // namespace brevanton
