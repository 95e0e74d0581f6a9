#include "ui/VornickHTMLFormattingPreferencesModule.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/ScrollView.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "toolkit/VornickLog.h"
#include "ui/VornickAttributedTitleButton.h"
#include "ui/VornickHTMLFormattingPreferencesPreviewTextView.h"
#include "ui/VornickUITheme.h"
#include "views/VornickAttributedStringExtensions.h"
#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr const char* ruleAction = "formattingRuleChanged:";
constexpr const char* widthAction = "formattingWidthChanged:";
constexpr const char* helpAction = "showHelpTopic:";
constexpr long spacesPerIndentTag = 1;
constexpr long spacesPerTabTag = 2;

constexpr double viewWidth = 780;
constexpr double viewHeight = 450;
constexpr double controlsWidth = 400;
constexpr double rowHeight = 20;

// Each check box's title, in the rules' order; markup in them is coloured.
constexpr const char16_t* ruleTitles[VornickHTMLFormattingRuleCount] = {
    u"Indent with tabs where a tab's width fits",
    u"Indent block elements such as <p> and <div>",
    u"Don't indent the content of <head> and <body>",
    u"Put block element tags on lines of their own",
    u"Close empty elements with a slash: <br/>",
    u"Put a space before that slash: <br />",
    u"Blank lines before and after headings: <h1>",
    u"Enclose attribute values in \"double quotes\"",
    u"Write tag names in lower case: <p>, not <P>",
    u"Start a new line after <br>",
    u"Indent the line after <br>",
    u"Write special characters as they are: \u00e9",
    u"Use named character references: &eacute;",
    u"Use decimal character references: &#233;",
};

} // namespace

bool vornick_formattingRule(const VornickHTMLFormattingPreferences& preferences, VornickHTMLFormattingRule rule)
{
    switch (rule) {
    case VornickHTMLFormattingRule::UseTabs:
        return preferences.useTabs();
    case VornickHTMLFormattingRule::IndentBlockElements:
        return preferences.indentBlockElements();
    case VornickHTMLFormattingRule::DontIndentHeadOrBody:
        return preferences.dontIndentHeadOrBody();
    case VornickHTMLFormattingRule::PutBlockElementTagsOnNewLine:
        return preferences.putBlockElementTagsOnNewLine();
    case VornickHTMLFormattingRule::CloseEmptyElementsWithASlash:
        return preferences.closeEmptyElementsWithASlash();
    case VornickHTMLFormattingRule::InsertSpaceBeforeEmptyElementSlash:
        return preferences.insertSpaceBeforeEmptyElementSlash();
    case VornickHTMLFormattingRule::InsertBlankLineBeforeAndAfterHeadings:
        return preferences.insertBlankLineBeforeAndAfterHeadings();
    case VornickHTMLFormattingRule::EncloseAttributeValuesInDoubleQuotes:
        return preferences.encloseAttributeValuesInDoubleQuotes();
    case VornickHTMLFormattingRule::UseLowercaseTagNames:
        return preferences.useLowercaseTagNames();
    case VornickHTMLFormattingRule::NewLineAfterBR:
        return preferences.newLineAfterBR();
    case VornickHTMLFormattingRule::IndentAfterBR:
        return preferences.indentAfterBR();
    case VornickHTMLFormattingRule::UseNativeSpecialCharacters:
        return preferences.useNativeSpecialCharacters();
    case VornickHTMLFormattingRule::UseNamedCharacterReferences:
        return preferences.useNamedCharacterReferences();
    case VornickHTMLFormattingRule::UseDecimalCharacterReferences:
        return preferences.useDecimalCharacterReferences();
    }
    return false;
}

