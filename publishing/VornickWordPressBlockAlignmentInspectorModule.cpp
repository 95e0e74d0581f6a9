#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"

#include "editing/VornickElementEditorUIController.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/views/SegmentedControl.h"
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

constexpr const char* changeAlignmentAction = "changeAlignment:";

bool typeIsIn(const VornickElementEditorUIController& editor, const std::set<std::u16string, std::less<>>& types)
{
    auto metadata = VornickWordPressBlockInspectorModule::blockMetadataOfTargetOf(editor);
    return metadata && types.contains(metadata->typeName());
}

} // namespace

void VornickWordPressBlockAlignmentInspectorModule::loadView()
{
    auto view = std::make_shared<VornickFlippedView>(Rect(0, 0, moduleWidth, moduleHeight));
    view->setAutoresizingMask(Autoresizing::WidthSizable);
    m_labelTextField = TextField::labelWithString(label());
    m_labelTextField->setFrame(Rect(4, 5, labelWidth - 8, 18));
    view->addSubview(m_labelTextField);
    m_alignmentSegmentedControl = std::make_shared<SegmentedControl>(Rect(labelWidth, 2, moduleWidth - labelWidth - 4, 24));
    m_alignmentSegmentedControl->setAutoresizingMask(Autoresizing::WidthSizable);
    view->addSubview(m_alignmentSegmentedControl);

    std::weak_ptr<VornickWordPressBlockAlignmentInspectorModule> weakModule
        = std::static_pointer_cast<VornickWordPressBlockAlignmentInspectorModule>(shared_from_this());
    m_alignmentSegmentedControl->setAction(changeAlignmentAction);
    m_alignmentSegmentedControl->setTarget(view);
    view->setActionHandler(changeAlignmentAction, [weakModule](ActionSender* sender) {
        if (auto module = weakModule.lock())
            (void)module->changeProperty(sender);
    });
    setView(view);
}

void VornickWordPressBlockAlignmentInspectorModule::addAlignment(std::u16string displayName, std::u16string propertyValue,
                                                                 std::u16string className)
{
    m_allowedAlignments.push_back({ std::move(displayName), std::move(propertyValue), std::move(className) });
}

void VornickWordPressBlockAlignmentInspectorModule::buildAlignmentsForBlockType(const std::u16string&)
{
}

size_t VornickWordPressBlockAlignmentInspectorModule::alignmentIndexForBlockMetadata(const VornickWordPressBlockMetadata* metadata) const
{
    std::u16string value;
    if (metadata) {
        if (auto string = metadata->stringForProperty(propertyName()))
            value = *string;
    }
    for (size_t index = 0; index < m_allowedAlignments.size(); ++index) {
        if (equalsIgnoringASCIICase(m_allowedAlignments[index].propertyValue, value))
            return index;
    }
    return 0;
}

void VornickWordPressBlockAlignmentInspectorModule::updateControlsFromElement()
{
    view();
    auto metadata = wordPressBlockMetadata();
    auto typeName = metadata ? metadata->typeName() : std::u16string();
    if (m_alignmentsBlockType != typeName) {
        m_alignmentsBlockType = std::move(typeName);
        m_allowedAlignments.clear();
        buildAlignmentsForBlockType(*m_alignmentsBlockType);
        m_alignmentSegmentedControl->setSegmentCount(static_cast<long>(m_allowedAlignments.size()));
        for (size_t index = 0; index < m_allowedAlignments.size(); ++index)
            m_alignmentSegmentedControl->setLabel(m_allowedAlignments[index].displayName, static_cast<long>(index));
    }
    if (!m_allowedAlignments.empty())
        m_alignmentSegmentedControl->setSelectedSegment(static_cast<long>(alignmentIndexForBlockMetadata(metadata.get())));
}

