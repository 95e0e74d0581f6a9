#include "publishing/VornickWordPressPostFilterStackView.h"

#include "ui/VornickTokenFilterView.h"

namespace brevanton {

namespace {
// The interface file's row: as wide as the popover's stack, one line high.
constexpr double RowWidth = 320;
constexpr double RowHeight = 22;
} // namespace

std::shared_ptr<VornickTokenFilterView> VornickWordPressPostFilterStackItem::tokenFilterView()
{
    for (const auto& subview : view()->subviews()) {
        if (auto tokens = std::dynamic_pointer_cast<VornickTokenFilterView>(subview))
            return tokens;
    }
    return nullptr;
}

void VornickWordPressPostFilterStackItem::loadView()
{
    auto row = std::make_shared<View>(Rect(0, 0, RowWidth, RowHeight));
    auto tokens = std::make_shared<VornickTokenFilterView>(Rect(0, 0, RowWidth, RowHeight));
    tokens->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    row->addSubview(tokens);
    setView(row);
}

} // namespace brevanton
