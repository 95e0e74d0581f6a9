// VornickSyncLogWindowController: the log window of one account's sync log
// (the last few sync sessions), titled "Sync Log", with its own description
// and e-mail to support.
#pragma once

#include "ui/VornickLogWindowController.h"

namespace brevanton {

class VornickSyncLogWindowController final : public VornickLogWindowController {
public:
    static std::shared_ptr<VornickSyncLogWindowController> create();

    std::u16string emailSubject() const override;
    std::u16string emailBodyHeader() const override;
    std::u16string attachedLogFileName() const override;

protected:
    void windowDidLoad() override;

private:
    VornickSyncLogWindowController() = default;
};

} // namespace brevanton
