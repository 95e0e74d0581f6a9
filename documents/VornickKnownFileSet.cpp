#include "documents/VornickKnownFileSet.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickApplicationEnvironment.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <algorithm>
#include <map>

namespace brevanton {

VornickKnownFileSet::VornickKnownFileSet(UserDefaults& defaults, std::u16string userDefaultsKey)
    : m_defaults(defaults)
    , m_key(std::move(userDefaultsKey))
{
    std::vector<std::string> keys;
    for (const auto& propertyList : m_defaults.arrayForKey(m_key)) {
        auto reference = VornickEnduringFileReference::createWithPropertyList(propertyList);
        if (!reference)
            continue;
        std::string key = normalizedKeyForURL(URL::fileURLWithPath(reference->path(), false));
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            continue;
        keys.push_back(key);
        m_references.push_back(std::move(reference));
    }
}

std::string VornickKnownFileSet::normalizedKeyForURL(const URL& url)
{
    auto path = url.absoluteURL().standardized().fileSystemPath();
    if (!path)
        return toUTF8(url.absoluteString());
    while (path->size() > 1 && path->back() == '/')
        path->pop_back();
    return *path;
}

std::vector<std::shared_ptr<VornickEnduringFileReference>> VornickKnownFileSet::fileReferences() const
{
    std::lock_guard lock(m_mutex);
    return m_references;
}

std::shared_ptr<VornickEnduringFileReference> VornickKnownFileSet::fileReferenceForURL(const URL& url) const
{
    std::string key = normalizedKeyForURL(url);
    std::lock_guard lock(m_mutex);
    for (const auto& reference : m_references) {
        if (normalizedKeyForURL(URL::fileURLWithPath(reference->path(), false)) == key)
            return reference;
    }
    return nullptr;
}

void VornickKnownFileSet::registerFileReference(std::shared_ptr<VornickEnduringFileReference> reference)
{
    if (!reference)
        return;
    std::string key = normalizedKeyForURL(URL::fileURLWithPath(reference->path(), false));
    {
        std::lock_guard lock(m_mutex);
        auto same = std::find_if(m_references.begin(), m_references.end(), [&](const auto& known) {
            return normalizedKeyForURL(URL::fileURLWithPath(known->path(), false)) == key;
        });
        if (same != m_references.end())
            *same = std::move(reference);
        else
            m_references.push_back(std::move(reference));
    }
    writeToUserDefaults();
}

void VornickKnownFileSet::unregisterFileReferenceForURL(const URL& url)
{
    std::string key = normalizedKeyForURL(url);
    {
        std::lock_guard lock(m_mutex);
        auto removed = std::erase_if(m_references, [&](const auto& known) {
            return normalizedKeyForURL(URL::fileURLWithPath(known->path(), false)) == key;
        });
        if (!removed)
            return;
    }
    writeToUserDefaults();
}

void VornickKnownFileSet::writeToUserDefaults()
{
    Array propertyLists;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& reference : m_references)
            propertyLists.push_back(Value(reference->propertyListForReferencingProjectFile()));
    }
    m_defaults.setObject(Value(std::move(propertyLists)), m_key);
    NotificationCenter::defaultCenter().post(FileReferencesDidChangeNotification, this);
}

namespace {

struct EnvironmentFileSets {
    std::weak_ptr<VornickApplicationEnvironment> environment;
    std::shared_ptr<VornickKnownFileSet> knownBlogs;
    std::shared_ptr<VornickKnownFileSet> knownFragmentSetFiles;
    std::shared_ptr<VornickKnownFileSet> knownStyleSheetFiles;
};

std::shared_ptr<VornickKnownFileSet> knownFileSet(const std::shared_ptr<VornickApplicationEnvironment>& environment,
                                                  std::shared_ptr<VornickKnownFileSet> EnvironmentFileSets::*member,
                                                  std::u16string_view key)
{
    static std::mutex mutex;
    static std::map<const VornickApplicationEnvironment*, EnvironmentFileSets> sets;
    std::lock_guard lock(mutex);
    std::erase_if(sets, [](const auto& entry) { return entry.second.environment.expired(); });
    auto& entry = sets[environment.get()];
    entry.environment = environment;
    if (!(entry.*member))
        entry.*member = std::make_shared<VornickKnownFileSet>(environment->userDefaults(), std::u16string(key));
    return entry.*member;
}

} // namespace

std::shared_ptr<VornickKnownFileSet> vornick_knownBlogs(const std::shared_ptr<VornickApplicationEnvironment>& environment)
{
    return knownFileSet(environment, &EnvironmentFileSets::knownBlogs, u"knownBlogs");
}

std::shared_ptr<VornickKnownFileSet> vornick_knownFragmentSetFiles(const std::shared_ptr<VornickApplicationEnvironment>& environment)
{
    return knownFileSet(environment, &EnvironmentFileSets::knownFragmentSetFiles, u"knownFragmentSets");
}

std::shared_ptr<VornickKnownFileSet> vornick_knownStyleSheetFiles(const std::shared_ptr<VornickApplicationEnvironment>& environment)
{
    return knownFileSet(environment, &EnvironmentFileSets::knownStyleSheetFiles, u"knownStyleSheets");
}

} // namespace brevanton
