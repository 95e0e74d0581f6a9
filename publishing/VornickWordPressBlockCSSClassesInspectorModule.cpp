#include "publishing/VornickWordPressBlockCSSClassesInspectorModule.h"

#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/TextField.h"
#include "publishing/VornickWordPressBlockClassNames.h"
#include "ui/VornickFlippedView.h"

#include <algorithm>
#include <set>

namespace brevanton {

namespace {

constexpr double moduleWidth = 360;
constexpr double moduleHeight = 28;
constexpr double labelWidth = 104;

constexpr const char* changeClassNamesAction = "changeClassNames:";

} // namespace

bool VornickWordPressBlockCSSClassesInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    static const std::set<std::u16string, std::less<>> types {
        u"wp:heading", u"wp:paragraph", u"wp:list", u"wp:quote", u"wp:code", u"wp:preformatted", u"wp:pullquote", u"wp:table",
        u"wp:verse", u"wp:image", u"wp:gallery", u"wp:audio", u"wp:cover", u"wp:file", u"wp:media-text", u"wp:buttons",
        u"wp:columns", u"wp:column", u"wp:group", u"wp:separator", u"wp:spacer", u"wp:site-logo", u"wp:site-tagline",
        u"wp:site-title", u"wp:query-title", u"wp:post-terms", u"wp:archives", u"wp:calendar", u"wp:categories",
        u"wp:latest-comments", u"wp:latest-posts", u"wp:page-list", u"wp:social-links", u"wp:tag-cloud", u"wp:search", u"wp:query",
        u"wp:post-title", u"wp:post-content", u"wp:post-date", u"wp:post-excerpt", u"wp:post-featured-image", u"wp:loginout",
        u"wp:embed",
    };
    auto metadata = blockMetadataOfTargetOf(editor);
    return metadata && types.contains(metadata->typeName());
}

void VornickWordPressBlockCSSClassesInspectorModule::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, moduleWidth, moduleHeight));
    view->setAutoresizingMask(Autoresizing::WidthSizable);
    auto label = TextField::labelWithString(u"CSS Classes");
    label->setFrame(Rect(4, 5, labelWidth - 8, 18));
    view->addSubview(label);
    m_classNamesTextField = std::make_shared<TextField>(Rect(labelWidth, 3, moduleWidth - labelWidth - 4, 22));
    m_classNamesTextField->setEditable(true);
    m_classNamesTextField->setBezeled(true);
    m_classNamesTextField->setAutoresizingMask(Autoresizing::WidthSizable);
    view->addSubview(m_classNamesTextField);

    std::weak_ptr<VornickWordPressBlockCSSClassesInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressBlockCSSClassesInspectorModule>(shared_from_this());
    m_classNamesTextField->setAction(changeClassNamesAction);
    m_classNamesTextField->setTarget(view);
    view->setActionHandler(changeClassNamesAction, [weakModule](ActionSender* sender) {
        if (auto module = weakModule.lock())
            (void)module->changeProperty(sender);
    });
    setView(view);
}

void VornickWordPressBlockCSSClassesInspectorModule::updateControlsFromElement()
{
    view();
    auto metadata = wordPressBlockMetadata();
    auto className = metadata ? metadata->stringForProperty(u"className") : std::nullopt;
    m_classNamesTextField->setTextString(className.value_or(std::u16string()));
}

bool VornickWordPressBlockCSSClassesInspectorModule::writeChangeFromControl(ActionSender*, const VornickExactSelection& replacementBlock,
                                                                            DOMDocumentFragment&, VornickWordPressBlockMetadata& metadata)
{
    auto& element = replacementBlock.element();
    if (!element || !m_classNamesTextField)
        return false;
    auto text = vornick_trimmedOfHTMLSpace(m_classNamesTextField->stringValue());
    auto newNames = vornick_wordsBetweenHTMLSpace(text);
    auto oldNames = vornick_wordsBetweenHTMLSpace(metadata.stringForProperty(u"className").value_or(std::u16string()));

    std::vector<std::u16string> classes;
    for (auto& piece : vornick_piecesBetweenHTMLSpace(vornick_trimmedOfHTMLSpace(element->getAttribute(u"class")))) {
        if (std::find(oldNames.begin(), oldNames.end(), piece) == oldNames.end())
            classes.push_back(std::move(piece));
    }
    classes.insert(classes.end(), newNames.begin(), newNames.end());

    if (text.empty())
        metadata.removeProperty(u"className");
    else
        metadata.setString(text, u"className");
    vornick_setClassNamesOfBlockElement(*element, classes);
    return true;
}

} // namespace brevanton
