// VornickApplyElementOrFragmentMenu: a menu of what can be applied to the
// selection of an editing view: a submenu per snippet group of the focused
// frame's snippet sets (base set first, then the user's), and for inserting
// or wrapping also an "Elements" submenu of the body elements of the frame's
// HTML specification. Its semantic says what choosing an item does: 1
// inserts or wraps, 2 transforms the exactly selected block into the
// snippet's block type (only snippets are listed then). `update` rebuilds
// the items when the specification or the snippet sets changed, then
// validates them.
#pragma once

#include "html/VornickExactSelection.h"
#include "platform/views/Menu.h"

#include <cstddef>
#include <memory>
#include <optional>

namespace brevanton {

class VornickContentEditingView;

class VornickApplyElementOrFragmentMenu : public Menu {
public:
    static std::shared_ptr<VornickApplyElementOrFragmentMenu> create(std::u16string title);
    explicit VornickApplyElementOrFragmentMenu(std::u16string title);

    long semantic() const { return m_semantic; }
    void setSemantic(long semantic);
    const std::optional<VornickExactSelection>& exactSelection() const { return m_exactSelection; }
    void setExactSelection(std::optional<VornickExactSelection> selection) { m_exactSelection = std::move(selection); }
    // The view whose focused frame the items come from (held weakly).
    void setContentEditingView(const std::shared_ptr<VornickContentEditingView>& view) { m_view = view; }

    void update();

private:
    struct Source {
        std::weak_ptr<const void> spec;
        std::weak_ptr<const void> baseFragmentSet;
        std::weak_ptr<const void> userFragmentSet;
        size_t snippetCount { 0 };
        bool built { false };
    };
    void rebuild();

    long m_semantic { 1 };
    std::optional<VornickExactSelection> m_exactSelection;
    std::weak_ptr<VornickContentEditingView> m_view;
    Source m_source;
};

} // namespace brevanton
