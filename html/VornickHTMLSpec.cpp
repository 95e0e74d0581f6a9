#include "html/VornickHTMLSpec.h"

#include "toolkit/VornickLog.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <mutex>

namespace brevanton {

namespace {

struct SharedSpecifications {
    std::once_flag loaded;
    std::vector<std::shared_ptr<VornickHTMLSpec>> specsByDocumentType;
    std::map<std::u16string, std::shared_ptr<VornickHTMLSpec>> specsByPublicId;
    std::map<std::u16string, std::shared_ptr<VornickHTMLSpec>> specsBySystemId;
    Dictionary elementDescriptions;

    std::once_flag bodyElementGroupsLoaded;
    std::map<std::u16string, VornickTagNameSet> bodyElementGroups;
    std::map<std::u16string, VornickTagNameSet> whenAddedAdd;
    std::map<std::u16string, VornickTagNameSet> whenRemovedRemove;
};

SharedSpecifications& shared()
{
    static SharedSpecifications* specifications = new SharedSpecifications;
    return *specifications;
}

std::optional<Value> readJSONFile(const std::string& path, Error* outError)
{
    auto text = readFile(path, outError);
    if (!text)
        return std::nullopt;
    return readJSON(*text, outError);
}

std::optional<Value> readJSONResource(std::u16string_view name)
{
    auto path = Bundle::main().pathForResource(name, u"json");
    if (!path)
        return std::nullopt;
    return readJSONFile(*path, nullptr);
}

void readSharedBodyElementGroups()
{
    auto& state = shared();
    auto root = readJSONResource(u"HTML Body Element Groups");
    if (!root || !root->isDictionary())
        return;
    VornickHTMLSpec::readBodyElementGroups(*root, state.bodyElementGroups, state.whenAddedAdd, state.whenRemovedRemove);
}

void loadBodyElementGroups()
{
    std::call_once(shared().bodyElementGroupsLoaded, readSharedBodyElementGroups);
}

} // namespace

std::u16string VornickIndefiniteArticleForTagName(std::u16string_view tagName, bool capitalised)
{
    static constexpr std::u16string_view vowels = u"AEIOUaeiou";
    bool vowel = !tagName.empty() && vowels.find(tagName[0]) != std::u16string_view::npos;
    if (vowel)
        return capitalised ? u"An" : u"an";
    return capitalised ? u"A" : u"a";
}

VornickHTMLSpec::VornickHTMLSpec()
    : m_namedCharacterReferenceMap(VornickNamedCharacterReferenceMap::namedCharacterReferenceMapForDocumentType(VornickHTMLDocumentType::HTML5))
{
}

// --- The shared specifications

std::shared_ptr<VornickHTMLSpec> VornickHTMLSpec::loadHTMLSpecForDocumentType(VornickHTMLDocumentType type, const Bundle& bundle,
                                                                             Error* outError)
{
    std::u16string name = VornickHTMLDocumentTypeToPersistableString(type);
    auto url = bundle.URLForResource(name, u"brevantonhtmlspec");
    if (!url) {
        VornickGeneralLog("[{}] {} ... MISSING FILE!", static_cast<long>(type), name);
        setError(outError, Error(CocoaErrorDomain, 260, u"Missing HTML specification \"" + name + u"\""));
        return nullptr;
    }
    auto spec = createWithContentsOfURL(*url, outError);
    if (!spec) {
        VornickGeneralLog("[{}] {} ... FAILED TO LOAD!", static_cast<long>(type), name);
        return nullptr;
    }
    // A file that names another document type would take that type's slot
    // under the wrong name: it fails like an unreadable file.
    if (spec->documentType() != type) {
        VornickGeneralLog("[{}] {} ... FAILED TO LOAD! The file describes \"{}\".", static_cast<long>(type), name,
                          spec->persistableDocumentTypeName());
        setError(outError, Error(CocoaErrorDomain, 259, u"The HTML specification \"" + name + u"\" names another document type"));
        return nullptr;
    }
    return spec;
}

void VornickHTMLSpec::loadHTMLSpecs()
{
    // Scanners, validators and painters run on several queues: the shared
    // specifications are loaded exactly once, and every caller waits for it.
    std::call_once(shared().loaded, loadSharedSpecifications);
}

void VornickHTMLSpec::loadSharedSpecifications()
{
    auto& state = shared();
    if (auto descriptions = readJSONResource(u"HTML Element Descriptions"); descriptions && descriptions->isDictionary())
        state.elementDescriptions = descriptions->dictionary();

    state.specsByDocumentType.push_back(nullptr);
    for (auto type : VornickEveryHTMLDocumentType) {
        auto spec = loadHTMLSpecForDocumentType(type, Bundle::main());
        state.specsByDocumentType.push_back(spec);
        if (!spec)
            continue;
        state.specsByPublicId[asciiUppercase(spec->publicId())] = spec;
        state.specsBySystemId[asciiUppercase(spec->systemId())] = spec;
    }
}

std::shared_ptr<VornickHTMLSpec> VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType documentType)
{
    BREVANTON_ASSERT(documentType > VornickHTMLDocumentType::Unknown && documentType <= VornickHTMLDocumentType::HTML5,
                     "documentType >= VornickFirstHTMLDocumentType && documentType <= VornickLastHTMLDocumentType");
    loadHTMLSpecs();
    return shared().specsByDocumentType[static_cast<size_t>(documentType)];
}

