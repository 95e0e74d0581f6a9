// Attachment points: the places of a blog template that hold a post's
// fields. A locator finds a place in a document (one element, or a run of
// sibling elements); an attachment point remembers what was found by marking
// its element with a numbered class, so that it is found again after edits.
// The blog subsystem makes the locators; the editing view attaches them.
#pragma once

#include "dom/VornickDOMServices.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMRange;
class VornickContentEditingView;
class WebFrame;

// A single element, or a run of sibling elements.
enum class VornickAttachmentType : int { SingleElement = 1, SiblingRun = 2 };

// The parameters of a selector: ".name" is attribute "class" with one
// required value; "[attr:{a,!b}]" requires a and forbids b in the attribute's
// space-separated list.
struct VornickAttachmentPointSelectorParameters {
    std::u16string attributeName;
    std::vector<std::u16string> requiredValues;
    std::vector<std::u16string> forbiddenValues;

    bool operator==(const VornickAttachmentPointSelectorParameters&) const = default;
};

class VornickAttachmentPointLocator {
public:
    VornickAttachmentPointLocator() = default;
    VornickAttachmentPointLocator(std::u16string identifier, std::u16string selector)
        : m_identifier(std::move(identifier))
        , m_selector(std::move(selector))
    {
    }
    virtual ~VornickAttachmentPointLocator() = default;

    const std::u16string& identifier() const { return m_identifier; }
    const std::u16string& selector() const { return m_selector; }
    void setSelector(std::u16string selector) { m_selector = std::move(selector); }

    // The selector's parameters; null when it is empty or malformed.
    std::optional<VornickAttachmentPointSelectorParameters> attributeParameters() const;
    // Rebuilds the selector from the parameters.
    void setAttributeName(const std::u16string& name, const std::vector<std::u16string>& requiredValues,
                          const std::vector<std::u16string>& forbiddenValues);

    // Only a class selector (".name") locates a single element: the first
    // element of the document with that class, compared exactly.
    virtual std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument&) const;
    // The range over the run of siblings, or null: the elements whose
    // attribute holds every required value and no forbidden one (ignoring
    // case), as long as they share the first one's parent.
    virtual std::shared_ptr<DOMRange> locateSiblingRunInDocument(DOMDocument&) const;

    // Whether the text is one class name or value of the selector language:
    // one or more Unicode alphanumerics and punctuation, less ":,!{}[]\"'".
    static bool isValidSelectorValue(std::u16string_view);
    // Whether the text is one attribute name of the selector language: one or
    // more HTML attribute-name characters, less those and blanks.
    static bool isValidSelectorAttributeName(std::u16string_view);

    // "VornickAttachmentPointLocator(0x...) {identifier,selector}".
    std::u16string description() const;

private:
    std::u16string m_identifier;
    std::u16string m_selector;
};

class VornickAttachmentPointLocatorSet {
public:
    explicit VornickAttachmentPointLocatorSet(std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> locators = {})
        : m_locatorsByIdentifier(std::move(locators)) {}
    // Null unless the value is a dictionary of the stored form ("themeIdentifier",
    // "attachmentPoints": identifier -> selector).
    static std::shared_ptr<VornickAttachmentPointLocatorSet> createWithPropertyList(const Value&);
    // The property list as JSON; null when the data is not JSON of that form.
    static std::shared_ptr<VornickAttachmentPointLocatorSet> createWithData(const std::vector<uint8_t>&);

    const std::optional<std::u16string>& identifier() const { return m_identifier; }
    void setIdentifier(std::optional<std::u16string> identifier) { m_identifier = std::move(identifier); }
    const std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>>& locatorsByIdentifier() const
    {
        return m_locatorsByIdentifier;
    }
    void setLocatorsByIdentifier(std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> locators)
    {
        m_locatorsByIdentifier = std::move(locators);
    }
    Value propertyList() const;
    std::vector<uint8_t> data() const;

private:
    std::optional<std::u16string> m_identifier;
    std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> m_locatorsByIdentifier;
};

