#include "wordpress/VornickWordPressAccount.h"

#include "blog/VornickPublishedBlog.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickJSONWriter.h"
#include "toolkit/VornickKeychain.h"

namespace brevanton {

namespace {

constexpr std::u16string_view RemoteEndpointKey = u"remoteEndpointURLString";
constexpr std::u16string_view MaxRequestCountKey = u"maxRequestCount";
constexpr std::u16string_view MaxRequestTimeIntervalKey = u"maxRequestTimeInterval";
// Read-only values the sync engine reads by key.
constexpr std::u16string_view EffectiveProtocolTypeKey = u"effectiveProtocolType";
constexpr std::u16string_view AuthenticationTypeKey = u"authenticationType";
constexpr std::u16string_view IsWordPressDotComAccountKey = u"isWordPressDotComAccount";
constexpr std::u16string_view IsMultiSiteAccountKey = u"isMultiSiteAccount";

bool isNumberOrNumericText(const Value* value)
{
    return value && (value->isNumber() || value->isString());
}

Error incompleteAccountError(std::u16string description)
{
    return Error(VornickErrorDomain, VornickAccountIncompleteError, std::move(description));
}

} // namespace

void VornickWordPressAccount::setRootURLString(const std::u16string& root)
{
    ManagedObject::setValueForKey(root.empty() ? Value() : Value(root), u"rootURLString");
}

bool VornickWordPressAccount::isWordPressDotComAccount() const
{
    std::u16string root = lowercase(rootURLString());
    // "https://name.wordpress.com/" is as hosted as the address without the slash.
    while (!root.empty() && root.back() == u'/')
        root.pop_back();
    std::u16string_view domain = VornickWordPressDotComDomain;
    if (!root.ends_with(domain))
        return false;
    if (root.size() == domain.size())
        return true;
    char16_t before = root[root.size() - domain.size() - 1];
    return before == u'.' || before == u'/';
}

VornickWordPressProtocolType VornickWordPressAccount::effectiveProtocolType() const
{
    if (m_useXMLRPC)
        return *m_useXMLRPC ? VornickWordPressProtocolType::XMLRPC : VornickWordPressProtocolType::REST;
    return isWordPressDotComAccount() ? VornickWordPressProtocolType::REST : VornickWordPressProtocolType::XMLRPC;
}

VornickWordPressAuthenticationType VornickWordPressAccount::authenticationType() const
{
    if (isWordPressDotComAccount())
        return VornickWordPressAuthenticationType::OAuth2Bearer;
    return effectiveProtocolType() == VornickWordPressProtocolType::REST ? VornickWordPressAuthenticationType::HTTPBasic
                                                                        : VornickWordPressAuthenticationType::InsideXMLRPCCalls;
}

std::optional<std::u16string> VornickWordPressAccount::keychainKeyForPassword() const
{
    if (isWordPressDotComAccount()) {
        if (loginID().empty())
            return std::nullopt;
        return u"Brevanton " + std::u16string(VornickWordPressDotComDomain) + u" (" + loginID() + u")";
    }
    return u"WordPress " + rootURLString();
}

std::optional<std::u16string> VornickWordPressAccount::keychainKeyForRESTAPIAuthorizationForBlogWithID(std::u16string_view siteIdentifier) const
{
    std::u16string site = isWordPressDotComAccount() ? std::u16string(VornickWordPressDotComDomain) : rootURLString();
    if (site.empty() || loginID().empty() || siteIdentifier.empty())
        return std::nullopt;
    return u"Brevanton " + site + u" OAuth2 (" + loginID() + u"," + std::u16string(siteIdentifier) + u")";
}

std::optional<Dictionary> VornickWordPressAccount::RESTAPIAuthorizationForBlogWithID(std::u16string_view siteIdentifier) const
{
    auto key = keychainKeyForRESTAPIAuthorizationForBlogWithID(siteIdentifier);
    if (!key)
        return std::nullopt;
    auto data = VornickKeychain::getDataForServiceName(*key, loginID());
    if (!data)
        return std::nullopt;
    auto json = readJSON(*data, nullptr);
    if (!json || !json->isDictionary())
        return std::nullopt;
    return json->dictionary();
}

bool VornickWordPressAccount::setRESTAPIAuthorization(const Dictionary& authorization, std::u16string_view siteIdentifier, Error* outError)
{
    auto key = keychainKeyForRESTAPIAuthorizationForBlogWithID(siteIdentifier);
    if (!key) {
        if (outError)
            *outError = incompleteAccountError(u"The authorization cannot be stored: the account has no login or address.");
        return false;
    }
    VornickJSONWriter writer;
    writer.writeDictionary(authorization);
    auto json = writer.jsonDataReturningErrorIn(outError);
    if (!json)
        return false;
    return VornickKeychain::setData(Data(json->begin(), json->end()), *key, loginID(), outError);
}

std::u16string VornickWordPressAccount::displayNameForWindowTitle() const
{
    auto url = URL::create(rootURLString());
    std::u16string host = url ? url->host().value_or(u"") : u"";
    std::u16string login = loginID();
    if (login.empty())
        return host;
    if (host.empty())
        return login;
    return login + u" @ " + host;
}

std::u16string VornickWordPressAccount::previewRootURLString(const VornickPublishedBlog& blog) const
{
    return isWordPressDotComAccount() ? blog.browseURLString() : rootURLString();
}

std::vector<std::u16string> VornickWordPressAccount::attributesForArchivalRepresentation() const
{
    auto names = VornickBlogHostingAccount::attributesForArchivalRepresentation();
    for (const char16_t* name : { u"rootURLString", u"remoteEndpointURLString", u"maxRequestCount", u"maxRequestTimeInterval" })
        names.emplace_back(name);
    return names;
}

std::shared_ptr<VornickObjectArchive> VornickWordPressAccount::archivalRepresentation() const
{
    auto archive = VornickBlogHostingAccount::archivalRepresentation();
    if (m_useXMLRPC)
        archive->setObject(Value(*m_useXMLRPC ? u"1" : u"0"), u"useXMLRPC");
    if (m_restAPIVersionIsOne)
        archive->setObject(Value(u"1"), u"restAPIVersion");
    return archive;
}

void VornickWordPressAccount::updateFromProjectFileObjectArchive(const VornickObjectArchive& archive)
{
    archive.applyAttributes(VornickBlogHostingAccount::attributesForArchivalRepresentation(), static_cast<VornickKeyValueCoding&>(*this));
    if (const Value* root = archive.objectForKey(u"rootURLString"); root && root->isString())
        setRootURLString(root->string());
    if (const Value* endpoint = archive.objectForKey(RemoteEndpointKey); endpoint && endpoint->isString())
        m_remoteEndpointURLString = endpoint->string();
    if (const Value* count = archive.objectForKey(MaxRequestCountKey); isNumberOrNumericText(count))
        m_maxRequestCount = count->integerValue();
    if (const Value* interval = archive.objectForKey(MaxRequestTimeIntervalKey); isNumberOrNumericText(interval))
        m_maxRequestTimeInterval = interval->doubleValue();
    const Value* useXMLRPC = archive.objectForKey(u"useXMLRPC");
    if (useXMLRPC && useXMLRPC->isString())
        m_useXMLRPC = useXMLRPC->integerValue() != 0;
    else if (useXMLRPC && useXMLRPC->isNumber())
        m_useXMLRPC = useXMLRPC->boolValue();
    else
        m_useXMLRPC.reset();
    if (const Value* version = archive.objectForKey(u"restAPIVersion"); isNumberOrNumericText(version))
        m_restAPIVersionIsOne = version->integerValue() == 1;
}

bool VornickWordPressAccount::respondsToKey(std::u16string_view key) const
{
    return key == RemoteEndpointKey || key == MaxRequestCountKey || key == MaxRequestTimeIntervalKey || key == EffectiveProtocolTypeKey
        || key == AuthenticationTypeKey || key == IsWordPressDotComAccountKey || key == IsMultiSiteAccountKey
        || VornickBlogHostingAccount::respondsToKey(key);
}

Value VornickWordPressAccount::valueForKey(std::u16string_view key) const
{
    if (key == RemoteEndpointKey)
        return m_remoteEndpointURLString ? Value(*m_remoteEndpointURLString) : Value();
    if (key == MaxRequestCountKey)
        return m_maxRequestCount ? Value(*m_maxRequestCount) : Value();
    if (key == MaxRequestTimeIntervalKey)
        return m_maxRequestTimeInterval ? Value(*m_maxRequestTimeInterval) : Value();
    if (key == EffectiveProtocolTypeKey)
        return Value(static_cast<int>(effectiveProtocolType()));
    if (key == AuthenticationTypeKey)
        return Value(static_cast<int>(authenticationType()));
    if (key == IsWordPressDotComAccountKey)
        return Value(isWordPressDotComAccount());
    if (key == IsMultiSiteAccountKey)
        return Value(isMultiSiteAccount());
    return VornickBlogHostingAccount::valueForKey(key);
}

void VornickWordPressAccount::setValueForKey(const Value& value, std::u16string_view key)
{
    if (key == RemoteEndpointKey)
        m_remoteEndpointURLString = value.isString() ? std::optional(value.string()) : std::nullopt;
    else if (key == MaxRequestCountKey)
        m_maxRequestCount = isNumberOrNumericText(&value) ? std::optional(value.integerValue()) : std::nullopt;
    else if (key == MaxRequestTimeIntervalKey)
        m_maxRequestTimeInterval = isNumberOrNumericText(&value) ? std::optional(value.doubleValue()) : std::nullopt;
    else if (key == EffectiveProtocolTypeKey || key == AuthenticationTypeKey || key == IsWordPressDotComAccountKey || key == IsMultiSiteAccountKey)
        return;
    else
        VornickBlogHostingAccount::setValueForKey(value, key);
}

} // namespace brevanton