void vornick_setFormattingRule(VornickHTMLFormattingPreferences& preferences, VornickHTMLFormattingRule rule, bool on)
{
    switch (rule) {
    case VornickHTMLFormattingRule::UseTabs:
        return preferences.setUseTabs(on);
    case VornickHTMLFormattingRule::IndentBlockElements:
        return preferences.setIndentBlockElements(on);
    case VornickHTMLFormattingRule::DontIndentHeadOrBody:
        return preferences.setDontIndentHeadOrBody(on);
    case VornickHTMLFormattingRule::PutBlockElementTagsOnNewLine:
        return preferences.setPutBlockElementTagsOnNewLine(on);
    case VornickHTMLFormattingRule::CloseEmptyElementsWithASlash:
        return preferences.setCloseEmptyElementsWithASlash(on);
    case VornickHTMLFormattingRule::InsertSpaceBeforeEmptyElementSlash:
        return preferences.setInsertSpaceBeforeEmptyElementSlash(on);
    case VornickHTMLFormattingRule::InsertBlankLineBeforeAndAfterHeadings:
        return preferences.setInsertBlankLineBeforeAndAfterHeadings(on);
    case VornickHTMLFormattingRule::EncloseAttributeValuesInDoubleQuotes:
        return preferences.setEncloseAttributeValuesInDoubleQuotes(on);
    case VornickHTMLFormattingRule::UseLowercaseTagNames:
        return preferences.setUseLowercaseTagNames(on);
    case VornickHTMLFormattingRule::NewLineAfterBR:
        return preferences.setNewLineAfterBR(on);
    case VornickHTMLFormattingRule::IndentAfterBR:
        return preferences.setIndentAfterBR(on);
    case VornickHTMLFormattingRule::UseNativeSpecialCharacters:
        return preferences.setUseNativeSpecialCharacters(on);
    case VornickHTMLFormattingRule::UseNamedCharacterReferences:
        return preferences.setUseNamedCharacterReferences(on);
    case VornickHTMLFormattingRule::UseDecimalCharacterReferences:
        return preferences.setUseDecimalCharacterReferences(on);
    }
}

VornickHTMLFormattingPreferencesModule::VornickHTMLFormattingPreferencesModule()
{
    buildView();
    m_previewTextView->setSyntaxColoringPreferences(VornickUITheme::currentTheme().formattingPreviewHTMLSyntaxColoringPreferences());
    updateSyntaxColoringInControls();
    m_editObservation = NotificationCenter::defaultCenter().addObserver(
        VornickHTMLFormattingPreferencesWereEditedNotification, nullptr, nullptr, [this](const Notification& note) {
            if (m_active && note.object == m_active.get())
                activeSetWasEditedElsewhere();
        });
}

VornickHTMLFormattingPreferencesModule::~VornickHTMLFormattingPreferencesModule()
{
    // The view may outlive the module inside a window: nothing of it calls back.
    m_previewTextView->setFormattingPreferencesModule(nullptr);
    m_controlsView->removeActionHandler(ruleAction);
    m_controlsView->removeActionHandler(widthAction);
    m_controlsView->removeActionHandler(helpAction);
}