bool VornickWordPressBlockAlignmentInspectorModule::writeChangeFromControl(ActionSender*, const VornickExactSelection& replacementBlock,
                                                                           DOMDocumentFragment&, VornickWordPressBlockMetadata& metadata)
{
    auto current = wordPressBlockMetadata();
    size_t currentIndex = alignmentIndexForBlockMetadata(current.get());
    long chosen = m_alignmentSegmentedControl ? m_alignmentSegmentedControl->selectedSegment() : -1;
    if (chosen < 0 || static_cast<size_t>(chosen) >= m_allowedAlignments.size() || static_cast<size_t>(chosen) == currentIndex)
        return false;
    auto& element = replacementBlock.element();
    if (!element)
        return false;
    const auto& alignment = m_allowedAlignments[static_cast<size_t>(chosen)];

    auto properties = metadata.properties().value_or(Dictionary());
    properties.erase(propertyName());
    if (!alignment.propertyValue.empty())
        properties.insert_or_assign(propertyName(), Value(alignment.propertyValue));
    metadata.setProperties(std::move(properties));

    // The user's own classes (those "className" lists) stay whatever their prefix.
    std::vector<std::u16string> userClasses;
    if (auto className = metadata.stringForProperty(u"className"))
        userClasses = vornick_wordsBetweenHTMLSpace(*className);
    auto prefix = classNamePrefix();
    std::vector<std::u16string> classes;
    for (auto& name : vornick_wordsBetweenHTMLSpace(element->getAttribute(u"class"))) {
        bool owned = std::find(userClasses.begin(), userClasses.end(), name) != userClasses.end();
        if (!prefix.empty() && name.starts_with(prefix) && !owned)
            continue;
        classes.push_back(std::move(name));
    }
    if (!alignment.className.empty())
        classes.push_back(alignment.className);
    vornick_setClassNamesOfBlockElement(*element, classes);
    return true;
}

// --- Media alignment

bool VornickWordPressBlockMediaAlignmentInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    static const std::set<std::u16string, std::less<>> types { u"wp:heading", u"wp:pullquote", u"wp:table", u"wp:image", u"wp:gallery",
                                                               u"wp:audio", u"wp:cover", u"wp:file", u"wp:media-text", u"wp:embed" };
    return typeIsIn(editor, types);
}

void VornickWordPressBlockMediaAlignmentInspectorModule::buildAlignmentsForBlockType(const std::u16string& typeName)
{
    auto type = asciiLowercase(typeName);
    addAlignment(u"None", u"", u"");
    if (type == u"wp:heading" || type == u"wp:media-text") {
        addAlignment(u"Wide", u"wide", u"alignwide");
        addAlignment(u"Full", u"full", u"alignfull");
        return;
    }
    addAlignment(u"Left", u"left", u"alignleft");
    if (type != u"wp:pullquote")
        addAlignment(u"Center", u"center", u"aligncenter");
    addAlignment(u"Right", u"right", u"alignright");
    addAlignment(u"Wide", u"wide", u"alignwide");
    addAlignment(u"Full", u"full", u"alignfull");
}

// --- Text alignment

bool VornickWordPressBlockTextAlignmentInspectorModule::canInspectTargetOf(const VornickElementEditorUIController& editor)
{
    static const std::set<std::u16string, std::less<>> types { u"wp:heading", u"wp:paragraph", u"wp:quote", u"wp:pullquote", u"wp:verse" };
    return typeIsIn(editor, types);
}

std::u16string VornickWordPressBlockTextAlignmentInspectorModule::propertyNameForBlockType(std::u16string_view typeName)
{
    auto type = asciiLowercase(typeName);
    return type == u"wp:paragraph" || type == u"wp:quote" ? u"align" : u"textAlign";
}

std::u16string VornickWordPressBlockTextAlignmentInspectorModule::propertyName() const
{
    if (alignmentsBlockType())
        return propertyNameForBlockType(*alignmentsBlockType());
    auto metadata = wordPressBlockMetadata();
    return propertyNameForBlockType(metadata ? metadata->typeName() : std::u16string());
}

void VornickWordPressBlockTextAlignmentInspectorModule::buildAlignmentsForBlockType(const std::u16string& typeName)
{
    if (equalsIgnoringASCIICase(typeName, u"wp:pullquote")) {
        addAlignment(u"Left", u"left", u"has-text-align-left");
        addAlignment(u"Center", u"", u"");
        addAlignment(u"Right", u"right", u"has-text-align-right");
        return;
    }
    addAlignment(u"Left", u"", u"");
    addAlignment(u"Center", u"center", u"has-text-align-center");
    addAlignment(u"Right", u"right", u"has-text-align-right");
}

} // namespace brevanton
