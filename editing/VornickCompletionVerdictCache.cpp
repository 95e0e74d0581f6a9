#include "editing/VornickCompletionVerdictCache.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

namespace {

template<typename T> bool sameLiveObject(const std::weak_ptr<T>& a, const std::weak_ptr<T>& b)
{
    auto first = a.lock();
    return first == b.lock();
}

bool sameContext(const VornickCompletionVerdictCache::Context& a, const VornickCompletionVerdictCache::Context& b)
{
    return !a.document.expired() && sameLiveObject(a.document, b.document) && a.documentContentVersion == b.documentContentVersion
        && sameLiveObject(a.startContainer, b.startContainer) && a.startOffset == b.startOffset
        && sameLiveObject(a.endContainer, b.endContainer) && a.endOffset == b.endOffset && sameLiveObject(a.spec, b.spec)
        && a.spec.expired() == b.spec.expired() && sameLiveObject(a.baseFragmentSet, b.baseFragmentSet)
        && a.baseFragmentSet.expired() == b.baseFragmentSet.expired() && sameLiveObject(a.userFragmentSet, b.userFragmentSet)
        && a.userFragmentSet.expired() == b.userFragmentSet.expired() && sameLiveObject(a.blockModeHelper, b.blockModeHelper)
        && a.blockModeHelper.expired() == b.blockModeHelper.expired() && a.blockMode == b.blockMode;
}

} // namespace

VornickCompletionVerdictCache::Context VornickCompletionVerdictCache::contextForRange(const DOMRange& range, std::shared_ptr<const void> spec,
                                                                                     std::shared_ptr<const void> baseFragmentSet,
                                                                                     std::shared_ptr<const void> userFragmentSet,
                                                                                     std::shared_ptr<const void> blockModeHelper,
                                                                                     bool blockMode)
{
    Context context;
    auto start = range.startContainer();
    auto document = start ? start->ownerDocument() : nullptr;
    context.document = document;
    context.documentContentVersion = document ? document->connectedContentVersion() : 0;
    context.startContainer = start;
    context.startOffset = range.startOffset();
    context.endContainer = range.endContainer();
    context.endOffset = range.endOffset();
    context.spec = spec;
    context.baseFragmentSet = baseFragmentSet;
    context.userFragmentSet = userFragmentSet;
    context.blockModeHelper = blockModeHelper;
    context.blockMode = blockMode;
    return context;
}

void VornickCompletionVerdictCache::useContext(Context context)
{
    if (m_context && sameContext(*m_context, context))
        return;
    m_entries.clear();
    m_context = std::move(context);
}

void VornickCompletionVerdictCache::removeAllEntries()
{
    m_entries.clear();
    m_context.reset();
}

} // namespace brevanton
