#include "wordpress/VornickWordPressIntegrator.h"

#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "html/VornickHTMLStringResourceReferenceFinder.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/VornickWordPressBlogResourceReferenceReplacer.h"
#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"

namespace brevanton {

namespace {

// Collects every resource reference of a text as written and resolved.
class ReferenceCollector final : public VornickHTMLStringResourceReferenceFinder {
public:
    using VornickHTMLStringResourceReferenceFinder::VornickHTMLStringResourceReferenceFinder;
    std::vector<std::pair<std::u16string, URL>> references;

    void handleFoundURLString(std::u16string_view urlString, VornickRange range, const URL& resolvedURL) override
    {
        VornickHTMLStringResourceReferenceFinder::handleFoundURLString(urlString, range, resolvedURL);
        references.emplace_back(std::u16string(urlString), resolvedURL);
    }
};

bool isInsideFolder(const URL& url, const URL& folder)
{
    auto path = url.standardized().fileSystemPath();
    auto folderPath = folder.standardized().fileSystemPath();
    if (!path || !folderPath || folderPath->empty())
        return false;
    std::string prefix = *folderPath;
    if (prefix.back() != '/')
        prefix += '/';
    return path->size() > prefix.size() && path->compare(0, prefix.size(), prefix) == 0;
}

// A "file:" URL as an attribute's value anywhere (links and frames too,
// which are no resources): the URL up to its closing quote or a space.
std::optional<std::u16string> fileURLInAttributeValue(const std::u16string& text)
{
    std::u16string lowercase = asciiLowercase(text);
    for (size_t found = lowercase.find(u"file:"); found != std::u16string::npos; found = lowercase.find(u"file:", found + 1)) {
        size_t before = found;
        while (before > 0 && (text[before - 1] == u' ' || text[before - 1] == u'\t' || text[before - 1] == u'\n'))
            --before;
        if (before == 0)
            continue;
        char16_t opener = text[before - 1];
        if (opener != u'"' && opener != u'\'' && opener != u'=')
            continue;
        size_t end = text.find_first_of(u"\"' \t\n>", found);
        return text.substr(found, end == std::u16string::npos ? std::u16string::npos : end - found);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::u16string> VornickWordPressIntegrator::firstLocalFileReference(const std::u16string& htmlString,
    const std::optional<URL>& baseURL, const std::optional<URL>& blogFolder)
{
    ReferenceCollector collector(htmlString, baseURL);
    (void)collector.parseHTMLString();
    for (const auto& [written, resolved] : collector.references) {
        auto asWritten = URL::create(written);
        std::u16string scheme = asWritten ? asWritten->scheme() : std::u16string();
        if (scheme == u"file")
            return written;
        // A relative reference names a file beside the post when it stays in
        // the blog's folder; a root-relative one is the site's.
        if (scheme.empty() && blogFolder && resolved.isFileURL() && isInsideFolder(resolved, *blogFolder))
            return written;
    }
    return fileURLInAttributeValue(htmlString);
}

std::optional<Dictionary> VornickWordPressIntegrator::rewireResourceReferencesInPost(const Dictionary& postDescription,
    const Dictionary& /*blogDescription*/, const Value& nativePostIdentifier, Error* outError)
{
    if (isTemplateProxyDraftIdentifier(nativePostIdentifier))
        return postDescription;
    auto post = entityCast<VornickWordPressBlogPost>(postForNativeIdentifier(nativePostIdentifier));
    auto blog = post ? post->wordPressBlog() : nullptr;
    if (!post || !blog) {
        logToSyncLog(u"Failed to find post \"" + vornick_descriptionString(postDescription, u"title") + u"\" for nativePostIdentifier");
        return postDescription;
    }
    Dictionary rewired = postDescription;
    auto featured = post->objectForKey(u"featuredImageMediaItem");
    std::u16string featuredIdentifier = featured ? featured->valueForKey(u"identifierUsedByBlogService").stringValue() : std::u16string();
    if (!featuredIdentifier.empty())
        rewired[u"featuredImageIdentifier"] = Value(featuredIdentifier);

    std::u16string text = vornick_descriptionString(postDescription, u"sourceContentString");
    if (text.empty())
        return rewired;
    auto postFile = post->sourceFileURL();
    std::optional<URL> baseURL = postFile ? std::optional(postFile->URLByDeletingLastPathComponent()) : std::nullopt;

    VornickWordPressContentResourceReferencePatcher patcher(blog, baseURL);
    std::optional<std::u16string> patched = patcher.patchReferencesInHTMLString(text);
    if (!patched) {
        logToSyncLog(u"Could not read the blocks of \"" + post->title() + u"\" to point its images at the media library; its text goes as it is");
        patched = text;
    }
    VornickWordPressBlogResourceReferenceReplacer replacer(*patched, baseURL, blog);
    std::u16string replaced = replacer.replaceReferencesInHTMLString();

    if (auto local = firstLocalFileReference(replaced, baseURL, blog->blogFolderURL())) {
        if (outError)
            *outError = Error(VornickErrorDomain, VornickPostRefersToLocalFileError,
                              Dictionary { { Error::LocalizedDescriptionKey, Value(u"The post refers to \"" + *local
                                                                                  + u"\", a file on this computer that the site does not have.") },
                                           { u"reference", Value(*local) } });
        return std::nullopt;
    }
    if (replaced == text)
        return rewired;
    rewired[u"sourceContentString"] = Value(replaced);
    // The post now holds what the site will.
    processPostDescriptionFromHostingService(&rewired, post, blog, false);
    return rewired;
}

} // namespace brevanton
