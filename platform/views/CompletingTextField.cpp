#include "platform/views/CompletingTextField.h"

#include "platform/views/Event.h"

namespace brevanton {

CompletingTextField::CompletingTextField(Rect frame)
    : TextField(frame)
    , m_completionList([this](long index) { chooseCompletion(index); })
{
    setEditable(true);
    setBezeled(true);
}

CompletingTextField::~CompletingTextField() = default;

void CompletingTextField::chooseCompletion(long index)
{
    if (index < 0 || index >= static_cast<long>(completions().size()))
        return;
    std::u16string chosen = completions()[static_cast<size_t>(index)];
    m_completionList.close();
    m_choosing = true;
    editTextAsUser(std::move(chosen));
    m_choosing = false;
    placeInsertionPointAtEnd();
}

void CompletingTextField::textDidChange()
{
    TextField::textDidChange();
    if (m_choosing)
        return;
    std::vector<std::u16string> found;
    const std::u16string& text = attributedStringValue().string();
    if (m_source && !text.empty())
        found = m_source(text, m_maximumCompletions);
    if (found.size() > m_maximumCompletions)
        found.resize(m_maximumCompletions);
    m_completionList.setCompletions(std::move(found), *this);
}

void CompletingTextField::keyDown(const Event& event)
{
    const std::u16string& characters = event.characters();
    if (!isShowingCompletions() || characters.size() != 1 || event.hasModifier(ModifierFlag::Command | ModifierFlag::Control))
        return TextField::keyDown(event);
    switch (characters.front()) {
    case FunctionKey::DownArrow:
    case FunctionKey::UpArrow:
        m_completionList.moveHighlight(characters.front() == FunctionKey::DownArrow ? 1 : -1);
        return;
    case u'\x1b':
        closeCompletions();
        return;
    case u'\r':
    case u'\n':
    case 3:
        chooseCompletion(highlightedCompletion());
        return;
    case u'\t':
        chooseCompletion(highlightedCompletion());
        return TextField::keyDown(event);
    default:
        return TextField::keyDown(event);
    }
}

bool CompletingTextField::resignFirstResponder()
{
    closeCompletions();
    return TextField::resignFirstResponder();
}

} // namespace brevanton
