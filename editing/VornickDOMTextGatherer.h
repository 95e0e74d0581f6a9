// VornickDOMTextGatherer: cuts the editable text of a document into runs of
// text that belong together, for spelling and grammar checks. A run ends at
// the edge of an element that is not inline and where the language changes;
// a document with attachment points contributes only the text inside them.
// The walk goes on from where the last run ended (kept as a path frozen
// relative to the document, so edits between calls do not invalidate it) and
// wraps around the end of the body.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "dom/VornickRelativeDOMPath.h"
#include "platform/views/TextChecking.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace brevanton {

class DOMDocument;
class DOMNode;
class DOMRange;

// One run of gathered text.
struct VornickDOMTextRun {
    std::u16string text;
    // BCP 47; none when the text's element has no language.
    std::optional<std::u16string> lang;
    // From the run's start in its first text node to its end in its last.
    std::shared_ptr<DOMRange> domRange;
    // The walk passed the end of the document before this run began.
    bool wrapped { false };

    // Dominant script "Zyyy", its one language the run's (or "und").
    Orthography orthography() const;
    // "{lang=%@, text=\"%@\", domRange=%@}", "?" for no language.
    std::u16string description() const;
};

enum class VornickDOMTextGathererEvent {
    EnterElement = 0,
    Text = 1,
    ExitElement = 2,
    EndOfBody = 3,
    OutOfDocument = 4,
};

class VornickDOMTextGatherer {
public:
    VornickDOMTextGatherer() = default;

    const std::optional<VornickRelativeDOMPath>& bookmark() const { return m_bookmark; }
    void setBookmark(std::optional<VornickRelativeDOMPath> bookmark) { m_bookmark = std::move(bookmark); }
    const VornickDOMPosition& position() const { return m_position; }
    // Stores the position and freezes it relative to its document.
    void setPosition(VornickDOMPosition);
    // The next walk starts at the start of the body.
    void resetToBeginning() { m_bookmark.reset(); }
    bool hitEndLastTime() const { return m_hitEndLastTime; }
    bool documentHasAttachmentPoints() const { return m_documentHasAttachmentPoints; }

    // The next run of text after the bookmark; none when the document has
    // none (a walk that passes the end of the body twice without finding
    // text ends there).
    std::optional<VornickDOMTextRun> nextTextRunInDocument(const std::shared_ptr<DOMDocument>&);
    // The DOM range of a part of a run's text; null when the document changed
    // so that it cannot be found.
    std::shared_ptr<DOMRange> domRangeOfNSRange(TextRange, const VornickDOMTextRun&, const std::shared_ptr<DOMDocument>&);

    static const std::set<std::u16string>& uppercaseNonBreakingElementTags();

private:
    void thawPositionRelativeToDocument(const std::shared_ptr<DOMDocument>&);
    void freezePositionRelativeToDocument();
    VornickDOMTextGathererEvent getNextEvent(std::shared_ptr<DOMNode>& node, TextRange& rangeInTextNode, DOMDocument&);

    std::optional<VornickRelativeDOMPath> m_bookmark;
    VornickDOMPosition m_position;
    bool m_hitEndLastTime { false };
    bool m_documentHasAttachmentPoints { false };
};

} // namespace brevanton
