// VornickSavePanelAccessoryViewController: the controller of a view shown in
// a save panel below its file browser (options of the file to write). While
// the panel runs, the controller is given the panel, so that its controls
// can change the panel's name or allowed types.
#pragma once

#include <memory>

namespace brevanton {

class SavePanel;
class View;

class VornickSavePanelAccessoryViewController {
public:
    virtual ~VornickSavePanelAccessoryViewController() = default;

    const std::shared_ptr<View>& view() const { return m_view; }
    void setView(std::shared_ptr<View> view) { m_view = std::move(view); }
    const std::shared_ptr<SavePanel>& savePanel() const { return m_savePanel; }
    virtual void setSavePanel(std::shared_ptr<SavePanel> panel) { m_savePanel = std::move(panel); }

private:
    std::shared_ptr<View> m_view;
    std::shared_ptr<SavePanel> m_savePanel;
};

} // namespace brevanton
