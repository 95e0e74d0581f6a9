// Spelling while typing: the user's two settings, shared by every web view,
// and the misspelt words a page's painter marks.
#include "platform/web/WebView.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Menu.h"
#include "platform/views/SpellChecker.h"
#include "platform/web/WebFrameView.h"

namespace brevanton {

namespace {

constexpr std::u16string_view continuousSpellCheckingKey = u"WebContinuousSpellCheckingEnabled";
constexpr std::u16string_view automaticSpellingCorrectionKey = u"WebAutomaticSpellingCorrectionEnabled";
constexpr const char* toggleContinuousAction = "toggleContinuousSpellChecking:";
constexpr const char* toggleCorrectionAction = "toggleAutomaticSpellingCorrection:";
// Texts checked and kept before the cache starts again.
constexpr size_t cachedTextsLimit = 4096;

// The language the nearest "lang" (or "xml:lang") names; empty when none does.
std::u16string languageOf(const DOMNode& text)
{
    for (auto element = text.parentElement(); element; element = element->parentElement()) {
        for (std::u16string_view name : { u"lang", u"xml:lang" }) {
            if (element->hasAttribute(name))
                return element->getAttribute(name);
        }
    }
    return {};
}

} // namespace

bool WebView::isContinuousSpellCheckingEnabled()
{
    return UserDefaults::standard().boolForKey(continuousSpellCheckingKey);
}

void WebView::setContinuousSpellCheckingEnabled(bool enabled)
{
    if (enabled == isContinuousSpellCheckingEnabled())
        return;
    UserDefaults::standard().setBool(enabled, continuousSpellCheckingKey);
    for (auto& view : allLiveWebViews())
        view->setNeedsDisplay(true);
}

bool WebView::isAutomaticSpellingCorrectionEnabled()
{
    return UserDefaults::standard().boolForKey(automaticSpellingCorrectionKey);
}

void WebView::setAutomaticSpellingCorrectionEnabled(bool enabled)
{
    UserDefaults::standard().setBool(enabled, automaticSpellingCorrectionKey);
}

bool WebView::validateMenuItem(MenuItem& item)
{
    if (item.action() == toggleContinuousAction)
        item.setState(isContinuousSpellCheckingEnabled() ? OnState : OffState);
    else if (item.action() == toggleCorrectionAction)
        item.setState(isAutomaticSpellingCorrectionEnabled() ? OnState : OffState);
    return true;
}

void WebView::installSpellingActions()
{
    setActionHandler(toggleContinuousAction, [](ActionSender*) { setContinuousSpellCheckingEnabled(!isContinuousSpellCheckingEnabled()); });
    setActionHandler(toggleCorrectionAction,
                     [](ActionSender*) { setAutomaticSpellingCorrectionEnabled(!isAutomaticSpellingCorrectionEnabled()); });
}

std::vector<std::pair<size_t, size_t>> WebView::misspelledWordsToMark(const DOMNode& node)
{
    if (!m_editable || !node.isTextNode() || !isContinuousSpellCheckingEnabled())
        return {};
    const auto& text = downcast<DOMCharacterData>(node).data();
    auto language = languageOf(node);
    auto key = std::make_pair(text, language);
    auto found = m_misspellings.find(key);
    if (found == m_misspellings.end()) {
        std::optional<Orthography> orthography;
        if (!language.empty()) {
            orthography.emplace();
            orthography->dominantScript = u"Zyyy";
            orthography->languageMap[u"Zyyy"] = { language };
        }
        std::vector<std::pair<size_t, size_t>> words;
        for (const auto& result : SpellChecker::sharedSpellChecker().checkString(text, { 0, text.size() }, TextCheckingTypeSpelling,
                                                                                 orthography, 0))
            words.emplace_back(result.range.location, result.range.end());
        if (m_misspellings.size() >= cachedTextsLimit)
            m_misspellings.clear();
        found = m_misspellings.emplace(std::move(key), std::move(words)).first;
    }
    auto words = found->second;
    // The word the caret ends is being typed: it is marked once the caret leaves it.
    if (m_selection && m_selection->collapsed() && m_selection->startNode() == &node) {
        size_t caret = m_selection->startOffset();
        std::erase_if(words, [caret](const auto& word) { return word.second == caret; });
    }
    return words;
}

} // namespace brevanton
