// VornickBlogPostTagListTokenFieldController: a token field of a post's
// tags, completing from the tags of the post's blog. Only an existing tag,
// typed by its exact title (or taken from the completions), becomes a tag
// token; any other word becomes an unknown token, shown as such and listed
// by unknownTagTitles, so that accepting can say it names no tag instead of
// dropping it.
#pragma once

#include "platform/views/TokenField.h"
#include "toolkit/VornickCompletionSet.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class ManagedObject;
class VornickBlogPost;
class VornickBlogTag;

using VornickBlogTags = std::vector<std::shared_ptr<VornickBlogTag>>;

class VornickBlogPostTagListTokenFieldController final : public TokenFieldDelegate,
                                                         public std::enable_shared_from_this<VornickBlogPostTagListTokenFieldController> {
public:
    static std::shared_ptr<VornickBlogPostTagListTokenFieldController> create();

    const std::shared_ptr<TokenField>& tokenField() const { return m_tokenField; }
    const std::shared_ptr<VornickBlogPost>& post() const { return m_post; }
    // A different post rebuilds the completions and updates the field.
    void setPost(std::shared_ptr<VornickBlogPost>);
    const VornickCompletionSet& tagCompletionSet() const { return m_tagCompletionSet; }
    void rebuildTagCompletionSet();
    // The post's tags by title (nothing without tags).
    void updateControlsFromPost();

    // The tag tokens, in the field's order.
    VornickBlogTags displayedTags() const;
    // The words of unknown tokens.
    std::vector<std::u16string> unknownTagTitles() const;

    using CommitHandler = std::function<void(const VornickBlogTags&)>;
    void setCommitHandler(CommitHandler handler) { m_commitHandler = std::move(handler); }
    // The commit handler gets the displayed tags (the field's action).
    void applyTagEdits();

    // --- The token field's delegate
    std::vector<std::u16string> completionsForSubstring(TokenField&, std::u16string_view, long, size_t limit) override;
    std::vector<std::any> shouldAddObjects(TokenField&, std::vector<std::any>, long) override;
    std::u16string displayStringForRepresentedObject(TokenField&, const std::any&) override;
    std::any representedObjectForEditingString(TokenField&, std::u16string_view) override;

private:
    VornickBlogPostTagListTokenFieldController();

    std::shared_ptr<TokenField> m_tokenField;
    std::shared_ptr<VornickBlogPost> m_post;
    VornickCompletionSet m_tagCompletionSet;
    CommitHandler m_commitHandler;
};

// Whether two lists hold the same objects, in any order.
bool vornick_sameObjects(const std::vector<std::shared_ptr<ManagedObject>>&, const std::vector<std::shared_ptr<ManagedObject>>&);
// The message for words that name no tag.
std::u16string vornick_unknownTagsMessage(const std::vector<std::u16string>& words);

} // namespace brevanton