class VornickAttachmentPoint : public VornickAttachmentPointReference, public std::enable_shared_from_this<VornickAttachmentPoint> {
public:
    // The element, the locator and the frame must be given (assertions).
    static std::shared_ptr<VornickAttachmentPoint> createWithSingleElement(const std::shared_ptr<DOMElement>&,
                                                                           std::shared_ptr<VornickAttachmentPointLocator>,
                                                                           const std::shared_ptr<WebFrame>&, VornickContentEditingView*);
    // A run of siblings: their parent element holds the field. The run, the
    // locator and the frame must be given (assertions); null for a run that is
    // not inside an element.
    static std::shared_ptr<VornickAttachmentPoint> createWithSiblingRun(const DOMRange&, std::shared_ptr<VornickAttachmentPointLocator>,
                                                                        const std::shared_ptr<WebFrame>&, VornickContentEditingView*);

    long number() const { return m_number; }
    long tag() const { return m_number; }
    VornickAttachmentType type() const { return m_siblingRun ? VornickAttachmentType::SiblingRun : VornickAttachmentType::SingleElement; }
    const std::shared_ptr<VornickAttachmentPointLocator>& locator() const { return m_locator; }
    // Run when the user clicks the point; the click then selects nothing.
    using ActionHandler = std::function<void(VornickAttachmentPoint&)>;
    const ActionHandler& actionHandler() const { return m_actionHandler; }
    void setActionHandler(ActionHandler handler) { m_actionHandler = std::move(handler); }
    // A cloaked point is not editable text.
    bool cloaked() const { return m_cloaked; }
    void setCloaked(bool cloaked) { m_cloaked = cloaked; }

    // For a run: the locator's run in the frame's current document; null for an element.
    std::shared_ptr<DOMRange> findRange() const;
    // Replaces the element's content by the HTML, scheme-less references
    // resolved against the base URL; an injection, not a user edit.
    bool injectHTMLContentString(const std::u16string& html, const std::optional<URL>& baseURL);
    // The same for content that came from elsewhere (a server's post): a
    // scheme-less reference resolves against the base URL only when the
    // result stays inside the enclosing folder; any other against the
    // fallback base URL, and without one it stays as written.
    bool injectHTMLContentString(const std::u16string& html, const std::optional<URL>& baseURL,
                                 const std::optional<URL>& enclosingFolderURL, const std::optional<URL>& fallbackBaseURL);
    // The HTML of the element's children as the writer writes them, file
    // references under the root folder written relative to the document.
    std::optional<std::u16string> extractCompactHTMLContentStringWithReferencesUnder(const std::optional<URL>& rootFolderURL,
                                                                                    const std::optional<URL>& documentURL) const;
    // "brevanton-attachment-point-<number>".
    std::u16string markClassName() const;
    // The marked element of the frame's document; failing that, the one the
    // locator finds, which is then marked; null when neither finds one.
    std::shared_ptr<DOMElement> findElement() const override;
    std::shared_ptr<WebFrame> webFrame() const { return m_webFrame.lock(); }
    // The editing view that attached it (not held).
    std::shared_ptr<VornickContentEditingView> contentEditingView() const { return m_contentEditingView.lock(); }
    const std::shared_ptr<DOMRange>& siblingRun() const { return m_siblingRun; }
    bool allowsDrops() const override { return m_allowsDrops; }
    void setAllowsDrops(bool allows) { m_allowsDrops = allows; }
    // "VornickAttachmentPoint(0x...) locator=<the locator's description>".
    std::u16string description() const;

private:
    VornickAttachmentPoint(std::shared_ptr<VornickAttachmentPointLocator>, const std::shared_ptr<WebFrame>&);
    // Replaces the element's content; the resolver answers the absolute form
    // of a scheme-less reference, or none to keep it as written.
    bool injectResolvingReferences(const std::u16string& html,
                                   const std::function<std::optional<URL>(std::u16string_view)>& resolve);

    long m_number;
    std::shared_ptr<VornickAttachmentPointLocator> m_locator;
    std::weak_ptr<WebFrame> m_webFrame;
    std::shared_ptr<DOMRange> m_siblingRun;
    bool m_allowsDrops { true };
    bool m_cloaked { false };
    mutable std::weak_ptr<DOMElement> m_foundElement;
    ActionHandler m_actionHandler;
    std::weak_ptr<VornickContentEditingView> m_contentEditingView;
};

} // namespace brevanton
