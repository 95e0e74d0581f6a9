// The stack of the post list filters popover and its rows: each row's view
// holds one token filter view, full width, that grows with the row.
#pragma once

#include "ui/VornickStackView.h"

#include <memory>

namespace brevanton {

class VornickTokenFilterView;

class VornickWordPressPostFilterStackView : public VornickStackView {
public:
    using VornickStackView::VornickStackView;
};

class VornickWordPressPostFilterStackItem : public VornickStackItem {
public:
    // The first subview of the item's view that is a token filter view; null when none.
    std::shared_ptr<VornickTokenFilterView> tokenFilterView();

protected:
    // A row of the given width holding a token filter view that follows its size.
    void loadView() override;
};

} // namespace brevanton
