#include "editing/VornickPickerObject.h"

#include "app/VornickStyleSheet.h"
#include "documents/VornickKnownFileSet.h"
#include "toolkit/VornickEnduringFileReference.h"

namespace brevanton {

VornickPickerObject::VornickPickerObject(std::shared_ptr<VornickStyleSheet> styleSheet)
{
    if (styleSheet)
        m_object = std::move(styleSheet);
}

VornickPickerObject::VornickPickerObject(std::shared_ptr<VornickEnduringFileReference> reference)
{
    if (reference)
        m_object = std::move(reference);
}

VornickPickerObject::VornickPickerObject(std::shared_ptr<VornickHTMLFormattingPreferences> preferences)
{
    if (preferences)
        m_object = std::move(preferences);
}

std::shared_ptr<VornickStyleSheet> VornickPickerObject::styleSheet() const
{
    auto* sheet = std::get_if<std::shared_ptr<VornickStyleSheet>>(&m_object);
    return sheet ? *sheet : nullptr;
}

std::shared_ptr<VornickEnduringFileReference> VornickPickerObject::fileReference() const
{
    auto* reference = std::get_if<std::shared_ptr<VornickEnduringFileReference>>(&m_object);
    return reference ? *reference : nullptr;
}

std::shared_ptr<VornickHTMLFormattingPreferences> VornickPickerObject::formattingPreferences() const
{
    auto* preferences = std::get_if<std::shared_ptr<VornickHTMLFormattingPreferences>>(&m_object);
    return preferences ? *preferences : nullptr;
}

bool operator==(const VornickPickerObject& a, const VornickPickerObject& b)
{
    if (a.m_object.index() != b.m_object.index())
        return false;
    if (auto sheet = a.styleSheet())
        return sheet->isEqual(*b.styleSheet());
    if (auto reference = a.fileReference()) {
        auto key = [](const VornickEnduringFileReference& file) {
            return VornickKnownFileSet::normalizedKeyForURL(URL::fileURLWithPath(file.path(), false));
        };
        return key(*reference) == key(*b.fileReference());
    }
    if (auto preferences = a.formattingPreferences())
        return preferences == b.formattingPreferences();
    return true;
}

} // namespace brevanton
