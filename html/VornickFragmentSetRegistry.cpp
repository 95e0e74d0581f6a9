// The registry of snippet sets read from files: one object per file (by its
// canonical path) for as long as anyone holds it.
#include "html/VornickFragmentSet.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickErrors.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>

namespace brevanton {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<VornickFragmentSet>> setsByPath;
};

Registry& registry()
{
    // Never destroyed: sets may be released after static destruction began.
    static Registry* shared = new Registry;
    return *shared;
}

} // namespace

std::shared_ptr<VornickFragmentSet> VornickFragmentSet::fragmentSetWithContentsOfURL(const URL& url, Error* outError)
{
    auto path = url.fileSystemPath();
    if (!path) {
        setError(outError, Error(VornickErrorDomain, VornickSnippetSetNotReadableError,
                                 u"A snippet set can only be read from a local file, not from " + url.absoluteString() + u"."));
        return nullptr;
    }
    std::error_code failure;
    auto canonical = std::filesystem::canonical(*path, failure);
    if (failure) {
        Error error = Error::posix(failure.value(), toUTF16(*path));
        error.userInfo()[Error::FilePathKey] = Value(toUTF16(*path));
        setError(outError, std::move(error));
        return nullptr;
    }
    std::string key = canonical.string();

    auto& shared = registry();
    // One reader at a time, so two readers of one file never make two sets.
    std::lock_guard lock(shared.mutex);
    if (auto found = shared.setsByPath.find(key); found != shared.setsByPath.end()) {
        if (auto set = found->second.lock())
            return set;
    }

    VornickDocumentFile file(key);
    auto contents = file.read(outError, FileReadKind::SnippetSet);
    if (!contents)
        return nullptr;
    auto set = readFromJSONData(*contents, url.lastPathComponent(), outError);
    if (!set) {
        if (outError)
            outError->userInfo()[Error::FilePathKey] = Value(toUTF16(key));
        return nullptr;
    }
    set->m_fileReference = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(key));

    std::erase_if(shared.setsByPath, [](const auto& entry) { return entry.second.expired(); });
    shared.setsByPath[key] = set;
    return set;
}

std::shared_ptr<VornickFragmentSet> VornickFragmentSet::fragmentSetFromEnduringFileReference(VornickEnduringFileReference& reference,
                                                                                              Error* outError)
{
    if (!reference.beginUsing(outError))
        return nullptr;
    std::shared_ptr<VornickFragmentSet> set;
    URL url = URL::fileURLWithPath(std::string_view("/"));
    if (reference.getFileURL(&url, outError))
        set = fragmentSetWithContentsOfURL(url, outError);
    reference.finishedUsing();
    return set;
}

std::shared_ptr<VornickFragmentSet> VornickFragmentSet::fragmentSetNamed(std::u16string_view name, Error* outError)
{
    auto url = Bundle::main().URLForResource(name, VornickFragmentSetFileExtension, u"SnippetSets");
    if (!url) {
        setError(outError, Error::posix(ENOENT, u"No snippet set named \u201C" + std::u16string(name) + u"\u201D is shipped with the application."));
        return nullptr;
    }
    return fragmentSetWithContentsOfURL(*url, outError);
}

} // namespace brevanton
