#include "platform/web/WebArchive.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/PropertyList.h"

namespace brevanton {

static constexpr int64_t webArchiveFormatVersion = 1;

WebArchive::WebArchive(std::shared_ptr<WebResource> mainResource, std::vector<std::shared_ptr<WebResource>> subresources,
                       std::vector<std::shared_ptr<WebArchive>> subframeArchives)
    : m_mainResource(std::move(mainResource))
    , m_subresources(std::move(subresources))
    , m_subframeArchives(std::move(subframeArchives))
{
    BREVANTON_ASSERT(m_mainResource, "mainResource");
}

Value WebArchive::propertyList() const
{
    Dictionary dictionary;
    dictionary[u"formatVersion"] = Value(webArchiveFormatVersion);
    dictionary[u"mainResource"] = m_mainResource->propertyList();
    Array subresources;
    for (auto& resource : m_subresources)
        subresources.push_back(resource->propertyList());
    dictionary[u"subresources"] = Value(std::move(subresources));
    Array subframes;
    for (auto& archive : m_subframeArchives)
        subframes.push_back(archive->propertyList());
    dictionary[u"subframeArchives"] = Value(std::move(subframes));
    return Value(std::move(dictionary));
}

std::shared_ptr<WebArchive> WebArchive::fromPropertyList(const Value& value)
{
    if (!value.isDictionary() || value[u"formatVersion"].integerValue(-1) != webArchiveFormatVersion)
        return nullptr;
    auto main = WebResource::fromPropertyList(value[u"mainResource"]);
    if (!main)
        return nullptr;
    std::vector<std::shared_ptr<WebResource>> subresources;
    if (const Value* list = value.find(u"subresources")) {
        if (!list->isArray())
            return nullptr;
        for (auto& item : list->array()) {
            auto resource = WebResource::fromPropertyList(item);
            if (!resource)
                return nullptr;
            subresources.push_back(std::move(resource));
        }
    }
    std::vector<std::shared_ptr<WebArchive>> subframes;
    if (const Value* list = value.find(u"subframeArchives")) {
        if (!list->isArray())
            return nullptr;
        for (auto& item : list->array()) {
            auto archive = fromPropertyList(item);
            if (!archive)
                return nullptr;
            subframes.push_back(std::move(archive));
        }
    }
    return std::make_shared<WebArchive>(std::move(main), std::move(subresources), std::move(subframes));
}

std::shared_ptr<WebArchive> WebArchive::create(const Data& data, Error* outError)
{
    Error error;
    PropertyListFormat format;
    auto value = readPropertyList(data, &error, &format);
    if (!value) {
        setError(outError, error);
        return nullptr;
    }
    auto archive = format == PropertyListFormat::Binary ? fromPropertyList(*value) : nullptr;
    if (!archive)
        setError(outError, Error(CocoaErrorDomain, PropertyListReadCorruptError, u"The data is not a web archive."));
    return archive;
}

Data WebArchive::data() const
{
    Error error;
    auto data = writePropertyList(propertyList(), PropertyListFormat::Binary, &error);
    BREVANTON_ASSERT(data, "archive data");
    return *data;
}

bool operator==(const WebArchive& a, const WebArchive& b)
{
    auto sameResources = [](auto& x, auto& y) {
        if (x.size() != y.size())
            return false;
        for (size_t i = 0; i < x.size(); ++i) {
            if (!(*x[i] == *y[i]))
                return false;
        }
        return true;
    };
    return *a.m_mainResource == *b.m_mainResource && sameResources(a.m_subresources, b.m_subresources)
        && sameResources(a.m_subframeArchives, b.m_subframeArchives);
}

PasteboardItem pasteboardItemWithWebArchiveData(Data data)
{
    PasteboardItem item;
    if (!data.empty() && !item.setData(std::move(data), WebArchivePboardType))
        return {};
    return item;
}

} // namespace brevanton
