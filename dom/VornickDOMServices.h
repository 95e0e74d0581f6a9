// What the DOM operations need from layers that are built above them: the
// per-frame editing state of a document (its non-breaking-space substitute
// character and its attachment points) and the HTML specification's
// containment rules and required attributes. The editing layer and the HTML
// layer install their providers; until they do, the defaults answer "no
// substitute", "no attachment points", "anything may contain anything" and
// "nothing is required".
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMNode;
class URL;
class VornickHTMLSpec;

// One place of a blog template that holds a post field.
class VornickAttachmentPointReference {
public:
    virtual ~VornickAttachmentPointReference() = default;
    // The element of the document that holds the field, or null.
    virtual std::shared_ptr<DOMElement> findElement() const = 0;
    // Whether content may be dropped into the field.
    virtual bool allowsDrops() const { return true; }
};

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
    // Where the frame's document was saved, when it was.
    virtual std::optional<URL> URLWhereSaved(const DOMDocument&) const;
    // The folder where the platform keeps untitled documents, when there is one.
    virtual std::optional<URL> autosavedInformationFolderURL() const;
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
