#include "tests/wordpress/site/WordPressSiteTestSupport.h"

#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace brevanton::testing {

namespace {

std::string stateFolder()
{
    const char* folder = std::getenv("BREVANTON_WORDPRESS_SITE");
    return folder ? folder : std::string();
}

WordPressSiteUser userFrom(const Value& description)
{
    WordPressSiteUser user;
    if (!description.isDictionary())
        return user;
    const Dictionary& fields = description.dictionary();
    auto string = [&](std::u16string_view key) {
        auto found = fields.find(key);
        return found != fields.end() && found->second.isString() ? found->second.stringValue() : std::u16string();
    };
    if (auto found = fields.find(u"id"); found != fields.end())
        user.identifier = found->second.integerValue();
    user.username = string(u"username");
    user.password = string(u"password");
    user.applicationPassword = string(u"application_password");
    return user;
}

} // namespace

std::optional<WordPressSite> wordPressSite(std::string* whyNot)
{
    std::string folder = stateFolder();
    if (folder.empty()) {
        *whyNot = "BREVANTON_WORDPRESS_SITE is not set (CTest sets it; run the test through ctest)";
        return std::nullopt;
    }
    std::ifstream file(folder + "/credentials");
    if (!file) {
        *whyNot = "no readable " + folder + "/credentials (the fixture wordpress_site_start did not run, or not as root)";
        return std::nullopt;
    }
    std::stringstream text;
    text << file.rdbuf();
    Error error;
    auto credentials = readJSON(text.str(), &error);
    if (!credentials || !credentials->isDictionary()) {
        *whyNot = folder + "/credentials is not a JSON object";
        return std::nullopt;
    }
    const Dictionary& fields = credentials->dictionary();
    WordPressSite site;
    if (auto url = fields.find(u"url"); url != fields.end() && url->second.isString())
        site.url = url->second.stringValue();
    if (auto zone = fields.find(u"time_zone"); zone != fields.end() && zone->second.isString())
        site.timeZone = zone->second.stringValue();
    if (auto user = fields.find(u"administrator"); user != fields.end())
        site.administrator = userFrom(user->second);
    if (auto user = fields.find(u"author"); user != fields.end())
        site.author = userFrom(user->second);
    while (!site.url.empty() && site.url.back() == u'/')
        site.url.pop_back();
    if (site.url.empty() || site.administrator.applicationPassword.empty()) {
        *whyNot = folder + "/credentials lacks the site's address or the administrator's application password";
        return std::nullopt;
    }
    return site;
}

bool runWordPressSiteScript(const std::string& script, const std::vector<std::string>& arguments, std::string* output)
{
    ProcessLaunch launch;
    launch.executable = std::string(BREVANTON_WORDPRESS_SITE_SCRIPTS) + "/" + script;
    launch.arguments = arguments;
    launch.timeout = std::chrono::milliseconds(120000);
    Error error;
    auto result = Process::run(launch, &error);
    if (!result) {
        if (output)
            *output = toUTF8(error.localizedDescription());
        return false;
    }
    if (output)
        *output = result->standardOutput + result->standardError;
    return result->succeeded();
}

} // namespace brevanton::testing
