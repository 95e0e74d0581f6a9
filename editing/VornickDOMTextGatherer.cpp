#include "editing/VornickDOMTextGatherer.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickRange.h"

#include <algorithm>

namespace brevanton {

namespace {

bool sameLanguage(const std::optional<std::u16string>& a, const std::optional<std::u16string>& b)
{
    if (!a || !b)
        return !a && !b;
    return equalsIgnoringASCIICase(*a, *b);
}

std::shared_ptr<DOMElement> elementOf(const std::shared_ptr<DOMNode>& node)
{
    return dynamicDowncast<DOMElement>(node);
}

std::u16string upperCase(std::u16string_view name)
{
    std::u16string upper(name);
    for (auto& c : upper) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return upper;
}

} // namespace

Orthography VornickDOMTextRun::orthography() const
{
    Orthography orthography;
    orthography.dominantScript = u"Zyyy";
    orthography.languageMap[u"Zyyy"] = { lang ? *lang : std::u16string(u"und") };
    return orthography;
}

std::u16string VornickDOMTextRun::description() const
{
    return u"{lang=" + (lang ? *lang : std::u16string(u"?")) + u", text=\"" + text + u"\", domRange="
        + (domRange ? vornick_splat(*domRange) : std::u16string(u"(null)")) + u"}";
}

const std::set<std::u16string>& VornickDOMTextGatherer::uppercaseNonBreakingElementTags()
{
    static const std::set<std::u16string> tags {
        u"A", u"ABBR", u"B", u"BR", u"BUTTON", u"CODE", u"DEL", u"DFN", u"EM", u"I",
        u"IMG", u"INPUT", u"INS", u"KBD", u"KEYGEN", u"LABEL", u"MARK", u"MENUITEM", u"METER", u"Q",
        u"S", u"SAMP", u"SMALL", u"SPAN", u"STRIKE", u"STRONG", u"STYLE", u"SUB", u"SUP", u"VAR",
    };
    return tags;
}

void VornickDOMTextGatherer::setPosition(VornickDOMPosition position)
{
    m_position = std::move(position);
    freezePositionRelativeToDocument();
}

void VornickDOMTextGatherer::thawPositionRelativeToDocument(const std::shared_ptr<DOMDocument>& document)
{
    if (m_bookmark) {
        m_position = m_bookmark->positionRelativeToNewAncestor(document);
        if (m_position.node)
            return;
    }
    m_position = { document->body(), 0 };
}

void VornickDOMTextGatherer::freezePositionRelativeToDocument()
{
    m_bookmark.reset();
    if (!m_position.node)
        return;
    if (DOMDocument* document = m_position.node->document())
        m_bookmark = VornickRelativeDOMPath::pathToPosition(m_position, document, false);
}

VornickDOMTextGathererEvent VornickDOMTextGatherer::getNextEvent(std::shared_ptr<DOMNode>& node, TextRange& rangeInTextNode,
                                                                 DOMDocument& document)
{
    auto current = m_position.node;
    if (!current->isElementNode()) {
        auto length = static_cast<int32_t>(current->length());
        bool text = current->nodeType() == DOMNode::TEXT_NODE || current->nodeType() == DOMNode::CDATA_SECTION_NODE;
        if (text && m_position.offset < length) {
            node = current;
            rangeInTextNode = { static_cast<size_t>(m_position.offset), static_cast<size_t>(length - m_position.offset) };
            VornickMoveDOMPositionUpToAfterNode(m_position);
            return VornickDOMTextGathererEvent::Text;
        }
        if (!VornickMoveDOMPositionUpToAfterNode(m_position) || !m_position.node || !m_position.node->isElementNode()) {
            node = nullptr;
            rangeInTextNode = { VornickNotFound, 0 };
            return VornickDOMTextGathererEvent::OutOfDocument;
        }
        current = m_position.node;
    }
    if (auto child = VornickNodeAfterPositionInElementOrFragment(m_position)) {
        if (!child->isElementNode()) {
            node = child;
            rangeInTextNode = { 0, child->length() };
            ++m_position.offset;
            return VornickDOMTextGathererEvent::Text;
        }
        node = child;
        m_position = { child, 0 };
        return VornickDOMTextGathererEvent::EnterElement;
    }
    auto body = document.body();
    if (current != body) {
        node = current;
        if (!VornickMoveDOMPositionUpToAfterNode(m_position) || !m_position.node) {
            node = nullptr;
            rangeInTextNode = { VornickNotFound, 0 };
            return VornickDOMTextGathererEvent::OutOfDocument;
        }
        return VornickDOMTextGathererEvent::ExitElement;
    }
    node = current;
    m_position = { body, 0 };
    return VornickDOMTextGathererEvent::EndOfBody;
}

std::optional<VornickDOMTextRun> VornickDOMTextGatherer::nextTextRunInDocument(const std::shared_ptr<DOMDocument>& document)
{
    if (!document || !document->body())
        return std::nullopt;
    thawPositionRelativeToDocument(document);

    m_documentHasAttachmentPoints = !vornick_attachmentPoints(*document).empty();
    bool inside = true;
    if (m_documentHasAttachmentPoints) {
        auto element = elementOf(m_position.node);
        inside = (element && vornick_isAttachmentPoint(*element)) || vornick_isContainedByAttachmentPoint(*m_position.node);
    }

    std::optional<VornickDOMTextRun> run;
    // A walk that passes the end of the body twice without finding text has
    // seen everything there is.
    unsigned endsPassed = 0;
    bool done = false;
    while (!done) {
        std::shared_ptr<DOMNode> node;
        TextRange part;
        switch (getNextEvent(node, part, *document)) {
        case VornickDOMTextGathererEvent::EnterElement: {
            auto element = elementOf(node);
            if (!inside) {
                if (element && vornick_isAttachmentPoint(*element))
                    inside = true;
            } else if (run && element) {
                auto language = vornick_BCP47Language(*element);
                if (language && (!run->lang || !equalsIgnoringASCIICase(*language, *run->lang)))
                    done = true;
            }
            break;
        }
        case VornickDOMTextGathererEvent::Text: {
            if (!inside || !node || (node->nodeType() != DOMNode::TEXT_NODE && node->nodeType() != DOMNode::CDATA_SECTION_NODE))
                break;
            const auto& data = downcast<DOMCharacterData>(*node).data();
            size_t end = std::min(part.end(), data.size());
            // White space between blocks is no text to check: a run begins
            // with something else.
            if (!run && std::all_of(data.begin() + static_cast<std::ptrdiff_t>(std::min(part.location, end)),
                                    data.begin() + static_cast<std::ptrdiff_t>(end), isHTMLWhitespace))
                break;
            if (!run) {
                run.emplace();
                run->text = data.substr(part.location, end - part.location);
                run->domRange = document->createRange();
                run->domRange->setStart(node, static_cast<unsigned>(part.location));
                run->domRange->setEnd(node, static_cast<unsigned>(end));
                if (auto parent = elementOf(node->parentNode()))
                    run->lang = vornick_effectiveBCP47Language(*parent);
                run->wrapped = m_hitEndLastTime;
                m_hitEndLastTime = false;
            } else {
                run->text.append(data, part.location, end - part.location);
                run->domRange->setEnd(node, static_cast<unsigned>(end));
            }
            break;
        }
        case VornickDOMTextGathererEvent::ExitElement: {
            auto element = elementOf(node);
            if (element && vornick_isAttachmentPoint(*element))
                inside = false;
            if (run && element) {
                if (!uppercaseNonBreakingElementTags().count(upperCase(element->tagName())))
                    done = true;
                else {
                    std::optional<std::u16string> parentLanguage;
                    if (auto parent = elementOf(element->parentNode()))
                        parentLanguage = vornick_effectiveBCP47Language(*parent);
                    done = !sameLanguage(run->lang, parentLanguage);
                }
            }
            break;
        }
        case VornickDOMTextGathererEvent::EndOfBody:
            m_hitEndLastTime = true;
            if (run || ++endsPassed >= 2)
                done = true;
            break;
        case VornickDOMTextGathererEvent::OutOfDocument:
            done = true;
            break;
        }
    }
    freezePositionRelativeToDocument();
    return run;
}

std::shared_ptr<DOMRange> VornickDOMTextGatherer::domRangeOfNSRange(TextRange range, const VornickDOMTextRun& run,
                                                                    const std::shared_ptr<DOMDocument>& document)
{
    if (!document || !run.domRange || !run.domRange->startContainer())
        return nullptr;
    auto saved = m_position;
    m_position = { run.domRange->startContainer(), static_cast<int32_t>(run.domRange->startOffset()) };
    size_t targetStart = range.location + run.domRange->startOffset();
    size_t targetEnd = targetStart + range.length;
    size_t sum = 0;
    std::shared_ptr<DOMNode> startNode;
    size_t startOffset = 0;
    std::shared_ptr<DOMRange> result;
    while (!result) {
        std::shared_ptr<DOMNode> node;
        TextRange part;
        auto event = getNextEvent(node, part, *document);
        if (event == VornickDOMTextGathererEvent::EnterElement || event == VornickDOMTextGathererEvent::ExitElement)
            continue;
        if (event != VornickDOMTextGathererEvent::Text)
            break;
        if (!node || (node->nodeType() != DOMNode::TEXT_NODE && node->nodeType() != DOMNode::CDATA_SECTION_NODE))
            continue;
        size_t before = sum;
        sum += node->length();
        if (!startNode && sum > targetStart) {
            startNode = node;
            startOffset = targetStart - before;
        }
        if (startNode && sum >= targetEnd) {
            result = document->createRange();
            result->setStart(startNode, static_cast<unsigned>(startOffset));
            result->setEnd(node, static_cast<unsigned>(targetEnd - before));
        }
    }
    m_position = saved;
    return result;
}

} // namespace brevanton
