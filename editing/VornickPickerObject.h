// VornickPickerObject: what an item of an object picker stands for: nothing
// (the "none" choice of every picker), a style sheet, a snippet set file
// reference, or formatting preferences, which may be the marker that a
// document has none of its own. Style sheets are equal when they are the
// same file, file references when they name the same file, preferences when
// they are the same object.
#pragma once

#include <memory>
#include <variant>

namespace brevanton {

class VornickEnduringFileReference;
class VornickHTMLFormattingPreferences;
class VornickStyleSheet;

class VornickPickerObject {
public:
    // The document keeps no formatting preferences of its own.
    struct NoFormattingPreferences {
        friend bool operator==(NoFormattingPreferences, NoFormattingPreferences) { return true; }
    };

    VornickPickerObject() = default;
    VornickPickerObject(std::shared_ptr<VornickStyleSheet>);
    VornickPickerObject(std::shared_ptr<VornickEnduringFileReference>);
    VornickPickerObject(std::shared_ptr<VornickHTMLFormattingPreferences>);
    VornickPickerObject(NoFormattingPreferences) : m_object(NoFormattingPreferences {}) {}

    bool isNone() const { return std::holds_alternative<std::monostate>(m_object); }
    std::shared_ptr<VornickStyleSheet> styleSheet() const;
    std::shared_ptr<VornickEnduringFileReference> fileReference() const;
    std::shared_ptr<VornickHTMLFormattingPreferences> formattingPreferences() const;
    bool isNoFormattingPreferences() const { return std::holds_alternative<NoFormattingPreferences>(m_object); }

    friend bool operator==(const VornickPickerObject&, const VornickPickerObject&);

private:
    std::variant<std::monostate, std::shared_ptr<VornickStyleSheet>, std::shared_ptr<VornickEnduringFileReference>,
                 std::shared_ptr<VornickHTMLFormattingPreferences>, NoFormattingPreferences>
        m_object;
};

} // namespace brevanton
