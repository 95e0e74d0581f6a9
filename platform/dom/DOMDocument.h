// DOMDocument, DOMDocumentType and DOMDocumentFragment.
//
// A document keeps a weak registry of its live ranges (each range removes
// itself when it goes away), so that the cost of a mutation follows the number
// of ranges alive.
#pragma once

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMNode.h"
#include "platform/foundation/DocumentTextDecoding.h"

#include <bitset>
#include <deque>
#include <string_view>
#include <optional>
#include <vector>

namespace brevanton {

class DOMCDATASection;
class DOMComment;
class DOMDocumentFragment;
class DOMDocumentType;
class DOMHTMLCollection;
class DOMProcessingInstruction;
class DOMRange;

// One change of the document's structure, as caches that depend on it need
// to know it.
struct DOMStructureChange {
    enum class Kind : uint8_t { Attribute, ChildList };
    Kind kind { Kind::ChildList };
    // The element whose attribute changed, or the container whose children changed.
    std::weak_ptr<DOMNode> target;
    // The node inserted (child list changes that add one).
    std::weak_ptr<DOMNode> inserted;
    // The node removed, for its identity only: it may be gone since.
    const DOMNode* removed { nullptr };
    // Whether an element came or went, so that which element comes first
    // may have changed; only then is the former first element child recorded.
    bool elementChildrenChanged { false };
    // The container's first element child before the change.
    std::weak_ptr<DOMNode> formerFirstElementChild;
    std::u16string attributeName;
    // The change may alter the document's style sheets or base URL: it touched
    // a STYLE, LINK or BASE element or what is inside one.
    bool touchesStyleSheets { false };
};

class DOMDocumentType final : public DOMNode {
public:
    DOMDocumentType(DOMDocumentHandlePtr handle, std::u16string name, std::u16string publicId,
                    std::u16string systemId)
        : DOMNode(DOCUMENT_TYPE_NODE, std::move(handle))
        , m_name(std::move(name))
        , m_publicId(std::move(publicId))
        , m_systemId(std::move(systemId))
    {
    }
    const std::u16string& name() const { return m_name; }
    const std::u16string& publicId() const { return m_publicId; }
    const std::u16string& systemId() const { return m_systemId; }
    // The declarations between "[" and "]" of an XML DOCTYPE, as written; empty for none.
    const std::u16string& internalSubset() const { return m_internalSubset; }
    void setInternalSubset(std::u16string subset) { m_internalSubset = std::move(subset); }

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto

private:
    std::u16string m_name;
    std::u16string m_publicId;
    std::u16string m_systemId;
    std::u16string m_internalSubset;
};

class DOMDocumentFragment final : public DOMContainerNode {
public:
    explicit DOMDocumentFragment(DOMDocumentHandlePtr handle)
        : DOMContainerNode(DOCUMENT_FRAGMENT_NODE, std::move(handle))
    {
    }
    std::shared_ptr<DOMElement> getElementById(std::u16string_view) const;

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto
};

class DOMDocument final : public DOMContainerNode {
public:
    enum class Kind : uint8_t { HTML, XML };

    // A new empty document. Use the create functions: documents live in shared_ptr.
    static std::shared_ptr<DOMDocument> create(Kind kind = Kind::HTML);
    // "<!DOCTYPE html><html><head><title>title</title></head><body></body></html>"
    static std::shared_ptr<DOMDocument> createHTMLDocument(const std::u16string& title = {});
    // Parses HTML bytes in `encoding` (an IANA name; empty: byte order mark,
    // then a meta declaration, then UTF-8 when valid, else windows-1252).
    static std::shared_ptr<DOMDocument> parseHTML(std::string_view bytes, std::string_view encoding = {},
                                                  const std::u16string& url = {});
    static std::shared_ptr<DOMDocument> parseHTML(std::u16string_view markup, const std::u16string& url = {});
    // Parses XML or XHTML without network access or external entities.
    // Input that is not well-formed is never recovered in part: null with an
    // error that names the line and column (DOMErrorLineNumberKey, DOMErrorColumnNumberKey).
    static std::shared_ptr<DOMDocument> parseXML(std::string_view bytes, const std::u16string& url = {},
                                                 Error* outError = nullptr);
    // Parses text already decoded (decodeDocumentText) in its syntax; null
    // with an error only for XML that cannot be read.
    static std::shared_ptr<DOMDocument> parseDecoded(const DecodedDocumentText&, DocumentTextSyntax,
                                                     const std::u16string& url = {}, Error* outError = nullptr);
    // HTML or XML by the file extension of the path or URL (.xhtml, .xht, .xml are XML).
    static bool isXMLPath(std::u16string_view pathOrURL);

    explicit DOMDocument(Kind kind);
    ~DOMDocument();

    bool isHTMLDocument() const { return m_kind == Kind::HTML; }
    Kind kind() const { return m_kind; }

