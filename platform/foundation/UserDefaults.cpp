#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace brevanton {

namespace {

bool holdsNull(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null:
        return true;
    case Value::Type::Array:
        for (auto& element : value.array()) {
            if (holdsNull(element))
                return true;
        }
        return false;
    case Value::Type::Dictionary:
        for (auto& [key, element] : value.dictionary()) {
            if (holdsNull(element))
                return true;
        }
        return false;
    default:
        return false;
    }
}

std::u16string numberText(const Value& value)
{
    if (value.isInteger() || value.isBoolean())
        return toUTF16(std::to_string(value.integerValue()));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value.doubleValue());
    // Prefer the shortest text that reads back as the same number.
    for (int precision = 1; precision <= 17; ++precision) {
        char shorter[32];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, value.doubleValue());
        if (std::strtod(shorter, nullptr) == value.doubleValue())
            return toUTF16(shorter);
    }
    return toUTF16(buffer);
}

} // namespace

struct UserDefaults::Private {
    std::string filePath;
    mutable std::mutex mutex;
    Dictionary values;     // set by the user, saved
    Dictionary registered; // registered defaults, never saved
    std::optional<Error> lastWriteError;
    // The file was there but could not be read: it is kept aside before the
    // first save replaces it, so that settings we failed to read are not lost.
    bool keepUnreadableFile { false };

    // Under the lock.
    bool save(Error* outError)
    {
        Error error;
        auto bytes = writePropertyList(Value(values), PropertyListFormat::XML, &error);
        bool written = false;
        if (bytes) {
            std::string folder = parentDirectory(filePath);
            if (keepUnreadableFile) {
                std::string keptPath = filePath + ".unreadable";
                if (::rename(filePath.c_str(), keptPath.c_str()) < 0 && errno != ENOENT) {
                    lastWriteError = Error::posix(errno, u"Could not keep the unreadable settings file aside");
                    return setError(outError, *lastWriteError);
                }
                keepUnreadableFile = false;
            }
            written = createDirectory(folder, true, &error, 0700)
                && writeFileAtomically(filePath, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                                       &error, 0600);
        }
        if (written) {
            lastWriteError.reset();
            return true;
        }
        lastWriteError = error;
        return setError(outError, error);
    }

    void load()
    {
        if (!fileExists(filePath))
            return;
        auto contents = readFile(filePath, nullptr, FileReadKind::Defaults);
        if (!contents) {
            keepUnreadableFile = true;
            return;
        }
        auto plist = readPropertyList(std::string_view(*contents), nullptr);
        if (plist && plist->isDictionary())
            values = plist->dictionary();
        else
            keepUnreadableFile = true;
    }
};

UserDefaults& UserDefaults::standard()
{
    // Never destroyed: settings may be read from static destructors and late threads.
    static UserDefaults* defaults = new UserDefaults(defaultFilePath());
    return *defaults;
}

std::string UserDefaults::defaultFilePath()
{
    return xdgFolder(XDGFolder::Config) + "/" + ApplicationFolderName + "/UserDefaults.plist";
}

UserDefaults::UserDefaults(std::string filePath)
    : m_private(std::make_unique<Private>())
{
    m_private->filePath = std::move(filePath);
    m_private->load();
}

UserDefaults::~UserDefaults() = default;

const std::string& UserDefaults::filePath() const
{
    return m_private->filePath;
}

void UserDefaults::registerDefaults(const Dictionary& defaults)
{
    std::lock_guard lock(m_private->mutex);
    for (auto& [key, value] : defaults)
        m_private->registered[key] = value;
}

Value UserDefaults::objectForKey(std::u16string_view key) const
{
    std::lock_guard lock(m_private->mutex);
    if (auto it = m_private->values.find(key); it != m_private->values.end())
        return it->second;
    if (auto it = m_private->registered.find(key); it != m_private->registered.end())
        return it->second;
    return Value();
}

std::u16string UserDefaults::stringForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isString())
        return value.string();
    if (value.isInteger() || value.isReal())
        return numberText(value);
    return {};
}

bool UserDefaults::boolForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isNumber())
        return value.boolValue();
    if (value.isString()) {
        std::u16string text = asciiLowercase(value.string());
        if (text == u"yes" || text == u"true" || text == u"y" || text == u"t")
            return true;
        return std::strtoll(toUTF8(text).c_str(), nullptr, 10) != 0;
    }
    return false;
}

int64_t UserDefaults::integerForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isNumber()) {
        if (value.isReal() && !std::isfinite(value.doubleValue()))
            return 0;
        return value.integerValue();
    }
    if (value.isString())
        return std::strtoll(toUTF8(value.string()).c_str(), nullptr, 10);
    return 0;
}

double UserDefaults::doubleForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    if (value.isNumber())
        return value.doubleValue();
    if (value.isString())
        return std::strtod(toUTF8(value.string()).c_str(), nullptr);
    return 0;
}

Array UserDefaults::arrayForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    return value.isArray() ? value.array() : Array();
}

Dictionary UserDefaults::dictionaryForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    return value.isDictionary() ? value.dictionary() : Dictionary();
}

Data UserDefaults::dataForKey(std::u16string_view key) const
{
    Value value = objectForKey(key);
    return value.isData() ? value.data() : Data();
}

void UserDefaults::setObject(const Value& value, std::u16string_view key)
{
    if (value.isNull()) {
        removeObjectForKey(key);
        return;
    }
    BREVANTON_ASSERT(!holdsNull(value),
                     "Attempt to set a non-property-list value for the user defaults key " + toUTF8(key));
    {
        std::lock_guard lock(m_private->mutex);
        m_private->values[std::u16string(key)] = value;
        m_private->save(nullptr);
    }
    NotificationCenter::defaultCenter().post(DidChangeNotification, this);
}

void UserDefaults::removeObjectForKey(std::u16string_view key)
{
    {
        std::lock_guard lock(m_private->mutex);
        auto it = m_private->values.find(key);
        if (it == m_private->values.end())
            return;
        m_private->values.erase(it);
        m_private->save(nullptr);
    }
    NotificationCenter::defaultCenter().post(DidChangeNotification, this);
}

Dictionary UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(m_private->mutex);
    Dictionary merged = m_private->registered;
    for (auto& [key, value] : m_private->values)
        merged[key] = value;
    return merged;
}

bool UserDefaults::synchronize(Error* outError)
{
    std::lock_guard lock(m_private->mutex);
    return m_private->save(outError);
}

std::optional<Error> UserDefaults::lastWriteError() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->lastWriteError;
}

} // namespace brevanton
