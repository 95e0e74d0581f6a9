// One-line descriptions of URL responses, for log lines.
#pragma once

#include "platform/net/URLResponse.h"

#include <string>

namespace brevanton {

// "{URLResponse: URL=..., suggestedFilename=..., MIMEType=..., textEncodingName=...,
// expectedContentLength=...}"; an HTTP response adds ", statusCode=404 (not found),
// allHeaderFields=..." before the closing brace.
std::u16string vornick_splat(const URLResponse&);

} // namespace brevanton
