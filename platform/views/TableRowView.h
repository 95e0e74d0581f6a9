// TableRowView: the view of one row of a table or outline view. It draws
// its background, or its selection when selected, behind the row's cells.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/View.h"

#include <optional>

namespace brevanton {

class TableRowView : public View {
public:
    using View::View;

    bool isSelected() const { return m_selected; }
    void setSelected(bool);
    bool isGroupRowStyle() const { return m_groupRowStyle; }
    void setGroupRowStyle(bool groupRowStyle) { m_groupRowStyle = groupRowStyle; }
    // Whether the row keeps its drawing while the window is resized live.
    virtual bool preservesContentDuringLiveResize() const { return true; }

    // The standard background: the row's background colour when it has one.
    virtual void drawBackgroundInRect(const Rect& dirtyRect, GraphicsContext&);
    // The standard selection: the selected text background.
    virtual void drawSelectionInRect(const Rect& dirtyRect, GraphicsContext&);
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

    const std::optional<Color>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<Color> color) { m_backgroundColor = std::move(color); }

private:
    bool m_selected { false };
    bool m_groupRowStyle { false };
    std::optional<Color> m_backgroundColor;
};

} // namespace brevanton
