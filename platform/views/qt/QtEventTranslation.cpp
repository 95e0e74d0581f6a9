#include "platform/views/qt/QtEventTranslation.h"

#include "platform/views/EventSynthesizer.h"
#include "platform/views/qt/QtConversions.h"

#include <QInputMethodEvent>
#include <QTextCharFormat>

#include <algorithm>
#include <cmath>

namespace brevanton {

ModifierFlags modifierFlagsFromQt(Qt::KeyboardModifiers modifiers)
{
    ModifierFlags flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= ModifierFlag::Shift;
    if (modifiers & Qt::ControlModifier)
        flags |= ModifierFlag::Command;
    if (modifiers & Qt::MetaModifier)
        flags |= ModifierFlag::Control;
    if (modifiers & Qt::AltModifier)
        flags |= ModifierFlag::Option;
    if (modifiers & Qt::KeypadModifier)
        flags |= ModifierFlag::NumericPad;
    return flags;
}

bool isQtModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Meta: case Qt::Key_Alt: case Qt::Key_AltGr:
    case Qt::Key_CapsLock: case Qt::Key_Super_L: case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}

namespace {

struct FunctionKeyMapping {
    int qtKey;
    char16_t character;
    uint16_t keyCode;
};

// Keys whose characters are the function-key characters, and the key codes
// of the US layout.
constexpr FunctionKeyMapping functionKeys[] = {
    { Qt::Key_Up, FunctionKey::UpArrow, KeyCode::UpArrow },
    { Qt::Key_Down, FunctionKey::DownArrow, KeyCode::DownArrow },
    { Qt::Key_Left, FunctionKey::LeftArrow, KeyCode::LeftArrow },
    { Qt::Key_Right, FunctionKey::RightArrow, KeyCode::RightArrow },
    { Qt::Key_Delete, FunctionKey::Delete, KeyCode::ForwardDelete },
    { Qt::Key_Home, FunctionKey::Home, KeyCode::Home },
    { Qt::Key_End, FunctionKey::End, KeyCode::End },
    { Qt::Key_PageUp, FunctionKey::PageUp, KeyCode::PageUp },
    { Qt::Key_PageDown, FunctionKey::PageDown, KeyCode::PageDown },
    { Qt::Key_F1, 0xF704, 122 }, { Qt::Key_F2, 0xF705, 120 }, { Qt::Key_F3, 0xF706, 99 }, { Qt::Key_F4, 0xF707, 118 },
    { Qt::Key_F5, 0xF708, 96 }, { Qt::Key_F6, 0xF709, 97 }, { Qt::Key_F7, 0xF70A, 98 }, { Qt::Key_F8, 0xF70B, 100 },
    { Qt::Key_F9, 0xF70C, 101 }, { Qt::Key_F10, 0xF70D, 109 }, { Qt::Key_F11, 0xF70E, 103 }, { Qt::Key_F12, 0xF70F, 111 },
};

// Keys with control characters of their own.
std::optional<char16_t> controlCharacterOfKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace: return u'\x7f';
    case Qt::Key_Return: return u'\r';
    case Qt::Key_Enter: return u'\x03';
    case Qt::Key_Tab: return u'\t';
    // Shift+Tab: the back-tab character, with Shift.
    case Qt::Key_Backtab: return u'\x19';
    case Qt::Key_Escape: return u'\x1b';
    case Qt::Key_Space: return u' ';
    default: return std::nullopt;
    }
}

} // namespace

