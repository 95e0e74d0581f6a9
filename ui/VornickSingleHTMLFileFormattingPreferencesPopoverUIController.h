// VornickSingleHTMLFileFormattingPreferencesPopoverUIController: one
// document's own formatting preferences, edited in a popover that emerges
// from a view (the document window's formatting button). It owns one module
// for its life and is reused for every showing; the module's edits reach the
// document through the module's edited notification, which the document's
// editing view stores as an undoable change of its string.
#pragma once

#include <memory>

namespace brevanton {

class Popover;
class View;
class VornickHTMLFormattingPreferences;
class VornickHTMLFormattingPreferencesModule;

class VornickSingleHTMLFileFormattingPreferencesPopoverUIController {
public:
    VornickSingleHTMLFileFormattingPreferencesPopoverUIController();
    ~VornickSingleHTMLFileFormattingPreferencesPopoverUIController();

    // Makes the set the module's, refreshes the preview and shows the popover
    // under the view's bounds.
    void showForHTMLFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences>, const std::shared_ptr<View>& emergingFromView);

    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    VornickHTMLFormattingPreferencesModule& formattingPreferencesModule() const { return *m_module; }

private:
    std::unique_ptr<VornickHTMLFormattingPreferencesModule> m_module;
    std::shared_ptr<View> m_contentView;
    std::shared_ptr<Popover> m_popover;
};

} // namespace brevanton
