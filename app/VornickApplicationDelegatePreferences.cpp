// The application delegate's side of the preferences: the defaults the
// preference panes set through it and what each change does at once.
#include "app/VornickApplicationDelegate.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationIcons.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickPreferencesController.h"
#include "app/VornickStyleSheet.h"
#include "app/VornickUserStyleSheet.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Image.h"

namespace brevanton {

std::shared_ptr<VornickStyleSheet> VornickApplicationDelegate::defaultStyleSheet() const
{
    std::u16string stored = m_userDefaults.stringForKey(VornickDefaultStyleSheetDefaultsKey);
    if (stored.empty())
        return nullptr;
    if (stored.front() == u'/')
        return VornickUserStyleSheet::create(URL::fileURLWithPath(toUTF8(stored)));
    return bundledStyleSheetWithTitle(stored);
}

void VornickApplicationDelegate::setDefaultStyleSheet(const std::shared_ptr<VornickStyleSheet>& sheet)
{
    if (!sheet) {
        m_userDefaults.removeObjectForKey(VornickDefaultStyleSheetDefaultsKey);
        return;
    }
    bool bundled = std::dynamic_pointer_cast<VornickBundledStyleSheet>(sheet) != nullptr;
    m_userDefaults.setObject(Value(bundled ? sheet->title() : sheet->fileURL().path()), VornickDefaultStyleSheetDefaultsKey);
}

VornickHTMLDocumentType VornickApplicationDelegate::defaultHTMLDocumentType() const
{
    return VornickDefaultHTMLDocumentType(m_userDefaults);
}

void VornickApplicationDelegate::setDefaultHTMLDocumentType(int64_t type)
{
    if (type < 1 || type > 8)
        return;
    m_userDefaults.setObject(Value(VornickHTMLDocumentTypeToPersistableString(static_cast<VornickHTMLDocumentType>(type))),
                             VornickDefaultHTMLDocumentTypeDefaultsKey);
}

void VornickApplicationDelegate::tickleValidationInAllDocumentWindows()
{
    NotificationCenter::defaultCenter().post(VornickValidationPreferencesDidChangeNotification, nullptr);
}

int64_t VornickApplicationDelegate::appIconVersion() const
{
    return m_userDefaults.integerForKey(VornickAppIconDefaultsKey);
}

void VornickApplicationDelegate::setAppIconVersion(int64_t version)
{
    if (version == 1)
        m_userDefaults.setInteger(1, VornickAppIconDefaultsKey);
    else
        m_userDefaults.removeObjectForKey(VornickAppIconDefaultsKey);
    showAppIcon();
}

void VornickApplicationDelegate::showAppIcon()
{
    VornickRegisterApplicationIcons();
    Application::shared().setApplicationIconImage(
        Image::imageNamed(appIconVersion() == 1 ? VornickClassicAppIconImageName : VornickStandardAppIconImageName));
}

void VornickApplicationDelegate::applySettingsChangedElsewhere(const Notification& notification)
{
    auto elsewhere = notification.userInfo.find(UserDefaults::ChangedElsewhereKey);
    auto keys = notification.userInfo.find(UserDefaults::ChangedKeysKey);
    if (elsewhere == notification.userInfo.end() || !elsewhere->second.boolValue() || keys == notification.userInfo.end()
        || !keys->second.isArray())
        return;
    for (const auto& key : keys->second.array()) {
        if (!key.isString())
            continue;
        const auto& name = key.string();
        if (name == VornickAppIconDefaultsKey)
            showAppIcon();
        else if (name == VornickAllowUserDefinedAttributesDefaultsKey)
            tickleValidationInAllDocumentWindows();
        else if (name == VornickEmbedSourceLoupeDefaultsKey)
            NotificationCenter::defaultCenter().post(VornickSourceLoupeEmbeddingPreferenceDidChangeNotification, nullptr);
        else if (name == VornickWordPressSyncIntervalDefaultsKey)
            NotificationCenter::defaultCenter().post(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr);
    }
}

const std::shared_ptr<VornickPreferencesController>& VornickApplicationDelegate::preferencesController()
{
    if (!m_preferencesController)
        m_preferencesController = VornickPreferencesController::create();
    return m_preferencesController;
}

} // namespace brevanton
