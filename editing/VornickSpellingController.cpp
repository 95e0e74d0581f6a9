// Spelling, the spelling panel's commands and the fix-up of typed text (see the header).
#include "editing/VornickSpellingController.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickDOMTextGatherer.h"
#include "editing/commands/VornickEditingContext.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/SpellChecker.h"
#include "platform/views/SpellingPanel.h"
#include "platform/views/TextField.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"
#include "ui/VornickBezel.h"

#include <unicode/uchar.h>

namespace brevanton {

namespace {

constexpr TextCheckingTypes fixupCheckingTypes = TextCheckingTypeQuote | TextCheckingTypeDash | TextCheckingTypeReplacement;

bool isWordCharacter(char16_t c)
{
    return u_isalnum(c);
}

bool isTextType(const DOMNode& node)
{
    return node.nodeType() == DOMNode::TEXT_NODE || node.nodeType() == DOMNode::CDATA_SECTION_NODE;
}

// Text in these is code or sample output: typographic substitutions would change its meaning.
bool isInCodeLikeElement(const DOMNode& node)
{
    for (DOMNode* ancestor = node.parent(); ancestor; ancestor = ancestor->parent()) {
        if (!ancestor->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*ancestor);
        for (std::u16string_view tag : { u"code", u"kbd", u"samp", u"var" }) {
            if (equalsIgnoringASCIICase(element.tagName(), tag))
                return true;
        }
    }
    return false;
}

std::u16string stringOfSender(ActionSender* sender)
{
    auto* field = dynamic_cast<TextField*>(sender);
    return field ? field->stringValue() : std::u16string();
}

} // namespace

// --- Checking

VornickSpellingController::VornickSpellingController(std::unique_ptr<Host> host)
    : m_host(std::move(host))
{
}

VornickSpellingController::~VornickSpellingController() = default;

long VornickSpellingController::spellDocumentTag()
{
    if (!m_spellDocumentTag)
        m_spellDocumentTag = SpellChecker::sharedSpellChecker().uniqueSpellDocumentTag();
    return m_spellDocumentTag;
}

void VornickSpellingController::checkSpelling()
{
    auto& checker = SpellChecker::sharedSpellChecker();
    long tag = spellDocumentTag();
    if (!m_spellPanelWordField)
        m_spellPanelWordField = checker.spellingPanel().wordField();
    bool grammar = isGrammarCheckingEnabled();
    TextCheckingTypes types = TextCheckingTypeSpelling;
    if (grammar)
        types |= TextCheckingTypeGrammar;

    auto& context = m_host->editingContext();
    auto range = context.effectiveOperationRange();
    if (!range)
        return;
    auto document = vornick_ownerDocument(*range);
    if (!document)
        return;
    auto attachmentPoint = vornick_enclosingAttachmentPointElement(*range);
    // A caret at the body's own level (between its children) is in no
    // element below the body; without attachment points the body is where
    // the text is.
    if (!attachmentPoint && vornick_attachmentPoints(*document).empty()) {
        auto body = document->body();
        auto container = range->commonAncestorContainer();
        if (body && container && (container == body || vornick_hasAncestor(*container, body.get())))
            attachmentPoint = body;
    }
    if (!attachmentPoint)
        return;

    VornickDOMTextGatherer gatherer;
    VornickDOMPosition start = vornick_endPosition(*range);
    if (start.node && isTextType(*start.node)) {
        const auto& data = downcast<DOMCharacterData>(*start.node).data();
        auto offset = static_cast<size_t>(start.offset);
        if (offset < data.size() && isWordCharacter(data[offset])) {
            while (offset > 0 && isWordCharacter(data[offset - 1]))
                --offset;
            start.offset = static_cast<int32_t>(offset);
        }
    }
    gatherer.setPosition(start);

    auto& bezel = *VornickBezel::sharedContentEditingViewBezel();
    unsigned wraps = 0;
    while (auto run = gatherer.nextTextRunInDocument(document)) {
        if (run->wrapped) {
            if (++wraps >= 2) {
                bezel.showMessage(grammar ? u"\u2714 Spelling and Grammar OK" : u"\u2714 Spelling OK", m_host->messageView());
                return;
            }
            bezel.showMessage(u"\u27F2", m_host->messageView());
        }
        auto results = checker.checkString(run->text, { 0, run->text.size() }, types, run->orthography(), tag);
        for (const auto& result : results) {
            bool spelling = result.resultType == TextCheckingTypeSpelling;
            bool grammarFinding = result.resultType == TextCheckingTypeGrammar && !result.grammarDetails.empty();
            if (!spelling && !grammarFinding)
                continue;
            auto found = gatherer.domRangeOfNSRange(result.range, *run, document);
            if (!found)
                continue;
            m_host->scrollRangeToVerticallyCentered(found);
            context.setTargetRange(found);
            checker.updatePanels();
            std::u16string word = run->text.substr(result.range.location, result.range.length);
            if (spelling)
                checker.updateSpellingPanelWithMisspelledWord(word);
            else
                checker.updateSpellingPanelWithGrammarString(word, result.grammarDetails.front());
            checker.spellingPanel().orderFront();
            return;
        }
    }
}

void VornickSpellingController::showGuessPanel()
{
    auto& panel = SpellChecker::sharedSpellChecker().spellingPanel();
    if (panel.isVisible()) {
        panel.orderOut();
        return;
    }
    checkSpelling();
    if (!panel.isVisible())
        panel.orderFront();
}

// --- The spelling panel's commands

void VornickSpellingController::changeSpelling(ActionSender* sender)
{
    auto& context = m_host->editingContext();
    context.endTypingRun();
    std::u16string replacement = stringOfSender(sender);
    if (replacement.empty())
        return;
    auto range = context.effectiveOperationRange();
    if (!range || range->collapsed())
        return;
    (void)m_host->replaceRangeWithText(true, range->cloneRange(), replacement, true);
    context.contentDidChangeInWebFrame(context.focusedWebFrame());
}

void VornickSpellingController::ignoreSpelling(ActionSender* sender)
{
    m_host->editingContext().endTypingRun();
    std::u16string word = stringOfSender(sender);
    if (word.empty())
        return;
    long tag = spellDocumentTag();
    SpellChecker::sharedSpellChecker().ignoreWord(std::move(word), tag);
}

// --- Grammar: there is no grammar checker here; the setting is kept.

bool VornickSpellingController::isGrammarCheckingEnabled()
{
    return UserDefaults::standard().boolForKey(u"WebGrammarCheckingEnabled");
}

void VornickSpellingController::setGrammarCheckingEnabled(bool enabled)
{
    UserDefaults::standard().setBool(enabled, u"WebGrammarCheckingEnabled");
}

void VornickSpellingController::toggleGrammarChecking()
{
    setGrammarCheckingEnabled(!isGrammarCheckingEnabled());
    SpellChecker::sharedSpellChecker().updatePanels();
}

// --- Automatic fix-up of typed text

namespace {

// The part of the node's text a fix-up looks at for an edit: the edited
// characters, and the hyphens just before them (two hyphens become a dash
// once the next character is typed).
TextRange fixupRangeForEdit(const std::u16string& data, const DOMRange& edited)
{
    size_t start = std::min<size_t>(edited.startOffset(), data.size());
    size_t end = std::min<size_t>(std::max<size_t>(edited.endOffset(), start), data.size());
    while (start > 0 && data[start - 1] == u'-')
        --start;
    return { start, end - start };
}

// The part of the text a check of `range` reads: the range with one
// character of context on each side (all the substitution rules look at),
// so that a long text is not copied for each typed character.
struct FixupWindow {
    std::u16string text;
    size_t start { 0 };
    TextRange range;
};

FixupWindow fixupWindow(const std::u16string& data, TextRange range)
{
    size_t start = range.location > 0 ? range.location - 1 : 0;
    size_t end = std::min(data.size(), range.end() + 1);
    return { data.substr(start, end - start), start, { range.location - start, range.length } };
}

// With automatic correction on, the word that typing a space or punctuation
// right after it has ended: the one word a correction may replace.
std::optional<TextRange> wordEndedByEdit(const std::u16string& data, const DOMRange& edited)
{
    if (!WebView::isAutomaticSpellingCorrectionEnabled())
        return std::nullopt;
    size_t start = std::min<size_t>(edited.startOffset(), data.size());
    size_t end = std::min<size_t>(std::max<size_t>(edited.endOffset(), start), data.size());
    if (start == end || isWordCharacter(data[start]))
        return std::nullopt;
    size_t wordStart = start;
    while (wordStart > 0 && isWordCharacter(data[wordStart - 1]))
        --wordStart;
    if (wordStart == start)
        return std::nullopt;
    return TextRange { wordStart, start - wordStart };
}

// The correction of the word the edit ended, in the text's offsets; none
// when it is spelt right or the checker has no guess.
std::optional<TextCheckingResult> correctionForEdit(const std::u16string& data, const DOMRange& edited, long tag)
{
    auto word = wordEndedByEdit(data, edited);
    if (!word)
        return std::nullopt;
    auto results = SpellChecker::sharedSpellChecker().checkString(std::u16string_view(data).substr(word->location, word->length),
                                                                  { 0, word->length }, TextCheckingTypeCorrection, std::nullopt, tag);
    if (results.size() != 1 || results.front().range.length != word->length)
        return std::nullopt;
    auto correction = results.front();
    correction.range.location = word->location;
    return correction;
}

} // namespace

void VornickSpellingController::scheduleTextFixupIfNeededForEditedRange(const std::shared_ptr<DOMRange>& editedRange)
{
    if (!editedRange)
        return;
    auto node = editedRange->startContainer();
    if (!node || node->nodeType() != DOMNode::TEXT_NODE || editedRange->endContainer() != node || isInCodeLikeElement(*node))
        return;
    const auto& data = downcast<DOMCharacterData>(*node).data();
    // Only what was just typed is looked at: text already in the file, and
    // substitutions the user has undone, stay as they are.
    auto edited = editedRange->cloneRange();
    auto window = fixupWindow(data, fixupRangeForEdit(data, *edited));
    bool correction = correctionForEdit(data, *edited, m_spellDocumentTag).has_value();
    std::weak_ptr<int> alive = m_liveness;
    SpellChecker::sharedSpellChecker().requestCheckingOfString(
        std::move(window.text), window.range, fixupCheckingTypes, std::nullopt, 0, [this, alive, node, edited,
                  correction](std::vector<TextCheckingResult> results) {
            if (alive.expired() || (results.empty() && !correction)) {
                edited->detach();
                return;
            }
            m_host->performOnNextTurn([this, node, edited] {
                fixupTextInNode(true, node, edited);
                edited->detach();
            });
        });
}

void VornickSpellingController::fixupTextInNode(bool undoable, const std::shared_ptr<DOMNode>& textNode,
                                                const std::shared_ptr<DOMRange>& editedRange)
{
    if (!textNode || textNode->nodeType() != DOMNode::TEXT_NODE || !textNode->isConnected() || !editedRange
        || editedRange->startContainer() != textNode || editedRange->endContainer() != textNode)
        return;
    auto text = downcast<DOMCharacterData>(textNode);
    auto window = fixupWindow(text->data(), fixupRangeForEdit(text->data(), *editedRange));
    auto results = SpellChecker::sharedSpellChecker().checkString(window.text, window.range, fixupCheckingTypes, std::nullopt, 0);
    for (auto& result : results)
        result.range.location += window.start;
    // A correction of the word just ended, unless a substitution touches it.
    if (auto correction = correctionForEdit(text->data(), *editedRange, m_spellDocumentTag)) {
        bool overlaps = std::any_of(results.begin(), results.end(), [&](const TextCheckingResult& result) {
            return result.range.location < correction->range.end() && correction->range.location < result.range.end();
        });
        if (!overlaps)
            results.push_back(*correction);
    }
    if (results.empty())
        return;
    auto& context = m_host->editingContext();
    context.endTypingRun();
    auto document = text->ownerDocument();
    auto mainFrame = context.mainFrame();
    auto frame = mainFrame && document ? mainFrame->frameForDocument(*document) : nullptr;
    // From the last to the first, so that the earlier places stay.
    std::sort(results.begin(), results.end(),
              [](const TextCheckingResult& a, const TextCheckingResult& b) { return a.range.location > b.range.location; });
    for (const auto& result : results) {
        if (!(result.resultType & (fixupCheckingTypes | TextCheckingTypeCorrection)) || result.replacementString.empty())
            continue;
        if (result.range.end() > text->length())
            continue;
        auto range = document->createRange();
        range->setStart(text, static_cast<unsigned>(result.range.location));
        range->setEnd(text, static_cast<unsigned>(result.range.end()));
        context.reassessNonBreakingSpaceSubstituteForTextToInsert(result.replacementString, frame);
        (void)m_host->replaceRangeWithText(undoable, range, result.replacementString, false);
        range->detach();
    }
    context.contentDidChangeInWebFrame(frame ? frame : context.focusedWebFrame());
}

} // namespace brevanton
