#include "platform/views/TokenField.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"
#include "platform/views/TextLayout.h"
#include "platform/views/Window.h"

#include <algorithm>
#include <unicode/utf16.h>

namespace brevanton {

namespace {

constexpr double tokenPadding = 4;
constexpr double tokenGap = 3;

std::u16string trimmed(std::u16string_view text)
{
    const CharacterSet& blanks = CharacterSet::whitespaceAndNewlines();
    size_t first = 0;
    size_t last = text.size();
    while (first < last && blanks.contains(text[first]))
        ++first;
    while (last > first && blanks.contains(text[last - 1]))
        --last;
    return std::u16string(text.substr(first, last - first));
}

} // namespace

TokenField::TokenField(Rect frame)
    : TextField(frame)
    , m_completionList([this](long index) { chooseCompletion(index); })
{
    setEditable(true);
    setBezeled(true);
    setObjectValue(Value(Array {}));
}

TokenField::~TokenField() = default;

std::vector<std::u16string> TokenField::tokens() const
{
    std::vector<std::u16string> result;
    if (!objectValue().isArray())
        return result;
    for (const Value& token : objectValue().array()) {
        if (token.isString())
            result.push_back(token.string());
    }
    return result;
}

void TokenField::setTokens(const std::vector<std::u16string>& tokens)
{
    std::u16string text;
    Array array;
    for (const auto& token : tokens) {
        if (!text.empty() || !array.empty())
            text += m_tokenizingCharacter;
        text += token;
        array.push_back(Value(token));
    }
    setTextString(std::move(text));
    setObjectValue(Value(std::move(array)));
}

std::vector<std::u16string> TokenField::tokensOfString(std::u16string_view text) const
{
    std::vector<std::u16string> result;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(m_tokenizingCharacter, start);
        if (end == std::u16string_view::npos)
            end = text.size();
        if (auto token = trimmed(text.substr(start, end - start)); !token.empty())
            result.push_back(std::move(token));
        start = end + 1;
    }
    return result;
}

void TokenField::textDidChange()
{
    if (!hasDelegate()) {
        Array array;
        for (auto& token : tokensOfString(attributedStringValue().string()))
            array.push_back(Value(std::move(token)));
        setObjectValue(Value(std::move(array)));
        TextField::textDidChange();
        sendAction();
        return;
    }
    TextField::textDidChange();
}

// --- With a delegate

std::vector<std::any> TokenField::objects() const
{
    std::vector<std::any> result;
    result.reserve(m_tokenItems.size());
    for (const auto& token : m_tokenItems)
        result.push_back(token.object);
    return result;
}

void TokenField::setObjects(const std::vector<std::any>& objects)
{
    m_tokenItems.clear();
    m_typedText.clear();
    if (auto delegate = m_delegate.lock()) {
        for (const auto& object : objects)
            m_tokenItems.push_back({ object, delegate->displayStringForRepresentedObject(*this, object),
                                     delegate->editingStringForRepresentedObject(*this, object), false });
    }
    closeCompletions();
    showTokens();
}

void TokenField::showTokens()
{
    std::u16string text;
    Array array;
    for (const auto& token : m_tokenItems) {
        if (!text.empty())
            text += m_tokenizingCharacter + std::u16string(u" ");
        text += token.displayString;
        array.push_back(Value(token.editingString));
    }
    if (!m_typedText.empty())
        text += (text.empty() ? std::u16string() : m_tokenizingCharacter + std::u16string(u" ")) + m_typedText;
    setTextString(std::move(text));
    setObjectValue(Value(std::move(array)));
}

void TokenField::tokensDidChange()
{
    showTokens();
    textDidChange();
}

bool TokenField::tokenizeTypedText()
{
    auto delegate = m_delegate.lock();
    std::u16string typed = trimmed(m_typedText);
    if (!delegate || typed.empty())
        return false;
    m_typedText.clear();
    closeCompletions();
    std::any object = delegate->representedObjectForEditingString(*this, typed);
    bool unknown = !object.has_value();
    if (unknown)
        object = typed;
    long index = static_cast<long>(m_tokenItems.size());
    for (auto& added : delegate->shouldAddObjects(*this, { object }, index)) {
        if (unknown)
            m_tokenItems.push_back({ added, typed, typed, true });
        else
            m_tokenItems.push_back({ added, delegate->displayStringForRepresentedObject(*this, added),
                                     delegate->editingStringForRepresentedObject(*this, added), false });
    }
    tokensDidChange();
    return true;
}

void TokenField::chooseCompletion(long index)
{
    if (index < 0 || index >= static_cast<long>(completions().size()))
        return;
    m_typedText = completions()[static_cast<size_t>(index)];
    static_cast<void>(tokenizeTypedText());
}

void TokenField::closeCompletions()
{
    m_completionList.close();
}

