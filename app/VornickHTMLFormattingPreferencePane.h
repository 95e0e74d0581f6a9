// VornickHTMLFormattingPreferencePane: the "HTML Formatting" pane. It hosts
// one formatting preferences module editing the user's default set (the
// shared VornickUsersDefaultHTMLFormattingPreferences), whose setters write
// each change of the fourteen saved rules and the two widths straight back
// to the user default "HTMLFormattingPreferences"; the module's edited
// notification then has every open document written with that set
// regenerate its source.
#pragma once

#include "app/VornickPreferencePane.h"

namespace brevanton {

class VornickHTMLFormattingPreferencesModule;

class VornickHTMLFormattingPreferencePane final : public VornickPreferencePane {
public:
    VornickHTMLFormattingPreferencePane();
    ~VornickHTMLFormattingPreferencePane() override;

    std::u16string paneIdentifier() const override { return u"HTMLFormattingPrefs"; }
    std::u16string paneName() const override { return u"HTML Formatting"; }
    std::u16string paneToolTip() const override { return u"Control the formatting of .html files written by Brevanton."; }
    std::shared_ptr<Image> paneIcon() const override;

    // The module, once the pane's view is made.
    VornickHTMLFormattingPreferencesModule* formattingPreferencesModule() const { return m_module.get(); }

protected:
    std::shared_ptr<View> makePaneView() override;

private:
    std::unique_ptr<VornickHTMLFormattingPreferencesModule> m_module;
};

} // namespace brevanton