std::shared_ptr<VornickHTMLSpec> VornickHTMLSpec::htmlSpecForPublicId(std::u16string_view publicId)
{
    loadHTMLSpecs();
    auto& map = shared().specsByPublicId;
    auto it = map.find(asciiUppercase(publicId));
    return it == map.end() ? nullptr : it->second;
}

std::shared_ptr<VornickHTMLSpec> VornickHTMLSpec::htmlSpecForSystemId(std::u16string_view systemId)
{
    loadHTMLSpecs();
    auto& map = shared().specsBySystemId;
    auto it = map.find(asciiUppercase(systemId));
    return it == map.end() ? nullptr : it->second;
}

std::optional<URL> VornickHTMLSpec::URLForEmptyDocumentTemplateForDocumentType(VornickHTMLDocumentType type)
{
    return Bundle::main().URLForResource(u"New " + VornickHTMLDocumentTypeToPersistableString(type), u"html");
}

void VornickHTMLSpec::readBodyElementGroups(const Value& root, std::map<std::u16string, VornickTagNameSet>& groups,
                                            std::map<std::u16string, VornickTagNameSet>& whenAddedAdd,
                                            std::map<std::u16string, VornickTagNameSet>& whenRemovedRemove)
{
    auto stringSet = [](const Value& array) {
        VornickTagNameSet set;
        for (const Value& item : array.array()) {
            if (item.isString())
                set.insert(item.string());
        }
        return set;
    };
    if (const Value* groupsValue = root.find(u"groups"); groupsValue && groupsValue->isDictionary()) {
        for (auto& [name, tags] : groupsValue->dictionary()) {
            if (!tags.isArray()) {
                VornickGeneralLog("Error in 'HTML Body Element Groups.json' \"groups\": Expected string:array pair");
                continue;
            }
            groups[name] = stringSet(tags);
        }
    }
    if (const Value* rules = root.find(u"allowedElementRules"); rules && rules->isDictionary()) {
        for (auto& [tag, rule] : rules->dictionary()) {
            if (!rule.isDictionary())
                continue;
            if (const Value* add = rule.find(u"whenAddedAdd"); add && add->isArray())
                whenAddedAdd[tag] = stringSet(*add);
            if (const Value* remove = rule.find(u"whenRemovedRemove"); remove && remove->isArray())
                whenRemovedRemove[tag] = stringSet(*remove);
        }
    }
}

const std::map<std::u16string, VornickTagNameSet>& VornickHTMLSpec::bodyElementGroups()
{
    loadBodyElementGroups();
    return shared().bodyElementGroups;
}

const VornickTagNameSet* VornickHTMLSpec::allowedElementsToAddWhenAddingAllowedElement(std::u16string_view tagName)
{
    loadBodyElementGroups();
    auto& rules = shared().whenAddedAdd;
    auto it = rules.find(std::u16string(tagName));
    return it == rules.end() ? nullptr : &it->second;
}

const VornickTagNameSet* VornickHTMLSpec::allowedElementsToRemoveWhenRemovingAllowedElement(std::u16string_view tagName)
{
    loadBodyElementGroups();
    auto& rules = shared().whenRemovedRemove;
    auto it = rules.find(std::u16string(tagName));
    return it == rules.end() ? nullptr : &it->second;
}

// --- Reading