void TokenField::typedTextDidChange()
{
    showTokens();
    TextField::textDidChange();
    std::vector<std::u16string> completions;
    auto delegate = m_delegate.lock();
    std::u16string typed = trimmed(m_typedText);
    if (delegate && !typed.empty())
        completions = delegate->completionsForSubstring(*this, typed, static_cast<long>(m_tokenItems.size()), m_maximumCompletions);
    if (completions.size() > m_maximumCompletions)
        completions.resize(m_maximumCompletions);
    m_completionList.setCompletions(std::move(completions), *this);
}

void TokenField::keyDown(const Event& event)
{
    if (!hasDelegate())
        return TextField::keyDown(event);
    keyDownWithDelegate(event);
}

void TokenField::keyDownWithDelegate(const Event& event)
{
    const std::u16string& characters = event.characters();
    if (!isEditable() || !isEnabled() || characters.empty() || event.hasModifier(ModifierFlag::Command | ModifierFlag::Control)) {
        Control::keyDown(event);
        return;
    }
    bool typedChanged = false;
    for (char16_t character : characters) {
        bool erases = character == u'\x7f' || character == u'\b';
        if (erases || character == FunctionKey::Delete) {
            if (selectsWholeText()) {
                m_tokenItems.clear();
                m_typedText.clear();
                setSelectsWholeText(false);
                tokensDidChange();
                typedChanged = true;
            } else if (!m_typedText.empty()) {
                size_t length = m_typedText.size() >= 2 && U16_IS_TRAIL(m_typedText.back()) && U16_IS_LEAD(m_typedText[m_typedText.size() - 2]) ? 2 : 1;
                m_typedText.erase(m_typedText.size() - length);
                typedChanged = true;
            } else if (erases && !m_tokenItems.empty()) {
                m_tokenItems.pop_back();
                tokensDidChange();
            }
            continue;
        }
        if (isShowingCompletions() && (character == FunctionKey::DownArrow || character == FunctionKey::UpArrow)) {
            m_completionList.moveHighlight(character == FunctionKey::DownArrow ? 1 : -1);
            continue;
        }
        if (character == u'\x1b' && isShowingCompletions()) {
            closeCompletions();
            continue;
        }
        bool makesToken = character == m_tokenizingCharacter || character == u'\r' || character == u'\n' || character == 3 || character == u'\t';
        if (makesToken && !trimmed(m_typedText).empty()) {
            // The highlighted completion, unless the typed text is one.
            if (isShowingCompletions() && std::find(completions().begin(), completions().end(), trimmed(m_typedText)) == completions().end())
                m_typedText = completions()[static_cast<size_t>(highlightedCompletion())];
            static_cast<void>(tokenizeTypedText());
            typedChanged = false;
            continue;
        }
        if (character == m_tokenizingCharacter)
            continue;
        if (character < 0x20 || (character >= 0xF700 && character <= 0xF8FF)) {
            if (typedChanged)
                typedTextDidChange();
            bool ends = character == u'\r' || character == u'\n' || character == 3;
            closeCompletions();
            if (!ends || action().empty() || !sendAction())
                Control::keyDown(event);
            return;
        }
        if (selectsWholeText()) {
            m_tokenItems.clear();
            m_typedText.clear();
            setSelectsWholeText(false);
            tokensDidChange();
        }
        m_typedText += character;
        typedChanged = true;
    }
    if (typedChanged)
        typedTextDidChange();
}

bool TokenField::becomeFirstResponder()
{
    bool became = TextField::becomeFirstResponder();
    // Typing adds to the tokens; only Select All puts them up for replacing.
    if (hasDelegate())
        setSelectsWholeText(false);
    return became;
}

bool TokenField::resignFirstResponder()
{
    // Leaving the field finishes the token being typed.
    if (hasDelegate() && !trimmed(m_typedText).empty())
        static_cast<void>(tokenizeTypedText());
    closeCompletions();
    return TextField::resignFirstResponder();
}

void TokenField::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (!hasDelegate())
        return TextField::draw(dirtyRect, context);
    drawFrame(context, [&] {
        if (drawsBackground())
            context.fillRect(bounds(), Color::white());
        if (isBezeled())
            context.strokeRect(bounds(), Color::gray());
    });
    // Each token in a rounded box; an unknown one in red.
    double x = tokenPadding;
    double height = bounds().height();
    for (const auto& token : m_tokenItems) {
        Size size = sizeOfAttributedString(AttributedString(token.displayString));
        Rect box(x, 2, size.width + 2 * tokenPadding, std::max(0.0, height - 4));
        context.fillRoundedRect(box, 4, token.unknown ? Color::sRGB(1, 0.85, 0.85) : Color::sRGB(0.85, 0.9, 1));
        context.drawText(token.displayString, Rect(x + tokenPadding, (height - size.height) / 2, size.width, size.height),
                         token.unknown ? Color::sRGB(0.7, 0, 0) : Color::black());
        x += box.width() + tokenGap;
    }
    if (!m_typedText.empty()) {
        Size size = sizeOfAttributedString(AttributedString(m_typedText));
        context.drawText(m_typedText, Rect(x, (height - size.height) / 2, size.width, size.height), Color::black());
    }
}

} // namespace brevanton