    const std::u16string& URL() const { return m_url; }
    void setURL(std::u16string url) { m_url = std::move(url); }
    const std::u16string& characterSet() const { return m_characterSet; }
    void setCharacterSet(std::u16string name) { m_characterSet = std::move(name); }
    // "application/xhtml+xml" makes createElement answer XHTML elements in an XML document.
    const std::u16string& contentType() const { return m_contentType; }
    void setContentType(std::u16string type) { m_contentType = std::move(type); }
    // The file began with a byte-order mark; a save writes one again.
    bool hasByteOrderMark() const { return m_hasByteOrderMark; }
    void setHasByteOrderMark(bool flag) { m_hasByteOrderMark = flag; }
    // Bytes of the file could not be decoded and became U+FFFD; a save must
    // not write those in place of the bytes.
    bool hasReplacedUndecodableBytes() const { return m_hasReplacedUndecodableBytes; }
    void setHasReplacedUndecodableBytes(bool flag) { m_hasReplacedUndecodableBytes = flag; }
    // The XML declaration of an XML file as written ("<?xml version="1.0" ...?>"); empty for none.
    const std::u16string& xmlDeclaration() const { return m_xmlDeclaration; }
    void setXMLDeclaration(std::u16string declaration) { m_xmlDeclaration = std::move(declaration); }

    std::shared_ptr<DOMElement> documentElement() const;
    std::shared_ptr<DOMDocumentType> doctype() const;
    // The first BODY (or FRAMESET) child of the HTML root element.
    std::shared_ptr<DOMElement> body() const;
    std::shared_ptr<DOMElement> head() const;
    std::u16string title() const;

    std::shared_ptr<DOMElement> getElementById(std::u16string_view) const;
    std::shared_ptr<DOMHTMLCollection> getElementsByTagName(std::u16string_view);

    // Creation. Invalid names are InvalidCharacterError with a null result.
    std::shared_ptr<DOMElement> createElement(std::u16string_view localName, Error* outError = nullptr);
    std::shared_ptr<DOMElement> createElementNS(std::u16string_view namespaceURI, std::u16string_view qualifiedName,
                                                Error* outError = nullptr);
    std::shared_ptr<DOMText> createTextNode(std::u16string data);
    std::shared_ptr<DOMComment> createComment(std::u16string data);
    // NotSupportedError in an HTML document.
    std::shared_ptr<DOMCDATASection> createCDATASection(std::u16string data, Error* outError = nullptr);
    std::shared_ptr<DOMProcessingInstruction> createProcessingInstruction(std::u16string target, std::u16string data,
                                                                          Error* outError = nullptr);
    std::shared_ptr<DOMDocumentFragment> createDocumentFragment();
    std::shared_ptr<DOMAttr> createAttribute(std::u16string_view name, Error* outError = nullptr);
    std::shared_ptr<DOMDocumentType> createDocumentType(std::u16string name, std::u16string publicId,
                                                        std::u16string systemId);
    std::shared_ptr<DOMRange> createRange();
    // A copy of `node` (with its subtree when deep) belonging to this document.
    std::shared_ptr<DOMNode> importNode(const DOMNode& node, bool deep, Error* outError = nullptr);
    // Moves `node` (removed from its parent) into this document.
    std::shared_ptr<DOMNode> adoptNode(const std::shared_ptr<DOMNode>& node, Error* outError = nullptr);

    // The document that owns the contents of this document's TEMPLATE
    // elements: an inert document of the same kind, made on first use; such a
    // document is its own.
    DOMDocument& templateContentsOwnerDocument();

    // Markup parsed as the content of `context` (BODY when null): HTML through
    // the fragment parsing algorithm in HTML documents, XML otherwise.
    std::shared_ptr<DOMDocumentFragment> createDocumentFragmentWithMarkupString(std::u16string_view markup,
                                                                                const std::u16string& baseURL = {},
                                                                                const DOMElement* context = nullptr);

