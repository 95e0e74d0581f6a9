// How our modifier flags and menu key equivalents map to Qt's keys.
//
// On this desktop the Control key plays the part our Command flag plays in
// key equivalents (Copy is Ctrl+C), so Command maps to Qt's Ctrl, our
// Control to Qt's Meta (the Super key), Option to Alt and Shift to Shift.
// The window's key events are converted with the same table, so a shortcut
// shown in a menu is the key press that reaches the item through
// Window::sendEvent and Menu::performKeyEquivalent.
#pragma once

#include "platform/views/Event.h"

#include <QKeySequence>
#include <Qt>

#include <string_view>

namespace brevanton {

Qt::KeyboardModifiers qtKeyboardModifiersFromModifierFlags(ModifierFlags);
ModifierFlags modifierFlagsFromQtKeyboardModifiers(Qt::KeyboardModifiers);

// The Qt key of one key-equivalent character (an upper-case letter gives its
// letter key; the function-key characters of FunctionKey, Return, Tab,
// Escape and Backspace their keys); 0 when there is none.
int qtKeyForKeyEquivalentCharacter(char16_t);

// The shortcut of a menu item's key equivalent under its modifier mask (an
// upper-case letter adds Shift, as MenuItem::matchesKeyEquivalent does);
// empty when the item has no key equivalent or it is not one character.
QKeySequence keySequenceForKeyEquivalent(std::u16string_view keyEquivalent, ModifierFlags modifierMask);

} // namespace brevanton
