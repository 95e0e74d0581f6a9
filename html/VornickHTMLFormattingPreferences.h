// VornickHTMLFormattingPreferences: the layout rules of the HTML writer: two
// widths (spaces per indent and per tab) and sixteen on/off rules. Fourteen
// rules and both widths are saved, as a property list of sixteen keys and as
// a compact per-document string such as "4,4" or "2,4-t" (the letters name
// the rules that are off). putCommentsOnNewLine and
// dontEscapeGreaterThanCharacter are set only in code.
//
// The shared sets (the initial defaults, the user's default set) are never
// changed by a document: a document's own set is a copy
// (preferencesByApplyingStringRepresentation). Copies are plain values; a
// set installed in a frame is shared, since the frame and the preferences
// interface edit the same one.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class UserDefaults;

// Error code of a property list that is not a dictionary.
inline constexpr int64_t VornickHTMLFormattingPreferencesNotADictionaryError = 3;
// Posted by a formatting preferences editor after each real change of the
// set it edits; the object is that set.
inline constexpr const char* VornickHTMLFormattingPreferencesWereEditedNotification = "VornickHTMLFormattingPreferencesWereEditedNotification";
// The user defaults key of the user's default set.
inline constexpr const char16_t* VornickHTMLFormattingPreferencesDefaultsKey = u"HTMLFormattingPreferences";

class VornickHTMLFormattingPreferences {
public:
    VornickHTMLFormattingPreferences() = default;
    VornickHTMLFormattingPreferences(const VornickHTMLFormattingPreferences&) = default;
    VornickHTMLFormattingPreferences& operator=(const VornickHTMLFormattingPreferences&) = default;
    virtual ~VornickHTMLFormattingPreferences() = default;

    // One shared set of the built-in defaults; it cannot be changed.
    static std::shared_ptr<const VornickHTMLFormattingPreferences> initialDefaultHTMLFormattingPreferences();

    // None when the string does not parse.
    static std::optional<VornickHTMLFormattingPreferences> createWithStringRepresentation(std::u16string_view);
    // None with error 3 when the value is not a dictionary.
    [[nodiscard]] static std::optional<VornickHTMLFormattingPreferences> createWithPropertyList(const Value&, Error* outError);

    // A new set: a copy of `base` with the compact string applied; none when
    // the string does not parse. `base` is left as it is.
    static std::optional<VornickHTMLFormattingPreferences> preferencesByApplyingStringRepresentation(
        const VornickHTMLFormattingPreferences& base, std::u16string_view);

    // The compact form. Parsing answers false for a string that does not
    // parse; the fields parsed before the fault keep their new values.
    [[nodiscard]] bool setPropertiesFromStringRepresentation(std::u16string_view);
    std::u16string stringRepresentation() const;

    // The sixteen saved keys.
    Dictionary propertyList() const;
    // A plain set made through the property list: the two code-only rules are off.
    VornickHTMLFormattingPreferences mutableCopy() const;

    // Brings both widths into 1 to 10.
    void clampValues();

    bool indentBlockElements() const { return m_indentBlockElements; }
    bool dontIndentHeadOrBody() const { return m_dontIndentHeadOrBody; }
    unsigned spacesPerIndent() const { return m_spacesPerIndent; }
    unsigned spacesPerTab() const { return m_spacesPerTab; }
    bool useTabs() const { return m_useTabs; }
    bool putBlockElementTagsOnNewLine() const { return m_putBlockElementTagsOnNewLine; }
    bool closeEmptyElementsWithASlash() const { return m_closeEmptyElementsWithASlash; }
    bool insertSpaceBeforeEmptyElementSlash() const { return m_insertSpaceBeforeEmptyElementSlash; }
    bool insertBlankLineBeforeAndAfterHeadings() const { return m_insertBlankLineBeforeAndAfterHeadings; }
    bool encloseAttributeValuesInDoubleQuotes() const { return m_encloseAttributeValuesInDoubleQuotes; }
    bool useLowercaseTagNames() const { return m_useLowercaseTagNames; }
    bool newLineAfterBR() const { return m_newLineAfterBR; }
    bool indentAfterBR() const { return m_indentAfterBR; }
    bool useNativeSpecialCharacters() const { return m_useNativeSpecialCharacters; }
    bool useNamedCharacterReferences() const { return m_useNamedCharacterReferences; }
    bool useDecimalCharacterReferences() const { return m_useDecimalCharacterReferences; }
    bool putCommentsOnNewLine() const { return m_putCommentsOnNewLine; }
    bool dontEscapeGreaterThanCharacter() const { return m_dontEscapeGreaterThanCharacter; }

