#include "wordpress/VornickWordPressRESTPayload.h"

#include "platform/foundation/FileReading.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickURLExtensions.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

namespace brevanton {

namespace {

// Whether `needle` occurs in the file, read in pieces.
std::optional<bool> fileContains(const std::string& path, std::string_view needle, Error* outError)
{
    auto file = ReadableFile::open(path, FileReadKind::Other, outError);
    if (!file)
        return std::nullopt;
    std::string window;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t count = file->read(buffer.data(), buffer.size());
        if (count < 0) {
            setError(outError, Error::posix(errno, toUTF16(path)));
            return std::nullopt;
        }
        if (count == 0)
            return false;
        // Keep the end of the previous piece, so a match across pieces is seen.
        window.append(buffer.data(), static_cast<size_t>(count));
        if (window.find(needle) != std::string::npos)
            return true;
        if (window.size() > needle.size())
            window.erase(0, window.size() - needle.size());
    }
}

void append(Data& data, std::string_view text)
{
    data.insert(data.end(), text.begin(), text.end());
}

} // namespace

std::u16string vornickContentDispositionFileNameParameters(std::u16string_view fileName)
{
    std::u16string quoted;
    for (char16_t c : fileName) {
        if (c < 0x20 || c == 0x7F)
            continue;
        if (c == u'"' || c == u'\\')
            quoted.push_back(u'\\');
        quoted.push_back(c == u';' ? u'_' : c);
    }
    std::u16string clean;
    for (char16_t c : fileName) {
        if (c >= 0x20 && c != 0x7F)
            clean.push_back(c);
    }
    return u"filename=\"" + quoted + u"\"; filename*=UTF-8''" + percentEncode(clean, CharacterSet::urlUnreserved());
}

VornickWordPressFileAttachmentPayload::VornickWordPressFileAttachmentPayload(URL fileURL)
    : m_url(std::move(fileURL))
    , m_mimeType(vornick_MIMEType(m_url).value_or(u"application/octet-stream"))
{
}

std::u16string VornickWordPressFileAttachmentPayload::contentDispositionValue() const
{
    return u"form-data; " + vornickContentDispositionFileNameParameters(m_url.lastPathComponent());
}

std::u16string VornickWordPressMultipartFormDataPayload::makeRandomBoundaryString()
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    uint8_t bytes[32];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t got = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got > 0)
            filled += static_cast<size_t>(got);
    }
    std::u16string boundary = u"Brevanton-";
    for (uint8_t byte : bytes)
        boundary.push_back(static_cast<char16_t>(alphabet[byte & 63]));
    return boundary;
}

std::shared_ptr<VornickWordPressMultipartFormDataPayload> VornickWordPressMultipartFormDataPayload::createWithFileURL(
    const FormFields& fields, std::u16string_view fileFieldName, const URL& fileURL, Error* outError)
{
    auto path = fileURL.fileSystemPath();
    if (!path) {
        setError(outError, Error(CocoaErrorDomain, 260, u"Only a local file can be uploaded."));
        return nullptr;
    }
    std::u16string boundary;
    for (;;) {
        boundary = makeRandomBoundaryString();
        auto contains = fileContains(*path, "--" + toUTF8(boundary), outError);
        if (!contains)
            return nullptr;
        if (!*contains)
            break;
    }
    std::string dash = "--" + toUTF8(boundary);
    Data head;
    for (auto& [name, value] : fields) {
        append(head, dash + "\r\n");
        append(head, "Content-Disposition: form-data; name=\"" + toUTF8(name) + "\"\r\n\r\n");
        append(head, toUTF8(value) + "\r\n");
    }
    VornickWordPressFileAttachmentPayload file(fileURL);
    append(head, dash + "\r\n");
    append(head, "Content-Disposition: form-data; name=\"" + toUTF8(fileFieldName) + "\"; "
        + toUTF8(vornickContentDispositionFileNameParameters(fileURL.lastPathComponent())) + "\r\n");
    append(head, "Content-Type: " + toUTF8(file.mimeType()) + "\r\n\r\n");
    Data tail;
    append(tail, "\r\n" + dash + "--\r\n");

    auto payload = std::shared_ptr<VornickWordPressMultipartFormDataPayload>(new VornickWordPressMultipartFormDataPayload);
    payload->m_boundaryString = std::move(boundary);
    payload->m_parts = { URLRequestBodyPart::bytes(std::move(head)), URLRequestBodyPart::file(*path), URLRequestBodyPart::bytes(std::move(tail)) };
    return payload;
}

std::vector<URLRequestBodyPart> VornickWordPressMultipartFormDataPayload::bodyParts() const
{
    if (!m_parts.empty())
        return m_parts;
    return { URLRequestBodyPart::bytes(m_formData) };
}

} // namespace brevanton
