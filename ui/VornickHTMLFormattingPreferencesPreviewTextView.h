// VornickHTMLFormattingPreferencesPreviewTextView: the formatting editor's
// preview. It starts with the theme's preview colouring and, before each
// draw, hands its module the theme's current preview colouring when that is
// another object than the module's (a switch between light and dark mode
// thus recolours an open editor's preview and labels).
#pragma once

#include "ui/VornickHTMLSourceCodeView.h"

namespace brevanton {

class VornickHTMLFormattingPreferencesModule;

class VornickHTMLFormattingPreferencesPreviewTextView final : public VornickHTMLSourceCodeView {
public:
    explicit VornickHTMLFormattingPreferencesPreviewTextView(Rect frame = {});

    // Its module, which clears it when it goes.
    VornickHTMLFormattingPreferencesModule* formattingPreferencesModule() const { return m_module; }
    void setFormattingPreferencesModule(VornickHTMLFormattingPreferencesModule* module) { m_module = module; }

    void viewWillDraw() override;

private:
    VornickHTMLFormattingPreferencesModule* m_module { nullptr };
};

} // namespace brevanton
