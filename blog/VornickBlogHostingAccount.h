// VornickBlogHostingAccount: the account a blog project belongs to (entity
// "BlogHostingAccount", the project's root component). Its password lives in
// the keychain under the service name the subclass gives and the login.
#pragma once

#include "documents/VornickProjectComponent.h"

#include <optional>
#include <string>

namespace brevanton {

class VornickPublishedBlog;

class VornickBlogHostingAccount : public VornickProjectComponent {
public:
    static constexpr std::u16string_view entityName = u"BlogHostingAccount";

    std::string className() const override { return "VornickBlogHostingAccount"; }

    std::vector<std::shared_ptr<VornickPublishedBlog>> blogs() const;
    std::u16string loginID() const;
    void setLoginID(const std::u16string&);

    // The keychain service name of the password; subclasses must give it
    // (the base asserts). Nothing when no key can be formed.
    virtual std::optional<std::u16string> keychainKeyForPassword() const;
    std::optional<std::u16string> password() const;
    // Stores the password under the key and the login. False with the error
    // when the key, the login or the password is missing or the keychain
    // refuses it, so a caller never takes an unsaved password for saved.
    [[nodiscard]] bool setPassword(const std::u16string& password, Error* outError);

    virtual std::u16string displayNameForWindowTitle() const { return loginID(); }
    // The address a post of `blog` is previewed under (before "?p=N"); the
    // base has none.
    virtual std::u16string previewRootURLString(const VornickPublishedBlog& /*blog*/) const { return {}; }

    std::vector<std::u16string> attributesForArchivalRepresentation() const override { return { u"loginID" }; }
};

} // namespace brevanton