std::optional<TranslatedKey> translateQtKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    TranslatedKey result;
    result.modifierFlags = modifierFlagsFromQt(modifiers);
    if (isQtModifierKey(key))
        return result;
    for (const auto& mapping : functionKeys) {
        if (mapping.qtKey != key)
            continue;
        result.characters = std::u16string(1, mapping.character);
        result.charactersIgnoringModifiers = result.characters;
        result.keyCode = mapping.keyCode;
        result.modifierFlags |= ModifierFlag::Function;
        if (mapping.character <= FunctionKey::RightArrow)
            result.modifierFlags |= ModifierFlag::NumericPad;
        else
            result.modifierFlags &= ~ModifierFlag::NumericPad;
        return result;
    }
    if (auto control = controlCharacterOfKey(key)) {
        result.characters = std::u16string(1, *control);
        result.charactersIgnoringModifiers = result.characters;
        uint16_t code = EventSynthesizer::keyCodeForCharacter(*control == u'\x19' ? u'\t' : *control);
        result.keyCode = code == 0xFFFF ? 0 : code;
        return result;
    }
    // A key that types: the character it types without the modifiers comes
    // from Qt's key (Qt's text holds control characters with Ctrl); letters
    // are upper case with Shift only.
    char16_t unmodified = 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        unmodified = static_cast<char16_t>(key - Qt::Key_A + ((modifiers & Qt::ShiftModifier) ? u'A' : u'a'));
    } else if (key >= 0x20 && key < 0x7f) {
        unmodified = static_cast<char16_t>(key);
    } else if (key > 0 && key < 0x01000000 && text.isEmpty()) {
        unmodified = static_cast<char16_t>(key);
    }
    std::u16string typed = fromQtString(text);
    bool typedIsPrintable = !typed.empty() && typed[0] >= 0x20 && typed[0] != 0x7f;
    if (!typedIsPrintable)
        typed.clear();
    if (typed.empty() && !unmodified)
        return std::nullopt;
    result.charactersIgnoringModifiers = unmodified ? std::u16string(1, unmodified) : typed;
    // With Command (Ctrl) the characters are the unmodified ones, as a key
    // equivalent expects.
    result.characters = typed.empty() || (modifiers & Qt::ControlModifier) ? result.charactersIgnoringModifiers : typed;
    bool needsShift = false;
    uint16_t code = EventSynthesizer::keyCodeForCharacter(result.charactersIgnoringModifiers[0], &needsShift);
    result.keyCode = code == 0xFFFF ? 0 : code;
    if (needsShift)
        result.modifierFlags |= ModifierFlag::Shift;
    return result;
}

int ClickCounter::press(int button, Point location, double time, bool reportedAsDoubleClick)
{
    bool near = std::abs(location.x - m_location.x) <= m_distance && std::abs(location.y - m_location.y) <= m_distance;
    bool continues = button == m_button && m_count > 0 && (reportedAsDoubleClick || (time - m_time <= m_interval && near));
    m_count = continues ? m_count + 1 : 1;
    m_button = button;
    m_location = location;
    m_time = time;
    return m_count;
}

MarkedText markedTextFromQtInputMethodEvent(const QInputMethodEvent& event)
{
    MarkedText marked;
    marked.text = fromQtString(event.preeditString());
    marked.cursor = marked.text.size();
    for (const auto& attribute : event.attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            marked.cursor = static_cast<size_t>(std::clamp<qsizetype>(attribute.start, 0, static_cast<qsizetype>(marked.text.size())));
            marked.showsCursor = attribute.length != 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat && attribute.length > 0 && attribute.start >= 0) {
            QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            QTextCharFormat::UnderlineStyle underline = format.underlineStyle();
            bool emphasized = format.background().style() != Qt::NoBrush || format.foreground().style() != Qt::NoBrush
                || format.fontWeight() > QFont::Normal
                || (underline != QTextCharFormat::NoUnderline && underline != QTextCharFormat::SingleUnderline);
            marked.clauses.push_back({ static_cast<size_t>(attribute.start), static_cast<size_t>(attribute.length), emphasized });
        }
    }
    // In order, each starting where the one before it ended at the earliest.
    std::sort(marked.clauses.begin(), marked.clauses.end(),
              [](const MarkedTextClause& a, const MarkedTextClause& b) { return a.location < b.location; });
    size_t end = 0;
    std::vector<MarkedTextClause> clauses;
    for (auto clause : marked.clauses) {
        size_t clauseEnd = std::min(clause.location + clause.length, marked.text.size());
        clause.location = std::max(clause.location, end);
        if (clauseEnd <= clause.location)
            continue;
        clause.length = clauseEnd - clause.location;
        end = clauseEnd;
        clauses.push_back(clause);
    }
    marked.clauses = std::move(clauses);
    return marked;
}

} // namespace brevanton