std::shared_ptr<VornickHTMLSpec> VornickHTMLSpec::createWithContentsOfURL(const URL& url, Error* outError)
{
    auto path = url.fileSystemPath();
    if (!path) {
        setError(outError, Error(CocoaErrorDomain, 260, u"Not a file URL: " + url.absoluteString()));
        return nullptr;
    }
    auto root = readJSONFile(*path, outError);
    if (!root)
        return nullptr;
    if (!root->isDictionary()) {
        setError(outError, Error(CocoaErrorDomain, 259, u"The HTML specification file does not hold an object"));
        return nullptr;
    }
    auto spec = std::make_shared<VornickHTMLSpec>();
    if (!spec->readPropertiesFromJSONDictionary(*root)) {
        setError(outError, Error(CocoaErrorDomain, 259, u"The HTML specification file could not be read"));
        return nullptr;
    }
    return spec;
}

bool VornickHTMLSpec::readPropertiesFromJSONDictionary(const Value& dictionary)
{
    const Value* name = dictionary.find(u"persistableDocumentTypeName");
    if (!name || !name->isString())
        return false;
    m_persistableDocumentTypeName = name->string();
    setDocumentType(VornickHTMLDocumentTypeFromPersistableString(m_persistableDocumentTypeName));

    const Value* publicId = dictionary.find(u"publicId");
    if (!publicId || !publicId->isString())
        return false;
    m_publicId = publicId->string();
    const Value* systemId = dictionary.find(u"systemId");
    if (!systemId || !systemId->isString())
        return false;
    m_systemId = systemId->string();

    if (const Value* globals = dictionary.find(u"globalAttributeSpecs")) {
        if (!globals->isArray())
            return false;
        for (const Value& item : globals->array()) {
            if (!item.isDictionary())
                return false;
            auto attribute = VornickHTMLAttributeSpec::createWithProperties(item);
            if (!attribute)
                return false;
            m_globalAttributeSpecs[asciiLowercase(attribute->name())] = attribute;
        }
    }

    if (const Value* common = dictionary.find(u"commonGlobalAttributes")) {
        if (!common->isArray())
            return false;
        m_commonGlobalAttributeNames.clear();
        for (const Value& item : common->array()) {
            if (item.isString())
                m_commonGlobalAttributeNames.insert(item.string());
        }
    }

    if (const Value* groups = dictionary.find(u"attributeGroups")) {
        if (!groups->isDictionary())
            return false;
        for (auto& [groupName, items] : groups->dictionary()) {
            if (!items.isArray())
                return false;
            if (!readAttributeGroupWithName(groupName, items.array(), groups->dictionary()))
                return false;
        }
    }

    const Value* elements = dictionary.find(u"elementSpecs");
    if (!elements || !elements->isArray())
        return false;
    for (const Value& item : elements->array()) {
        if (!item.isDictionary())
            return false;
        auto element = VornickHTMLElementSpec::createWithParentHTMLSpec(this, item);
        if (!element)
            return false;
        m_elementSpecs[asciiLowercase(element->tagName())] = element;
    }
    m_bodyElementSpecs.reset();
    return true;
}

bool VornickHTMLSpec::readAttributeGroupWithName(const std::u16string& name, const Array& items, const Dictionary& groupDescriptions)
{
    if (m_attributeGroups.count(name))
        return true;
    // A group that is being read and is met again refers to itself through a
    // cycle, which has no meaning: refuse it rather than recurse forever.
    if (!m_attributeGroupsBeingRead.insert(name).second)
        return false;
    struct Guard {
        std::set<std::u16string>& set;
        const std::u16string& name;
        ~Guard() { set.erase(name); }
    } guard { m_attributeGroupsBeingRead, name };

    std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> group;
    for (const Value& item : items) {
        if (item.isDictionary()) {
            auto attribute = VornickHTMLAttributeSpec::createWithProperties(item);
            if (!attribute)
                return false;
            group.push_back(attribute);
        } else if (item.isString()) {
            const std::u16string& referenced = item.string();
            auto found = m_attributeGroups.find(referenced);
            if (found == m_attributeGroups.end()) {
                auto description = groupDescriptions.find(referenced);
                if (description == groupDescriptions.end()) {
                    VornickGeneralLog("Couldn't find referenced attriute group \"{}\"", referenced);
                    return false;
                }
                if (!description->second.isArray()
                    || !readAttributeGroupWithName(referenced, description->second.array(), groupDescriptions)) {
                    VornickGeneralLog("Couldn't parse referenced attriute group \"{}\"", referenced);
                    return false;
                }
                found = m_attributeGroups.find(referenced);
            }
            group.insert(group.end(), found->second.begin(), found->second.end());
        } else
            return false;
    }
    m_attributeGroups[name] = std::move(group);
    return true;
}

