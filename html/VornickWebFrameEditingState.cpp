#include "html/VornickWebFrameEditingState.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRelativeDOMPath.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickLineIndex.h"
#include "toolkit/VornickNewlineConvention.h"
#include "dom/VornickWebFrameAssociatedValues.h"
#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

template<typename T> std::optional<T> value(const WebFrame& frame, std::string_view name)
{
    return vornick_associatedValueOfType<T>(frame, VornickWebFrameAssociatedValueKey(name));
}

template<typename T> std::shared_ptr<T> object(const WebFrame& frame, std::string_view name)
{
    return value<std::shared_ptr<T>>(frame, name).value_or(nullptr);
}

template<typename T> void setValue(const WebFrame& frame, std::string_view name, std::optional<T> newValue)
{
    vornick_setAssociatedValueOfType(frame, VornickWebFrameAssociatedValueKey(name), std::move(newValue));
}

template<typename T> void setObject(const WebFrame& frame, std::string_view name, std::shared_ptr<T> newObject)
{
    setValue(frame, name, newObject ? std::optional(std::move(newObject)) : std::nullopt);
}

constexpr std::string_view rangeMapKey = "DOMToNSRangeMapForLastGeneratedHTMLSource";
constexpr std::string_view repairAdvisoriesKey = "validationAdvisoriesForStructuralRepairPass";
constexpr std::string_view unresolvedAdvisoriesKey = "validationAdvisoriesNotYetResolved";
constexpr std::string_view repairedCopyKey = "loadedFromRepairedCopy";
constexpr std::string_view refusedRepairKey = "refusedRepairLoss";
constexpr std::string_view specKey = "HTMLSpec";
constexpr std::string_view preferencesKey = "HTMLFormattingPreferences";
constexpr std::string_view baseSetKey = "baseFragmentSet";
constexpr std::string_view userSetKey = "userFragmentSet";

} // namespace

std::shared_ptr<const VornickDOMToNSRangeMap> vornick_DOMToNSRangeMapForLastGeneratedHTMLString(const WebFrame& frame)
{
    return object<const VornickDOMToNSRangeMap>(frame, rangeMapKey);
}

void vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(const WebFrame& frame,
                                                          std::shared_ptr<const VornickDOMToNSRangeMap> map)
{
    setObject(frame, rangeMapKey, std::move(map));
}

std::optional<VornickValidationAdvisories> vornick_validationAdvisoriesForStructuralRepairPass(const WebFrame& frame)
{
    return value<VornickValidationAdvisories>(frame, repairAdvisoriesKey);
}

void vornick_setValidationAdvisoriesForStructuralRepairPass(const WebFrame& frame,
                                                            std::optional<VornickValidationAdvisories> advisories)
{
    setValue(frame, repairAdvisoriesKey, std::move(advisories));
}

bool vornick_isLoadedFromRepairedCopy(const WebFrame& frame)
{
    return value<bool>(frame, repairedCopyKey).value_or(false);
}

void vornick_setLoadedFromRepairedCopy(const WebFrame& frame, bool repaired)
{
    setValue(frame, repairedCopyKey, repaired ? std::optional(true) : std::nullopt);
}

std::optional<std::string> vornick_refusedRepairLoss(const WebFrame& frame)
{
    return value<std::string>(frame, refusedRepairKey);
}

void vornick_setRefusedRepairLoss(const WebFrame& frame, std::optional<std::string> loss)
{
    setValue(frame, refusedRepairKey, std::move(loss));
}

std::optional<VornickValidationAdvisories> vornick_validationAdvisoriesNotYetResolved(const WebFrame& frame)
{
    return value<VornickValidationAdvisories>(frame, unresolvedAdvisoriesKey);
}

void vornick_setValidationAdvisoriesNotYetResolved(const WebFrame& frame,
                                                   std::optional<VornickValidationAdvisories> advisories)
{
    setValue(frame, unresolvedAdvisoriesKey, std::move(advisories));
}

std::shared_ptr<VornickHTMLSpec> vornick_HTMLSpec(const WebFrame& frame)
{
    return object<VornickHTMLSpec>(frame, specKey);
}

