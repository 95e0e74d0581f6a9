// VornickSyncStepStatusTableCellView: one row of the sync status outline
// (and the session's own line above it): the state's image, the title, the
// status message and a progress bar that is indeterminate and animating
// exactly while the node is Active with no progress yet.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/View.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class TextField;
class VornickProgressIndicator;
class VornickSyncStepContainer;

class VornickSyncStepStatusTableCellView : public View {
public:
    static constexpr double RowHeight = 38;

    // With its image, text fields and progress bar.
    static std::shared_ptr<VornickSyncStepStatusTableCellView> create(Rect frame = Rect(0, 0, 400, RowHeight));
    explicit VornickSyncStepStatusTableCellView(Rect frame);
    bool isFlipped() const override { return true; }

    // The image name the shared state transformer gives the state.
    static std::u16string statusImageForState(const Value& state);

    const std::shared_ptr<VornickSyncStepContainer>& objectValue() const { return m_objectValue; }
    // Then shows the node's values.
    void setObjectValue(std::shared_ptr<VornickSyncStepContainer>);
    void updateFromStepPropreties();
    // From the user info "state", "title", "statusMessage" and "progress"
    // (the bar changes only when "progress" is a number).
    void updateFromNotification(const Notification&);

    const std::u16string& statusImageName() const { return m_statusImageName; }
    const std::shared_ptr<TextField>& textField() const { return m_textField; }
    const std::shared_ptr<TextField>& statusMessageTextField() const { return m_statusMessageTextField; }
    const std::shared_ptr<VornickProgressIndicator>& progressIndicator() const { return m_progressIndicator; }

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    void show(const Value& state, std::u16string title, std::u16string statusMessage, std::optional<double> progress);
    void layOut();

    std::shared_ptr<VornickSyncStepContainer> m_objectValue;
    std::u16string m_statusImageName;
    std::shared_ptr<TextField> m_textField;
    std::shared_ptr<TextField> m_statusMessageTextField;
    std::shared_ptr<VornickProgressIndicator> m_progressIndicator;
};

} // namespace brevanton