    // The setters do not clamp.
    virtual void setIndentBlockElements(bool value) { m_indentBlockElements = value; }
    virtual void setDontIndentHeadOrBody(bool value) { m_dontIndentHeadOrBody = value; }
    virtual void setSpacesPerIndent(unsigned value) { m_spacesPerIndent = value; }
    virtual void setSpacesPerTab(unsigned value) { m_spacesPerTab = value; }
    virtual void setUseTabs(bool value) { m_useTabs = value; }
    virtual void setPutBlockElementTagsOnNewLine(bool value) { m_putBlockElementTagsOnNewLine = value; }
    virtual void setCloseEmptyElementsWithASlash(bool value) { m_closeEmptyElementsWithASlash = value; }
    virtual void setInsertSpaceBeforeEmptyElementSlash(bool value) { m_insertSpaceBeforeEmptyElementSlash = value; }
    virtual void setInsertBlankLineBeforeAndAfterHeadings(bool value) { m_insertBlankLineBeforeAndAfterHeadings = value; }
    virtual void setEncloseAttributeValuesInDoubleQuotes(bool value) { m_encloseAttributeValuesInDoubleQuotes = value; }
    virtual void setUseLowercaseTagNames(bool value) { m_useLowercaseTagNames = value; }
    virtual void setNewLineAfterBR(bool value) { m_newLineAfterBR = value; }
    virtual void setIndentAfterBR(bool value) { m_indentAfterBR = value; }
    virtual void setUseNativeSpecialCharacters(bool value) { m_useNativeSpecialCharacters = value; }
    virtual void setUseNamedCharacterReferences(bool value) { m_useNamedCharacterReferences = value; }
    virtual void setUseDecimalCharacterReferences(bool value) { m_useDecimalCharacterReferences = value; }
    void setPutCommentsOnNewLine(bool value) { m_putCommentsOnNewLine = value; }
    void setDontEscapeGreaterThanCharacter(bool value) { m_dontEscapeGreaterThanCharacter = value; }

    // The fourteen saved rules and the widths are equal.
    bool hasSameSavedValuesAs(const VornickHTMLFormattingPreferences&) const;

protected:
    // Sets every saved field from a dictionary without the virtual setters.
    void readPropertyList(const Dictionary&);

private:
    bool m_indentBlockElements { true };
    bool m_dontIndentHeadOrBody { true };
    unsigned m_spacesPerIndent { 4 };
    unsigned m_spacesPerTab { 4 };
    bool m_useTabs { true };
    bool m_putBlockElementTagsOnNewLine { true };
    bool m_closeEmptyElementsWithASlash { true };
    bool m_insertSpaceBeforeEmptyElementSlash { true };
    bool m_insertBlankLineBeforeAndAfterHeadings { true };
    bool m_encloseAttributeValuesInDoubleQuotes { true };
    bool m_useLowercaseTagNames { true };
    bool m_newLineAfterBR { true };
    bool m_indentAfterBR { true };
    bool m_useNativeSpecialCharacters { true };
    bool m_useNamedCharacterReferences { true };
    bool m_useDecimalCharacterReferences { true };
    bool m_putCommentsOnNewLine { false };
    bool m_dontEscapeGreaterThanCharacter { false };
};

// The user's default set: every change of a saved rule or width writes the
// set back to the user defaults. A set made by the factories follows its
// defaults too: when they change (another process wrote its own change of
// the key), the set takes the stored values on the main thread and, when its
// string form changed, posts VornickHTMLFormattingPreferencesWereEditedNotification
// as an editor would, so that documents written with it regenerate.
class VornickUsersDefaultHTMLFormattingPreferences final : public VornickHTMLFormattingPreferences {
public:
    // The shared set, read from the standard user defaults on first use.
    // Null (logged) when the defaults hold no dictionary under the key; the
    // next call tries again.
    static std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences> usersDefaultHTMLFormattingPreferences();
    // A set kept in `defaults`; null (logged) when they hold no dictionary.
    static std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences> usersDefaultHTMLFormattingPreferencesInDefaults(
        UserDefaults&);
    // Registers the initial defaults' property list under the key.
    static void registerInitialDefaults(UserDefaults&);

    explicit VornickUsersDefaultHTMLFormattingPreferences(UserDefaults&);

    void writeToUserDefaults();
    // Reads the stored set when it differs from this one; true (posted) when
    // the string form changed.
    bool takeChangesFromUserDefaults();

    void setIndentBlockElements(bool) override;
    void setDontIndentHeadOrBody(bool) override;
    void setSpacesPerIndent(unsigned) override;
    void setSpacesPerTab(unsigned) override;
    void setUseTabs(bool) override;
    void setPutBlockElementTagsOnNewLine(bool) override;
    void setCloseEmptyElementsWithASlash(bool) override;
    void setInsertSpaceBeforeEmptyElementSlash(bool) override;
    void setInsertBlankLineBeforeAndAfterHeadings(bool) override;
    void setEncloseAttributeValuesInDoubleQuotes(bool) override;
    void setUseLowercaseTagNames(bool) override;
    void setNewLineAfterBR(bool) override;
    void setIndentAfterBR(bool) override;
    void setUseNativeSpecialCharacters(bool) override;
    void setUseNamedCharacterReferences(bool) override;
    void setUseDecimalCharacterReferences(bool) override;

private:
    void followUserDefaults(const std::shared_ptr<VornickUsersDefaultHTMLFormattingPreferences>&);

    UserDefaults& m_defaults;
    ObserverToken m_defaultsObservation;
};

} // namespace brevanton
