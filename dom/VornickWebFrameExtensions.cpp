#include "dom/VornickWebFrameExtensions.h"

#include "dom/VornickAttachmentPointReference.h"
#include "dom/VornickDOMServices.h"
#include "toolkit/VornickLineIndex.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickWebFrameAssociatedValues.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/AttributedString.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"

#include <algorithm>
#include <map>

namespace brevanton {

namespace {

constexpr char16_t noBreakSpace = 0x00A0;

std::string key(const char* name)
{
    // Built at each use: a table of them kept per thread would be gone
    // before the views a program destroys last clear their frames' values.
    return VornickWebFrameAssociatedValueKey(name);
}

template<typename T> std::optional<T> value(const WebFrame& frame, const char* name)
{
    return vornick_associatedValueOfType<T>(frame, key(name));
}

template<typename T> void setValue(const WebFrame& frame, const char* name, std::optional<T> newValue)
{
    vornick_setAssociatedValueOfType(frame, key(name), std::move(newValue));
}

constexpr const char* stringEncodingOverrideKey = "StringEncodingOverride";
constexpr const char* upToDateKey = "LastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate";
constexpr const char* sourceKey = "LastGeneratedHTMLSource";
constexpr const char* attributedSourceKey = "LastGeneratedHTMLAttributedString";
constexpr const char* originalDataKey = "LastGeneratedHTMLSourceIsOriginalData";
constexpr const char* lineIndexKey = "lineIndexForLastGeneratedHTMLSource";
constexpr const char* attachmentPointsKey = "AttachmentPoints";
constexpr const char* validationStatusKey = "validationStatus";
constexpr const char* URLWhereSavedKey = "URLWhereSaved";
constexpr const char* autosavedInformationFolderKey = "autosavedInformationFolderURL";
constexpr const char* insertedBaseKey = "hasVornickInsertedBaseElement";
constexpr const char* substituteKey = "NonBreakingSpaceSubstituteCharacter";
constexpr const char* bodyStyleChangesKey = "bodyElementStyleChanges";
constexpr const char* completionSetKey = "fragmentCompletionSet";

using AttachmentPoints = std::vector<std::shared_ptr<VornickAttachmentPointReference>>;

std::shared_ptr<DOMElement> bodyOf(const WebFrame& frame)
{
    auto& document = frame.domDocument();
    return document ? document->body() : nullptr;
}

// The candidates not in `excluded` that the frame's document holds nowhere; 0 when none.
char16_t unusedCandidate(const WebFrame& frame, std::u16string_view excluded)
{
    auto& document = frame.domDocument();
    if (!document)
        return 0;
    std::u16string candidates;
    for (char16_t candidate : VornickNonBreakingSpaceSubstituteCandidates) {
        if (excluded.find(candidate) == std::u16string_view::npos)
            candidates.push_back(candidate);
    }
    if (candidates.empty())
        return 0;
    // The whole document counts, not just the body: a substitute found in the
    // title would otherwise be written as U+00A0 too.
    return vornick_firstCharacterInStringNotUsedInTree(document, candidates);
}

} // namespace

VornickStringEncoding vornick_stringEncodingOverride(const WebFrame& frame)
{
    return value<VornickStringEncoding>(frame, stringEncodingOverrideKey).value_or(VornickStringEncodingNone);
}

void vornick_setStringEncodingOverride(const WebFrame& frame, VornickStringEncoding encoding)
{
    setValue(frame, stringEncodingOverrideKey, encoding ? std::optional(encoding) : std::nullopt);
}

bool vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(const WebFrame& frame)
{
    return value<bool>(frame, upToDateKey).value_or(true);
}

void vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(const WebFrame& frame, bool upToDate)
{
    setValue(frame, upToDateKey, std::optional(upToDate));
}

// The plain source is kept behind a shared pointer: reading the frame's
// values copies them, and a page's source may be megabytes long.
using SharedSource = std::shared_ptr<const std::u16string>;

std::optional<std::u16string> vornick_lastGeneratedHTMLString(const WebFrame& frame)
{
    if (auto string = value<SharedSource>(frame, sourceKey))
        return **string;
    if (auto attributed = vornick_lastGeneratedHTMLAttributedString(frame))
        return attributed->string();
    return std::nullopt;
}

bool vornick_hasLastGeneratedHTMLString(const WebFrame& frame)
{
    return value<SharedSource>(frame, sourceKey) || vornick_lastGeneratedHTMLAttributedString(frame);
}

size_t vornick_lastGeneratedHTMLStringLength(const WebFrame& frame)
{
    if (auto string = value<SharedSource>(frame, sourceKey))
        return (*string)->size();
    if (auto attributed = vornick_lastGeneratedHTMLAttributedString(frame))
        return attributed->string().size();
    return 0;
}

std::shared_ptr<const std::u16string> vornick_sharedLastGeneratedHTMLString(const WebFrame& frame)
{
    if (auto string = value<SharedSource>(frame, sourceKey))
        return *string;
    if (auto attributed = vornick_lastGeneratedHTMLAttributedString(frame))
        return std::make_shared<const std::u16string>(attributed->string());
    return nullptr;
}

void vornick_setLastGeneratedHTMLString(const WebFrame& frame, std::optional<std::u16string> string)
{
    setValue(frame, sourceKey, string ? std::optional(std::make_shared<const std::u16string>(std::move(*string))) : std::nullopt);
}

void vornick_adoptLastGeneratedHTMLString(const WebFrame& frame, std::shared_ptr<const std::u16string> string)
{
    setValue(frame, sourceKey, string ? std::optional(std::move(string)) : std::nullopt);
}

std::shared_ptr<const AttributedString> vornick_lastGeneratedHTMLAttributedString(const WebFrame& frame)
{
    return value<std::shared_ptr<const AttributedString>>(frame, attributedSourceKey).value_or(nullptr);
}

void vornick_setLastGeneratedHTMLAttributedString(const WebFrame& frame, std::shared_ptr<const AttributedString> string)
{
    if (string) {
        vornick_setLastGeneratedHTMLString(frame, std::nullopt);
        // Copied: later changes to the caller's string do not reach the frame.
        string = std::make_shared<const AttributedString>(*string);
    }
    setValue(frame, attributedSourceKey, string ? std::optional(std::move(string)) : std::nullopt);
}

void vornick_adoptLastGeneratedHTMLAttributedString(const WebFrame& frame, std::shared_ptr<const AttributedString> string)
{
    if (string)
        vornick_setLastGeneratedHTMLString(frame, std::nullopt);
    setValue(frame, attributedSourceKey, string ? std::optional(std::move(string)) : std::nullopt);
}

bool vornick_lastGeneratedHTMLStringIsOriginalSourceData(const WebFrame& frame)
{
    return value<bool>(frame, originalDataKey).value_or(true);
}

void vornick_setLastGeneratedHTMLStringIsOriginalSourceData(const WebFrame& frame, bool isOriginal)
{
    setValue(frame, originalDataKey, std::optional(isOriginal));
}

std::shared_ptr<const VornickLineIndex> vornick_lineIndexForLastGeneratedHTMLString(const WebFrame& frame)
{
    return value<std::shared_ptr<const VornickLineIndex>>(frame, lineIndexKey).value_or(nullptr);
}

void vornick_setLineIndexForLastGeneratedHTMLString(const WebFrame& frame, std::shared_ptr<const VornickLineIndex> index)
{
    setValue(frame, lineIndexKey, index ? std::optional(std::move(index)) : std::nullopt);
}

std::optional<URL> vornick_URLWhereSaved(const WebFrame& frame)
{
    return value<URL>(frame, URLWhereSavedKey);
}

void vornick_setURLWhereSaved(const WebFrame& frame, std::optional<URL> url)
{
    setValue(frame, URLWhereSavedKey, std::move(url));
}

std::optional<URL> vornick_autosavedInformationFolderURL(const WebFrame& frame)
{
    return value<URL>(frame, autosavedInformationFolderKey);
}

void vornick_setAutosavedInformationFolderURL(const WebFrame& frame, std::optional<URL> url)
{
    setValue(frame, autosavedInformationFolderKey, std::move(url));
}

bool vornick_hasVornickInsertedBaseElement(const WebFrame& frame)
{
    return value<bool>(frame, insertedBaseKey).value_or(false);
}

void vornick_setHasVornickInsertedBaseElement(const WebFrame& frame, bool inserted)
{
    setValue(frame, insertedBaseKey, inserted ? std::optional(true) : std::nullopt);
}

std::optional<Dictionary> vornick_bodyElementStyleChangesToApplyWhenWriting(const WebFrame& frame)
{
    return value<Dictionary>(frame, bodyStyleChangesKey);
}

void vornick_setBodyElementStyleChangesToApplyWhenWriting(const WebFrame& frame, std::optional<Dictionary> changes)
{
    setValue(frame, bodyStyleChangesKey, std::move(changes));
}

VornickFrameValidationStatus vornick_validationStatus(const WebFrame& frame)
{
    return value<VornickFrameValidationStatus>(frame, validationStatusKey).value_or(VornickFrameValidationStatus::Pending);
}

void vornick_setValidationStatus(const WebFrame& frame, VornickFrameValidationStatus status)
{
    bool changed = status != vornick_validationStatus(frame);
    setValue(frame, validationStatusKey, std::optional(status));
    if (changed)
        NotificationCenter::defaultCenter().post(VornickWebFrameDidChangeValidationStatusNotification, &frame);
}

std::shared_ptr<void> vornick_fragmentCompletionSet(const WebFrame& frame)
{
    return value<std::shared_ptr<void>>(frame, completionSetKey).value_or(nullptr);
}

void vornick_setFragmentCompletionSet(const WebFrame& frame, std::shared_ptr<void> set)
{
    setValue(frame, completionSetKey, set ? std::optional(std::move(set)) : std::nullopt);
}

void vornick_invalidateFragmentCompletionSet(const WebFrame& frame)
{
    vornick_setFragmentCompletionSet(frame, nullptr);
}

AttachmentPoints vornick_attachmentPoints(const WebFrame& frame)
{
    return value<AttachmentPoints>(frame, attachmentPointsKey).value_or(AttachmentPoints());
}

void vornick_addAttachmentPoint(const WebFrame& frame, std::shared_ptr<VornickAttachmentPointReference> point)
{
    if (!point)
        return;
    auto points = vornick_attachmentPoints(frame);
    if (points.empty())
        points.reserve(8);
    points.push_back(std::move(point));
    setValue(frame, attachmentPointsKey, std::optional(std::move(points)));
}

void vornick_clearAttachmentPoints(const WebFrame& frame)
{
    setValue<AttachmentPoints>(frame, attachmentPointsKey, std::nullopt);
}

std::vector<std::shared_ptr<DOMElement>> vornick_effectiveAttachmentPointElements(const WebFrame& frame)
{
    std::vector<std::shared_ptr<DOMElement>> elements;
    auto points = vornick_attachmentPoints(frame);
    if (points.empty()) {
        if (auto body = bodyOf(frame))
            elements.push_back(std::move(body));
        return elements;
    }
    for (auto& point : points) {
        if (auto element = point->findElement())
            elements.push_back(std::move(element));
    }
    return elements;
}

namespace {

// A substitute stands for U+00A0 only in the document it was chosen for: in a
// document loaded later into the same frame, that character is the author's
// own and must not be written as U+00A0.
struct SubstituteForDocument {
    char16_t character;
    std::weak_ptr<DOMDocument> document;
};

} // namespace

char16_t vornick_nonBreakingSpaceSubstituteCharacter(const WebFrame& frame)
{
    auto substitute = value<SubstituteForDocument>(frame, substituteKey);
    if (!substitute || substitute->document.lock() != frame.domDocument())
        return 0;
    return substitute->character;
}

void vornick_setNonBreakingSpaceSubstituteCharacter(const WebFrame& frame, char16_t character)
{
    setValue(frame, substituteKey,
             character ? std::optional(SubstituteForDocument { character, frame.domDocument() }) : std::nullopt);
    // The substitute is shown as the space it stands for.
    frame.setCharacterShownAsSpace(character);
}

bool vornick_tryToEnableNonBreakingSpaceSubstitution(const WebFrame& frame)
{
    if (vornick_nonBreakingSpaceSubstituteCharacter(frame))
        return true;
    auto& document = frame.domDocument();
    if (!document)
        return false;
    auto candidates = VornickNonBreakingSpaceSubstituteCandidates;
    // A document as the parser built it tells which characters its text
    // holds: without U+00A0 no text changes, and no walk is needed.
    if (auto* units = document->parsedTextUnits(); units && !units->test(noBreakSpace)) {
        auto unused = std::find_if(candidates.begin(), candidates.end(), [units](char16_t c) { return !units->test(c); });
        if (unused == candidates.end())
            return false;
        vornick_setNonBreakingSpaceSubstituteCharacter(frame, *unused);
        return true;
    }
    // One walk over a page that may hold millions of nodes finds both the
    // candidates the whole document uses (a substitute found in the title
    // would otherwise be written as U+00A0 too) and the body's texts that
    // hold U+00A0.
    auto [lowest, highest] = std::minmax_element(candidates.begin(), candidates.end());
    std::vector<bool> used(candidates.size(), false);
    std::vector<std::shared_ptr<DOMNode>> textsToChange;
    auto body = bodyOf(frame);
    DOMNode* bodyEnd = body ? body->traverseNextSkippingChildren(document.get()) : nullptr;
    bool inBody = false;
    for (DOMNode* node = document.get(); node; node = node->traverseNext(document.get())) {
        if (node == body.get())
            inBody = true;
        else if (node == bodyEnd)
            inBody = false;
        if (node->nodeType() != DOMNode::TEXT_NODE)
            continue;
        bool holdsNoBreakSpace = false;
        for (char16_t c : downcast<DOMCharacterData>(*node).data()) {
            if (c == noBreakSpace)
                holdsNoBreakSpace = true;
            else if (c >= *lowest && c <= *highest) {
                for (size_t i = 0; i < candidates.size(); ++i)
                    used[i] = used[i] || candidates[i] == c;
            }
        }
        if (holdsNoBreakSpace && inBody)
            textsToChange.push_back(node->shared_from_this());
    }
    auto unused = std::find(used.begin(), used.end(), false);
    if (unused == used.end())
        return false;
    char16_t substitute = candidates[static_cast<size_t>(unused - used.begin())];
    for (const auto& text : textsToChange) {
        auto& characterData = downcast<DOMCharacterData>(*text);
        std::u16string data = characterData.data();
        std::replace(data.begin(), data.end(), noBreakSpace, substitute);
        characterData.setData(data);
    }
    vornick_setNonBreakingSpaceSubstituteCharacter(frame, substitute);
    return true;
}

void vornick_disableNonBreakingSpaceSubstitution(const WebFrame& frame)
{
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(frame);
    if (!substitute)
        return;
    if (auto body = bodyOf(frame))
        vornick_replaceOccurrencesOfCharacter(body, substitute, noBreakSpace);
    vornick_setNonBreakingSpaceSubstituteCharacter(frame, 0);
}

namespace {

// Makes room for incoming characters of the user's own: every substitute now
// in the body stands for U+00A0, so when the incoming characters include it,
// the body's substitutes move to a candidate that neither holds, or the
// substitution ends when none is left. Answers the substitute in effect.
char16_t reassessSubstitute(const WebFrame& frame, std::u16string_view ownCharacters)
{
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(frame);
    if (!substitute || ownCharacters.find(substitute) == std::u16string_view::npos)
        return substitute;
    std::u16string excluded(ownCharacters);
    excluded.push_back(substitute);
    char16_t replacement = unusedCandidate(frame, excluded);
    if (!replacement) {
        vornick_disableNonBreakingSpaceSubstitution(frame);
        return 0;
    }
    if (auto body = bodyOf(frame))
        vornick_replaceOccurrencesOfCharacter(body, substitute, replacement);
    vornick_setNonBreakingSpaceSubstituteCharacter(frame, replacement);
    return replacement;
}

// The characters of incoming text that are its own: all but the stand-ins
// for U+00A0 it carries from the body.
std::u16string ownCharacters(std::u16string_view text, char16_t substituteOfText)
{
    std::u16string own(text);
    if (substituteOfText)
        std::erase(own, substituteOfText);
    return own;
}

// How the incoming text's non-breaking spaces read now: `from` becomes `to`
// (equal when nothing changes).
struct NonBreakingSpaceMapping {
    char16_t from;
    char16_t to;
};

NonBreakingSpaceMapping mappingFor(char16_t substituteOfText, char16_t substitute)
{
    return { substituteOfText ? substituteOfText : noBreakSpace, substitute ? substitute : noBreakSpace };
}

} // namespace

std::u16string vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfText(const WebFrame& frame, std::u16string_view text,
                                                                             char16_t substituteOfText)
{
    char16_t substitute = reassessSubstitute(frame, ownCharacters(text, substituteOfText));
    auto mapping = mappingFor(substituteOfText, substitute);
    std::u16string prepared(text);
    if (mapping.from != mapping.to)
        std::replace(prepared.begin(), prepared.end(), mapping.from, mapping.to);
    return prepared;
}

void vornick_prepareNonBreakingSpaceSubstitutionForInsertionOfFragment(const WebFrame& frame,
                                                                      const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                                      char16_t substituteOfFragment)
{
    if (!fragment)
        return;
    std::u16string text;
    vornick_enumerateTextTreeWithOptions(fragment, 0, [&](const std::shared_ptr<DOMText>& node, bool&) {
        text += node->data();
    });
    char16_t substitute = reassessSubstitute(frame, ownCharacters(text, substituteOfFragment));
    auto mapping = mappingFor(substituteOfFragment, substitute);
    if (mapping.from != mapping.to)
        vornick_replaceOccurrencesOfCharacter(fragment, mapping.from, mapping.to);
}

bool vornick_enumerateWebFrameTreeWithOptions(const std::shared_ptr<WebFrame>& frame, unsigned options,
                                              const VornickWebFrameEnumerationBlock& block)
{
    if (!frame)
        return true;
    bool stop = false;
    bool reverse = options & VornickEnumerationReverse;
    if (!reverse) {
        block(frame, stop);
        if (stop)
            return false;
    }
    // A copy: the block may add or remove frames.
    auto children = frame->childFrames();
    if (reverse)
        std::reverse(children.begin(), children.end());
    for (auto& child : children) {
        if (!vornick_enumerateWebFrameTreeWithOptions(child, options, block))
            return false;
    }
    if (reverse) {
        block(frame, stop);
        if (stop)
            return false;
    }
    return true;
}

bool vornick_shouldAttemptToWriteWebFrameWhenSavingDocument(const WebFrame& frame)
{
    if (!frame.parentFrame())
        return true;
    auto& document = frame.domDocument();
    if (!document)
        return false;
    const auto& url = document->URL();
    return url.size() >= 6 && equalsIgnoringASCIICase(std::u16string_view(url).substr(0, 5), u"file:");
}

namespace {

class WebFrameStateProvider final : public VornickFrameStateProvider {
public:
    char16_t nonBreakingSpaceSubstituteCharacter(const DOMDocument& document) const override
    {
        auto frame = VornickWebFrameWithAssociatedValuesForDocument(document);
        return frame ? vornick_nonBreakingSpaceSubstituteCharacter(*frame) : 0;
    }

    AttachmentPoints attachmentPoints(const DOMDocument& document) const override
    {
        auto frame = VornickWebFrameWithAssociatedValuesForDocument(document);
        return frame ? vornick_attachmentPoints(*frame) : AttachmentPoints();
    }
};

} // namespace

void VornickInstallWebFrameStateProvider()
{
    VornickSetFrameStateProvider(std::make_shared<WebFrameStateProvider>());
}

} // namespace brevanton
