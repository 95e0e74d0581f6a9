#include "publishing/VornickBlogPostListViewController.h"

#include "blog/VornickWordPressBlogPost.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Menu.h"
#include "platform/views/TextField.h"
#include "publishing/VornickBlogPostListView.h"
#include "publishing/VornickRelativeDateText.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

std::optional<Date> dateValue(const ManagedObject& object, std::u16string_view key)
{
    Value value = object.valueForKey(key);
    return value.isDate() ? std::optional<Date>(value.date()) : std::nullopt;
}

char16_t foldedUnit(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (isHighSurrogate(c) || isLowSurrogate(c))
        return c;
    std::u16string lower = lowercase(std::u16string_view(&c, 1));
    return lower.size() == 1 ? lower[0] : c;
}

std::u16string folded(std::u16string_view text)
{
    std::u16string result(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = foldedUnit(text[i]);
    return result;
}

std::u16string titlesList(std::u16string_view className, const std::vector<std::shared_ptr<ManagedObject>>& terms)
{
    if (terms.empty())
        return {};
    std::vector<std::u16string> titles;
    titles.reserve(terms.size());
    for (auto& term : terms) {
        if (term)
            titles.push_back(term->valueForKey(u"title").stringValue());
    }
    std::stable_sort(titles.begin(), titles.end(),
                     [](const std::u16string& a, const std::u16string& b) { return compareIgnoringCase(a, b) < 0; });
    for (auto& title : titles)
        title = VornickBlogPostListViewController::escapedText(title);
    return VornickBlogPostListViewController::contentStringForListWithClassName(className, titles);
}

} // namespace

std::shared_ptr<VornickWebListView> VornickBlogPostListViewController::makeView(Rect frame)
{
    return VornickWebListView::create<VornickBlogPostListView>(frame);
}

void VornickBlogPostListViewController::awakeFromNib(Rect frame)
{
    VornickWebListViewController::awakeFromNib(frame);
    setAutoRefreshInterval(autoRefreshSeconds);
}

std::u16string VornickBlogPostListViewController::escapedText(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size() + text.size() / 8);
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            result += u"&amp;";
            break;
        case u'<':
            result += u"&lt;";
            break;
        case u'>':
            result += u"&gt;";
            break;
        case u'"':
            result += u"&quot;";
            break;
        case u'\'':
            result += u"&#39;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::u16string VornickBlogPostListViewController::contentStringForListWithClassName(std::u16string_view className,
                                                                                     const std::vector<std::u16string>& itemStrings)
{
    std::u16string result = u"<ul class='";
    result += className;
    result += u"'>";
    for (auto& item : itemStrings) {
        result += u"<li>";
        result += item;
        result += u"</li>";
    }
    result += u"</ul>";
    return result;
}

std::u16string VornickBlogPostListViewController::contentStringForSortedCategories(const std::vector<std::shared_ptr<ManagedObject>>& terms)
{
    return titlesList(u"categories", terms);
}

std::u16string VornickBlogPostListViewController::contentStringForSortedTags(const std::vector<std::shared_ptr<ManagedObject>>& terms)
{
    return titlesList(u"tags", terms);
}

std::u16string VornickBlogPostListViewController::markSearchString(std::u16string_view searchString, std::u16string_view title)
{
    // The title is text: what looks like markup in it is stripped and its references decoded.
    std::u16string text = title.find_first_of(u"<&") == std::u16string_view::npos ? std::u16string(title)
                                                                                    : vornick_stringbyStrippingHTMLMarkup(title);
    if (searchString.empty() || searchString.size() > text.size())
        return escapedText(text);
    std::u16string haystack = folded(text);
    std::u16string needle = folded(searchString);
    std::u16string result;
    result.reserve(text.size() + 16);
    size_t from = 0;
    for (size_t found = haystack.find(needle); found != std::u16string::npos; found = haystack.find(needle, found + needle.size())) {
        result += escapedText(std::u16string_view(text).substr(from, found - from));
        result += u"<mark>";
        result += escapedText(std::u16string_view(text).substr(found, needle.size()));
        result += u"</mark>";
        from = found + needle.size();
    }
    result += escapedText(std::u16string_view(text).substr(from));
    return result;
}

std::optional<std::u16string> VornickBlogPostListViewController::contentStringForRepresentedObject(const std::shared_ptr<ManagedObject>& object)
{
    auto* post = dynamic_cast<const VornickWordPressBlogPost*>(object.get());
    if (!post)
        return VornickWebListViewController::contentStringForRepresentedObject(object);
    return contentStringForPost(*post);
}

