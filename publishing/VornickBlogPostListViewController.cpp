#include "publishing/VornickBlogPostListViewController.h"

#include "blog/VornickWordPressBlogPost.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/CaseFolding.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Menu.h"
#include "platform/views/TextField.h"
#include "publishing/VornickBlogPostListView.h"
#include "publishing/VornickPostDateText.h"
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

void appendEscapedText(std::u16string& out, std::u16string_view text)
{
    appendEscapedHTML(out, text, HTMLEscaping::TextOrQuotedValue);
}

// Whether stripping markup could change the title: it holds a tag, or a
// reference ("&" followed by a name or "#"). A bare "&" is text as it is.
bool mayHoldMarkup(std::u16string_view title)
{
    for (size_t i = title.find_first_of(u"<&"); i != std::u16string_view::npos; i = title.find_first_of(u"<&", i + 1)) {
        if (title[i] == u'<' || i + 1 == title.size())
            return title[i] == u'<';
        char16_t next = title[i + 1];
        if (next >= 0x80 || next == u'#' || (next >= u'0' && next <= u'9') || ((next | 0x20) >= u'a' && (next | 0x20) <= u'z'))
            return true;
    }
    return false;
}

// A title as the site gives it (WordPress escapes "&" in titles and term
// names) is text: what looks like markup in it is stripped and its
// references decoded; `stripped` holds the text when it had to change.
std::u16string_view titleText(std::u16string_view title, std::u16string& stripped)
{
    if (!mayHoldMarkup(title))
        return title;
    stripped = vornick_stringbyStrippingHTMLMarkup(title);
    return stripped;
}

void appendMarkedTitle(std::u16string& out, std::u16string_view searchString, std::u16string_view title)
{
    std::u16string stripped;
    std::u16string_view text = titleText(title, stripped);
    if (searchString.empty() || searchString.size() > text.size()) {
        appendEscapedText(out, text);
        return;
    }
    // Offsets in the foldings are offsets in the text.
    std::u16string haystack = simpleCaseFolded(text);
    std::u16string needle = simpleCaseFolded(searchString);
    size_t from = 0;
    for (size_t found = haystack.find(needle); found != std::u16string::npos; found = haystack.find(needle, found + needle.size())) {
        appendEscapedText(out, text.substr(from, found - from));
        out += u"<mark>";
        appendEscapedText(out, text.substr(found, needle.size()));
        out += u"</mark>";
        from = found + needle.size();
    }
    appendEscapedText(out, text.substr(from));
}

// A row lists a handful of terms: each title is folded once, not at every comparison.
void appendTitlesList(std::u16string& out, std::u16string_view className, const std::vector<std::shared_ptr<ManagedObject>>& terms)
{
    if (terms.empty())
        return;
    // The titles as stored, read in place (copied only when they hold a reference).
    struct Title {
        std::u16string_view stored;
        std::u16string key;
        std::u16string stripped;
        bool isStripped { false };
        std::u16string_view text() const { return isStripped ? std::u16string_view(stripped) : stored; }
    };
    std::vector<Title> titles;
    titles.reserve(terms.size());
    for (auto& term : terms) {
        if (!term)
            continue;
        const Value& value = term->valueReferenceForKey(u"title");
        Title& title = titles.emplace_back();
        title.stored = value.isString() ? std::u16string_view(value.string()) : std::u16string_view();
        // Names come with their "&" escaped; one that holds a tag is shown as it is.
        if (title.stored.find(u'<') == std::u16string_view::npos)
            title.isStripped = titleText(title.stored, title.stripped).data() != title.stored.data();
        title.key = caseFolded(title.text());
    }
    auto before = [](const Title& a, const Title& b) { return compareInCodePointOrder(a.key, b.key) < 0; };
    // Equal keys keep the terms' order. A few terms are sorted in place, without the merge buffer.
    if (titles.size() > 16) {
        std::stable_sort(titles.begin(), titles.end(), before);
    } else {
        for (size_t i = 1; i < titles.size(); ++i) {
            for (size_t j = i; j > 0 && before(titles[j], titles[j - 1]); --j)
                std::swap(titles[j], titles[j - 1]);
        }
    }
    out += u"<ul class='";
    out += className;
    out += u"'>";
    // Separated in the text as well as by the style sheet, so that the names
    // never run together (in the row's text, or where the sheet is not applied).
    for (size_t index = 0; index < titles.size(); ++index) {
        if (index)
            out += u", ";
        out += u"<li>";
        appendEscapedText(out, titles[index].text());
        out += u"</li>";
    }
    out += u"</ul>";
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
    appendEscapedText(result, text);
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
    std::u16string result;
    appendTitlesList(result, u"categories", terms);
    return result;
}

std::u16string VornickBlogPostListViewController::contentStringForSortedTags(const std::vector<std::shared_ptr<ManagedObject>>& terms)
{
    std::u16string result;
    appendTitlesList(result, u"tags", terms);
    return result;
}

std::u16string VornickBlogPostListViewController::markSearchString(std::u16string_view searchString, std::u16string_view title)
{
    std::u16string result;
    result.reserve(title.size() + 16);
    appendMarkedTitle(result, searchString, title);
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
    // Reckoned in the site's calendar, as the post view shows its dates.
    std::u16string dateText = prefix + VornickRelativeAgeText(date, RunLoop::main().now(), VornickSiteUTCOffsetHours(post.blog().get()));

    bool inTrash = post.inTrash();
    bool queued = post.publishAtNextSync();
    bool conflict = post.hasPendingPostDescription();
    auto field = searchField();
    std::u16string search = field ? field->stringValue() : std::u16string();

    // Made in a buffer kept for the next row, then copied at its size: the
    // row keeps no spare capacity, and growing it reallocates nothing.
    thread_local std::u16string markup;
    markup.assign(u"<li class='");
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
    const Value& title = post.valueReferenceForKey(u"title");
    appendMarkedTitle(markup, search, title.isString() ? std::u16string_view(title.string()) : std::u16string_view());
    markup += u"</h1>";
    if (showCategoriesAndTagsInPostList()) {
        appendTitlesList(markup, u"categories", post.objectsForKey(u"categories"));
        appendTitlesList(markup, u"tags", post.objectsForKey(u"tags"));
    }
    markup += u"<span class='date'>";
    appendEscapedText(markup, dateText);
    markup += u"</span>";
    if (inTrash)
        markup += u"<div class='in-trash-badge'></div>";
    if (conflict)
        markup += u"<div class='conflicts-badge'>\n</div>";
    if (queued)
        markup += u"<div class='publish-at-next-sync-badge'>\n</div>";
    markup += u"</li>";
    return std::u16string(markup);
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
