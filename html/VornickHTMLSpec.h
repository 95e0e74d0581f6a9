// VornickHTMLSpec: the HTML specification of one document type. It holds the
// element and attribute specifications read from the type's resource file,
// answers questions from the built-in element kind tables (may this element
// go here, is it inline, empty, a heading), and escapes text with the type's
// named character references. The eight specifications are loaded once and
// shared by the whole process.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "html/VornickElementKindTables.h"
#include "html/VornickHTMLAttributeSpec.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickNamedCharacterReferenceMap.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class DOMNode;
class DOMDocument;
class DOMDocumentFragment;
class DOMRange;
class VornickFragmentSet;
class VornickFragmentDescription;

using VornickTagNameSet = std::set<std::u16string>;

class VornickHTMLSpec {
public:
    VornickHTMLSpec();
    VornickHTMLSpec(const VornickHTMLSpec&) = delete;
    VornickHTMLSpec& operator=(const VornickHTMLSpec&) = delete;

    // --- The shared specifications

    // Loads every specification on first use; nullptr for a type whose file
    // is missing or failed to load. Asserts 1 <= type <= 8.
    static std::shared_ptr<VornickHTMLSpec> htmlSpecForDocumentType(VornickHTMLDocumentType);
    static std::shared_ptr<VornickHTMLSpec> htmlSpecForPublicId(std::u16string_view publicId);
    static std::shared_ptr<VornickHTMLSpec> htmlSpecForSystemId(std::u16string_view systemId);
    static void loadHTMLSpecs(); // thread-safe; loads once
    // Loads the specification file of one type from a bundle. A file that is
    // missing, unreadable or names another document type fails (logged).
    static std::shared_ptr<VornickHTMLSpec> loadHTMLSpecForDocumentType(VornickHTMLDocumentType, const Bundle&,
                                                                       Error* outError = nullptr);

    static std::optional<URL> URLForEmptyDocumentTemplateForDocumentType(VornickHTMLDocumentType);

private:
    static void loadSharedSpecifications();

public:

    // Body element groups: group name to tag names.
    static const std::map<std::u16string, VornickTagNameSet>& bodyElementGroups();
    static const VornickTagNameSet* allowedElementsToAddWhenAddingAllowedElement(std::u16string_view tagName);
    static const VornickTagNameSet* allowedElementsToRemoveWhenRemovingAllowedElement(std::u16string_view tagName);
    // Reads the groups and rules from a parsed body element groups object.
    static void readBodyElementGroups(const Value& root, std::map<std::u16string, VornickTagNameSet>& groups,
                                      std::map<std::u16string, VornickTagNameSet>& whenAddedAdd,
                                      std::map<std::u16string, VornickTagNameSet>& whenRemovedRemove);

    // --- Reading

    [[nodiscard]] static std::shared_ptr<VornickHTMLSpec> createWithContentsOfURL(const URL&, Error* outError);
    [[nodiscard]] bool readPropertiesFromJSONDictionary(const Value& dictionary);
    [[nodiscard]] bool readAttributeGroupWithName(const std::u16string& name, const Array& items, const Dictionary& groupDescriptions);

    // --- Accessors

    VornickHTMLDocumentType documentType() const { return m_documentType; }
    void setDocumentType(VornickHTMLDocumentType);
    const std::u16string& persistableDocumentTypeName() const { return m_persistableDocumentTypeName; }
    void setPersistableDocumentTypeName(std::u16string name) { m_persistableDocumentTypeName = std::move(name); }
    const std::u16string& publicId() const { return m_publicId; }
    void setPublicId(std::u16string id) { m_publicId = std::move(id); }
    const std::u16string& systemId() const { return m_systemId; }
    void setSystemId(std::u16string id) { m_systemId = std::move(id); }
    bool isXHTML() const { return VornickHTMLDocumentTypeIsXHTML(m_documentType); }
    const std::shared_ptr<VornickNamedCharacterReferenceMap>& namedCharacterReferenceMap() const { return m_namedCharacterReferenceMap; }

    std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> globalAttributeSpecs() const;
    std::shared_ptr<VornickHTMLAttributeSpec> globalAttributeSpecForAttributeName(std::u16string_view name) const;
    bool globalAttributeWithNameIsCommon(std::u16string_view name) const;
    const std::vector<std::shared_ptr<VornickHTMLAttributeSpec>>* attributeSpecsForAttributeGroup(std::u16string_view name) const;
    std::vector<std::shared_ptr<VornickHTMLElementSpec>> allElementSpecs() const;
    std::shared_ptr<VornickHTMLElementSpec> elementSpecForTagName(std::u16string_view tagName) const;
    // The element specifications allowed in the body, sorted by tag name ignoring case.
    const std::vector<std::shared_ptr<VornickHTMLElementSpec>>& bodyElementSpecs() const;