    // Internal: range registry and tree versions for live collections.
    void registerRange(DOMRange*);
    void unregisterRange(DOMRange*);
    const std::vector<DOMRange*>& ranges() const { return m_ranges; }
    uint64_t domTreeVersion() const { return m_domTreeVersion; }
    void incrementDOMTreeVersion() { ++m_domTreeVersion; }
    // Moves on every tree, attribute and character data change.
    uint64_t contentVersion() const { return m_domTreeVersion + m_attributeVersion + m_characterDataVersion; }
    // Moves on tree and attribute changes only: what selectors can see.
    uint64_t treeAndAttributeVersion() const { return m_domTreeVersion + m_attributeVersion; }
    void incrementAttributeVersion() { ++m_attributeVersion; }
    // Moves only on tree and attribute changes within the document itself
    // (not in detached nodes or fragments): what styles and layout depend on.
    uint64_t connectedStructureVersion() const { return m_connectedStructureVersion; }
    // Records a change of an element's attribute, or of a container's child
    // list, when that element or container is part of the document.
    void connectedAttributeChanged(DOMElement&, const std::u16string& name);
    // Call before the child list of `parent` changes; `inserted` is the node
    // about to be linked, `removed` the one about to be unlinked.
    void connectedChildListWillChange(DOMNode& parent, DOMNode* inserted, DOMNode* removed);
    // The structure changes after `version`, oldest first, read in place: valid
    // until the next change. Nothing when the record no longer reaches back to
    // `version`.
    class StructureChanges {
    public:
        using Iterator = std::deque<DOMStructureChange>::const_iterator;
        StructureChanges() = default;
        StructureChanges(Iterator begin, Iterator end)
            : m_begin(begin)
            , m_end(end)
        {
        }
        Iterator begin() const { return m_begin; }
        Iterator end() const { return m_end; }
        bool empty() const { return m_begin == m_end; }
        size_t size() const { return static_cast<size_t>(m_end - m_begin); }
        const DOMStructureChange& back() const { return *(m_end - 1); }

    private:
        Iterator m_begin;
        Iterator m_end;
    };
    [[nodiscard]] std::optional<StructureChanges> structureChangesSince(uint64_t version) const;
    // Reports a subtree a parser built under `root` with appendParsedChild as
    // one change: the tree version moves, and when `root` is in the document
    // the record of structure changes starts over (its readers redo their work).
    void treeWasBuilt(DOMNode& root);
    // Moves on every change of a text, comment or other character data node's
    // data; the document remembers the latest changed nodes so that caches can
    // update only what depends on them.
    uint64_t characterDataVersion() const { return m_characterDataVersion; }
    void characterDataChanged(DOMNode&);
    // Moves on every change within the document itself: its tree, attributes
    // and character data, never for detached nodes or fragments (which
    // snippets and pastes are built in).
    uint64_t connectedContentVersion() const { return m_connectedStructureVersion + m_connectedCharacterDataVersion; }
    // The nodes whose data changed after `version`, in change order (a node may
    // repeat; nodes since destroyed are left out). False when the record no
    // longer reaches back to `version`.
    bool characterDataChangesSince(uint64_t version, std::vector<std::shared_ptr<DOMNode>>& changes) const;
    std::shared_ptr<DOMDocument> protectedThis() { return downcast<DOMDocument>(shared_from_this()); }
    // The elements that may load something (HTML LINK, STYLE, IMG, IFRAME and
    // FRAME elements), in document order, as the HTML parser built the
    // document, so that starting its loads walks no tree; null once the tree
    // or an attribute changed since (and for documents built otherwise).
    const std::vector<DOMElement*>* parsedLoadingElements() const;
    // By the parser, once the document is built.
    void setParsedLoadingElements(std::vector<DOMElement*>);
    // Which UTF-16 units from U+0080 up the text nodes of the document hold
    // (a template's contents left out), as the HTML parser built it, so that
    // a question about the characters of the whole text walks no tree; null
    // once anything in the document changed since (and for documents built
    // otherwise).
    const std::bitset<0x10000>* parsedTextUnits() const;
    // By the parser, once the document is built.
    void setParsedTextUnits(std::unique_ptr<std::bitset<0x10000>>);

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto

private:
    std::vector<DOMRange*> m_ranges;
    uint64_t m_domTreeVersion { 0 };
    uint64_t m_attributeVersion { 0 };
    uint64_t m_characterDataVersion { 0 };
    // The nodes of the latest character data changes, oldest first; the last one
    // is the change that made m_characterDataVersion.
    std::deque<std::weak_ptr<DOMNode>> m_characterDataChanges;
    uint64_t m_connectedStructureVersion { 0 };
    uint64_t m_connectedCharacterDataVersion { 0 };
    std::deque<DOMStructureChange> m_structureChanges;
    std::vector<DOMElement*> m_parsedLoadingElements;
    std::optional<uint64_t> m_parsedLoadingElementsVersion;
    std::unique_ptr<std::bitset<0x10000>> m_parsedTextUnits;
    uint64_t m_parsedTextUnitsVersion { 0 };
    std::u16string m_url;
    std::u16string m_characterSet { u"UTF-8" };
    std::u16string m_contentType;
    std::u16string m_xmlDeclaration;
    std::shared_ptr<DOMDocument> m_templateContentsOwner;
    bool m_hasByteOrderMark { false };
    bool m_hasReplacedUndecodableBytes { false };
    Kind m_kind;
    bool m_isTemplateContentsOwner { false };
};

// Checks names for createElement and setAttribute.
bool isValidElementName(std::u16string_view);
bool isValidAttributeName(std::u16string_view);

} // namespace brevanton
