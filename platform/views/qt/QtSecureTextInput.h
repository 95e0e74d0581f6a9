// QtSecureTextInput: what Qt's input method is told about the text the
// first responder edits. The window's widget draws every view itself, a
// SecureTextField echoing bullets as a password line edit does; while such a
// field has the keyboard the widget answers the input method as a password
// line edit would: the text is hidden and sensitive and nothing is predicted
// (an input method neither shows, learns nor suggests it), and no
// surrounding text is offered.
#pragma once

#include <Qt>

namespace brevanton {

class Responder;

inline constexpr Qt::InputMethodHints QtSecureTextInputHints { Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText };

// Whether the responder edits a password (a SecureTextField).
bool qtResponderEditsSecureText(const Responder*);
// The hints for the responder's text: QtSecureTextInputHints for a
// password, none otherwise.
Qt::InputMethodHints qtInputMethodHintsForResponder(const Responder*);

} // namespace brevanton