    // --- Questions on tags

    std::u16string briefDescriptionOfElementWithTagName(std::u16string_view tagName) const;
    bool isKnownElement(std::u16string_view tagName) const;
    bool isKnownCharacterEntityName(std::u16string_view name) const;
    std::u16string stringByEscapingSpecialCharactersInString(std::u16string_view text, std::u16string_view encoding,
                                                             unsigned options) const;
    void appendByEscapingSpecialCharacters(std::u16string& out, std::u16string_view text, std::u16string_view encoding,
                                           unsigned options) const;
    bool elementIsAllowedInBody(std::u16string_view tagName) const;
    bool elementIsHeading(std::u16string_view tagName) const;
    bool isUsuallyEmptyElement(std::u16string_view tagName) const;
    bool isUsuallyInlineElement(std::u16string_view tagName) const;
    bool elementContentIsUsuallyInline(std::u16string_view tagName) const;
    const VornickElementKindRecord* elementKindRecord(std::u16string_view tagName) const
    {
        return VornickElementKindRecordForTagName(tagName, m_documentType);
    }
    std::u16string description() const;

    // --- Containment

    // May an element of kind `childTag` be a child of one of kind `parentTag`?
    bool elementKindMayContainElementKind(std::u16string_view parentTag, std::u16string_view childTag,
                                          std::u16string* reasonWhyNot) const;
    // May `node` be a child of an element of kind `parentTag`?
    bool elementKindMayContainNode(std::u16string_view parentTag, const DOMNode& node, std::u16string* reasonWhyNot) const;

    // With no snippet set the element passes; otherwise the set decides.
    static bool checkProposedElement(std::u16string_view tagName, const DOMDocument* document,
                                     const VornickFragmentSet* fragmentSet, std::u16string* failureExplanation);

    // The insertion and wrapping questions. A position in a text node stands
    // for its parent element.
    bool mayInsertElementWithSpec(const VornickHTMLElementSpec&, VornickDOMPosition, const VornickFragmentSet*,
                                  std::u16string* reasonWhyNot) const;
    bool mayWrapContentsOfRangeInElementWithSpec(const DOMRange&, const VornickHTMLElementSpec&, const VornickFragmentSet*,
                                                 std::u16string* reasonWhyNot) const;
    bool fragment(const VornickFragmentDescription&, const DOMRange&, std::u16string* reasonWhyNot) const;
    bool mayInsertDescribedFragment(const VornickFragmentDescription&, VornickDOMPosition, std::u16string* reasonWhyNot) const;
    bool mayInsertFragment(const DOMDocumentFragment&, VornickDOMPosition, std::u16string* reasonWhyNot) const;
    bool mayReplaceContentsOfRange(const DOMRange&, const VornickFragmentDescription&, std::u16string* reasonWhyNot) const;
    bool mayWrapContentsOfRangeInFragmentDescription(const DOMRange&, const VornickFragmentDescription&,
                                                     std::u16string* reasonWhyNot) const;

private:
    bool snippetIsValid(const VornickFragmentDescription&, std::u16string* reasonWhyNot) const;
    bool elementMayTakeNodesBetweenGaps(std::u16string_view tagName, const DOMRange&, std::u16string* reasonWhyNot) const;
    bool elementMayTakeChildrenOf(std::u16string_view tagName, const DOMNode& parent, std::u16string* reasonWhyNot) const;

    VornickHTMLDocumentType m_documentType { VornickHTMLDocumentType::Unknown };
    std::u16string m_persistableDocumentTypeName;
    std::u16string m_publicId;
    std::u16string m_systemId;
    std::map<std::u16string, std::shared_ptr<VornickHTMLAttributeSpec>> m_globalAttributeSpecs;
    std::set<std::u16string> m_commonGlobalAttributeNames;
    std::map<std::u16string, std::shared_ptr<VornickHTMLElementSpec>> m_elementSpecs;
    mutable std::optional<std::vector<std::shared_ptr<VornickHTMLElementSpec>>> m_bodyElementSpecs;
    std::shared_ptr<VornickNamedCharacterReferenceMap> m_namedCharacterReferenceMap;
    std::map<std::u16string, std::vector<std::shared_ptr<VornickHTMLAttributeSpec>>> m_attributeGroups;
    std::set<std::u16string> m_attributeGroupsBeingRead;
};

// "An" or "A" (capitalised) / "an" or "a" before a tag name.
std::u16string VornickIndefiniteArticleForTagName(std::u16string_view tagName, bool capitalised);

} // namespace brevanton
