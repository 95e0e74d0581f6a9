// VornickActiveEnduringFileReference: an enduring file reference to a folder
// paired with a file tree watcher on it, so that the application's list of
// known files follows the changes inside a folder the user granted access to.
#pragma once

#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickFileTreeWatcher.h"

#include <memory>
#include <mutex>

namespace brevanton {

class VornickActiveEnduringFileReference : public VornickFileTreeWatcherDelegate {
public:
    static std::shared_ptr<VornickActiveEnduringFileReference>
    activeEnduringFileReference(std::shared_ptr<VornickEnduringFileReference>);
    explicit VornickActiveEnduringFileReference(std::shared_ptr<VornickEnduringFileReference>);
    // Clears the watcher's delegate.
    ~VornickActiveEnduringFileReference() override;

    std::shared_ptr<VornickEnduringFileReference> enduringFileReference() const;
    void setEnduringFileReference(std::shared_ptr<VornickEnduringFileReference>);
    std::shared_ptr<VornickFileTreeWatcher> fileTreeWatcher() const;
    void setFileTreeWatcher(std::shared_ptr<VornickFileTreeWatcher>);

    // When there is no file tree watcher yet and the reference resolves to a
    // folder, makes one, starts it and has it scan the tree; its event
    // batches go to the application delegate. Answers whether a file tree
    // watcher exists now.
    [[nodiscard]] bool startWatchingAndScanningTheFileTree();

    std::u16string description() const;

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<VornickEnduringFileReference> m_enduringFileReference;
    std::shared_ptr<VornickFileTreeWatcher> m_fileTreeWatcher;
};

} // namespace brevanton
