#include "publishing/VornickBlogPostTagListTokenFieldController.h"

#include "blog/VornickBlog.h"
#include "blog/VornickBlogPost.h"
#include "blog/VornickBlogTag.h"

#include <algorithm>
#include <unordered_set>

namespace brevanton {

namespace {

std::shared_ptr<VornickBlogTag> tagOfObject(const std::any& object)
{
    auto tag = std::any_cast<std::shared_ptr<VornickBlogTag>>(&object);
    return tag ? *tag : nullptr;
}

} // namespace

bool vornick_sameObjects(const std::vector<std::shared_ptr<ManagedObject>>& first, const std::vector<std::shared_ptr<ManagedObject>>& second)
{
    std::unordered_set<const ManagedObject*> one;
    for (const auto& object : first)
        one.insert(object.get());
    std::unordered_set<const ManagedObject*> other;
    for (const auto& object : second)
        other.insert(object.get());
    return one == other;
}

std::u16string vornick_unknownTagsMessage(const std::vector<std::u16string>& words)
{
    std::u16string list;
    for (const auto& word : words)
        list += (list.empty() ? u"\u201C" : u", \u201C") + word + u"\u201D";
    return (words.size() == 1 ? u"No tag of this blog is titled " : u"No tags of this blog are titled ") + list
        + u". Remove the word, or add the tag on the site and sync first.";
}

std::shared_ptr<VornickBlogPostTagListTokenFieldController> VornickBlogPostTagListTokenFieldController::create()
{
    auto controller = std::shared_ptr<VornickBlogPostTagListTokenFieldController>(new VornickBlogPostTagListTokenFieldController);
    controller->m_tokenField->setDelegate(controller);
    std::weak_ptr<VornickBlogPostTagListTokenFieldController> weak = controller;
    controller->m_tokenField->setActionHandler("applyTagEdits:", [weak](ActionSender*) {
        if (auto strong = weak.lock())
            strong->applyTagEdits();
    });
    controller->m_tokenField->setTarget(controller->m_tokenField);
    controller->m_tokenField->setAction("applyTagEdits:");
    return controller;
}

VornickBlogPostTagListTokenFieldController::VornickBlogPostTagListTokenFieldController()
    : m_tokenField(std::make_shared<TokenField>(Rect(0, 0, 300, 22)))
{
    m_tokenField->setDrawsBackground(true);
    m_tagCompletionSet.setFavorsCamelCaps(true);
    m_tagCompletionSet.setReturnsMatchesForEmptyString(false);
    m_tagCompletionSet.setUsesLengthBasedGapPenalty(false);
}

void VornickBlogPostTagListTokenFieldController::setPost(std::shared_ptr<VornickBlogPost> post)
{
    if (post == m_post)
        return;
    m_post = std::move(post);
    rebuildTagCompletionSet();
    updateControlsFromPost();
}

void VornickBlogPostTagListTokenFieldController::rebuildTagCompletionSet()
{
    m_tagCompletionSet.removeAllObjects();
    auto blog = m_post ? m_post->blog() : nullptr;
    if (!blog)
        return;
    for (const auto& tag : blog->objectsForKey<VornickBlogTag>(u"tags")) {
        auto title = tag->title();
        if (!title.empty())
            m_tagCompletionSet.addCompletionString(title, tag);
    }
}

void VornickBlogPostTagListTokenFieldController::updateControlsFromPost()
{
    VornickBlogTags tags;
    if (m_post)
        tags = m_post->objectsForKey<VornickBlogTag>(u"tags");
    std::stable_sort(tags.begin(), tags.end(), [](const auto& one, const auto& other) { return one->title() < other->title(); });
    std::vector<std::any> objects(tags.begin(), tags.end());
    m_tokenField->setObjects(objects);
}

VornickBlogTags VornickBlogPostTagListTokenFieldController::displayedTags() const
{
    VornickBlogTags tags;
    for (const auto& token : m_tokenField->tokenItems()) {
        if (auto tag = tagOfObject(token.object); tag && std::find(tags.begin(), tags.end(), tag) == tags.end())
            tags.push_back(std::move(tag));
    }
    return tags;
}

std::vector<std::u16string> VornickBlogPostTagListTokenFieldController::unknownTagTitles() const
{
    std::vector<std::u16string> words;
    for (const auto& token : m_tokenField->tokenItems()) {
        if (token.unknown)
            words.push_back(token.editingString);
    }
    return words;
}

void VornickBlogPostTagListTokenFieldController::applyTagEdits()
{
    if (m_commitHandler)
        m_commitHandler(displayedTags());
}

std::vector<std::u16string> VornickBlogPostTagListTokenFieldController::completionsForSubstring(TokenField& field, std::u16string_view substring,
                                                                                                long, size_t limit)
{
    std::unordered_set<const void*> shown;
    for (const auto& token : field.tokenItems()) {
        if (auto tag = tagOfObject(token.object))
            shown.insert(tag.get());
    }
    std::vector<std::u16string> completions;
    for (const auto& match : m_tagCompletionSet.rankedMatchesForSearchString(substring)) {
        if (completions.size() >= limit)
            break;
        if (auto tag = tagOfObject(match.object()); tag && !shown.contains(tag.get()))
            completions.push_back(match.completionString());
    }
    return completions;
}

std::vector<std::any> VornickBlogPostTagListTokenFieldController::shouldAddObjects(TokenField&, std::vector<std::any> objects, long)
{
    // Tags, and the words naming none (kept as unknown tokens); a tag
    // already shown is not added twice.
    auto shown = displayedTags();
    std::erase_if(objects, [&](const std::any& object) {
        if (auto tag = tagOfObject(object))
            return std::find(shown.begin(), shown.end(), tag) != shown.end();
        return !std::any_cast<std::u16string>(&object);
    });
    return objects;
}

std::u16string VornickBlogPostTagListTokenFieldController::displayStringForRepresentedObject(TokenField&, const std::any& object)
{
    if (auto tag = tagOfObject(object))
        return tag->title();
    if (auto word = std::any_cast<std::u16string>(&object))
        return *word;
    return u"?";
}

std::any VornickBlogPostTagListTokenFieldController::representedObjectForEditingString(TokenField&, std::u16string_view string)
{
    if (string.empty())
        return {};
    auto found = m_tagCompletionSet.objectForCompletionString(string);
    if (auto tag = tagOfObject(found); tag && tag->title() == string)
        return tag;
    return {};
}

} // namespace brevanton
