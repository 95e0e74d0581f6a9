// The editing state the editor keeps on each frame of a web view (attached to
// the frame itself, so it lives and dies with it): where the document was
// saved, its encoding override, the source last generated from it with its
// line index, validation status, attachment points (dom/VornickAttachmentPointReference.h)
// and the non-breaking-space substitution; with the helpers that act on that state. The parts that need
// the HTML layer (specification, formatting preferences, writer, range map,
// advisories, snippet sets) are in html/VornickWebFrameEditingState.h.
#pragma once

#include "toolkit/VornickStringEncoding.h"
#include "toolkit/VornickTypographicCharacters.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class AttributedString;
class DOMDocumentFragment;
class DOMElement;
class URL;
class VornickAttachmentPointReference;
class VornickLineIndex;
class WebFrame;

inline constexpr const char* VornickWebFrameDidChangeValidationStatusNotification
    = "VornickWebFrameDidChangeValidationStatusNotification";

// The validation status kept on each frame.
enum class VornickFrameValidationStatus : unsigned {
    Valid = 0,
    Warnings = 1,
    Errors = 2,
    // No result yet.
    Pending = 3,
    // Tidy's check did not end by itself (its timeout stopped a run that
    // hung): not validated, until validation is asked for again or the
    // source changes.
    NotFinished = 4,
    // Tidy gave no result: it could not be run (it is not installed) or its
    // report could not be read. Not validated, said so, never waited for.
    CouldNotRun = 5,
    // The page is beyond tidy's work budget (VornickTidyCheckBeyondBudget):
    // its check is not waited for, and it stays not validated as
    // NotFinished does.
    BeyondBudget = 6,
};

// Whether the load left the page's own source not validated (NotFinished,
// BeyondBudget): it is validated again only when asked for or changed.
inline bool vornick_isValidationLeftUndone(VornickFrameValidationStatus status)
{
    return status == VornickFrameValidationStatus::NotFinished || status == VornickFrameValidationStatus::BeyondBudget;
}

// --- Plain values

VornickStringEncoding vornick_stringEncodingOverride(const WebFrame&);
void vornick_setStringEncodingOverride(const WebFrame&, VornickStringEncoding); // 0 removes it

bool vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(const WebFrame&); // true until set
void vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(const WebFrame&, bool);

// The stored string, else the text of the stored attributed string.
std::optional<std::u16string> vornick_lastGeneratedHTMLString(const WebFrame&);
// Whether there is one, without copying it.
bool vornick_hasLastGeneratedHTMLString(const WebFrame&);
// Its length in UTF-16 units, without copying it; 0 when there is none.
size_t vornick_lastGeneratedHTMLStringLength(const WebFrame&);
// The same string shared: the stored one itself, or a copy of the text of
// the stored attributed string; null when there is none.
std::shared_ptr<const std::u16string> vornick_sharedLastGeneratedHTMLString(const WebFrame&);
void vornick_setLastGeneratedHTMLString(const WebFrame&, std::optional<std::u16string>);
// The same without a copy: the frame keeps `string` itself (never changed after).
void vornick_adoptLastGeneratedHTMLString(const WebFrame&, std::shared_ptr<const std::u16string>);
std::shared_ptr<const AttributedString> vornick_lastGeneratedHTMLAttributedString(const WebFrame&);
// A non-null string also drops the stored plain string, so that the plain
// getter follows it.
void vornick_setLastGeneratedHTMLAttributedString(const WebFrame&, std::shared_ptr<const AttributedString>);
// The same without the copy the setter makes: the frame keeps `string`
// itself, which only the regeneration of the frame's source changes.
void vornick_adoptLastGeneratedHTMLAttributedString(const WebFrame&, std::shared_ptr<const AttributedString>);

// Whether the last generated source is still the file's own text (true until set).
bool vornick_lastGeneratedHTMLStringIsOriginalSourceData(const WebFrame&);
void vornick_setLastGeneratedHTMLStringIsOriginalSourceData(const WebFrame&, bool);

std::shared_ptr<const VornickLineIndex> vornick_lineIndexForLastGeneratedHTMLString(const WebFrame&);
void vornick_setLineIndexForLastGeneratedHTMLString(const WebFrame&, std::shared_ptr<const VornickLineIndex>);

