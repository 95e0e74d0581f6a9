// VornickSingleHTMLFileFormattingPreferencesSheetController: one document's
// own formatting preferences, edited in a sheet on the document's window,
// closed by its Done button (Return). Like the popover host it owns one
// module for its life and is reused for every showing.
#pragma once

#include <memory>

namespace brevanton {

class Button;
class View;
class VornickHTMLFormattingPreferences;
class VornickHTMLFormattingPreferencesModule;
class Window;

class VornickSingleHTMLFileFormattingPreferencesSheetController {
public:
    VornickSingleHTMLFileFormattingPreferencesSheetController();
    ~VornickSingleHTMLFileFormattingPreferencesSheetController();

    // Makes the set the module's, refreshes the preview and shows the sheet
    // on the window (nothing while the window has another sheet).
    void showForHTMLFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences>, const std::shared_ptr<Window>& documentWindow);
    // Ends the sheet: the sheet window is ordered out.
    void performClose();

    const std::shared_ptr<Window>& sheetWindow() const { return m_sheetWindow; }
    const std::shared_ptr<Button>& doneButton() const { return m_doneButton; }
    VornickHTMLFormattingPreferencesModule& formattingPreferencesModule() const { return *m_module; }

private:
    std::unique_ptr<VornickHTMLFormattingPreferencesModule> m_module;
    std::shared_ptr<Window> m_sheetWindow;
    std::shared_ptr<Button> m_doneButton;
    std::weak_ptr<Window> m_documentWindow;
};

} // namespace brevanton
