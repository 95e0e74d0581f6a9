#include "dom/VornickWebArchiveExtensions.h"

#include "toolkit/VornickStringEncoding.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/web/WebArchive.h"

namespace brevanton {

namespace {

bool equalsIgnoringASCIICaseLocal(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char16_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::u16string orNil(const std::u16string& value)
{
    return value.empty() ? u"nil" : value;
}

} // namespace

bool vornick_isHTML(const WebResource& resource)
{
    return equalsIgnoringASCIICaseLocal(resource.MIMEType(), u"text/html");
}

std::optional<std::u16string> vornick_stringValue(const WebResource& resource)
{
    const std::u16string& name = resource.textEncodingName();
    VornickStringEncoding encoding = name.empty() ? VornickStringEncodingNone : VornickStringEncodingForIANACharsetName(name);
    if (resource.data().empty() || !encoding)
        return std::nullopt;
    std::string_view bytes(reinterpret_cast<const char*>(resource.data().data()), resource.data().size());
    // A byte order mark is not text: the UTF-16 and UTF-32 decoders drop
    // theirs, the UTF-8 one would keep it as a U+FEFF in front of the page.
    if (encoding == VornickUTF8StringEncoding && bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return decodeText(bytes, name, nullptr);
}

std::u16string splat(const WebResource& resource)
{
    std::u16string text = u"WebResource {\n";
    text += u"  data length: " + toUTF16(std::to_string(resource.data().size())) + u"\n";
    text += u"  URL: " + orNil(resource.url().absoluteString()) + u"\n";
    text += u"  MIME type: " + orNil(resource.MIMEType()) + u"\n";
    text += u"  text encoding name: " + orNil(resource.textEncodingName()) + u"\n";
    text += u"  frame name: " + orNil(resource.frameName()) + u"\n";
    if (vornick_isHTML(resource) && equalsIgnoringASCIICaseLocal(resource.textEncodingName(), u"UTF-8")) {
        if (auto string = vornick_stringValue(resource))
            text += u"  text:\n" + *string + u"\n";
    }
    return text + u"}\n";
}

std::u16string splat(const WebArchive& archive)
{
    std::u16string text = u"WebArchive {\nmain resource:\n" + splat(*archive.mainResource());
    for (auto& resource : archive.subresources())
        text += u"subresource:\n" + splat(*resource);
    for (auto& subframe : archive.subframeArchives())
        text += u"subframe archive:\n" + splat(*subframe);
    return text + u"}\n";
}

} // namespace brevanton