// Where the frame's document was saved, when its owner saved it elsewhere
// than its URL: the DOM operations take it as the document's place (vornick_URL).
std::optional<URL> vornick_URLWhereSaved(const WebFrame&);
void vornick_setURLWhereSaved(const WebFrame&, std::optional<URL>);
// The folder in which the frame's owner keeps the document while it is
// untitled: a document there is not saved in a permanent place, so it
// references files absolutely (vornick_isSavedInPermanentLocation).
std::optional<URL> vornick_autosavedInformationFolderURL(const WebFrame&);
void vornick_setAutosavedInformationFolderURL(const WebFrame&, std::optional<URL>);

bool vornick_hasVornickInsertedBaseElement(const WebFrame&);
void vornick_setHasVornickInsertedBaseElement(const WebFrame&, bool);

std::optional<Dictionary> vornick_bodyElementStyleChangesToApplyWhenWriting(const WebFrame&);
void vornick_setBodyElementStyleChangesToApplyWhenWriting(const WebFrame&, std::optional<Dictionary>);

// Pending until set. A change posts
// VornickWebFrameDidChangeValidationStatusNotification with the frame as object.
VornickFrameValidationStatus vornick_validationStatus(const WebFrame&);
void vornick_setValidationStatus(const WebFrame&, VornickFrameValidationStatus);

// The snippet completion set of the frame, owned by the snippet subsystem.
std::shared_ptr<void> vornick_fragmentCompletionSet(const WebFrame&);
void vornick_setFragmentCompletionSet(const WebFrame&, std::shared_ptr<void>);
// Drops it, so that a new one is built on next use.
void vornick_invalidateFragmentCompletionSet(const WebFrame&);

// --- Attachment points

std::vector<std::shared_ptr<VornickAttachmentPointReference>> vornick_attachmentPoints(const WebFrame&);
void vornick_addAttachmentPoint(const WebFrame&, std::shared_ptr<VornickAttachmentPointReference>); // null ignored
void vornick_clearAttachmentPoints(const WebFrame&);
// The elements the attachment points find, in order; without attachment
// points the body element (none without a body).
std::vector<std::shared_ptr<DOMElement>> vornick_effectiveAttachmentPointElements(const WebFrame&);

// --- Non-breaking-space substitution

// 0 when there is none.
// 0 also once another document has been loaded into the frame: a substitute
// holds only for the document it was chosen for.
char16_t vornick_nonBreakingSpaceSubstituteCharacter(const WebFrame&);
void vornick_setNonBreakingSpaceSubstituteCharacter(const WebFrame&, char16_t); // 0 removes it
// Picks the first candidate the document's text does not hold and shows every
// U+00A0 of the body as it. False (and nothing changes) when every candidate
// is in use or there is no document.
bool vornick_tryToEnableNonBreakingSpaceSubstitution(const WebFrame&);
// Turns the substitute back into U+00A0 everywhere in the body.
void vornick_disableNonBreakingSpaceSubstitution(const WebFrame&);
// To be called before text goes into the frame's body: text the user typed or
// pasted (substituteOfText 0: its U+00A0 are the user's non-breaking spaces),
// or text the editor took from the body earlier, such as what an undo puts
// back, with the substitute that stood for U+00A0 in the body when it was
// taken. When the text holds the current substitute as a character of its
// own, the substitute moves to another candidate that neither the document
// nor the text holds (or substitution ends), so that the user's character is
// written as typed. Answers the text as it must go in: its non-breaking
// spaces shown as the frame's substitute now (U+00A0 when there is none), its
// own characters unchanged.
// Changing the body's characters moves the live ranges in the changed text
// nodes: callers keep the selection frozen across the call.
std::u16string vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(const WebFrame&, std::u16string_view text,
                                                                             char16_t substituteOfText = 0);
// The same for a fragment about to be inserted (pasted, or put back by an
// undo), whose text nodes are changed in place.
void vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfFragment(const WebFrame&,
                                                                      const std::shared_ptr<DOMDocumentFragment>&,
                                                                      char16_t substituteOfFragment = 0);

// --- The frame tree

using VornickWebFrameEnumerationBlock = std::function<void(const std::shared_ptr<WebFrame>&, bool& stop)>;
// The frame, then the subtree of each child frame; with VornickEnumerationReverse
// (2) the exact reverse. False when the block stopped the walk.
bool vornick_enumerateWebFrameTreeWithOptions(const std::shared_ptr<WebFrame>&, unsigned options,
                                              const VornickWebFrameEnumerationBlock&);

// True for a main frame; a child frame only when its document is a file ("file:...").
bool vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(const WebFrame&);

// Answers the per-frame state the DOM operations ask for (a document's
// substitute character and attachment points) from the frames' state.
// Installed once at start-up.
void VornickInstallWebFrameStateProvider();

} // namespace brevanton
