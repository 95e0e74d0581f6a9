// libcurl, loaded when the first transfer needs it rather than with the
// program: the library and the two dozen libraries it depends on would cost
// every start-up several milliseconds, and most runs never go on line. The
// functions URLSession uses are resolved into this table; curl's own header
// gives their types and the constants.
#pragma once

#include <curl/curl.h>

#include <string>

namespace brevanton {

struct CurlLibrary {
    decltype(&curl_global_init) globalInit {};
    decltype(&curl_easy_init) easyInit {};
    decltype(&curl_easy_cleanup) easyCleanup {};
    decltype(&curl_easy_setopt) easySetopt {};
    decltype(&curl_easy_getinfo) easyGetinfo {};
    decltype(&curl_easy_strerror) easyStrerror {};
    decltype(&curl_multi_init) multiInit {};
    decltype(&curl_multi_cleanup) multiCleanup {};
    decltype(&curl_multi_add_handle) multiAddHandle {};
    decltype(&curl_multi_remove_handle) multiRemoveHandle {};
    decltype(&curl_multi_perform) multiPerform {};
    decltype(&curl_multi_poll) multiPoll {};
    decltype(&curl_multi_info_read) multiInfoRead {};
    decltype(&curl_multi_wakeup) multiWakeup {};
    decltype(&curl_slist_append) slistAppend {};
    decltype(&curl_slist_free_all) slistFreeAll {};

    // The library, loaded, resolved and initialised by the first call (from
    // any thread) and kept for the life of the process; null when that
    // failed, and then loadFailure() says why.
    static const CurlLibrary* shared();
    static const std::string& loadFailure();

    // The shared object shared() loads, "libcurl.so.4" unless named here
    // before its first call (tests name one that is missing or is not curl).
    static void setLibraryName(std::string);
};

} // namespace brevanton
