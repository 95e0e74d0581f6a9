#include "wordpress/VornickWordPressBlogResourceReferenceReplacer.h"

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickDiskWebResourceCache.h"

namespace brevanton {

namespace {

// "&" is the only character of a URL's absolute string that reads as markup
// in an attribute value (quotes and angle brackets are percent-escaped).
std::u16string escapedForAttributeValue(std::u16string_view urlString)
{
    std::u16string escaped;
    escaped.reserve(urlString.size());
    for (char16_t c : urlString) {
        if (c == u'&')
            escaped += u"&amp;";
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

VornickWordPressBlogResourceReferenceReplacer::VornickWordPressBlogResourceReferenceReplacer(std::u16string htmlString,
                                                                                             std::optional<URL> baseURL,
                                                                                             std::shared_ptr<VornickWordPressBlog> blog)
    : VornickHTMLStringResourceReferenceReplacer(std::move(htmlString), std::move(baseURL))
    , m_wordPressBlog(std::move(blog))
{
}

std::u16string VornickWordPressBlogResourceReferenceReplacer::replacementURLStringForURLString(std::u16string_view urlString,
                                                                                                const URL& resolvedURL)
{
    if (!resolvedURL.isFileURL() || !m_wordPressBlog)
        return std::u16string(urlString);
    auto cache = m_wordPressBlog->webResourceCache();
    auto original = cache ? cache->originalURLForCachedFileURL(resolvedURL) : std::nullopt;
    if (!original || (original->scheme() != u"http" && original->scheme() != u"https"))
        return std::u16string(urlString);
    return escapedForAttributeValue(original->absoluteString());
}

} // namespace brevanton
