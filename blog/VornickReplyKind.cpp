#include "blog/VornickReplyKind.h"

#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

constexpr int64_t megabytes = 1024 * 1024;

} // namespace

VornickReplyLimits vornickReplyLimits(VornickReplyKind kind)
{
    switch (kind) {
    case VornickReplyKind::ListingPage: return { 64 * megabytes, 300 };
    case VornickReplyKind::SettingsReply: return { 4 * megabytes, 120 };
    case VornickReplyKind::PostReply: return { 32 * megabytes, 300 };
    // The file goes out with the request: the deadline covers sending it.
    case VornickReplyKind::MediaUpload: return { 4 * megabytes, 3600 };
    case VornickReplyKind::MediaFile: return { 512 * megabytes, 3600 };
    case VornickReplyKind::ReferencedResource: return { 32 * megabytes, 600 };
    case VornickReplyKind::TemplatePage: return { 8 * megabytes, 120 };
    case VornickReplyKind::EmbeddingReply: return { 8 * megabytes, 120 };
    }
    return { 4 * megabytes, 120 };
}

std::u16string vornickReplyKindName(VornickReplyKind kind)
{
    switch (kind) {
    case VornickReplyKind::ListingPage: return u"a listing page";
    case VornickReplyKind::SettingsReply: return u"a settings reply";
    case VornickReplyKind::PostReply: return u"a post";
    case VornickReplyKind::MediaUpload: return u"the answer to an upload";
    case VornickReplyKind::MediaFile: return u"a media file";
    case VornickReplyKind::ReferencedResource: return u"a referenced resource";
    case VornickReplyKind::TemplatePage: return u"a template page";
    case VornickReplyKind::EmbeddingReply: return u"an embedding reply";
    }
    return u"a reply";
}

Error vornickErrorNamingReplyLimit(Error error, VornickReplyKind kind)
{
    if (error.domain() != URLErrorDomain)
        return error;
    auto url = error.userInfo().find(std::u16string_view(Error::URLKey));
    std::u16string address = url != error.userInfo().end() ? url->second.stringValue() : u"the site";
    VornickReplyLimits limits = vornickReplyLimits(kind);
    std::string text;
    if (error.code() == URLErrorDataLengthExceedsMaximum)
        text = fmt::format("The reply from {} is larger than {} MB, the most {} may have.", toUTF8(address),
            limits.maximumLength / megabytes, toUTF8(vornickReplyKindName(kind)));
    else if (error.code() == URLErrorTimedOut && error.userInfo().contains(URLErrorDeadlineIntervalKey))
        text = fmt::format("The reply from {} took longer than {} seconds, the most {} may take.", toUTF8(address),
            limits.deadline, toUTF8(vornickReplyKindName(kind)));
    else
        return error;
    error.userInfo().insert_or_assign(Error::LocalizedDescriptionKey, Value(toUTF16(text)));
    return error;
}

} // namespace brevanton
