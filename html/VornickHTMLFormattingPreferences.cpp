#include "html/VornickHTMLFormattingPreferences.h"

#include "toolkit/VornickLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <array>
#include <mutex>

namespace brevanton {

namespace {

using Getter = bool (VornickHTMLFormattingPreferences::*)() const;
using Setter = void (VornickHTMLFormattingPreferences::*)(bool);

struct StringFormRule {
    char16_t letter;
    Getter get;
    Setter set;
};

using P = VornickHTMLFormattingPreferences;

// The fourteen rules of the compact string, in the order of their letters.
const std::array<StringFormRule, 14> stringFormRules { {
    { u't', &P::useTabs, &P::setUseTabs },
    { u'i', &P::indentBlockElements, &P::setIndentBlockElements },
    { u'x', &P::dontIndentHeadOrBody, &P::setDontIndentHeadOrBody },
    { u'b', &P::putBlockElementTagsOnNewLine, &P::setPutBlockElementTagsOnNewLine },
    { u'e', &P::closeEmptyElementsWithASlash, &P::setCloseEmptyElementsWithASlash },
    { u's', &P::insertSpaceBeforeEmptyElementSlash, &P::setInsertSpaceBeforeEmptyElementSlash },
    { u'h', &P::insertBlankLineBeforeAndAfterHeadings, &P::setInsertBlankLineBeforeAndAfterHeadings },
    { u'q', &P::encloseAttributeValuesInDoubleQuotes, &P::setEncloseAttributeValuesInDoubleQuotes },
    { u'o', &P::useLowercaseTagNames, &P::setUseLowercaseTagNames },
    { u'r', &P::newLineAfterBR, &P::setNewLineAfterBR },
    { u'a', &P::indentAfterBR, &P::setIndentAfterBR },
    { u'c', &P::useNativeSpecialCharacters, &P::setUseNativeSpecialCharacters },
    { u'n', &P::useNamedCharacterReferences, &P::setUseNamedCharacterReferences },
    { u'd', &P::useDecimalCharacterReferences, &P::setUseDecimalCharacterReferences },
} };

// The thirteen rules of the older "y"/"n" form, in their order (useTabs comes first, separately).
const std::array<Setter, 13> olderFormRules { {
    &P::setIndentBlockElements, &P::setDontIndentHeadOrBody, &P::setPutBlockElementTagsOnNewLine,
    &P::setCloseEmptyElementsWithASlash, &P::setInsertSpaceBeforeEmptyElementSlash,
    &P::setInsertBlankLineBeforeAndAfterHeadings, &P::setEncloseAttributeValuesInDoubleQuotes,
    &P::setUseLowercaseTagNames, &P::setNewLineAfterBR, &P::setIndentAfterBR, &P::setUseNativeSpecialCharacters,
    &P::setUseNamedCharacterReferences, &P::setUseDecimalCharacterReferences,
} };

struct PropertyListRule {
    const char16_t* key;
    Getter get;
};

// The fourteen boolean keys; the widths are added separately.
const std::array<PropertyListRule, 14> propertyListRules { {
    { u"indentBlockElements", &P::indentBlockElements },
    { u"dontIndentHeadOrBody", &P::dontIndentHeadOrBody },
    { u"useTabs", &P::useTabs },
    { u"putBlockElementTagsOnNewLine", &P::putBlockElementTagsOnNewLine },
    { u"closeEmptyElementsWithASlash", &P::closeEmptyElementsWithASlash },
    { u"insertSpaceBeforeEmptyElementSlash", &P::insertSpaceBeforeEmptyElementSlash },
    { u"insertBlankLineBeforeAndAfterHeadings", &P::insertBlankLineBeforeAndAfterHeadings },
    { u"encloseAttributeValuesInDoubleQuotes", &P::encloseAttributeValuesInDoubleQuotes },
    { u"useLowercaseTagNames", &P::useLowercaseTagNames },
    { u"newLineAfterBR", &P::newLineAfterBR },
    { u"indentAfterBR", &P::indentAfterBR },
    { u"useNativeSpecialCharacters", &P::useNativeSpecialCharacters },
    { u"useNamedCharacterReferences", &P::useNamedCharacterReferences },
    { u"useDecimalCharacterReferences", &P::useDecimalCharacterReferences },
} };

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Reads a run of digits at `i`; false when there is none. Saturates instead of overflowing.
bool scanUnsigned(std::u16string_view string, size_t& i, unsigned& value)
{
    if (i >= string.size() || !isDigit(string[i]))
        return false;
    uint64_t result = 0;
    while (i < string.size() && isDigit(string[i])) {
        result = std::min<uint64_t>(result * 10 + (string[i] - u'0'), 0xFFFFFFFFu);
        ++i;
    }
    value = static_cast<unsigned>(result);
    return true;
}

constexpr const char* errorDomain = "com.Orbendalworks.Brevanton.ErrorDomain";

unsigned clamp(unsigned value)
{
    return value < 1 ? 1 : value > 10 ? 10 : value;
}

} // namespace

std::shared_ptr<const VornickHTMLFormattingPreferences> VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()
{
    static const std::shared_ptr<const VornickHTMLFormattingPreferences> defaults
        = std::make_shared<const VornickHTMLFormattingPreferences>();
    return defaults;
}

std::optional<VornickHTMLFormattingPreferences> VornickHTMLFormattingPreferences::createWithStringRepresentation(
    std::u16string_view string)
{
    VornickHTMLFormattingPreferences preferences;
    if (!preferences.setPropertiesFromStringRepresentation(string))
        return std::nullopt;
    return preferences;
}

std::optional<VornickHTMLFormattingPreferences> VornickHTMLFormattingPreferences::preferencesByApplyingStringRepresentation(
    const VornickHTMLFormattingPreferences& base, std::u16string_view string)
{
    // A plain copy, also of a subclass such as the user's default set, so that
    // changing it writes nothing anywhere.
    VornickHTMLFormattingPreferences copy(base);
    if (!copy.setPropertiesFromStringRepresentation(string))
        return std::nullopt;
    return copy;
}

bool VornickHTMLFormattingPreferences::setPropertiesFromStringRepresentation(std::u16string_view string)
{
    size_t i = 0;
    unsigned number = 0;
    if (!scanUnsigned(string, i, number))
        return false;
    setSpacesPerIndent(number);
    if (i >= string.size()) {
        setUseTabs(true);
        return false;
    }
    char16_t form = string[i++];
    if (form == u',') {
        if (!scanUnsigned(string, i, number))
            return false;
        setSpacesPerTab(number);
        if (i < string.size() && string[i] == u'-') {
            ++i;
            for (auto& rule : stringFormRules)
                (this->*rule.set)(true);
            for (; i < string.size(); ++i) {
                for (auto& rule : stringFormRules) {
                    if (rule.letter == string[i]) {
                        (this->*rule.set)(false);
                        break;
                    }
                }
            }
        }
        clampValues();
        return true;
    }
    if (form == u'y' || form == u'n') {
        setUseTabs(form == u'y');
        if (!scanUnsigned(string, i, number))
            return false;
        setSpacesPerTab(number);
        for (auto setter : olderFormRules) {
            if (i >= string.size()) {
                (this->*setter)(true);
                return false;
            }
            char16_t c = string[i++];
            if (c != u'y' && c != u'n')
                return false;
            (this->*setter)(c == u'y');
        }
        clampValues();
        return true;
    }
    return false;
}

std::u16string VornickHTMLFormattingPreferences::stringRepresentation() const
{
    std::u16string result = toUTF16(std::to_string(m_spacesPerIndent)) + u"," + toUTF16(std::to_string(m_spacesPerTab));
    std::u16string off;
    for (auto& rule : stringFormRules) {
        if (!(this->*rule.get)())
            off += rule.letter;
    }
    if (!off.empty())
        result += u"-" + off;
    return result;
}

Dictionary VornickHTMLFormattingPreferences::propertyList() const
{
    Dictionary dictionary;
    for (auto& rule : propertyListRules)
        dictionary[rule.key] = Value((this->*rule.get)());
    dictionary[u"spacesPerIndent"] = Value(static_cast<int64_t>(m_spacesPerIndent));
    dictionary[u"spacesPerTab"] = Value(static_cast<int64_t>(m_spacesPerTab));
    return dictionary;
}

void VornickHTMLFormattingPreferences::readPropertyList(const Dictionary& dictionary)
{
    auto boolean = [&](const char16_t* key) {
        auto found = dictionary.find(std::u16string_view(key));
        return found != dictionary.end() && found->second.boolValue();
    };
    auto width = [&](const char16_t* key) -> unsigned {
        auto found = dictionary.find(std::u16string_view(key));
        if (found == dictionary.end())
            return 0;
        int64_t value = found->second.integerValue();
        return value < 0 ? 0 : value > 1000 ? 1000 : static_cast<unsigned>(value);
    };
    m_indentBlockElements = boolean(u"indentBlockElements");
    m_dontIndentHeadOrBody = boolean(u"dontIndentHeadOrBody");
    m_spacesPerIndent = width(u"spacesPerIndent");
    m_spacesPerTab = width(u"spacesPerTab");
    m_useTabs = boolean(u"useTabs");
    m_putBlockElementTagsOnNewLine = boolean(u"putBlockElementTagsOnNewLine");
    m_closeEmptyElementsWithASlash = boolean(u"closeEmptyElementsWithASlash");
    m_insertSpaceBeforeEmptyElementSlash = boolean(u"insertSpaceBeforeEmptyElementSlash");
    m_insertBlankLineBeforeAndAfterHeadings = boolean(u"insertBlankLineBeforeAndAfterHeadings");
    m_encloseAttributeValuesInDoubleQuotes = boolean(u"encloseAttributeValuesInDoubleQuotes");
    m_useLowercaseTagNames = boolean(u"useLowercaseTagNames");
    m_newLineAfterBR = boolean(u"newLineAfterBR");
    m_indentAfterBR = boolean(u"indentAfterBR");
    m_useNativeSpecialCharacters = boolean(u"useNativeSpecialCharacters");
    m_useNamedCharacterReferences = boolean(u"useNamedCharacterReferences");
    m_useDecimalCharacterReferences = boolean(u"useDecimalCharacterReferences");
    m_spacesPerIndent = clamp(m_spacesPerIndent);
    m_spacesPerTab = clamp(m_spacesPerTab);
}

std::optional<VornickHTMLFormattingPreferences> VornickHTMLFormattingPreferences::createWithPropertyList(const Value& value,
                                                                                                     Error* outError)
{
    if (!value.isDictionary()) {
        setError(outError, Error(errorDomain, VornickHTMLFormattingPreferencesNotADictionaryError));
        return std::nullopt;
    }
    VornickHTMLFormattingPreferences preferences;
    preferences.readPropertyList(value.dictionary());
    return preferences;
}

VornickHTMLFormattingPreferences VornickHTMLFormattingPreferences::mutableCopy() const
{
    VornickHTMLFormattingPreferences copy;
    copy.readPropertyList(propertyList());
    return copy;
}

void VornickHTMLFormattingPreferences::clampValues()
{
    m_spacesPerIndent = clamp(m_spacesPerIndent);
    m_spacesPerTab = clamp(m_spacesPerTab);
}

bool VornickHTMLFormattingPreferences::hasSameSavedValuesAs(const VornickHTMLFormattingPreferences& other) const
{
    return propertyList() == other.propertyList();
}

// --- The user's default set

VornickUsersDefaultHTMLFormattingPreferences::VornickUsersDefaultHTMLFormattingPreferences(UserDefaults& defaults)
    : m_defaults(defaults)
{
}

void VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults& defaults)
{
    Dictionary registered;
    registered[VornickHTMLFormattingPreferencesDefaultsKey] = Value(initialDefaultHTMLFormattingPreferences()->propertyList());
    defaults.registerDefaults(registered);
}