void VornickHTMLFormattingPreferencesModule::buildView()
{
    m_view = std::make_shared<View>(Rect(0, 0, viewWidth, viewHeight));
    m_controlsView = std::make_shared<View>(Rect(0, 0, controlsWidth, viewHeight));
    m_view->addSubview(m_controlsView);

    double y = viewHeight - 34;
    m_headingTextField = TextField::labelWithString(u"HTML files are written like this:");
    m_headingTextField->setFrame(Rect(16, y, controlsWidth - 32, 20));
    m_controlsView->addSubview(m_headingTextField);
    y -= 30;

    auto addWidthRow = [&](const char16_t* title, long tag) {
        auto label = TextField::labelWithString(title);
        label->setFrame(Rect(16, y + 2, 150, 20));
        m_controlsView->addSubview(label);
        auto popUp = std::make_shared<PopUpButton>(Rect(170, y, 70, rowHeight + 2));
        for (unsigned width = 1; width <= 10; ++width)
            popUp->addItemWithTitle(toUTF16(std::to_string(width)))->setTag(static_cast<long>(width));
        popUp->setTag(tag);
        popUp->setTarget(m_controlsView);
        popUp->setAction(widthAction);
        m_controlsView->addSubview(popUp);
        y -= rowHeight + 6;
        return popUp;
    };
    m_spacesPerIndentPopUp = addWidthRow(u"Spaces per indent:", spacesPerIndentTag);
    m_spacesPerTabPopUp = addWidthRow(u"Spaces per tab:", spacesPerTabTag);

    for (int index = 0; index < VornickHTMLFormattingRuleCount; ++index) {
        auto box = std::make_shared<VornickAttributedTitleButton>(Rect(16, y, controlsWidth - 32, rowHeight), ruleTitles[index]);
        box->setButtonType(ButtonType::Switch);
        box->setTag(index);
        box->setTarget(m_controlsView);
        box->setAction(ruleAction);
        m_controlsView->addSubview(box);
        m_ruleCheckBoxes.push_back(std::move(box));
        y -= rowHeight + 2;
    }

    auto help = std::make_shared<VornickAttributedTitleButton>(Rect(16, 8, 28, 24), u"?");
    help->setTarget(m_controlsView);
    help->setAction(helpAction);
    m_controlsView->addSubview(help);

    m_controlsView->setActionHandler(ruleAction, [this](ActionSender* sender) { ruleCheckBoxClicked(sender); });
    m_controlsView->setActionHandler(widthAction, [this](ActionSender* sender) { widthChosen(sender); });
    m_controlsView->setActionHandler(helpAction, [this](ActionSender* sender) { showHelpTopic(sender); });

    Rect previewFrame(controlsWidth, 8, viewWidth - controlsWidth - 8, viewHeight - 16);
    auto scrollView = std::make_shared<ScrollView>(previewFrame);
    m_previewTextView = std::make_shared<VornickHTMLFormattingPreferencesPreviewTextView>(Rect({ 0, 0 }, previewFrame.size));
    m_previewTextView->setEditable(false);
    m_previewTextView->setHorizontallyResizable(true);
    m_previewTextView->setVerticallyResizable(true);
    m_previewTextView->setFormattingPreferencesModule(this);
    scrollView->setDocumentView(m_previewTextView);
    scrollView->setHasVerticalScroller(true);
    scrollView->setHasHorizontalScroller(true);
    m_view->addSubview(scrollView);
}

void VornickHTMLFormattingPreferencesModule::setActiveHTMLFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences> preferences)
{
    if (preferences == m_active)
        return;
    m_active = std::move(preferences);
    m_lastString = m_active ? m_active->stringRepresentation() : std::u16string();
    showActiveValuesInControls();
    updatePreviewTextView();
}

void VornickHTMLFormattingPreferencesModule::showActiveValuesInControls()
{
    for (const auto& box : m_ruleCheckBoxes) {
        box->setEnabled(m_active != nullptr);
        auto rule = static_cast<VornickHTMLFormattingRule>(box->tag());
        box->setState(m_active && vornick_formattingRule(*m_active, rule) ? OnState : OffState);
    }
    for (const auto& popUp : { m_spacesPerIndentPopUp, m_spacesPerTabPopUp }) {
        popUp->setEnabled(m_active != nullptr);
        if (!m_active)
            continue;
        unsigned width = popUp == m_spacesPerIndentPopUp ? m_active->spacesPerIndent() : m_active->spacesPerTab();
        popUp->selectItemAtIndex(static_cast<long>(std::clamp(width, 1u, 10u)) - 1);
    }
}

void VornickHTMLFormattingPreferencesModule::ruleCheckBoxClicked(ActionSender* sender)
{
    auto* box = dynamic_cast<Button*>(sender);
    if (!box || !m_active || box->tag() < 0 || box->tag() >= VornickHTMLFormattingRuleCount)
        return;
    vornick_setFormattingRule(*m_active, static_cast<VornickHTMLFormattingRule>(box->tag()), box->state() == OnState);
    editOccurred(sender);
}

void VornickHTMLFormattingPreferencesModule::widthChosen(ActionSender* sender)
{
    auto* popUp = dynamic_cast<PopUpButton*>(sender);
    auto item = popUp ? popUp->selectedItem() : nullptr;
    if (!item || !m_active || item->tag() < 1 || item->tag() > 10)
        return;
    auto width = static_cast<unsigned>(item->tag());
    if (popUp->tag() == spacesPerIndentTag)
        m_active->setSpacesPerIndent(width);
    else
        m_active->setSpacesPerTab(width);
    editOccurred(sender);
}