std::u16string VornickBlogPostListViewController::contentStringForPost(const VornickWordPressBlogPost& post)
{
    std::u16string typeClass = equalsIgnoringASCIICase(post.type(), u"page") ? u"page" : u"post";

    // The date the sort key names, when the post has one.
    std::optional<Date> date;
    std::u16string prefix;
    if (auto descriptor = arrayController() ? arrayController()->firstSortDescriptor() : std::nullopt) {
        static constexpr std::pair<const char16_t*, const char16_t*> keys[] = {
            { u"dateLastEditedLocally", u"Edited " },
            { u"dateLastPublished", u"Updated " },
            { u"dateFirstPublished", u"Published " },
        };
        for (auto& [key, keyPrefix] : keys) {
            if (descriptor->key == key) {
                if ((date = dateValue(post, key)))
                    prefix = keyPrefix;
                break;
            }
        }
    }
    auto status = post.objectForKey(u"status");
    std::u16string statusIdentifier = status ? status->valueForKey(u"identifier").stringValue() : std::u16string();
    std::u16string statusClass;
    if (statusIdentifier == u"draft") {
        statusClass = u"draft";
        if (!date) {
            date = dateValue(post, u"dateLastEditedLocally");
            prefix = u"Edited ";
        }
    } else {
        if (statusIdentifier == u"publish")
            statusClass = u"published";
        if (!date) {
            auto first = dateValue(post, u"dateFirstPublished");
            auto last = dateValue(post, u"dateLastPublished");
            if (last && (!first || std::abs(last->timeIntervalSince(*first)) > 1.0)) {
                date = last;
                prefix = u"Updated ";
            } else if (first) {
                date = first;
                prefix = u"Published ";
            } else {
                // Never published: when it was last edited here.
                date = dateValue(post, u"dateLastEditedLocally");
                prefix = u"Edited ";
            }
        }
    }
    std::u16string dateText = prefix + VornickRelativeAgeText(date, RunLoop::main().now());

    bool inTrash = post.inTrash();
    bool queued = post.publishAtNextSync();
    bool conflict = post.hasPendingPostDescription();
    auto field = searchField();
    std::u16string search = field ? field->stringValue() : std::u16string();

    std::u16string markup = u"<li class='";
    markup += typeClass;
    markup += u' ';
    markup += statusClass;
    if (inTrash)
        markup += u" in-trash";
    if (queued)
        markup += u" publish-at-next-sync";
    if (conflict)
        markup += u" conflicts";
    markup += u"'><h1>";
    markup += markSearchString(search, post.title());
    markup += u"</h1>";
    if (showCategoriesAndTagsInPostList()) {
        markup += contentStringForSortedCategories(post.objectsForKey(u"categories"));
        markup += contentStringForSortedTags(post.objectsForKey(u"tags"));
    }
    markup += u"<span class='date'>";
    markup += escapedText(dateText);
    markup += u"</span>";
    if (inTrash)
        markup += u"<div class='in-trash-badge'></div>";
    if (conflict)
        markup += u"<div class='conflicts-badge'>\n</div>";
    if (queued)
        markup += u"<div class='publish-at-next-sync-badge'>\n</div>";
    markup += u"</li>";
    return markup;
}

std::shared_ptr<Menu> VornickBlogPostListViewController::menuForRepresentedObject(const std::shared_ptr<ManagedObject>&)
{
    if (m_contextMenu)
        return m_contextMenu;
    // "BrevantonBlogPostListContextMenu"; the blog window performs its actions.
    m_contextMenu = Menu::create(u"BrevantonBlogPostListContextMenu");
    m_contextMenu->addItem(u"Open", "openEditorsForSelectedPosts:", {});
    m_contextMenu->addItem(u"Open in Browser", "openViewersForSelectedPosts:", {});
    m_contextMenu->addItem(u"Copy Permalink", "copyPermalinksForSelectedPosts:", {});
    m_contextMenu->addItem(MenuItem::separatorItem());
    m_contextMenu->addItem(u"Move to Trash", "moveSelectedPostsToTrash:", {});
    if (UserDefaults::standard().boolForKey(u"VornickDebugMenu"))
        m_contextMenu->addItem(u"Copy sourceContentString", "copySourceContentStringForSelectedPosts:", {});
    return m_contextMenu;
}

} // namespace brevanton
