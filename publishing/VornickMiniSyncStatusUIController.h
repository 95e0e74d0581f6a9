// VornickMiniSyncStatusUIController: the blog window's one-line sync
// status: the latest message of the running session's steps and the
// session's progress. "Done" and "Waiting to start" never become the latest
// line (the last other message stays). A session that fails ends on "Sync
// failed: " and its failed step's message, which stays until the next
// session shows. It shows the synchronizer's current session from the
// moment it gets the account, not only from the next switch. Interface name
// "BrevantonMiniSyncStatusUI".
//
// VornickMiniSyncStatusContainerView: the opaque view behind it, the
// window's background with a pale line along its top edge.
#pragma once

#include "platform/foundation/Color.h"
#include "publishing/VornickSyncStatusUIController.h"

namespace brevanton {

class TextField;
class VornickProgressIndicator;

class VornickMiniSyncStatusContainerView : public View {
public:
    static Color topLineColor() { return Color::genericGamma22White(0.75, 1.0); }
    using View::View;
    bool isOpaque() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

class VornickMiniSyncStatusUIController : public VornickSyncStatusUIController {
public:
    static constexpr double Height = 40;

    std::u16string interfaceName() const override { return u"BrevantonMiniSyncStatusUI"; }

    void syncStepStatusDidChange(const Notification&) override;
    // Shows a session that failed and has left the queue, by its failure.
    void showEndedFailedSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&);

    const std::shared_ptr<TextField>& latestStatusMessageTextField() const { return m_latestStatusMessageTextField; }
    const std::shared_ptr<VornickProgressIndicator>& sessionProgressIndicator() const { return m_sessionProgressIndicator; }

protected:
    std::shared_ptr<View> loadView() override;
    void displaySyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&) override;

private:
    void showLatestStatusMessage(const std::u16string&);
    void showFailureOfSession(VornickBlogServiceSyncSession&);

    std::shared_ptr<TextField> m_latestStatusMessageTextField;
    std::shared_ptr<VornickProgressIndicator> m_sessionProgressIndicator;
    // The session whose failure the line shows (compared only).
    const VornickBlogServiceSyncSession* m_failedSession { nullptr };
};

} // namespace brevanton
