#include "platform/views/qt/QtKeyMapping.h"

#include <QChar>

namespace brevanton {

namespace {

struct ModifierPair {
    ModifierFlags flag;
    Qt::KeyboardModifier qt;
};

constexpr ModifierPair modifierPairs[] = {
    { ModifierFlag::Shift, Qt::ShiftModifier },
    { ModifierFlag::Command, Qt::ControlModifier },
    { ModifierFlag::Control, Qt::MetaModifier },
    { ModifierFlag::Option, Qt::AltModifier },
    { ModifierFlag::NumericPad, Qt::KeypadModifier },
};

struct SpecialKey {
    char16_t character;
    Qt::Key key;
};

constexpr SpecialKey specialKeys[] = {
    { u'\r', Qt::Key_Return },
    { u'\n', Qt::Key_Return },
    { u'\x03', Qt::Key_Enter },
    { u'\t', Qt::Key_Tab },
    { u'\x1b', Qt::Key_Escape },
    { u'\b', Qt::Key_Backspace },
    { u'\x7f', Qt::Key_Backspace },
    { u' ', Qt::Key_Space },
    { FunctionKey::Delete, Qt::Key_Delete },
    { FunctionKey::UpArrow, Qt::Key_Up },
    { FunctionKey::DownArrow, Qt::Key_Down },
    { FunctionKey::LeftArrow, Qt::Key_Left },
    { FunctionKey::RightArrow, Qt::Key_Right },
    { FunctionKey::Home, Qt::Key_Home },
    { FunctionKey::End, Qt::Key_End },
    { FunctionKey::PageUp, Qt::Key_PageUp },
    { FunctionKey::PageDown, Qt::Key_PageDown },
};

} // namespace

Qt::KeyboardModifiers qtKeyboardModifiersFromModifierFlags(ModifierFlags flags)
{
    Qt::KeyboardModifiers modifiers;
    for (auto& pair : modifierPairs) {
        if (flags & pair.flag)
            modifiers |= pair.qt;
    }
    return modifiers;
}

ModifierFlags modifierFlagsFromQtKeyboardModifiers(Qt::KeyboardModifiers modifiers)
{
    ModifierFlags flags = 0;
    for (auto& pair : modifierPairs) {
        if (modifiers & pair.qt)
            flags |= pair.flag;
    }
    return flags;
}

int qtKeyForKeyEquivalentCharacter(char16_t character)
{
    for (auto& special : specialKeys) {
        if (special.character == character)
            return special.key;
    }
    // Other control characters and the rest of the private-use function-key
    // range have no key here.
    if (character < 0x20 || (character >= 0xF700 && character <= 0xF8FF))
        return 0;
    // Printable keys are named by the upper-case form of their character.
    return QChar(character).toUpper().unicode();
}

QKeySequence keySequenceForKeyEquivalent(std::u16string_view keyEquivalent, ModifierFlags modifierMask)
{
    if (keyEquivalent.size() != 1)
        return {};
    char16_t character = keyEquivalent.front();
    int key = qtKeyForKeyEquivalentCharacter(character);
    if (!key)
        return {};
    if (character >= u'A' && character <= u'Z')
        modifierMask |= ModifierFlag::Shift;
    return QKeySequence(QKeyCombination(qtKeyboardModifiersFromModifierFlags(modifierMask), static_cast<Qt::Key>(key)));
}

} // namespace brevanton
