// VornickPreferencePane: the base of the application's preference panes.
// A pane is named after its identifier unless it says otherwise, shows the
// image of that name and its name as tool tip, and does not let the window
// be resized. Its view is made on first request by makePaneView and kept.
// Panes only read and write the user defaults and tell who follows them.
#pragma once

#include "ui/PrefsPaneProtocol.h"

#include <functional>

namespace brevanton {

class GraphicsContext;

class VornickPreferencePane : public PrefsPaneProtocol {
public:
    std::u16string paneName() const override { return paneIdentifier(); }
    std::u16string paneIdentifier() const override { return u"GeneralPrefs"; }
    std::shared_ptr<Image> paneIcon() const override;
    std::u16string paneToolTip() const override { return paneName(); }
    std::shared_ptr<View> paneView() override;
    bool allowsHorizontalResizing() const override { return false; }
    bool allowsVerticalResizing() const override { return false; }

    // Registers the pane's 32-point toolbar picture under the name, drawn
    // when first asked for; once per name.
    static void registerPaneIcon(const char16_t* name, std::function<void(GraphicsContext&)> draw);

protected:
    // The pane's controls; null when there are none.
    virtual std::shared_ptr<View> makePaneView() { return nullptr; }

private:
    std::shared_ptr<View> m_paneView;
};

} // namespace brevanton
