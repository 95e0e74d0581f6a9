// Attachment points: the places of a blog template that hold a post's
// fields. A locator finds a place in a document (one element, or a run of
// sibling elements); an attachment point remembers what was found by marking
// its element with a numbered class, so that it is found again after edits.
// The blog subsystem makes the locators; the editing view attaches them.
#pragma once

#include "dom/VornickDOMServices.h"

#include <map>
#include <memory>
#include <string>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMRange;
class VornickContentEditingView;
class WebFrame;

class VornickAttachmentPointLocator {
public:
    virtual ~VornickAttachmentPointLocator() = default;
    virtual std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument&) const { return nullptr; }
    // The range over the run of siblings, or null.
    virtual std::shared_ptr<DOMRange> locateSiblingRunInDocument(DOMDocument&) const { return nullptr; }
};

class VornickAttachmentPointLocatorSet {
public:
    explicit VornickAttachmentPointLocatorSet(std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> locators = {})
        : m_locatorsByIdentifier(std::move(locators)) {}
    const std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>>& locatorsByIdentifier() const
    {
        return m_locatorsByIdentifier;
    }

private:
    std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> m_locatorsByIdentifier;
};

class VornickAttachmentPoint : public VornickAttachmentPointReference {
public:
    // Null when the element cannot take the mark.
    static std::shared_ptr<VornickAttachmentPoint> createWithSingleElement(const std::shared_ptr<DOMElement>&,
                                                                           std::shared_ptr<VornickAttachmentPointLocator>,
                                                                           const std::shared_ptr<WebFrame>&, VornickContentEditingView*);
    // A run of siblings: their parent element holds the field. Null for a
    // run that is not inside one element.
    static std::shared_ptr<VornickAttachmentPoint> createWithSiblingRun(const DOMRange&, std::shared_ptr<VornickAttachmentPointLocator>,
                                                                        const std::shared_ptr<WebFrame>&, VornickContentEditingView*);

    long number() const { return m_number; }
    // "brevanton-attachment-point-<number>".
    std::u16string markClassName() const;
    // The marked element of the frame's document; failing that, the one the
    // locator finds, which is then marked; null when neither finds one.
    std::shared_ptr<DOMElement> findElement() const override;
    std::shared_ptr<WebFrame> webFrame() const { return m_webFrame.lock(); }
    const std::shared_ptr<DOMRange>& siblingRun() const { return m_siblingRun; }
    bool allowsDrops() const override { return m_allowsDrops; }
    void setAllowsDrops(bool allows) { m_allowsDrops = allows; }

private:
    VornickAttachmentPoint(std::shared_ptr<VornickAttachmentPointLocator>, const std::shared_ptr<WebFrame>&);

    long m_number;
    std::shared_ptr<VornickAttachmentPointLocator> m_locator;
    std::weak_ptr<WebFrame> m_webFrame;
    std::shared_ptr<DOMRange> m_siblingRun;
    bool m_allowsDrops { true };
};

} // namespace brevanton
