// What the DOM operations need to know of a document beyond its tree: the
// per-frame editing state of the frame that shows it (its non-breaking-space
// substitute character and its attachment points) and the HTML
// specification's containment rules and required attributes. The HTML layer
// installs the providers at start-up; until it does, the defaults answer "no
// substitute", "no attachment points", "anything may contain anything" and
// "nothing is required".
#pragma once

#include "dom/VornickAttachmentPointReference.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMNode;
class VornickHTMLSpec;

// The per-frame state of the frame that shows a document.
class VornickFrameStateProvider {
public:
    virtual ~VornickFrameStateProvider() = default;
    // The character shown in place of U+00A0 while editing; 0 for none.
    virtual char16_t nonBreakingSpaceSubstituteCharacter(const DOMDocument&) const { return 0; }
    // The attachment points of the frame, in order.
    virtual std::vector<std::shared_ptr<VornickAttachmentPointReference>> attachmentPoints(const DOMDocument&) const
    {
        return {};
    }
};

// The containment rules of a document's HTML specification.
class VornickHTMLContainmentProvider {
public:
    virtual ~VornickHTMLContainmentProvider() = default;
    // May an element of kind `parentTag` contain one of kind `childTag` (tags in any case)?
    virtual bool elementKindMayContainElementKind(const DOMDocument&, std::u16string_view parentTag,
                                                  std::u16string_view childTag) const = 0;
};

// The required attributes an HTML specification lists for the elements it knows.
class VornickHTMLElementSpecProvider {
public:
    virtual ~VornickHTMLElementSpecProvider() = default;
    // The attributes `spec` requires on an element of kind `tagName` (any
    // case), in the specification's order; none when it has no entry for it.
    virtual std::vector<std::u16string> requiredAttributeNames(const VornickHTMLSpec& spec,
                                                                std::u16string_view tagName) const = 0;
};

// Installs a provider (null restores the default). Main thread only.
void VornickSetFrameStateProvider(std::shared_ptr<VornickFrameStateProvider>);
const VornickFrameStateProvider& VornickCurrentFrameStateProvider();
void VornickSetHTMLContainmentProvider(std::shared_ptr<VornickHTMLContainmentProvider>);
// Null when none is installed.
const VornickHTMLContainmentProvider* VornickCurrentHTMLContainmentProvider();
void VornickSetHTMLElementSpecProvider(std::shared_ptr<VornickHTMLElementSpecProvider>);
// Null when none is installed.
const VornickHTMLElementSpecProvider* VornickCurrentHTMLElementSpecProvider();

// The substitute character of the frame showing the node's document (0 when none).
char16_t vornick_nonBreakingSpaceSubstituteCharacter(const DOMNode&);
// The attachment points of the frame showing the node's document.
std::vector<std::shared_ptr<VornickAttachmentPointReference>> vornick_attachmentPoints(const DOMNode&);

} // namespace brevanton
