// Injecting a post's fields into its template, and writing the edited title
// and body back into the post.
#include "publishing/VornickBlogPostView.h"

#include "blog/VornickBlog.h"
#include "blog/VornickBlogPost.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "documents/VornickProject.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressBlockDetector.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickPostDateText.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickLog.h"

#include <unicode/uchar.h>
#include <cstring>

namespace brevanton {

namespace {

// Trimmed in place: a long body's text is not copied again.
std::u16string trimmedOfWhitespaceAndNewlines(std::u16string text)
{
    auto isBlank = [](char16_t character) { return u_isUWhiteSpace(character) || character == u'\n' || character == u'\r'; };
    size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    text.erase(end);
    size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    text.erase(0, start);
    return text;
}

// Lengths first, then the bytes at once (the standard comparison of char16_t
// strings goes unit by unit, to the end of the shorter one even when their
// lengths differ: a long post's body was read through for each save).
bool sameText(const std::u16string& a, const std::u16string& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

} // namespace

VornickBlogPostView::InjectionBases VornickBlogPostView::injectionBases() const
{
    // References of the post's own files resolve against its folder; others
    // (a server's "/about/") against its permalink, else the blog's address.
    InjectionBases bases;
    bases.baseURL = m_post ? m_post->postFolderURL() : std::nullopt;
    if (auto blog = this->blog()) {
        bases.blogFolder = blog->blogFolderURL();
        if (auto published = entityCast<VornickPublishedBlog>(blog); published && !published->browseURLString().empty())
            bases.fallbackBase = URL::create(published->browseURLString());
    }
    if (auto published = entityCast<VornickPublishedBlogPost>(m_post); published && !published->permalinkURLString().empty()) {
        if (auto permalink = URL::create(published->permalinkURLString()))
            bases.fallbackBase = permalink;
    }
    return bases;
}

bool VornickBlogPostView::injectTitle(VornickAttachmentPoint& point)
{
    auto text = postValueForKey(u"title").stringValue();
    if (text.empty())
        text = u"Type Your Post Title Here";
    auto bases = injectionBases();
    return point.injectHTMLContentString(text, bases.baseURL, bases.blogFolder, bases.fallbackBase);
}

void VornickBlogPostView::updateTitleFromPost()
{
    auto title = attachmentPointWithIdentifier(VornickAttachmentPointTitle);
    if (!title || !mainFrame() || !injectTitle(*title))
        return;
    // What the page now shows is the post's title: a write-back that reads
    // it again changes nothing.
    if (!m_pageAsInjected && m_injectedPost) {
        std::optional<URL> rootFolder;
        if (auto project = m_injectedPost->project())
            rootFolder = project->sourceRootURL();
        if (auto html = title->extractCompactHTMLContentStringWithReferencesUnder(rootFolder, m_injectedPost->sourceFileURL()))
            m_titleAsInjected = trimmedOfWhitespaceAndNewlines(std::move(*html));
    }
}

std::optional<std::u16string> VornickBlogPostView::titleFromContent() const
{
    auto title = attachmentPointWithIdentifier(VornickAttachmentPointTitle);
    if (!title || !m_post || m_post != m_injectedPost)
        return std::nullopt;
    std::optional<URL> rootFolder;
    if (auto project = m_post->project())
        rootFolder = project->sourceRootURL();
    auto html = title->extractCompactHTMLContentStringWithReferencesUnder(rootFolder, m_post->sourceFileURL());
    if (!html)
        return std::nullopt;
    return trimmedOfWhitespaceAndNewlines(std::move(*html));
}

void VornickBlogPostView::updateContentFromPost()
{
    auto frame = mainFrame();
    if (!frame)
        return;
    m_injectedPost = m_post;
    m_bodyInjected = false;
    auto bases = injectionBases();
    auto inject = [&](VornickAttachmentPoint& point, const std::u16string& html) {
        return point.injectHTMLContentString(html, bases.baseURL, bases.blogFolder, bases.fallbackBase);
    };

    injectTermLinks();

    if (auto body = attachmentPointWithIdentifier(VornickAttachmentPointBody)) {
        if (equalsIgnoringASCIICase(postValueForKey(u"sourceContentType").stringValue(), u"html")) {
            auto source = postValueForKey(u"sourceContentString").stringValue();
            if (source.empty())
                source = m_post ? m_post->placeholderSourceContentString() : VornickBlogPost().placeholderSourceContentString();
            if (auto& helper = blockModeHelper())
                helper->setOperatingInBlockMode(VornickWordPressBlockDetector::htmlStringContainsWordPressBlocksInString(source));
            source = preprocessPostBodyBeforeInjecting(source);
            if (inject(*body, source)) {
                m_bodyInjected = true;
                auto element = body->findElement();
                postprocessPostBodyAfterInjectingIntoRootElement(element);
                if (m_fieldsToSearch & VornickBlogPostViewSearchBody)
                    highlightOccurrencesOfSearchStringUnderRootNode(element);
            }
        } else {
            VornickGeneralLog("FAILED to inject post body into template: post sourceContentType is not \"html\"");
            // The template's sample stays and stands for nothing: it is
            // neither edited nor written back.
            body->setCloaked(true);
        }
    }

    if (auto title = attachmentPointWithIdentifier(VornickAttachmentPointTitle)) {
        if (injectTitle(*title) && (m_fieldsToSearch & VornickBlogPostViewSearchTitle))
            highlightOccurrencesOfSearchStringUnderRootNode(title->findElement());
    }

    if (auto date = attachmentPointWithIdentifier(VornickAttachmentPointDate)) {
        std::optional<Date> when;
        Value value;
        auto published = entityCast<VornickPublishedBlogPost>(m_post);
        if (published && published->currentlyPublished())
            value = m_post->valueForKey(u"dateFirstPublished");
        else if (m_post)
            value = m_post->valueForKey(u"dateLastEditedLocally");
        else
            value = postValueForKey(u"dateFirstPublished");
        if (value.isDate())
            when = value.date();
        // Shown as the site's theme shows it: in the site's time zone, when the blog knows it.
        auto text = when ? VornickLongDateAndTimeString(*when, VornickSiteUTCOffsetHours(this->blog().get())) : std::u16string(u"(date)");
        if (auto element = date->findElement()) {
            // The date is text, never markup.
            while (auto child = element->firstChild())
                element->removeChild(child);
            element->appendChild(element->ownerDocument()->createTextNode(text));
            postVornickContentEditingViewDidChangeContentInWebFrame(frame, date);
        }
    }


    auto& helper = blockModeHelper();
    if (!(helper && helper->operatingInBlockMode())) {
        if (auto blog = this->blog()) {
            auto reference = blog->valueForKey(u"fragmentSetFileReference");
            if (!reference.isNull()) {
                std::optional<URL> projectFolder;
                if (auto project = blog->project())
                    projectFolder = project->sourceRootURL();
                if (auto fileReference = VornickEnduringFileReference::createWithPropertyList(reference, projectFolder ? &*projectFolder : nullptr)) {
                    if (auto set = VornickFragmentSet::fragmentSetFromEnduringFileReference(*fileReference))
                        vornick_setUserFragmentSet(*frame, set);
                }
            }
        }
    }
    m_bodyAsInjected.reset();
    m_titleAsInjected.reset();
    m_pageAsInjected = true;
}

void VornickBlogPostView::injectTermLinks()
{
    injectTermLinksIntoRun(VornickAttachmentPointTags, postTermTitles(u"tags"), u"tag");
}

void VornickBlogPostView::pageLeavesInjectedState(bool beforeChange)
{
    if (!m_pageAsInjected)
        return;
    m_pageAsInjected = false;
    if (beforeChange)
        rememberFieldsAsInjected();
}

void VornickBlogPostView::rememberFieldsAsInjected()
{
    m_bodyAsInjected.reset();
    m_titleAsInjected.reset();
    if (!m_injectedPost)
        return;
    std::optional<URL> rootFolder;
    if (auto project = m_injectedPost->project())
        rootFolder = project->sourceRootURL();
    auto documentURL = m_injectedPost->sourceFileURL();
    if (auto body = attachmentPointWithIdentifier(VornickAttachmentPointBody); body && m_bodyInjected) {
        if (auto html = body->extractCompactHTMLContentStringWithReferencesUnder(rootFolder, documentURL))
            m_bodyAsInjected = trimmedOfWhitespaceAndNewlines(std::move(*html));
    }
    if (auto title = attachmentPointWithIdentifier(VornickAttachmentPointTitle)) {
        if (auto html = title->extractCompactHTMLContentStringWithReferencesUnder(rootFolder, documentURL))
            m_titleAsInjected = trimmedOfWhitespaceAndNewlines(std::move(*html));
    }
}

bool VornickBlogPostView::updatePostFromContent()
{
    // A read-only view (a preview, search marks and all) never writes back,
    // and only into the post its page was injected from.
    if (!isEditable() || !m_post || m_post != m_injectedPost)
        return true;
    std::optional<URL> rootFolder;
    if (auto project = m_post->project())
        rootFolder = project->sourceRootURL();
    auto documentURL = m_post->sourceFileURL();

    if (auto body = attachmentPointWithIdentifier(VornickAttachmentPointBody); body && m_bodyInjected) {
        auto html = body->extractCompactHTMLContentStringWithReferencesUnder(rootFolder, documentURL);
        if (!html) {
            VornickGeneralLog("Failed to get newSourceContentString from DOM tree!");
            return false;
        }
        auto source = trimmedOfWhitespaceAndNewlines(std::move(*html));
        bool unchangedSinceInjected = m_pageAsInjected || (m_bodyAsInjected && sameText(source, *m_bodyAsInjected));
        // Compared with the stored body in place: a long post is not copied for it.
        const Value& stored = m_post->ManagedObject::valueReferenceForKey(u"sourceContentString");
        bool sameSource = stored.isString() ? sameText(stored.string(), source) : source.empty();
        if (!unchangedSinceInjected && (!sameSource || m_post->sourceContentType() != u"html")) {
            // One copy is kept to know the page unchanged at the next save;
            // the store takes the other over.
            m_bodyAsInjected = source;
            m_post->setSourceContentString(std::move(source));
            m_post->setSourceContentType(u"html");
            m_post->setHasEditsNotYetSavedToSourceFile(true);
        }
    }
    if (auto title = attachmentPointWithIdentifier(VornickAttachmentPointTitle)) {
        auto html = title->extractCompactHTMLContentStringWithReferencesUnder(rootFolder, documentURL);
        if (!html) {
            VornickGeneralLog("Failed to get newTitle from DOM tree!");
            return false;
        }
        auto text = trimmedOfWhitespaceAndNewlines(std::move(*html));
        bool unchangedSinceInjected = m_pageAsInjected || (m_titleAsInjected && text == *m_titleAsInjected);
        if (!unchangedSinceInjected && text != m_post->title()) {
            m_post->setTitle(text);
            m_post->setHasEditsNotYetSavedToSourceFile(true);
            m_titleAsInjected = text;
        }
    }
    return true;
}

} // namespace brevanton
