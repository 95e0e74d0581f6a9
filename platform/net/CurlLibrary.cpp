#include "platform/net/CurlLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace brevanton {

namespace {

struct Loader {
    std::once_flag once;
    std::string name { "libcurl.so.4" };
    CurlLibrary library;
    bool loaded { false };
    std::string failure;
};

Loader& loader()
{
    static Loader loader;
    return loader;
}

// The reason dlopen() or dlsym() just failed.
std::string lastLoadError()
{
    const char* text = dlerror();
    return text ? text : "unknown error";
}

template<typename Function>
bool resolve(void* handle, const char* symbol, Function& function, std::string& error)
{
    dlerror();
    void* address = dlsym(handle, symbol);
    if (!address) {
        error = lastLoadError();
        return false;
    }
    function = reinterpret_cast<Function>(address);
    return true;
}

void load(Loader& loader)
{
    auto fail = [&](const std::string& reason) {
        loader.library = {};
        loader.failure = "The network library " + loader.name + " could not be loaded: " + reason;
    };
    void* handle = dlopen(loader.name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return fail(lastLoadError());

    CurlLibrary& curl = loader.library;
    std::string error;
    bool resolved = resolve(handle, "curl_global_init", curl.globalInit, error)
        && resolve(handle, "curl_easy_init", curl.easyInit, error)
        && resolve(handle, "curl_easy_cleanup", curl.easyCleanup, error)
        && resolve(handle, "curl_easy_setopt", curl.easySetopt, error)
        && resolve(handle, "curl_easy_getinfo", curl.easyGetinfo, error)
        && resolve(handle, "curl_easy_strerror", curl.easyStrerror, error)
        && resolve(handle, "curl_multi_init", curl.multiInit, error)
        && resolve(handle, "curl_multi_cleanup", curl.multiCleanup, error)
        && resolve(handle, "curl_multi_add_handle", curl.multiAddHandle, error)
        && resolve(handle, "curl_multi_remove_handle", curl.multiRemoveHandle, error)
        && resolve(handle, "curl_multi_perform", curl.multiPerform, error)
        && resolve(handle, "curl_multi_poll", curl.multiPoll, error)
        && resolve(handle, "curl_multi_info_read", curl.multiInfoRead, error)
        && resolve(handle, "curl_multi_wakeup", curl.multiWakeup, error)
        && resolve(handle, "curl_slist_append", curl.slistAppend, error)
        && resolve(handle, "curl_slist_free_all", curl.slistFreeAll, error);
    if (!resolved) {
        dlclose(handle);
        return fail(error);
    }
    // The library stays loaded: curl keeps threads and handlers of its own.
    if (CURLcode code = curl.globalInit(CURL_GLOBAL_DEFAULT); code != CURLE_OK)
        return fail(curl.easyStrerror(code));
    loader.loaded = true;
}

} // namespace

const CurlLibrary* CurlLibrary::shared()
{
    Loader& state = loader();
    std::call_once(state.once, [&state] { load(state); });
    return state.loaded ? &state.library : nullptr;
}

const std::string& CurlLibrary::loadFailure()
{
    return loader().failure;
}

void CurlLibrary::setLibraryName(std::string name)
{
    loader().name = std::move(name);
}

} // namespace brevanton
