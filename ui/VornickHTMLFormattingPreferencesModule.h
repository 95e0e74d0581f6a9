// VornickHTMLFormattingPreferencesModule: the editor of one set of HTML
// formatting preferences (the user's defaults, or one document's own set).
// Its view holds a check box for each of the fourteen saved rules, a pop-up
// for each width (1 to 10) and a live, syntax-coloured preview of the sample
// page "FormattingSample.html" written by the set. A control changes the
// set's property and then sends `editOccurred`; when the set's compact string
// form really changed, the module tells everyone who writes with that set
// (VornickHTMLFormattingPreferencesWereEditedNotification with the set as
// object): an editing view then stores a document's new string undoably, or
// regenerates the source for the user's defaults.
//
// A change of the active set that another editor (or another process, for
// the user's default set) announces is shown in the controls and preview.
//
// Labels that show markup ("<br />", "&eacute;") are drawn with the markup in
// the preview's tag-name colour; the preview follows the theme's light or
// dark preview colouring (see VornickHTMLFormattingPreferencesPreviewTextView).
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Responder.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class PopUpButton;
class TextField;
class View;
class VornickAttributedTitleButton;
class VornickHTMLFormattingPreferences;
class VornickHTMLFormattingPreferencesPreviewTextView;
class VornickHTMLSyntaxColoringPreferences;

// The rules the module offers, in the order of its check boxes (each box's tag).
enum class VornickHTMLFormattingRule {
    UseTabs,
    IndentBlockElements,
    DontIndentHeadOrBody,
    PutBlockElementTagsOnNewLine,
    CloseEmptyElementsWithASlash,
    InsertSpaceBeforeEmptyElementSlash,
    InsertBlankLineBeforeAndAfterHeadings,
    EncloseAttributeValuesInDoubleQuotes,
    UseLowercaseTagNames,
    NewLineAfterBR,
    IndentAfterBR,
    UseNativeSpecialCharacters,
    UseNamedCharacterReferences,
    UseDecimalCharacterReferences,
};
inline constexpr int VornickHTMLFormattingRuleCount = 14;

bool vornick_formattingRule(const VornickHTMLFormattingPreferences&, VornickHTMLFormattingRule);
// Through the set's own setter (the user's default set writes itself back).
void vornick_setFormattingRule(VornickHTMLFormattingPreferences&, VornickHTMLFormattingRule, bool);

class VornickHTMLFormattingPreferencesModule {
public:
    VornickHTMLFormattingPreferencesModule();
    ~VornickHTMLFormattingPreferencesModule();
    VornickHTMLFormattingPreferencesModule(const VornickHTMLFormattingPreferencesModule&) = delete;
    VornickHTMLFormattingPreferencesModule& operator=(const VornickHTMLFormattingPreferencesModule&) = delete;

    const std::shared_ptr<VornickHTMLFormattingPreferences>& activeHTMLFormattingPreferences() const { return m_active; }
    // A different set is kept, its string form remembered, the controls set
    // to it and the preview refreshed.
    void setActiveHTMLFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences>);
    const std::u16string& lastHTMLFormattingPreferencesString() const { return m_lastString; }

    // After a control changed the active set: posts the notification when
    // its string form differs from the one last seen, remembers the new one
    // and refreshes the preview.
    void editOccurred(ActionSender*);

    // Those of the preview text view; setting them restyles the controls and
    // refreshes the preview.
    const std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>& syntaxColoringPreferences() const;
    void setSyntaxColoringPreferences(std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>);

    // Writes the sample page by the active set, coloured, into the preview.
    void updatePreviewTextView(ActionSender* = nullptr);
    // Markup in the labels' and the check boxes' titles in the preview's
    // tag-name colour.
    void updateSyntaxColoringInControls();
    void showHelpTopic(ActionSender* = nullptr);

    // The module's view: the controls on the left, the preview on the right.
    const std::shared_ptr<View>& view() const { return m_view; }
    const std::shared_ptr<TextField>& headingTextField() const { return m_headingTextField; }
    const std::shared_ptr<VornickHTMLFormattingPreferencesPreviewTextView>& previewTextView() const { return m_previewTextView; }
    const std::shared_ptr<VornickAttributedTitleButton>& checkBoxForRule(VornickHTMLFormattingRule rule) const
    {
        return m_ruleCheckBoxes[static_cast<size_t>(rule)];
    }
    const std::shared_ptr<PopUpButton>& spacesPerIndentPopUpButton() const { return m_spacesPerIndentPopUp; }
    const std::shared_ptr<PopUpButton>& spacesPerTabPopUpButton() const { return m_spacesPerTabPopUp; }

private:
    void buildView();
    void showActiveValuesInControls();
    void ruleCheckBoxClicked(ActionSender*);
    void widthChosen(ActionSender*);
    void activeSetWasEditedElsewhere();

    std::shared_ptr<VornickHTMLFormattingPreferences> m_active;
    std::u16string m_lastString;
    std::shared_ptr<DOMDocument> m_sampleDocument;
    bool m_sampleLoadFailed { false };
    ObserverToken m_editObservation;

    std::shared_ptr<View> m_view;
    std::shared_ptr<View> m_controlsView;
    std::shared_ptr<TextField> m_headingTextField;
    std::vector<std::shared_ptr<VornickAttributedTitleButton>> m_ruleCheckBoxes;
    std::shared_ptr<PopUpButton> m_spacesPerIndentPopUp;
    std::shared_ptr<PopUpButton> m_spacesPerTabPopUp;
    std::shared_ptr<VornickHTMLFormattingPreferencesPreviewTextView> m_previewTextView;
};

} // namespace brevanton