// --- Accessors

void VornickHTMLSpec::setDocumentType(VornickHTMLDocumentType type)
{
    if (type == m_documentType)
        return;
    m_documentType = type;
    m_namedCharacterReferenceMap = VornickNamedCharacterReferenceMap::namedCharacterReferenceMapForDocumentType(type);
}

std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> VornickHTMLSpec::globalAttributeSpecs() const
{
    std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> specs;
    for (auto& [name, spec] : m_globalAttributeSpecs)
        specs.push_back(spec);
    return specs;
}

std::shared_ptr<VornickHTMLAttributeSpec> VornickHTMLSpec::globalAttributeSpecForAttributeName(std::u16string_view name) const
{
    auto it = m_globalAttributeSpecs.find(asciiLowercase(name));
    return it == m_globalAttributeSpecs.end() ? nullptr : it->second;
}

bool VornickHTMLSpec::globalAttributeWithNameIsCommon(std::u16string_view name) const
{
    return m_commonGlobalAttributeNames.count(asciiLowercase(name));
}

const std::vector<std::shared_ptr<VornickHTMLAttributeSpec>>* VornickHTMLSpec::attributeSpecsForAttributeGroup(std::u16string_view name) const
{
    auto it = m_attributeGroups.find(asciiLowercase(name));
    return it == m_attributeGroups.end() ? nullptr : &it->second;
}

std::vector<std::shared_ptr<VornickHTMLElementSpec>> VornickHTMLSpec::allElementSpecs() const
{
    std::vector<std::shared_ptr<VornickHTMLElementSpec>> specs;
    for (auto& [name, spec] : m_elementSpecs)
        specs.push_back(spec);
    return specs;
}

std::shared_ptr<VornickHTMLElementSpec> VornickHTMLSpec::elementSpecForTagName(std::u16string_view tagName) const
{
    auto it = m_elementSpecs.find(asciiLowercase(tagName));
    return it == m_elementSpecs.end() ? nullptr : it->second;
}

const std::vector<std::shared_ptr<VornickHTMLElementSpec>>& VornickHTMLSpec::bodyElementSpecs() const
{
    if (!m_bodyElementSpecs) {
        m_bodyElementSpecs.emplace();
        for (auto& [name, spec] : m_elementSpecs) {
            if (spec->isAllowedInDocumentBody())
                m_bodyElementSpecs->push_back(spec);
        }
        std::stable_sort(m_bodyElementSpecs->begin(), m_bodyElementSpecs->end(), [](auto& a, auto& b) {
            return compareIgnoringCase(a->tagName(), b->tagName()) < 0;
        });
    }
    return *m_bodyElementSpecs;
}

// --- Questions on tags

std::u16string VornickHTMLSpec::briefDescriptionOfElementWithTagName(std::u16string_view tagName) const
{
    // A specification read from its own file, or one made for an unknown
    // DOCTYPE, may be asked before the shared load: the descriptions come
    // with that load, which must be finished before they are read.
    loadHTMLSpecs();
    auto& descriptions = shared().elementDescriptions;
    auto it = descriptions.find(asciiLowercase(tagName));
    if (it == descriptions.end() || !it->second.isString())
        return u"";
    return it->second.string();
}

bool VornickHTMLSpec::isKnownElement(std::u16string_view tagName) const
{
    return elementKindRecord(tagName) != nullptr;
}

bool VornickHTMLSpec::isKnownCharacterEntityName(std::u16string_view name) const
{
    return m_namedCharacterReferenceMap && m_namedCharacterReferenceMap->charactersForEntityName(name).has_value();
}

std::u16string VornickHTMLSpec::stringByEscapingSpecialCharactersInString(std::u16string_view text, std::u16string_view encoding,
                                                                         unsigned options) const
{
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    appendByEscapingSpecialCharacters(out, text, encoding, options);
    return out;
}

