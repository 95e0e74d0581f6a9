// Snippet set files: any bytes are read as a set or refused with an error;
// every snippet read builds its fragment, whose interior range thaws in it,
// and is found by completion under its own name;
// a set that was read writes a file that reads back as the same set and
// writes the very same bytes again.
#include "html/VornickFragmentSet.h"
#include "toolkit/VornickCompletionSet.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace brevanton;

namespace {

std::u16string describe(const VornickFragmentSet& set)
{
    std::u16string text = set.title() + u"|" + std::u16string(1, static_cast<char16_t>(set.documentType()));
    if (set.allowedBodyElements()) {
        for (const auto& name : *set.allowedBodyElements())
            text += u"<" + name;
    }
    for (const auto& group : set.groups()) {
        text += u"\n#" + group->title();
        for (const auto& snippet : group->fragmentDescriptions()) {
            for (const auto& field : { snippet->identifier(), snippet->displayName(), snippet->tabTrigger(),
                                       snippet->keyboardShortcutShorthand(), snippet->markupString(), snippet->blockSourceString() })
                text += u"\n" + field;
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Error error;
    auto set = VornickFragmentSet::createWithJSONData(bytes, &error);
    if (!set) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    // Lookups never fail on what was read.
    for (const auto& group : set->groups()) {
        for (const auto& snippet : group->fragmentDescriptions()) {
            if (!snippet->tabTrigger().empty() && !set->fragmentDescriptionMatchingTabTrigger(snippet->tabTrigger()))
                __builtin_trap();
            if (!snippet->identifier().empty() && !set->fragmentDescriptionWithIdentifier(snippet->identifier()))
                __builtin_trap();
            (void)snippet->summaryForDisplay();
            // Building the snippet: its interior, when there is one, lies in what was built.
            static const auto document = DOMDocument::createHTMLDocument(u"fuzz");
            std::optional<VornickFreezeDriedDOMRange> interior;
            auto fragment = snippet->createDescribedFragmentWithValues({ { u"content", u"*" }, { u"id", u"<b>" } }, *document, &interior);
            if (fragment && interior && !interior->thawRangeRelativeToNewAncestor(fragment))
                __builtin_trap();
        }
    }
    (void)set->bodyElementIsAllowed(u"P");

    // Completion over the names read, searched by every trigger: a string is
    // always found by itself.
    VornickCompletionSet completion;
    completion.setFavorsCamelCaps(set->title().size() % 2);
    for (const auto& group : set->groups()) {
        for (const auto& snippet : group->fragmentDescriptions()) {
            if (!snippet->displayName().empty())
                completion.addCompletionString(snippet->displayName(), 1);
        }
    }
    for (const auto& group : set->groups()) {
        for (const auto& snippet : group->fragmentDescriptions()) {
            (void)completion.rankedMatchesForSearchString(snippet->tabTrigger());
            if (!snippet->displayName().empty()
                && VornickCompletionSet::scoreForCompletionString(snippet->displayName(), VornickCompletionSet::caseFolded(snippet->displayName()),
                                                                  snippet->displayName(), false, true) < 0)
                __builtin_trap();
        }
    }

    auto written = set->fileContents(&error);
    if (!written)
        __builtin_trap();
    auto again = VornickFragmentSet::createWithJSONData(*written, &error);
    if (!again || describe(*again) != describe(*set))
        __builtin_trap();
    auto rewritten = again->fileContents(&error);
    if (!rewritten || *rewritten != *written)
        __builtin_trap();
    return 0;
}
