#include "blog/VornickBlogHostingAccount.h"

#include "blog/VornickPublishedBlog.h"
#include "platform/foundation/Assertions.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickKeychain.h"

namespace brevanton {

std::vector<std::shared_ptr<VornickPublishedBlog>> VornickBlogHostingAccount::blogs() const
{
    return objectsForKey<VornickPublishedBlog>(u"blogs");
}

std::u16string VornickBlogHostingAccount::loginID() const
{
    return ManagedObject::valueForKey(u"loginID").stringValue();
}

void VornickBlogHostingAccount::setLoginID(const std::u16string& loginID)
{
    ManagedObject::setValueForKey(loginID.empty() ? Value() : Value(loginID), u"loginID");
}

std::optional<std::u16string> VornickBlogHostingAccount::keychainKeyForPassword() const
{
    throw InternalInconsistencyException("Subclasses must override -keychainKeyForPassword");
}

std::optional<std::u16string> VornickBlogHostingAccount::password() const
{
    auto key = keychainKeyForPassword();
    if (!key || key->empty() || loginID().empty())
        return std::nullopt;
    return VornickKeychain::getStringForServiceName(*key, loginID());
}

bool VornickBlogHostingAccount::setPassword(const std::u16string& password, Error* outError)
{
    auto key = keychainKeyForPassword();
    if (!key || key->empty() || loginID().empty() || password.empty()) {
        if (outError)
            *outError = Error(VornickErrorDomain, VornickAccountIncompleteError,
                              u"The password cannot be stored: the account has no login or address.");
        return false;
    }
    return VornickKeychain::setString(password, *key, loginID(), outError);
}

} // namespace brevanton
