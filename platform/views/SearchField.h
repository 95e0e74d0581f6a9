// SearchField: an editable text field with a search button at its left and,
// while it holds text, a cancel button at its right. It sends its action as
// the user types (each change of its text) and when the cancel button or
// Escape clears it. Typing: characters are appended, Backspace deletes the
// last one; after Select All they replace the text and Backspace clears it.
// Taking the focus selects nothing.
#pragma once

#include "platform/views/TextField.h"

namespace brevanton {

class SearchField : public TextField {
public:
    explicit SearchField(Rect frame = {});

    // Shown, in grey, while the field is empty.
    const std::u16string& placeholderString() const { return m_placeholder; }
    void setPlaceholderString(std::u16string placeholder);

    // The buttons' places in the field.
    Rect searchButtonRect() const;
    // Empty while the field is empty.
    Rect cancelButtonRect() const;

    // Sends the action after each change of the text by the user.
    void textDidChange() override;
    // Clears the text as the cancel button does (sending the action when there was some).
    void cancel();

    bool becomeFirstResponder() override;
    void mouseDown(const Event&) override;
    void keyDown(const Event&) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::u16string m_placeholder;
};

} // namespace brevanton
