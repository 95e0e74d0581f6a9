// SecureTextField: an editable text field for a password. It edits as a
// TextField does, but its text stays inside it: it draws a bullet for each
// character (the recorded drawing never holds the text), refuses Copy and Cut
// (their menu items are disabled, so nothing reaches the pasteboard), has no
// undo manager (no undo step holds an earlier text), and nothing it does is
// logged. The window backend tells the input method that the field is hidden
// and sensitive while it is the first responder.
#pragma once

#include "platform/views/TextField.h"

namespace brevanton {

class SecureTextField : public TextField {
public:
    static constexpr char16_t BulletCharacter = u'\u2022';

    explicit SecureTextField(Rect frame = {});

    // What the field shows for its text: one bullet per character (a
    // surrogate pair is one).
    std::u16string displayedString() const;

    // Copy and Cut are disabled; the rest as for any responder.
    bool validateMenuItem(MenuItem&) override;
    UndoManager* undoManager() const override { return nullptr; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

} // namespace brevanton
