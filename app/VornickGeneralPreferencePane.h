// VornickGeneralPreferencePane: the "General" pane. Its controls read the
// user defaults when the pane is made and write them when changed:
// "DefaultStyleSheet" (through the application delegate), the default
// document type (stored by its persistable name), where the source pane
// goes ("EmbedSourceLoupe": 1 beside the page, 0 in a window of its own),
// the emphasis elements ("UseExplicitEmphasis": YES for italic and bold,
// NO for emphasis and strong), user-defined attributes
// ("AllowUserDefinedAttributes", every open document validates again) and
// JavaScript ("AllowJavaScriptExecution", stored only). What another
// process writes shows in the controls at once.
#pragma once

#include "app/VornickPreferencePane.h"
#include "platform/foundation/NotificationCenter.h"

#include <memory>
#include <vector>

namespace brevanton {

class Button;
class PopUpButton;
class UserDefaults;
class VornickStyleSheet;

class VornickGeneralPreferencePane final : public VornickPreferencePane {
public:
    VornickGeneralPreferencePane() = default;
    ~VornickGeneralPreferencePane() override;

    std::u16string paneIdentifier() const override { return u"GeneralPrefs"; }
    std::u16string paneName() const override { return u"General"; }
    std::u16string paneToolTip() const override { return u"Configure general Brevanton settings."; }
    std::shared_ptr<Image> paneIcon() const override;

    // The controls' actions.
    void allowUserDefinedAttributesChanged();
    void allowJavaScriptExecutionChanged();
    void defaultHTMLDocumentTypeChanged();
    void embedSourceLoupeChanged();
    void emphasisChanged();
    void styleSheetChosen();
    void showHelpTopic();
    // Makes the emphasis pop-up the first responder of the pane's window.
    void focusEmphasisPreferenceUI();

    // The controls, once the view is made.
    const std::shared_ptr<PopUpButton>& styleSheetPopUpButton() const { return m_styleSheetPopUpButton; }
    const std::shared_ptr<PopUpButton>& defaultHTMLDocumentTypePopUpButton() const { return m_defaultHTMLDocumentTypePopUpButton; }
    const std::shared_ptr<PopUpButton>& embedSourceLoupePopUpButton() const { return m_embedSourceLoupePopUpButton; }
    const std::shared_ptr<PopUpButton>& emphasisPopUpButton() const { return m_emphasisPopUpButton; }
    const std::shared_ptr<Button>& allowUserDefinedAttributesCheckBox() const { return m_allowUserDefinedAttributesCheckBox; }
    const std::shared_ptr<Button>& allowJavaScriptExecutionCheckBox() const { return m_allowJavaScriptExecutionCheckBox; }

    static constexpr const char16_t* chooseOtherStyleSheetTitle = u"Choose Other Style Sheet\u2026";

protected:
    std::shared_ptr<View> makePaneView() override;

private:
    static UserDefaults& defaults();
    // Lists the built-in sheets (and the chosen one when it is another) and selects the chosen one.
    void populateStyleSheetPopUpButton();
    void chooseOtherStyleSheet();
    void selectStoredValues();

    std::shared_ptr<View> m_view;
    std::shared_ptr<PopUpButton> m_styleSheetPopUpButton;
    std::shared_ptr<PopUpButton> m_defaultHTMLDocumentTypePopUpButton;
    std::shared_ptr<PopUpButton> m_embedSourceLoupePopUpButton;
    std::shared_ptr<PopUpButton> m_emphasisPopUpButton;
    std::shared_ptr<Button> m_allowUserDefinedAttributesCheckBox;
    std::shared_ptr<Button> m_allowJavaScriptExecutionCheckBox;
    // The sheets of the style sheet pop-up's items, by index.
    std::vector<std::shared_ptr<VornickStyleSheet>> m_listedStyleSheets;
    // Settings another process wrote show at once.
    ObserverToken m_settingsObservation;
};

} // namespace brevanton
