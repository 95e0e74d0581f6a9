#include "ui/VornickHTMLSourceCodeView.h"

#include "html/VornickHTMLSyntaxColoringPreferences.h"

#include <algorithm>

namespace brevanton {

VornickHTMLSourceCodeView::VornickHTMLSourceCodeView(Rect frame)
    : TextView(frame)
{
    setSyntaxColoringPreferences(VornickHTMLSyntaxColoringPreferences::usersDefaultHTMLSyntaxHighlightingPreferences());
    setTextContainerInset({ 8, 8 });
}

void VornickHTMLSourceCodeView::setSyntaxColoringPreferences(Preferences preferences)
{
    if (preferences == m_syntaxColoringPreferences)
        return;
    m_syntaxColoringPreferences = std::move(preferences);
    if (!m_syntaxColoringPreferences)
        return;
    setBackgroundColor(m_syntaxColoringPreferences->backgroundColor());
    setInsertionPointColor(m_syntaxColoringPreferences->insertionPointColor());
}

void VornickHTMLSourceCodeView::setSourceCodeAttributedString(AttributedString text)
{
    TextRange selection = selectedRange();
    const size_t textLength = text.length();
    beginEditing();
    mutableTextStorage() = std::move(text);
    endEditing();
    if (selection.location == TextNotFound)
        return;
    size_t location = std::min(selection.location, textLength);
    size_t length = std::min(selection.length, textLength - location);
    setSelectedRange({ location, length });
}

void VornickHTMLSourceCodeView::setPlainSourceCode(std::u16string source)
{
    // The tab width the painter of loaded source uses.
    constexpr size_t spacesPerTab = 4;
    TextAttributes attributes;
    if (m_syntaxColoringPreferences)
        attributes = m_syntaxColoringPreferences->attributesDictionaryForTokenKind(TK_OTHER_TEXT, spacesPerTab);
    setSourceCodeAttributedString(AttributedString(std::move(source), std::move(attributes)));
}

void VornickHTMLSourceCodeView::viewWillDraw()
{
    if (m_syntaxColoringPreferences && m_syntaxColoringPreferences->backgroundColor() != backgroundColor())
        setBackgroundColor(m_syntaxColoringPreferences->backgroundColor());
}

} // namespace brevanton