std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences>
VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(UserDefaults& defaults)
{
    Value value = defaults.objectForKey(VornickHTMLFormattingPreferencesDefaultsKey);
    if (!value.isDictionary()) {
        VornickGeneralLog(u"Failed to get user's HTMLFormattingPreferences. Maybe initial defaults weren't registered soon enough?");
        return nullptr;
    }
    auto preferences = std::make_shared<VornickUsersDefaultHTMLFormattingPreferences>(defaults);
    preferences->readPropertyList(value.dictionary());
    preferences->followUserDefaults(preferences);
    return preferences;
}

std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences>
VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences()
{
    static std::mutex mutex;
    static std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences> shared;
    std::lock_guard lock(mutex);
    if (!shared)
        shared = usersDefaultHTMLFormattingPreferencesInDefaults(UserDefaults::standard());
    return shared;
}

void VornickUsersDefaultHTMLFormattingPreferences::writeToUserDefaults()
{
    m_defaults.setObject(Value(propertyList()), VornickHTMLFormattingPreferencesDefaultsKey);
}

void VornickUsersDefaultHTMLFormattingPreferences::followUserDefaults(
    const std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences>& self)
{
    std::weak_ptr<VornickUsersDefaultHTMLFormattingPreferences> weak = self;
    m_defaultsObservation = NotificationCenter::defaultCenter().addObserver(
        UserDefaults::DidChangeNotification, &m_defaults, nullptr, [weak](const Notification&) {
            // Changes are posted on the thread that made them; documents are
            // told on the main thread.
            RunLoop::main().perform([weak] {
                if (auto preferences = weak.lock())
                    static_cast<void>(preferences->takeChangesFromUserDefaults());
            });
        });
}

