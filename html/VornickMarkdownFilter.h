// VornickMarkdownFilter: renders Markdown to HTML with the bundle's Markdown
// script and, when asked, the SmartyPants script for typographic quotes and
// dashes. Each script reads its input (UTF-8) on standard input and writes
// HTML on standard output.
//
// A run that cannot start, ends with a non-zero status, is killed or takes
// longer than the timeout answers nothing and an error: an empty output is
// never mistaken for an empty post. The synchronous form blocks its thread
// until the scripts end (at most the timeout for each); on the main thread
// use the asynchronous form, which runs the scripts on worker threads.
#pragma once

#include "toolkit/VornickErrors.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Error.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// User info of those errors: the script's resource name, its standard error
// text and, for a failure, its exit status or the signal that ended it.
inline constexpr const char16_t* VornickMarkdownScriptNameKey = u"scriptName";
inline constexpr const char16_t* VornickMarkdownStandardErrorKey = u"standardError";
inline constexpr const char16_t* VornickMarkdownExitStatusKey = u"exitStatus";
inline constexpr const char16_t* VornickMarkdownTerminationSignalKey = u"terminationSignal";

class VornickMarkdownFilter {
public:
    // How long one script may run before it is killed.
    static constexpr std::chrono::milliseconds DefaultTimeout { 30000 };

    [[nodiscard]] static std::optional<std::u16string> htmlStringFromMarkdownString(std::u16string_view markdownString, bool useSmartyPants,
                                                                      Error* outError = nullptr);
    // The same with the scripts of `bundle` and a timeout of its own.
    [[nodiscard]] static std::optional<std::u16string> htmlStringFromMarkdownString(std::u16string_view markdownString, bool useSmartyPants,
                                                                      const Bundle& bundle, std::chrono::milliseconds timeout,
                                                                      Error* outError = nullptr);

    // Runs the scripts on worker threads; `completion` runs on the main run
    // loop with the HTML, or with nothing and the error. `bundle` must
    // outlive the conversion.
    using Completion = std::function<void(std::optional<std::u16string> htmlString, Error error)>;
    static void beginConvertingMarkdownString(std::u16string markdownString, bool useSmartyPants, Completion completion);
    static void beginConvertingMarkdownString(std::u16string markdownString, bool useSmartyPants, const Bundle& bundle,
                                              std::chrono::milliseconds timeout, Completion completion);

    VornickMarkdownFilter() = delete;
};

} // namespace brevanton
