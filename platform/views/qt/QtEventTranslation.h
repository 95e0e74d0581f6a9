// How Qt's input becomes our events. Keys: Qt's key and text give the
// characters, the characters ignoring modifiers and the key code of the US
// layout (EventSynthesizer::keyCodeForCharacter), with the function-key
// characters and flags the synthesizer gives (arrows, Home, End, Page Up and
// Down, Forward Delete, F1-F12). Modifiers: Ctrl is Command (so Ctrl+S,
// Ctrl+Z, Ctrl+C are the editor's Command shortcuts), the Super ("Meta")
// key is Control, Alt is Option, Shift is Shift, keypad keys add NumericPad.
// An input method's composition: the preedit text with its cursor and the
// clauses its formats set apart (MarkedText). Clicks: Qt reports presses; ClickCounter numbers them (1, 2, 3, ...) by the
// double-click interval and distance.
#pragma once

#include "platform/views/Event.h"
#include "platform/views/TextInputClient.h"

#include <QString>

class QInputMethodEvent;
#include <Qt>

#include <optional>
#include <string>

namespace brevanton {

ModifierFlags modifierFlagsFromQt(Qt::KeyboardModifiers);

struct TranslatedKey {
    std::u16string characters;
    std::u16string charactersIgnoringModifiers;
    uint16_t keyCode { 0 };
    ModifierFlags modifierFlags { 0 };
};

// A key press or release; nullopt for a key we have no event for. A
// modifier key alone (Shift, Ctrl, Alt, Super) gives a key with no
// characters: a flags-changed event.
std::optional<TranslatedKey> translateQtKey(int key, Qt::KeyboardModifiers, const QString& text);
// Whether the Qt key is a modifier key alone.
bool isQtModifierKey(int key);

// The event's preedit text as marked text: the cursor where its Cursor
// attribute says (hidden when that has no length; at the end without one),
// a clause per text format, emphasized when the format has a background, a
// foreground, bold or an underline other than a single one (input methods
// mark the clause being converted so).
MarkedText markedTextFromQtInputMethodEvent(const QInputMethodEvent&);

class ClickCounter {
public:
    ClickCounter(double interval, double distance) : m_interval(interval), m_distance(distance) {}
    // The click count of a press of `button` at the point and time (seconds):
    // one more than the last press's when it was the same button, near
    // enough and soon enough, else 1. A press the window system reported as
    // a double click continues the last press of its button in any case.
    int press(int button, Point, double time, bool reportedAsDoubleClick = false);
    // The count of the last press (for its release and drags).
    int lastCount() const { return m_count; }

private:
    double m_interval;
    double m_distance;
    int m_button { 0 };
    Point m_location;
    double m_time { -1e9 };
    int m_count { 0 };
};

} // namespace brevanton
