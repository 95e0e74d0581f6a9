#include "ui/VornickHTMLFormattingPreferencesPreviewTextView.h"

#include "ui/VornickHTMLFormattingPreferencesModule.h"
#include "ui/VornickUITheme.h"

namespace brevanton {

VornickHTMLFormattingPreferencesPreviewTextView::VornickHTMLFormattingPreferencesPreviewTextView(Rect frame)
    : VornickHTMLSourceCodeView(frame)
{
    setSyntaxColoringPreferences(VornickUITheme::currentTheme().formattingPreviewHTMLSyntaxColoringPreferences());
}

void VornickHTMLFormattingPreferencesPreviewTextView::viewWillDraw()
{
    if (m_module) {
        auto current = VornickUITheme::currentTheme().formattingPreviewHTMLSyntaxColoringPreferences();
        if (current != m_module->syntaxColoringPreferences())
            m_module->setSyntaxColoringPreferences(std::move(current));
    }
    VornickHTMLSourceCodeView::viewWillDraw();
}

} // namespace brevanton