void vornick_setHTMLSpec(const WebFrame& frame, std::shared_ptr<VornickHTMLSpec> spec)
{
    setObject(frame, specKey, std::move(spec));
}

std::shared_ptr<VornickHTMLFormattingPreferences> vornick_HTMLFormattingPreferences(const WebFrame& frame)
{
    return object<VornickHTMLFormattingPreferences>(frame, preferencesKey);
}

void vornick_setHTMLFormattingPreferences(const WebFrame& frame, std::shared_ptr<VornickHTMLFormattingPreferences> preferences)
{
    std::optional<std::u16string> string;
    if (preferences
        && preferences.get() != VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences().get())
        string = preferences->stringRepresentation();
    if (auto& document = frame.domDocument())
        vornick_setHTMLFormattingPreferencesString(*document, string ? std::optional<std::u16string_view>(*string) : std::nullopt);

    if (preferences == vornick_HTMLFormattingPreferences(frame))
        return;
    setObject(frame, preferencesKey, std::move(preferences));
    NotificationCenter::defaultCenter().post(VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification, &frame);
}

void vornick_storeHTMLFormattingPreferencesOfLoadedDocument(const WebFrame& frame,
                                                            std::shared_ptr<VornickHTMLFormattingPreferences> preferences)
{
    if (preferences == vornick_HTMLFormattingPreferences(frame))
        return;
    setObject(frame, preferencesKey, std::move(preferences));
    NotificationCenter::defaultCenter().post(VornickWebFrameDidSwitchHTMLFormattingPreferencesNotification, &frame);
}

std::shared_ptr<const VornickHTMLFormattingPreferences> vornick_effectiveHTMLFormattingPreferences(const WebFrame& frame)
{
    if (auto own = vornick_HTMLFormattingPreferences(frame))
        return own;
    if (auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences())
        return users;
    return VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
}

std::shared_ptr<VornickFragmentSet> vornick_baseFragmentSet(const WebFrame& frame)
{
    return object<VornickFragmentSet>(frame, baseSetKey);
}

void vornick_setBaseFragmentSet(const WebFrame& frame, std::shared_ptr<VornickFragmentSet> set)
{
    if (set == vornick_baseFragmentSet(frame))
        return;
    vornick_invalidateFragmentCompletionSet(frame);
    setObject(frame, baseSetKey, std::move(set));
}

std::shared_ptr<VornickFragmentSet> vornick_userFragmentSet(const WebFrame& frame)
{
    return object<VornickFragmentSet>(frame, userSetKey);
}

void vornick_setUserFragmentSet(const WebFrame& frame, std::shared_ptr<VornickFragmentSet> set)
{
    if (set == vornick_userFragmentSet(frame))
        return;
    vornick_invalidateFragmentCompletionSet(frame);
    setObject(frame, userSetKey, set);

    auto& document = frame.domDocument();
    std::optional<std::u16string> relativeURLString;
    if (set && set->fileReference() && document) {
        URL fileURL = URL::fileURLWithPath(std::string_view("/"));
        if (set->fileReference()->getFileURL(&fileURL))
            relativeURLString = vornick_relativeURLStringForReferencingTargetURL(*document, &fileURL);
    }
    if (document) {
        vornick_setFragmentSetRelativeURLString(
            *document, relativeURLString ? std::optional<std::u16string_view>(*relativeURLString) : std::nullopt);
    }
    NotificationCenter::defaultCenter().post(VornickWebFrameDidSwitchFragmentSetNotification, &frame);
}

void vornick_storeUserFragmentSetOfLoadedDocument(const WebFrame& frame, std::shared_ptr<VornickFragmentSet> set)
{
    if (set == vornick_userFragmentSet(frame))
        return;
    vornick_invalidateFragmentCompletionSet(frame);
    setObject(frame, userSetKey, std::move(set));
    NotificationCenter::defaultCenter().post(VornickWebFrameDidSwitchFragmentSetNotification, &frame);
}

