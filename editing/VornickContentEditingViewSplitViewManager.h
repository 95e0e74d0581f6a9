// VornickContentEditingViewSplitViewManager: the manager of the editing
// view's split view (head metadata header, web view, embedded source loupe
// footer). Besides the collapsible header and footer it knows the loupe, so
// that an embedded loupe is the footer pane.
#pragma once

#include "ui/VornickCollapsibleHeaderSplitViewManager.h"

#include <memory>

namespace brevanton {

class VornickSourceLoupe;

class VornickContentEditingViewSplitViewManager : public VornickCollapsibleHeaderSplitViewManager {
public:
    std::shared_ptr<VornickSourceLoupe> sourceLoupe() const { return m_sourceLoupe.lock(); }
    void setSourceLoupe(const std::shared_ptr<VornickSourceLoupe>& loupe) { m_sourceLoupe = loupe; }

private:
    std::weak_ptr<VornickSourceLoupe> m_sourceLoupe;
};

} // namespace brevanton
