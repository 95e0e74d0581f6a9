#include "platform/views/TextFinder.h"

#include "platform/views/FindBarView.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Window.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isKnownAction(long tag)
{
    switch (static_cast<TextFinderAction>(tag)) {
    case TextFinderAction::ShowFindInterface:
    case TextFinderAction::NextMatch:
    case TextFinderAction::PreviousMatch:
    case TextFinderAction::ReplaceAll:
    case TextFinderAction::Replace:
    case TextFinderAction::ReplaceAndFind:
    case TextFinderAction::SetSearchString:
    case TextFinderAction::HideFindInterface:
    case TextFinderAction::ShowReplaceInterface:
    case TextFinderAction::HideReplaceInterface:
        return true;
    }
    return false;
}

std::u16string numberText(size_t count)
{
    auto number = std::to_string(count);
    return std::u16string(number.begin(), number.end());
}

} // namespace

TextFinder::TextFinder() = default;

TextFinder::~TextFinder()
{
    if (m_findBar)
        m_findBar->setTextFinder(nullptr);
}

void TextFinder::setFindBarContainer(TextFinderBarContainer* container)
{
    if (container == m_container)
        return;
    if (m_container && m_container->findBarView() == std::static_pointer_cast<View>(m_findBar))
        m_container->setFindBarView(nullptr);
    m_container = container;
    if (m_container)
        m_container->setFindBarView(findBarView());
}

const std::shared_ptr<FindBarView>& TextFinder::findBarView()
{
    if (!m_findBar)
        m_findBar = FindBarView::create(this);
    return m_findBar;
}

std::u16string TextFinder::findString() const
{
    return m_findString;
}

void TextFinder::setFindString(std::u16string string)
{
    if (string == m_findString)
        return;
    m_findString = std::move(string);
    // Other finders search for it too.
    auto pasteboard = Pasteboard::pasteboardWithName(PasteboardNameFind);
    pasteboard->clearContents();
    (void)pasteboard->setString(m_findString, PasteboardTypeString);
    if (m_findBar)
        m_findBar->updateFromFinder();
}

std::u16string TextFinder::replaceString() const
{
    return m_replaceString;
}

void TextFinder::setReplaceString(std::u16string string)
{
    m_replaceString = std::move(string);
    if (m_findBar)
        m_findBar->updateFromFinder();
}

void TextFinder::setOptions(TextFinderOptions options)
{
    m_options = options;
    if (m_findBar)
        m_findBar->updateFromFinder();
}

void TextFinder::setStatus(std::u16string status)
{
    m_statusText = std::move(status);
    if (m_findBar)
        m_findBar->updateFromFinder();
}

std::vector<TextRange> TextFinder::allMatches() const
{
    std::vector<TextRange> matches;
    if (!m_client || m_findString.empty())
        return matches;
    TextFinderMatcher matcher(m_findString, m_options);
    size_t length = m_client->stringLength();
    // Parts that do not end with a search boundary are searched together
    // with the parts after them.
    std::u16string segment;
    size_t segmentStart = 0;
    for (size_t index = 0; index < length;) {
        TextRange range;
        bool boundary = true;
        std::u16string part = m_client->stringAtIndex(index, &range, &boundary);
        if (range.length == 0 || range.location > index || range.end() <= index)
            break; // a client that answers no progress ends the search
        size_t skip = index - range.location;
        size_t usable = std::min(part.size() - std::min(part.size(), skip), range.end() - index);
        if (segment.empty())
            segmentStart = index;
        segment.append(part, std::min(part.size(), skip), usable);
        index = range.end();
        if (boundary || index >= length) {
            matcher.appendMatches(segment, segmentStart, matches);
            segment.clear();
        }
    }
    return matches;
}

bool TextFinder::findNext(bool forward)
{
    if (!m_client)
        return false;
    auto matches = allMatches();
    if (matches.empty()) {
        setStatus(u"Not found");
        return false;
    }
    TextRange selection = m_client->firstSelectedRange();
    const TextRange* chosen = nullptr;
    if (forward) {
        auto after = std::find_if(matches.begin(), matches.end(), [&](const TextRange& match) { return match.location >= selection.end(); });
        chosen = after != matches.end() ? &*after : &matches.front();
    } else {
        auto before = std::find_if(matches.rbegin(), matches.rend(), [&](const TextRange& match) { return match.end() <= selection.location; });
        chosen = before != matches.rend() ? &*before : &matches.back();
    }
    TextRange found = *chosen;
    m_client->setSelectedRanges({ found });
    m_client->scrollRangeToVisible(found);
    size_t ordinal = static_cast<size_t>(chosen - matches.data()) + 1;
    setStatus(numberText(ordinal) + u" of " + numberText(matches.size()));
    return true;
}

bool TextFinder::selectionIsMatch() const
{
    if (!m_client || m_findString.empty())
        return false;
    TextRange selection = m_client->firstSelectedRange();
    if (selection.length == 0)
        return false;
    for (const auto& match : allMatches()) {
        if (match == selection)
            return true;
        if (match.location > selection.location)
            break;
    }
    return false;
}