std::unique_ptr<VornickHTMLWriter> vornick_HTMLWriter(const WebFrame& frame)
{
    // The text's own line breaks: those of the source the frame shows, its
    // loaded file's until an edit regenerates it (even before that source
    // is indexed, as when the load's save is written).
    VornickNewlineConvention newlineConvention = VornickNewlineConvention::Unknown;
    if (auto lineIndex = vornick_lineIndexForLastGeneratedHTMLString(frame))
        newlineConvention = lineIndex->newlineConvention();
    else if (auto source = vornick_sharedLastGeneratedHTMLString(frame))
        newlineConvention = vornick_newlineConventionOfText(*source);
    if (newlineConvention == VornickNewlineConvention::Unknown)
        newlineConvention = VornickNewlineConvention::LF;
    auto writer = VornickHTMLWriter::htmlWriterWithFormattingPreferences(
        *vornick_effectiveHTMLFormattingPreferences(frame), vornick_nonBreakingSpaceSubstituteCharacter(frame),
        newlineConvention);
    writer->setBodyElementStyleChangesToApply(vornick_bodyElementStyleChangesToApplyWhenWriting(frame));
    // A write of the document is about as long as the source it shows.
    writer->setExpectedDocumentOutputLength(vornick_lastGeneratedHTMLStringLength(frame));
    // The frame's encoding override (a document switched to UTF-8) is what the writer writes in.
    if (auto encoding = vornick_stringEncodingOverride(frame)) {
        if (auto name = VornickCharsetNameForStringEncoding(encoding))
            writer->setStringEncodingOverride(std::move(*name));
    }
    return writer;
}

std::u16string vornick_briefDescription(const WebFrame& frame)
{
    auto& view = frame.frameView();
    Rect rect = view ? view->frame() : Rect();
    auto& document = frame.domDocument();
    auto spec = vornick_HTMLSpec(frame);
    auto line = fmt::format("<WebFrame: {}> parent: {} document: {} frameView: {} {{{{{}, {}}}, {{{}, {}}}}} name: \"{}\" "
                            "documentType: \"{}\" URL: {}",
                            static_cast<const void*>(&frame), static_cast<const void*>(frame.parentFrame().get()),
                            static_cast<const void*>(document.get()), static_cast<const void*>(view.get()),
                            rect.origin.x, rect.origin.y, rect.size.width, rect.size.height, toUTF8(frame.name()),
                            spec ? toUTF8(spec->persistableDocumentTypeName()) : std::string(),
                            document ? toUTF8(document->URL()) : std::string("(none)"));
    return toUTF16(line);
}

std::u16string vornick_subtreeDescription(const WebFrame& frame)
{
    return vornick_subtreeDescriptionWithDepth(frame, 0);
}

std::u16string vornick_subtreeDescriptionWithDepth(const WebFrame& frame, unsigned depth)
{
    std::u16string description(depth, u'\t');
    description += vornick_briefDescription(frame);
    description += u'\n';
    for (auto& child : frame.childFrames())
        description += vornick_subtreeDescriptionWithDepth(*child, depth + 1);
    return description;
}

std::shared_ptr<DOMRange> VornickResolveDOMRange(const VornickValidationAdvisory& advisory, const std::u16string& generatedHTML,
                                                 const VornickDOMToNSRangeMap& map, DOMDocument& document)
{
    size_t offset = VornickTidyFilter::offsetForTidyLineAndColumn(generatedHTML, advisory.line(), advisory.column());
    if (offset == VornickNotFound)
        return nullptr;
    auto path = map.relativeDOMPathForRangeLocation(offset, &generatedHTML, 1);
    if (!path)
        return nullptr;
    auto position = path->positionRelativeToNewAncestor(document.shared_from_this());
    if (!position.node)
        return nullptr;
    return vornick_outerRange(*position.node);
}

std::shared_ptr<DOMRange> VornickResolveDOMRangeInWebFrame(const VornickValidationAdvisory& advisory, const WebFrame& frame)
{
    auto generatedHTML = vornick_lastGeneratedHTMLString(frame);
    auto map = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(frame);
    auto& document = frame.domDocument();
    if (!generatedHTML || !map || !document)
        return nullptr;
    return VornickResolveDOMRange(advisory, *generatedHTML, *map, *document);
}

} // namespace brevanton