void VornickHTMLFormattingPreferencesModule::editOccurred(ActionSender*)
{
    if (!m_active)
        return;
    auto current = m_active->stringRepresentation();
    if (current == m_lastString)
        return;
    m_lastString = current;
    // Observers may replace the active set; the posted one stays alive meanwhile.
    auto edited = m_active;
    NotificationCenter::defaultCenter().post(VornickHTMLFormattingPreferencesWereEditedNotification, edited.get());
    updatePreviewTextView();
}

void VornickHTMLFormattingPreferencesModule::activeSetWasEditedElsewhere()
{
    // Its own edits were remembered before they were posted.
    auto current = m_active->stringRepresentation();
    if (current == m_lastString)
        return;
    m_lastString = std::move(current);
    showActiveValuesInControls();
    updatePreviewTextView();
}

const std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>& VornickHTMLFormattingPreferencesModule::syntaxColoringPreferences() const
{
    return m_previewTextView->syntaxColoringPreferences();
}

void VornickHTMLFormattingPreferencesModule::setSyntaxColoringPreferences(
    std::shared_ptr<const VornickHTMLSyntaxColoringPreferences> preferences)
{
    m_previewTextView->setSyntaxColoringPreferences(std::move(preferences));
    updateSyntaxColoringInControls();
    updatePreviewTextView();
}

void VornickHTMLFormattingPreferencesModule::updatePreviewTextView(ActionSender*)
{
    if (!m_active)
        return;
    if (!m_sampleDocument) {
        // Looked for once: a missing sample leaves the preview empty.
        if (m_sampleLoadFailed)
            return;
        auto url = Bundle::main().URLForResource(u"FormattingSample", u"html");
        auto path = url ? url->fileSystemPath() : std::nullopt;
        auto bytes = path ? readFile(*path) : std::nullopt;
        if (!bytes) {
            m_sampleLoadFailed = true;
            VornickGeneralLog(u"Failed to load the formatting sample page.");
            return;
        }
        m_sampleDocument = DOMDocument::parseHTML(std::string_view(*bytes));
    }
    VornickHTMLWriter writer(*m_active, 0, VornickNewlineConvention::LF);
    writer.setSyntaxColoringPreferences(syntaxColoringPreferences());
    writer.setDocumentURLForAbsoluteURLResolution(std::nullopt);
    writer.writeAttributedStringFromDocument(*m_sampleDocument, false,
                                             [this](std::shared_ptr<const AttributedString> written, std::shared_ptr<const VornickDOMToNSRangeMap>) {
                                                 if (written)
                                                     m_previewTextView->setSourceCodeAttributedString(*written);
                                             });
}

void VornickHTMLFormattingPreferencesModule::updateSyntaxColoringInControls()
{
    const auto& preferences = syntaxColoringPreferences();
    std::optional<Color> tagColor = preferences ? preferences->colorForTokenKind(TK_TAG_NAME) : std::nullopt;
    if (!tagColor)
        return;
    auto container = m_headingTextField->superview();
    if (!container)
        return;
    for (const auto& subview : container->subviews()) {
        // Pop-up items keep plain titles (the widths show no markup).
        if (auto button = std::dynamic_pointer_cast<VornickAttributedTitleButton>(subview)) {
            button->setAttributedTitle(vornick_attributedStringByStylingHTMLInString(button->title(), *tagColor, SystemFontSize));
        } else if (auto field = std::dynamic_pointer_cast<TextField>(subview)) {
            field->setAttributedStringValue(
                vornick_attributedStringByStylingHTMLInString(field->attributedStringValue().string(), *tagColor, SystemFontSize));
        }
    }
}

void VornickHTMLFormattingPreferencesModule::showHelpTopic(ActionSender*)
{
    vornick_openHelpAnchor(VornickHelpAnchor::HTMLFormattingPreferences);
}

} // namespace brevanton
