// The bodies a WordPress REST request can carry: a JSON object, a complete
// multipart form, or one file sent as the whole body. Immutable values.
// Files are read from disk while the request is sent, never whole into memory.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
class VornickWordPressMultipartFormDataPayload final : public VornickWordPressRESTPayload {
public:
    using FormFields = std::vector<std::pair<std::u16string, std::u16string>>;

    // A form already written whole.
    VornickWordPressMultipartFormDataPayload(Data formData, std::u16string boundaryString)
        : m_formData(std::move(formData)), m_boundaryString(std::move(boundaryString)) { }
    // A form of text fields and then one file, under a random boundary that
    // occurs nowhere in the file; the file is read as the request is sent.
    // Null with the error when the file cannot be read.
    [[nodiscard]] static std::shared_ptr<VornickWordPressMultipartFormDataPayload> createWithFileURL(const FormFields& fields,
        std::u16string_view fileFieldName, const URL& fileURL, Error* outError);

    // The whole form when it was given whole; empty for a form with a file.
    const Data& formData() const { return m_formData; }
    const std::u16string& boundaryString() const { return m_boundaryString; }
    // The form as body pieces: the form data alone, or the text before the
    // file, the file, and the closing text.
    std::vector<URLRequestBodyPart> bodyParts() const;

    // "--" and a random boundary: 32 characters of letters, digits, "-" and "_".
    static std::u16string makeRandomBoundaryString();

private:
    VornickWordPressMultipartFormDataPayload() = default;
    Data m_formData;
    std::u16string m_boundaryString;
    std::vector<URLRequestBodyPart> m_parts;
};

class VornickWordPressFileAttachmentPayload final : public VornickWordPressRESTPayload {
public:
    // Reads the file's MIME type from its name.
    explicit VornickWordPressFileAttachmentPayload(URL fileURL);
    const URL& url() const { return m_url; }
    const std::u16string& mimeType() const { return m_mimeType; }
    // "form-data; " and the file name parameters of the URL's last path component.
    std::u16string contentDispositionValue() const;

private:
    URL m_url;
    std::u16string m_mimeType;
};

// The file name parameters of a Content-Disposition field: `filename` quoted,
// with `"` and `\` escaped, control characters (CR and LF among them) left
// out and ";" (which servers split parameters at, even inside quotes)
// written "_"; then `filename*=UTF-8''` with the name percent-encoded whole.
std::u16string vornickContentDispositionFileNameParameters(std::u16string_view fileName);

} // namespace brevanton
