#include "publishing/VornickBlogEditorRestorableState.h"

#include "blog/VornickBlog.h"
#include "documents/VornickProject.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileSystemCalls.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "publishing/VornickPublishedBlogPostListSortingUIController.h"
#include "publishing/VornickWordPressPostListFilters.h"
#include "toolkit/VornickLog.h"

#include <algorithm>
#include <cerrno>

namespace brevanton {

namespace {

constexpr const char16_t* sortKeyKey = u"key";
constexpr const char16_t* sortAscendingKey = u"ascending";

Value distinctStrings(const std::vector<std::u16string>& strings)
{
    Array values;
    for (const auto& string : strings) {
        Value value(string);
        if (std::find(values.begin(), values.end(), value) == values.end())
            values.push_back(std::move(value));
    }
    return Value(std::move(values));
}

// The strings of an array (other elements left out); none for anything but an array.
std::optional<Array> stringsOfArray(const Value* value)
{
    if (!value || !value->isArray())
        return std::nullopt;
    Array strings;
    for (const auto& element : value->array()) {
        if (element.isString())
            strings.push_back(element);
    }
    return strings;
}

bool isListSortKey(const std::u16string& key)
{
    const auto& keys = VornickPublishedBlogPostListSortingUIController::sortKeys;
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

std::optional<std::vector<VornickWebListSortDescriptor>> restoredSortDescriptors(const Value* value)
{
    if (!value || !value->isArray())
        return std::nullopt;
    std::vector<VornickWebListSortDescriptor> descriptors;
    for (const auto& element : value->array()) {
        const Value& key = element[sortKeyKey];
        const Value& ascending = element[sortAscendingKey];
        // A key the list cannot sort by would fail its fetch and empty it.
        if (!key.isString() || !isListSortKey(key.string()) || !ascending.isBoolean())
            continue;
        descriptors.push_back({ key.string(), ascending.boolValue() });
    }
    if (descriptors.empty())
        return std::nullopt;
    return descriptors;
}

std::map<std::string, std::weak_ptr<VornickBlogEditorRestorableState>>& sharedStates()
{
    static std::map<std::string, std::weak_ptr<VornickBlogEditorRestorableState>> states;
    return states;
}

} // namespace

Dictionary VornickBlogEditorRestorableStateDictionary(const VornickWordPressPostListFilters& filters,
                                                      const std::vector<VornickWebListSortDescriptor>& sortDescriptors,
                                                      const std::u16string& searchString, int fieldsToSearch)
{
    Dictionary state;
    if (!sortDescriptors.empty()) {
        Array descriptors;
        for (const auto& descriptor : sortDescriptors)
            descriptors.push_back(Value(Dictionary { { sortKeyKey, Value(descriptor.key) }, { sortAscendingKey, Value(descriptor.ascending) } }));
        state[VornickBlogEditorPostListSortDescriptorsKey] = Value(std::move(descriptors));
    }
    state[VornickBlogEditorPostListSelectedCategoriesKey] = filters.restorableCategoryTitles();
    state[VornickBlogEditorPostListSelectedTagsKey] = filters.restorableTagTitles();
    state[VornickBlogEditorPostListSelectedPostStatusesKey] = filters.restorableStatusIdentifiers();
    state[VornickBlogEditorPostListSelectedPostTypesKey] = distinctStrings(filters.selectedPostTypes);
    state[VornickBlogEditorPostListViewingTrashKey] = Value(filters.viewingTrash);
    state[VornickBlogEditorSearchStringKey] = Value(searchString);
    state[VornickBlogEditorFieldsToSearchKey] = Value(fieldsToSearch);
    return state;
}

VornickBlogEditorRestoredState VornickBlogEditorRestoredStateFromDictionary(const Dictionary& dictionary)
{
    auto find = [&](const char16_t* key) -> const Value* {
        auto found = dictionary.find(key);
        return found == dictionary.end() ? nullptr : &found->second;
    };
    VornickBlogEditorRestoredState state;
    state.sortDescriptors = restoredSortDescriptors(find(VornickBlogEditorPostListSortDescriptorsKey));
    for (auto key : { VornickBlogEditorPostListSelectedCategoriesKey, VornickBlogEditorPostListSelectedTagsKey,
                      VornickBlogEditorPostListSelectedPostStatusesKey }) {
        if (auto strings = stringsOfArray(find(key)))
            state.restoredFilterSettings[key] = Value(std::move(*strings));
    }
    if (auto types = stringsOfArray(find(VornickBlogEditorPostListSelectedPostTypesKey))) {
        state.selectedPostTypes.emplace();
        for (auto& type : *types)
            state.selectedPostTypes->push_back(type.string());
    }
    if (auto trash = find(VornickBlogEditorPostListViewingTrashKey); trash && (trash->isBoolean() || trash->isInteger()))
        state.viewingTrash = trash->boolValue();
    if (auto search = find(VornickBlogEditorSearchStringKey); search && search->isString())
        state.searchString = search->string();
    if (auto fields = find(VornickBlogEditorFieldsToSearchKey); fields && fields->isInteger() && (fields->integerValue() & 3))
        state.fieldsToSearch = static_cast<int>(fields->integerValue() & 3);
    return state;
}

void resolveRestoredFilterSettings(const Dictionary& settings, ManagedObjectContext& context, const std::shared_ptr<ManagedObject>& blog,
                                   VornickWordPressPostListFilters& filters)
{
    auto resolve = [&](const char16_t* stateKey, std::u16string_view entityName, std::u16string_view key,
                       std::vector<std::shared_ptr<ManagedObject>>& selection) {
        auto found = settings.find(stateKey);
        if (found == settings.end())
            return;
        selection = VornickWordPressPostListFilters::resolveRestoredValues(context, blog, entityName, key, found->second);
    };
    resolve(VornickBlogEditorPostListSelectedCategoriesKey, u"BlogCategory", u"title", filters.selectedCategories);
    resolve(VornickBlogEditorPostListSelectedTagsKey, u"BlogTag", u"title", filters.selectedTags);
    resolve(VornickBlogEditorPostListSelectedPostStatusesKey, u"PostStatus", u"identifier", filters.selectedPostStatuses);
}

std::shared_ptr<VornickBlogEditorRestorableState> VornickBlogEditorRestorableState::stateForProject(const VornickProject& project)
{
    std::string indexPath = project.index() ? project.index()->filePath()
                                            : VornickProjectIndex::indexFilePathForProjectIdentifier(project.uniqueIdentifier());
    std::string path = stateFilePathForIndexFilePath(indexPath);
    auto& states = sharedStates();
    std::erase_if(states, [](auto& entry) { return entry.second.expired(); });
    if (auto state = states[path].lock())
        return state;
    auto state = create(path);
    states[path] = state;
    return state;
}

std::string VornickBlogEditorRestorableState::stateFilePathForIndexFilePath(const std::string& indexFilePath)
{
    std::string base = indexFilePath;
    size_t slash = base.rfind('/');
    size_t dot = base.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        base.erase(dot);
    return base + ".RestorableState.plist";
}

std::optional<std::u16string> VornickBlogEditorRestorableState::keyForBlog(const VornickBlog& blog)
{
    auto fileURL = blog.sourceFileURL();
    auto filePath = fileURL ? fileURL->fileSystemPath() : std::nullopt;
    if (!filePath)
        return std::nullopt;
    if (auto project = blog.project()) {
        if (auto rootPath = project->sourceRootURL().fileSystemPath()) {
            std::string root = *rootPath;
            if (!root.empty() && root.back() != '/')
                root += '/';
            if (filePath->size() > root.size() && filePath->starts_with(root))
                return toUTF16(filePath->substr(root.size()));
        }
    }
    std::u16string name = blog.sourceFileName();
    if (name.empty())
        return std::nullopt;
    return name;
}

std::shared_ptr<VornickBlogEditorRestorableState> VornickBlogEditorRestorableState::create(std::string path)
{
    return create(std::move(path), FileSystemCalls::system());
}

std::shared_ptr<VornickBlogEditorRestorableState> VornickBlogEditorRestorableState::create(std::string path, FileSystemCalls& calls)
{
    return std::shared_ptr<VornickBlogEditorRestorableState>(new VornickBlogEditorRestorableState(std::move(path), calls));
}

VornickBlogEditorRestorableState::VornickBlogEditorRestorableState(std::string path, FileSystemCalls& calls)
    : m_filePath(std::move(path))
    , m_calls(calls)
{
}

VornickBlogEditorRestorableState::~VornickBlogEditorRestorableState()
{
    if (hasPendingWrite())
        (void)flush(nullptr); // logged
}

void VornickBlogEditorRestorableState::invalidate(const std::u16string& blogKey, DictionaryProducer producer)
{
    if (blogKey.empty() || !producer)
        return;
    m_producers[blogKey] = std::move(producer);
    if (m_writeTimer)
        return;
    m_writeTimer = Timer::scheduledTimer(writeDelay, false,
                                         Timer::weakBlock<VornickBlogEditorRestorableState>(
                                             weak_from_this(), [](VornickBlogEditorRestorableState& state, Timer&) { state.writeTimerFired(); }));
}

void VornickBlogEditorRestorableState::writeTimerFired()
{
    (void)flush(nullptr); // logged
}

bool VornickBlogEditorRestorableState::flush(Error* outError)
{
    m_writeTimer.invalidate();
    if (!hasPendingWrite())
        return true;
    readFileIfNeeded();
    runProducers();
    if (!m_needsWrite)
        return true;
    Error error;
    if (!writeFile(&error)) {
        VornickGeneralLog("-[VornickBlogEditorRestorableState flush] ** FAILED to write the window state to {}: {}", m_filePath,
                          error.localizedDescription());
        return setError(outError, error);
    }
    m_needsWrite = false;
    return true;
}

void VornickBlogEditorRestorableState::runProducers()
{
    // A producer may invalidate again; take them all first.
    auto producers = std::exchange(m_producers, {});
    for (auto& [key, producer] : producers)
        store(key, producer());
}

void VornickBlogEditorRestorableState::store(const std::u16string& blogKey, std::optional<Dictionary> state)
{
    if (!state)
        return;
    m_blogStates[blogKey] = Value(std::move(*state));
    m_needsWrite = true;
}

bool VornickBlogEditorRestorableState::writeFile(Error* outError)
{
    Error error;
    auto bytes = writePropertyList(Value(m_blogStates), PropertyListFormat::XML, &error);
    if (!bytes)
        return setError(outError, error);
    std::string_view contents(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (!createDirectory(parentDirectory(m_filePath), true, outError))
        return false;
    std::string target;
    auto temporaryPath = writeTemporaryFileBeside(m_filePath, contents, target, outError, 0600, m_calls);
    if (!temporaryPath)
        return false;
    if (m_calls.rename(*temporaryPath, target) < 0) {
        int renameError = errno;
        (void)m_calls.unlink(*temporaryPath);
        return setError(outError, Error::posix(renameError, u"Could not write \u201C" + toUTF16(target) + u"\u201D"));
    }
    syncFolderOf(target, m_calls);
    return true;
}

Dictionary VornickBlogEditorRestorableState::restoredStateForBlog(const std::u16string& blogKey)
{
    readFileIfNeeded();
    auto producer = m_producers.find(blogKey);
    if (producer != m_producers.end()) {
        auto run = std::move(producer->second);
        m_producers.erase(producer);
        store(blogKey, run());
    }
    auto found = m_blogStates.find(blogKey);
    if (found == m_blogStates.end() || !found->second.isDictionary())
        return {};
    return found->second.dictionary();
}

void VornickBlogEditorRestorableState::readFileIfNeeded()
{
    if (m_didRead)
        return;
    m_didRead = true;
    Error error;
    auto contents = readFile(m_filePath, &error);
    if (!contents) {
        if (!error.is(POSIXErrorDomain, ENOENT))
            VornickGeneralLog("-[VornickBlogEditorRestorableState readFile] ** The window state file {} cannot be read ({}); "
                              "windows open without their earlier state",
                              m_filePath, error.localizedDescription());
        return;
    }
    auto states = readPropertyList(*contents, &error);
    if (!states || !states->isDictionary()) {
        VornickGeneralLog("-[VornickBlogEditorRestorableState readFile] ** The window state file {} is damaged ({}); "
                          "windows open without their earlier state",
                          m_filePath, states ? u"not a dictionary" : error.localizedDescription());
        return;
    }
    // States invalidated before the read stay the newer ones.
    for (auto& [key, state] : states->dictionary())
        m_blogStates.try_emplace(key, state);
}

} // namespace brevanton
