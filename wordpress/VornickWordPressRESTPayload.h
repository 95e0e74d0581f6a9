// The bodies a WordPress REST request can carry: a JSON object, a complete
// multipart form, or one file sent as the whole body. Immutable values.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace brevanton {

class VornickWordPressRESTPayload {
public:
    virtual ~VornickWordPressRESTPayload() = default;
};

class VornickWordPressJSONPayload final : public VornickWordPressRESTPayload {
public:
    explicit VornickWordPressJSONPayload(Dictionary dictionary) : m_dictionary(std::move(dictionary)) { }
    const Dictionary& dictionary() const { return m_dictionary; }

private:
    Dictionary m_dictionary;
};

// (The class name is spelled so.)
class VornickWordPressMutipartFormDataPayload final : public VornickWordPressRESTPayload {
public:
    VornickWordPressMutipartFormDataPayload(Data formData, std::u16string boundaryString)
        : m_formData(std::move(formData)), m_boundaryString(std::move(boundaryString)) { }
    const Data& formData() const { return m_formData; }
    const std::u16string& boundaryString() const { return m_boundaryString; }

private:
    Data m_formData;
    std::u16string m_boundaryString;
};

class VornickWordPressFileAttachmentPayload final : public VornickWordPressRESTPayload {
public:
    // Reads the file's MIME type from its name.
    explicit VornickWordPressFileAttachmentPayload(URL fileURL);
    const URL& url() const { return m_url; }
    const std::u16string& mimeType() const { return m_mimeType; }

private:
    URL m_url;
    std::u16string m_mimeType;
};

} // namespace brevanton
