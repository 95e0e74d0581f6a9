// The stored forms of a locator set: a property list ("themeIdentifier",
// "attachmentPoints": identifier -> selector) and that property list as JSON,
// which is what a blog keeps.
#include "editing/VornickAttachmentPoint.h"

#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickJSONWriter.h"

namespace brevanton {

namespace {

constexpr std::u16string_view themeIdentifierKey = u"themeIdentifier";
constexpr std::u16string_view attachmentPointsKey = u"attachmentPoints";

} // namespace

std::shared_ptr<VornickAttachmentPointLocatorSet> VornickAttachmentPointLocatorSet::createWithPropertyList(const Value& propertyList)
{
    if (!propertyList.isDictionary())
        return nullptr;
    const Value* themeIdentifier = propertyList.find(themeIdentifierKey);
    if (themeIdentifier && !themeIdentifier->isString())
        return nullptr;
    const Value* attachmentPoints = propertyList.find(attachmentPointsKey);
    if (attachmentPoints && !attachmentPoints->isDictionary())
        return nullptr;

    auto set = std::make_shared<VornickAttachmentPointLocatorSet>();
    if (themeIdentifier)
        set->m_identifier = themeIdentifier->string();
    if (attachmentPoints) {
        for (const auto& [identifier, selector] : attachmentPoints->dictionary()) {
            if (selector.isString())
                set->m_locatorsByIdentifier[identifier] = std::make_shared<VornickAttachmentPointLocator>(identifier, selector.string());
        }
    }
    return set;
}

std::shared_ptr<VornickAttachmentPointLocatorSet> VornickAttachmentPointLocatorSet::createWithData(const std::vector<uint8_t>& data)
{
    Error error;
    auto propertyList = readJSON(data, &error);
    if (!propertyList)
        return nullptr;
    return createWithPropertyList(*propertyList);
}

Value VornickAttachmentPointLocatorSet::propertyList() const
{
    Dictionary propertyList;
    if (m_identifier)
        propertyList.emplace(std::u16string(themeIdentifierKey), Value(*m_identifier));
    Dictionary selectors;
    for (const auto& [identifier, locator] : m_locatorsByIdentifier) {
        if (locator)
            selectors.emplace(identifier, Value(locator->selector()));
    }
    if (!selectors.empty())
        propertyList.emplace(std::u16string(attachmentPointsKey), Value(std::move(selectors)));
    return Value(std::move(propertyList));
}

std::vector<uint8_t> VornickAttachmentPointLocatorSet::data() const
{
    // Written out here so that nothing is left out: the JSON writer's key
    // and tree forms skip empty keys and strings, and an empty selector is
    // still a stored choice.
    auto quoted = [](std::u16string_view text) { return u"\"" + VornickJSONWriter::stringValueEscapedForJSON(text) + u"\""; };
    Value propertyList = this->propertyList();
    std::u16string json = u"{";
    if (const Value* themeIdentifier = propertyList.find(themeIdentifierKey))
        json += quoted(themeIdentifierKey) + u":" + quoted(themeIdentifier->string());
    if (const Value* selectors = propertyList.find(attachmentPointsKey)) {
        if (json.size() > 1)
            json += u",";
        json += quoted(attachmentPointsKey) + u":{";
        bool first = true;
        for (const auto& [identifier, selector] : selectors->dictionary()) {
            if (!first)
                json += u",";
            json += quoted(identifier) + u":" + quoted(selector.string());
            first = false;
        }
        json += u"}";
    }
    json += u"}";
    std::string utf8 = toUTF8(json);
    return std::vector<uint8_t>(utf8.begin(), utf8.end());
}

} // namespace brevanton