void VornickHTMLSpec::appendByEscapingSpecialCharacters(std::u16string& out, std::u16string_view text, std::u16string_view encoding,
                                                        unsigned options) const
{
    if (m_namedCharacterReferenceMap)
        return m_namedCharacterReferenceMap->appendByEscapingSpecialCharacters(out, text, encoding, options);
    // Without a map nothing is written by name.
    static const VornickNamedCharacterReferenceMap* empty = new VornickNamedCharacterReferenceMap;
    empty->appendByEscapingSpecialCharacters(out, text, encoding, options);
}

bool VornickHTMLSpec::elementIsAllowedInBody(std::u16string_view tagName) const
{
    std::u16string tag = asciiLowercase(tagName);
    return !(tag == u"html" || tag == u"head" || tag == u"body" || tag == u"base" || tag == u"meta" || tag == u"title");
}

bool VornickHTMLSpec::elementIsHeading(std::u16string_view tagName) const
{
    auto* record = elementKindRecord(tagName);
    return record && (record->elementKind & 0x21) == 0x21;
}

bool VornickHTMLSpec::isUsuallyEmptyElement(std::u16string_view tagName) const
{
    auto* record = elementKindRecord(tagName);
    return record && (record->contentModel & VornickContentModelEmpty);
}

bool VornickHTMLSpec::isUsuallyInlineElement(std::u16string_view tagName) const
{
    auto* record = elementKindRecord(tagName);
    if (!record)
        return false;
    uint64_t kind = record->elementKind;
    bool notMedia = !(kind & 0x8400);
    if ((kind & 0x3) == 0x3 || (kind & 0x100000801) == 0x100000801)
        return notMedia;
    return equalsIgnoringASCIICase(tagName, u"FONT") && notMedia;
}

bool VornickHTMLSpec::elementContentIsUsuallyInline(std::u16string_view tagName) const
{
    auto* record = elementKindRecord(tagName);
    if (!record)
        return false;
    uint64_t model = record->contentModel;
    if ((model & 0x100100801) == 0x100100801 || (model & 0x3) == 0x3 || (model & 0x20000) || (model & 0x800))
        return true;
    return (model & 0x100000801) == 0x100000801;
}

std::u16string VornickHTMLSpec::description() const
{
    std::u16string text = u"VornickHTMLSpec \"" + m_persistableDocumentTypeName + u"\" publicId=\"" + m_publicId
        + u"\" systemId=\"" + m_systemId + u"\" elementSpecs=(";
    bool first = true;
    for (auto& [name, spec] : m_elementSpecs) {
        text += first ? u"" : u", ";
        first = false;
        text += spec->description();
    }
    text += u") globalAttributeSpecs=(";
    first = true;
    for (auto& [name, spec] : m_globalAttributeSpecs) {
        text += first ? u"" : u", ";
        first = false;
        text += spec->description();
    }
    return text + u")";
}

// --- Containment on tags

bool VornickHTMLSpec::elementKindMayContainElementKind(std::u16string_view parentTag, std::u16string_view childTag,
                                                       std::u16string* reasonWhyNot) const
{
    auto* parent = elementKindRecord(parentTag);
    auto* child = elementKindRecord(childTag);
    if (!parent || !child)
        return false;
    uint64_t model = parent->contentModel;
    if (model == VornickContentModelEmpty) {
        if (reasonWhyNot)
            *reasonWhyNot = u"<" + std::u16string(parentTag) + u">'s contentModel is EMPTY";
        return false;
    }
    if (model & VornickContentModelTransparent)
        return true;
    uint64_t masked = model & ~VornickContentModelIgnoredBits;
    if (masked && !(masked & ~child->elementKind))
        return true;
    auto parentSpec = elementSpecForTagName(parentTag);
    if (parentSpec && parentSpec->otherAllowedChildrenIncludesElementType(childTag))
        return true;
    if (reasonWhyNot) {
        char buffer[160];
        snprintf(buffer, sizeof buffer, "'s contentModel is 0x%llx, but child <", static_cast<unsigned long long>(model));
        std::u16string reason = u"<" + std::u16string(parentTag) + u">" + toUTF16(buffer) + std::u16string(childTag);
        snprintf(buffer, sizeof buffer, ">'s kind is 0x%llx", static_cast<unsigned long long>(child->elementKind));
        *reasonWhyNot = reason + toUTF16(buffer);
    }
    return false;
}

} // namespace brevanton
