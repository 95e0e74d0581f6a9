// WebArchive: a page and what it needs, as one value: the main resource, the
// subresources, and one archive per subframe. Stored as a binary property
// list of our own layout:
//   { "formatVersion": 1, "mainResource": resource, "subresources": [resource],
//     "subframeArchives": [archive] }
// where a resource is { "data", "url", "mimeType", "textEncodingName"?, "frameName"? }.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/net/WebResource.h"
#include "platform/views/Pasteboard.h"

#include <memory>
#include <vector>

namespace brevanton {

// The type name of web archive data on pasteboards and in files.
inline constexpr const char16_t* WebArchivePboardType = u"com.Orbendalworks.Brevanton.webarchive";

class WebArchive {
public:
    WebArchive(std::shared_ptr<WebResource> mainResource, std::vector<std::shared_ptr<WebResource>> subresources = {},
               std::vector<std::shared_ptr<WebArchive>> subframeArchives = {});
    // Null with an error when the data is not a web archive.
    [[nodiscard]] static std::shared_ptr<WebArchive> create(const Data&, Error* outError = nullptr);

    const std::shared_ptr<WebResource>& mainResource() const { return m_mainResource; }
    const std::vector<std::shared_ptr<WebResource>>& subresources() const { return m_subresources; }
    const std::vector<std::shared_ptr<WebArchive>>& subframeArchives() const { return m_subframeArchives; }

    Data data() const;
    Value propertyList() const;
    static std::shared_ptr<WebArchive> fromPropertyList(const Value&);

    friend bool operator==(const WebArchive&, const WebArchive&);

private:
    std::shared_ptr<WebResource> m_mainResource;
    std::vector<std::shared_ptr<WebResource>> m_subresources;
    std::vector<std::shared_ptr<WebArchive>> m_subframeArchives;
};

// A pasteboard item holding web archive data under WebArchivePboardType, as a
// drag of page content carries it; an empty item for empty data.
PasteboardItem pasteboardItemWithWebArchiveData(Data);

} // namespace brevanton
