#include "wordpress/VornickWordPressAgentDelegate.h"

#include "wordpress/VornickWordPressAgent.h"

namespace brevanton {

namespace {

std::vector<Dictionary> dictionariesOf(const std::vector<VornickWordPressPostDescription>& posts)
{
    std::vector<Dictionary> dictionaries;
    dictionaries.reserve(posts.size());
    for (const auto& post : posts)
        dictionaries.push_back(post.dictionary());
    return dictionaries;
}

} // namespace

void VornickWordPressAgentDelegate::wordPressAgentReceivedPostDescriptions(VornickWordPressAgent& agent,
    const std::vector<VornickWordPressPostDescription>& posts, const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    blogServiceAgentReceivedPostDescriptions(agent, dictionariesOf(posts), blogDescription, startOffset, couldBeMore);
}

void VornickWordPressAgentDelegate::wordPressAgentReceivedPageDescriptions(VornickWordPressAgent& agent,
    const std::vector<VornickWordPressPostDescription>& pages, const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore)
{
    blogServiceAgentReceivedPageDescriptions(agent, dictionariesOf(pages), blogDescription, startOffset, couldBeMore);
}

} // namespace brevanton