bool VornickUsersDefaultHTMLFormattingPreferences::takeChangesFromUserDefaults()
{
    Value value = m_defaults.objectForKey(VornickHTMLFormattingPreferencesDefaultsKey);
    auto stored = createWithPropertyList(value, nullptr);
    if (!stored || stored->hasSameSavedValuesAs(*this))
        return false;
    std::u16string before = stringRepresentation();
    readPropertyList(value.dictionary());
    if (stringRepresentation() == before)
        return false;
    NotificationCenter::defaultCenter().post(VornickHTMLFormattingPreferencesWereEditedNotification, this);
    return true;
}

#define BREVANTON_WRITING_SETTER(Name, Type)                                  \
    void VornickUsersDefaultHTMLFormattingPreferences::Name(Type value)       \
    {                                                                         \
        VornickHTMLFormattingPreferences::Name(value);                        \
        writeToUserDefaults();                                                \
    }

BREVANTON_WRITING_SETTER(setIndentBlockElements, bool)
BREVANTON_WRITING_SETTER(setDontIndentHeadOrBody, bool)
BREVANTON_WRITING_SETTER(setSpacesPerIndent, unsigned)
BREVANTON_WRITING_SETTER(setSpacesPerTab, unsigned)
BREVANTON_WRITING_SETTER(setUseTabs, bool)
BREVANTON_WRITING_SETTER(setPutBlockElementTagsOnNewLine, bool)
BREVANTON_WRITING_SETTER(setCloseEmptyElementsWithASlash, bool)
BREVANTON_WRITING_SETTER(setInsertSpaceBeforeEmptyElementSlash, bool)
BREVANTON_WRITING_SETTER(setInsertBlankLineBeforeAndAfterHeadings, bool)
BREVANTON_WRITING_SETTER(setEncloseAttributeValuesInDoubleQuotes, bool)
BREVANTON_WRITING_SETTER(setUseLowercaseTagNames, bool)
BREVANTON_WRITING_SETTER(setNewLineAfterBR, bool)
BREVANTON_WRITING_SETTER(setIndentAfterBR, bool)
BREVANTON_WRITING_SETTER(setUseNativeSpecialCharacters, bool)
BREVANTON_WRITING_SETTER(setUseNamedCharacterReferences, bool)
BREVANTON_WRITING_SETTER(setUseDecimalCharacterReferences, bool)

#undef BREVANTON_WRITING_SETTER

} // namespace brevanton
