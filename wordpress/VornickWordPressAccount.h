// VornickWordPressAccount: the account of a WordPress blog project (its root
// component): the site's address, the protocol and authorization it is
// reached with, the user's request rate limit, and the keychain items of
// its password and OAuth2 authorizations. The values other than the address
// and login live in the object and the project file only.
#pragma once

#include "blog/VornickBlogHostingAccount.h"

#include <optional>

namespace brevanton {

// The hosted WordPress service's domain name.
inline constexpr char16_t VornickWordPressDotComDomain[] = u"wordpress.com";

enum class VornickWordPressProtocolType : int { XMLRPC = 1, REST = 2 };
enum class VornickWordPressAuthenticationType : int { InsideXMLRPCCalls = 0, HTTPBasic = 1, OAuth2Bearer = 2 };

class VornickWordPressAccount : public VornickBlogHostingAccount {
public:
    std::string className() const override { return "VornickWordPressAccount"; }

    std::u16string rootURLString() const { return ManagedObject::valueForKey(u"rootURLString").stringValue(); }
    void setRootURLString(const std::u16string&);
    const std::optional<std::u16string>& remoteEndpointURLString() const { return m_remoteEndpointURLString; }
    void setRemoteEndpointURLString(std::optional<std::u16string> value) { m_remoteEndpointURLString = std::move(value); }
    std::optional<int64_t> maxRequestCount() const { return m_maxRequestCount; }
    void setMaxRequestCount(std::optional<int64_t> value) { m_maxRequestCount = value; }
    std::optional<double> maxRequestTimeInterval() const { return m_maxRequestTimeInterval; }
    void setMaxRequestTimeInterval(std::optional<double> value) { m_maxRequestTimeInterval = value; }
    // The user's explicit protocol choice; none when not chosen.
    std::optional<bool> useXMLRPC() const { return m_useXMLRPC; }
    void setUseXMLRPC(std::optional<bool> value) { m_useXMLRPC = value; }
    // 1 (the hosted service's v1.1 interface) or 2 ("wp/v2"); only 1 is held.
    int restAPIVersion() const { return m_restAPIVersionIsOne ? 1 : 2; }
    void setRestAPIVersion(int version) { m_restAPIVersionIsOne = version == 1; }

    bool isWordPressDotComAccount() const;
    bool isMultiSiteAccount() const { return isWordPressDotComAccount(); }
    VornickWordPressProtocolType effectiveProtocolType() const;
    VornickWordPressAuthenticationType authenticationType() const;

    std::optional<std::u16string> keychainKeyForPassword() const override;
    std::optional<std::u16string> keychainKeyForRESTAPIAuthorizationForBlogWithID(std::u16string_view siteIdentifier) const;
    // The OAuth2 authorization of a site: a JSON object whose fields the
    // REST clients fix. None when no key can be formed, nothing is stored or
    // the stored item is not a JSON object.
    std::optional<Dictionary> RESTAPIAuthorizationForBlogWithID(std::u16string_view siteIdentifier) const;
    // Stores the authorization as JSON (added or updated). False with the
    // error when no key can be formed or the keychain refuses it.
    [[nodiscard]] bool setRESTAPIAuthorization(const Dictionary& authorization, std::u16string_view siteIdentifier, Error* outError);

    std::u16string displayNameForWindowTitle() const override;
    std::u16string previewRootURLString(const VornickPublishedBlog& blog) const override;

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;
    // Reads the project file's account values. Numbers are taken as written
    // as text or as numbers (and "useXMLRPC" as a boolean too); a missing
    // or unreadable "useXMLRPC" clears the choice.
    void updateFromProjectFileObjectArchive(const VornickObjectArchive&);

    bool respondsToKey(std::u16string_view key) const override;
    Value valueForKey(std::u16string_view key) const override;
    void setValueForKey(const Value& value, std::u16string_view key) override;

private:
    std::optional<std::u16string> m_remoteEndpointURLString;
    std::optional<int64_t> m_maxRequestCount;
    std::optional<double> m_maxRequestTimeInterval;
    std::optional<bool> m_useXMLRPC;
    bool m_restAPIVersionIsOne { false };
};

} // namespace brevanton
