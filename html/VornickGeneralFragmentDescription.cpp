#include "html/VornickGeneralFragmentDescription.h"

#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Text.h"

namespace brevanton {

VornickGeneralFragmentDescription::VornickGeneralFragmentDescription(std::u16string identifier, std::u16string displayName,
                                                                     std::u16string tabTrigger,
                                                                     std::u16string keyboardShortcutShorthand,
                                                                     std::u16string markupString,
                                                                     std::u16string blockSourceString)
    : m_identifier(std::move(identifier))
    , m_displayName(std::move(displayName))
    , m_tabTrigger(std::move(tabTrigger))
    , m_keyboardShortcutShorthand(std::move(keyboardShortcutShorthand))
    , m_markupString(std::move(markupString))
    , m_blockSourceString(std::move(blockSourceString))
{
}

std::u16string VornickGeneralFragmentDescription::summaryForDisplay() const
{
    constexpr size_t maximumLength = 60;
    std::u16string summary;
    bool pendingSpace = false;
    for (char16_t c : m_markupString) {
        if (isHTMLWhitespace(c)) {
            pendingSpace = !summary.empty();
            continue;
        }
        if (pendingSpace)
            summary += u' ';
        pendingSpace = false;
        summary += c;
    }
    if (summary.size() <= maximumLength)
        return summary;
    size_t cut = maximumLength;
    if (isLowSurrogate(summary[cut]))
        --cut;
    summary.resize(cut);
    summary += u'\u2026';
    return summary;
}

std::shared_ptr<DOMDocumentFragment> VornickGeneralFragmentDescription::createDescribedFragmentWithValues(
    const std::map<std::u16string, std::u16string>& values, DOMDocument& document,
    std::optional<VornickFreezeDriedDOMRange>* interiorRange) const
{
    if (interiorRange)
        *interiorRange = std::nullopt;
    std::u16string markup;
    markup.reserve(m_markupString.size());
    size_t i = 0;
    while (i < m_markupString.size()) {
        if (m_markupString[i] == u'{') {
            size_t close = m_markupString.find(u'}', i + 1);
            if (close != std::u16string::npos) {
                auto found = values.find(m_markupString.substr(i + 1, close - i - 1));
                if (found != values.end()) {
                    markup += found->second;
                    i = close + 1;
                    continue;
                }
            }
        }
        markup += m_markupString[i++];
    }
    return document.createDocumentFragmentWithMarkupString(markup);
}

} // namespace brevanton
