// VornickHTMLSourceCodeView: the text view that shows syntax-coloured HTML
// source (the formatting preview, the snippet editor's and the source
// loupe's text views derive from it). The coloured text is made elsewhere
// (by the writer or the source view's attributed string builder) and handed
// in whole; the view takes its background and insertion point colours from
// its syntax colouring preferences.
#pragma once

#include "platform/views/TextView.h"

#include <memory>

namespace brevanton {

class VornickHTMLSyntaxColoringPreferences;

class VornickHTMLSourceCodeView : public TextView {
public:
    using Preferences = std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>;

    // A text view with the user's default syntax colouring preferences and
    // a text container inset of 8 × 8 points.
    explicit VornickHTMLSourceCodeView(Rect frame = {});

    const Preferences& syntaxColoringPreferences() const { return m_syntaxColoringPreferences; }
    // Keeps a different object; a non-null one gives the view its background
    // and insertion point colours.
    virtual void setSyntaxColoringPreferences(Preferences);

    // The whole text.
    virtual const AttributedString& sourceCodeAttributedString() const { return textStorage(); }
    // Replaces the whole text in one editing batch; the selection keeps its
    // start (at most the new length) and its length, cut at the end of the text.
    virtual void setSourceCodeAttributedString(AttributedString);
    // The same with source not coloured yet: all of it in the font and the
    // colour the preferences give text outside any markup, as it will stand
    // once coloured.
    void setPlainSourceCode(std::u16string);

    // Follows preferences whose background colour changed in place.
    void viewWillDraw() override;

private:
    Preferences m_syntaxColoringPreferences;
};

} // namespace brevanton
