// The part of a frame's editing state that belongs to the HTML layer: the
// range map of the last generated source, validation advisories, the HTML
// specification, formatting preferences and snippet sets of the frame, the
// writer made from them, and debugging descriptions of the frame tree. The
// rest of the state is in dom/VornickWebFrameExtensions.h.
#pragma once

#include "html/VornickValidationAdvisory.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMRange;
class VornickDOMToNSRangeMap;
class VornickFragmentSet;
class VornickHTMLFormattingPreferences;
class VornickHTMLSpec;
class VornickHTMLWriter;
class WebFrame;

inline constexpr const char* VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification
    = "VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification";
inline constexpr const char* VornickWebFrameDidSwitchFragmentSetNotification
    = "VornickWebFrameDidSwitchFragmentSetNotification";

using VornickValidationAdvisories = std::vector<VornickValidationAdvisory>;

std::shared_ptr<const VornickDOMToNSRangeMap> vornick_DOMToNSRangeMapForLastGeneratedHTMLString(const WebFrame&);
void vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(const WebFrame&, std::shared_ptr<const VornickDOMToNSRangeMap>);

std::optional<VornickValidationAdvisories> vornick_validationAdvisoriesForStructuralRepairPass(const WebFrame&);
void vornick_setValidationAdvisoriesForStructuralRepairPass(const WebFrame&, std::optional<VornickValidationAdvisories>);
std::optional<VornickValidationAdvisories> vornick_validationAdvisoriesNotYetResolved(const WebFrame&);
void vornick_setValidationAdvisoriesNotYetResolved(const WebFrame&, std::optional<VornickValidationAdvisories>);

// Which text the frame's page was loaded from: the file as written, or tidy's
// repaired copy of it (only when the copy loses nothing of the page). When a
// repair was made and refused, what it would have lost, in a sentence.
bool vornick_isLoadedFromRepairedCopy(const WebFrame&);
void vornick_setLoadedFromRepairedCopy(const WebFrame&, bool);
std::optional<std::string> vornick_refusedRepairLoss(const WebFrame&);
void vornick_setRefusedRepairLoss(const WebFrame&, std::optional<std::string>);

std::shared_ptr<VornickHTMLSpec> vornick_HTMLSpec(const WebFrame&);
void vornick_setHTMLSpec(const WebFrame&, std::shared_ptr<VornickHTMLSpec>);

// The frame's own preferences; null when it follows the user's.
std::shared_ptr<VornickHTMLFormattingPreferences> vornick_HTMLFormattingPreferences(const WebFrame&);
// Writes the preferences' compact string into the document's head (none for
// null or for the user's own default set) on every call; a different object
// is stored and VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification
// posted.
void vornick_setHTMLFormattingPreferences(const WebFrame&, std::shared_ptr<VornickHTMLFormattingPreferences>);
// The frame's own preferences, else the user's default set, else the built-in defaults.
std::shared_ptr<const VornickHTMLFormattingPreferences> vornick_effectiveHTMLFormattingPreferences(const WebFrame&);

// Stores preferences (null: none) read from the frame's own document, which
// already says what they are: the document is left as it is.
void vornick_storeHTMLFormattingPreferencesOfLoadedDocument(const WebFrame&, std::shared_ptr<VornickHTMLFormattingPreferences>);

std::shared_ptr<VornickFragmentSet> vornick_baseFragmentSet(const WebFrame&);
// A different set invalidates the completion set.
void vornick_setBaseFragmentSet(const WebFrame&, std::shared_ptr<VornickFragmentSet>);
std::shared_ptr<VornickFragmentSet> vornick_userFragmentSet(const WebFrame&);
// A different set invalidates the completion set, records the set's file
// (its file reference's URL) in the document's head, relative to the
// document, and posts
// VornickWebFrameDidSwitchFragmentSetNotification.
void vornick_setUserFragmentSet(const WebFrame&, std::shared_ptr<VornickFragmentSet>);
// Stores the set (null: none) the frame's own document names, leaving the
// document as it is.
void vornick_storeUserFragmentSetOfLoadedDocument(const WebFrame&, std::shared_ptr<VornickFragmentSet>);

// The outer range of the DOM node at an advisory's line and column in the
// generated HTML that was validated, through that HTML's range map; null at
// any missing step. Tidy's columns count code points and expand tabs to
// multiples of 8.
std::shared_ptr<DOMRange> VornickResolveDOMRange(const VornickValidationAdvisory&, const std::u16string& generatedHTML,
                                                 const VornickDOMToNSRangeMap&, DOMDocument&);
// The same over the frame's last generated HTML, its range map and its
// document; null when the frame lacks any of them.
std::shared_ptr<DOMRange> VornickResolveDOMRangeInWebFrame(const VornickValidationAdvisory&, const WebFrame&);

// A writer with the effective preferences, the frame's substitute character,
// the newline convention of its line index (LF without one) and the body
// style changes to apply.
std::unique_ptr<VornickHTMLWriter> vornick_HTMLWriter(const WebFrame&);

// Debugging text: one line about the frame; one line per frame of the subtree,
// indented by a tab per level.
std::u16string vornick_briefDescription(const WebFrame&);
std::u16string vornick_subtreeDescription(const WebFrame&);
std::u16string vornick_subtreeDescriptionWithDepth(const WebFrame&, unsigned depth);

} // namespace brevanton
