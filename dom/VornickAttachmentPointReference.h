// VornickAttachmentPointReference: an element of a frame's document that
// edits stay inside. The owner of the frame adds them
// (vornick_addAttachmentPoint); the DOM operations find them through the
// frame that shows a node's document (vornick_attachmentPoints,
// vornick_enclosingAttachmentPoint), so that a place, a range or a caret is
// bounded by the one that holds it. A frame without any is bounded by its body.
#pragma once

#include <memory>

namespace brevanton {

class DOMElement;

class VornickAttachmentPointReference {
public:
    virtual ~VornickAttachmentPointReference() = default;
    // The element of the document it stands for, or null when there is none now.
    virtual std::shared_ptr<DOMElement> findElement() const = 0;
    // Whether content may be dropped into it.
    virtual bool allowsDrops() const { return true; }
};

} // namespace brevanton
