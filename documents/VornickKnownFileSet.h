// VornickKnownFileSet: a list of enduring file references kept in the user
// defaults under one key (an array of their property lists), such as the
// known blogs and the known snippet set files. References are told apart by
// the normalized path of their file. Thread-safe; every change posts
// FileReferencesDidChangeNotification with the set as object.
#pragma once

#include "platform/foundation/URL.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace brevanton {

class UserDefaults;
class VornickApplicationEnvironment;
class VornickEnduringFileReference;

class VornickKnownFileSet {
public:
    static constexpr const char* FileReferencesDidChangeNotification = "VornickKnownFileSetFileReferencesDidChangeNotification";

    // The set stored in `defaults` (which must outlive it) under
    // `userDefaultsKey`, read now; entries that name no local file, and
    // repeated ones, are dropped.
    VornickKnownFileSet(UserDefaults& defaults, std::u16string userDefaultsKey);
    VornickKnownFileSet(const VornickKnownFileSet&) = delete;
    VornickKnownFileSet& operator=(const VornickKnownFileSet&) = delete;

    const std::u16string& userDefaultsKey() const { return m_key; }

    // In the order they were registered.
    std::vector<std::shared_ptr<VornickEnduringFileReference>> fileReferences() const;
    // The reference to the file at `url`, or null.
    std::shared_ptr<VornickEnduringFileReference> fileReferenceForURL(const URL& url) const;
    // Adds the reference (in place of one to the same file) and writes the set.
    void registerFileReference(std::shared_ptr<VornickEnduringFileReference>);
    // Removes the reference to the file at `url`, if any, and writes the set.
    void unregisterFileReferenceForURL(const URL& url);
    void writeToUserDefaults();

    // The key a file is known by: its standardized absolute path.
    static std::string normalizedKeyForURL(const URL&);

private:
    UserDefaults& m_defaults;
    std::u16string m_key;
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<VornickEnduringFileReference>> m_references;
};

// The application's known blog files (user default "knownBlogs"), known
// snippet set files ("knownFragmentSets") and known style sheet files
// ("knownStyleSheets"), one set each per environment, read from its user
// defaults on first use.
std::shared_ptr<VornickKnownFileSet> vornick_knownBlogs(const std::shared_ptr<VornickApplicationEnvironment>&);
std::shared_ptr<VornickKnownFileSet> vornick_knownFragmentSetFiles(const std::shared_ptr<VornickApplicationEnvironment>&);
std::shared_ptr<VornickKnownFileSet> vornick_knownStyleSheetFiles(const std::shared_ptr<VornickApplicationEnvironment>&);

} // namespace brevanton
