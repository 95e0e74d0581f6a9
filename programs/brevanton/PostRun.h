// The headless run of a WordPress post file: `brevanton --headless
// FILE.brevantonwordpresspost` opens the account project around the post,
// loads the post into a WordPress post view in its blog's template and
// reports the template used, the attachment points attached and failed, the
// body's block errors and the loads the template was refused. With --save
// the post is written back from the page: its file (JSON), then the index.
#pragma once

#include <string>

namespace brevanton {

bool isWordPressPostPath(const std::string& path);
// The process's exit status.
int runWordPressPost(const std::string& path, bool save);

} // namespace brevanton