bool TextFinder::replaceSelection()
{
    if (!m_client || !m_client->isEditable() || !selectionIsMatch())
        return false;
    TextRange selection = m_client->firstSelectedRange();
    if (!m_client->shouldReplaceCharactersInRanges({ selection }, { m_replaceString }))
        return false;
    m_client->replaceCharactersInRange(selection, m_replaceString);
    m_client->didReplaceCharacters();
    m_client->setSelectedRanges({ { selection.location, m_replaceString.size() } });
    return true;
}

bool TextFinder::replaceAll()
{
    if (!m_client || !m_client->isEditable())
        return false;
    auto matches = allMatches();
    if (matches.empty()) {
        setStatus(u"Not found");
        return false;
    }
    std::vector<std::u16string> strings(matches.size(), m_replaceString);
    if (!m_client->shouldReplaceCharactersInRanges(matches, strings))
        return false;
    for (auto match = matches.rbegin(); match != matches.rend(); ++match)
        m_client->replaceCharactersInRange(*match, m_replaceString);
    m_client->didReplaceCharacters();
    setStatus(numberText(matches.size()) + u" replaced");
    return true;
}

void TextFinder::barHeightChanged()
{
    if (m_container)
        m_container->findBarViewDidChangeHeight();
}

bool TextFinder::validateAction(long tag) const
{
    if (!isKnownAction(tag))
        return false;
    bool hasText = m_client && m_client->stringLength() > 0 && !m_findString.empty();
    bool editable = m_client && m_client->isEditable();
    switch (static_cast<TextFinderAction>(tag)) {
    case TextFinderAction::ShowFindInterface:
    case TextFinderAction::HideFindInterface:
        return m_container != nullptr;
    case TextFinderAction::ShowReplaceInterface:
    case TextFinderAction::HideReplaceInterface:
        return m_container != nullptr && editable;
    case TextFinderAction::NextMatch:
    case TextFinderAction::PreviousMatch:
        return hasText;
    case TextFinderAction::ReplaceAll:
        return hasText && editable;
    case TextFinderAction::SetSearchString:
        return m_client && m_client->firstSelectedRange().length > 0;
    case TextFinderAction::Replace:
    case TextFinderAction::ReplaceAndFind:
        return hasText && editable && selectionIsMatch();
    }
    return false;
}

bool TextFinder::performAction(long tag)
{
    if (!isKnownAction(tag))
        return false;
    switch (static_cast<TextFinderAction>(tag)) {
    case TextFinderAction::ShowFindInterface:
    case TextFinderAction::ShowReplaceInterface: {
        if (!m_container)
            return false;
        if (m_findString.empty()) {
            if (auto shared = Pasteboard::pasteboardWithName(PasteboardNameFind)->stringForType(PasteboardTypeString))
                m_findString = *shared;
        }
        auto& bar = findBarView();
        bool replace = static_cast<TextFinderAction>(tag) == TextFinderAction::ShowReplaceInterface;
        if (replace && !(m_client && m_client->isEditable()))
            return false;
        bool changedHeight = bar->setReplaceRowShown(replace);
        bar->updateFromFinder();
        if (m_container->findBarView() != std::static_pointer_cast<View>(bar))
            m_container->setFindBarView(bar);
        if (!m_container->isFindBarVisible())
            m_container->setFindBarVisible(true);
        else if (changedHeight)
            barHeightChanged();
        if (auto window = bar->window())
            window->makeFirstResponder(bar->searchField());
        return true;
    }
    case TextFinderAction::HideFindInterface:
        if (!m_container || !m_container->isFindBarVisible())
            return false;
        m_container->setFindBarVisible(false);
        return true;
    case TextFinderAction::HideReplaceInterface:
        if (!m_findBar || !m_findBar->setReplaceRowShown(false))
            return false;
        barHeightChanged();
        return true;
    case TextFinderAction::NextMatch:
        return findNext(true);
    case TextFinderAction::PreviousMatch:
        return findNext(false);
    case TextFinderAction::Replace:
        return replaceSelection();
    case TextFinderAction::ReplaceAndFind:
        if (!replaceSelection())
            return false;
        findNext(true);
        return true;
    case TextFinderAction::ReplaceAll:
        return replaceAll();
    case TextFinderAction::SetSearchString: {
        if (!m_client)
            return false;
        TextRange selection = m_client->firstSelectedRange();
        if (selection.length == 0)
            return false;
        setFindString(textInRange(selection));
        return true;
    }
    }
    return false;
}

std::u16string TextFinder::textInRange(TextRange range) const
{
    std::u16string text;
    size_t end = std::min(range.location + range.length, m_client->stringLength());
    for (size_t index = range.location; index < end;) {
        TextRange part;
        std::u16string string = m_client->stringAtIndex(index, &part, nullptr);
        if (part.length == 0 || part.location > index)
            break;
        size_t from = index - part.location;
        size_t take = std::min(end, part.location + part.length) - index;
        text += string.substr(from, take);
        index += take;
    }
    return text;
}

} // namespace brevanton
