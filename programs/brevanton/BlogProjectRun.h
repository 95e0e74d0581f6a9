// The headless run of an account project: `brevanton FOLDER` opens the
// WordPress account project in FOLDER, indexes it, writes back components
// with unsaved edits and prints the account and, per blog, its counts;
// `brevanton --reindex FOLDER` rebuilds the index from the files and prints
// every difference from the index it had; `brevanton --sync FOLDER` runs one
// sync session (manual, or of the type given) of the account with its site
// and prints the session's step tree as it ended and what the session wrote
// to the sync log.
#pragma once

#include "blog/VornickSyncStepState.h"

#include <memory>
#include <string>

namespace brevanton {

class VornickWordPressBlogProject;

// The account project in the folder (or of the project file); none, with a
// line on standard error, when it cannot be opened.
std::shared_ptr<VornickWordPressBlogProject> openWordPressBlogProject(const std::string& path);
// Whether `path` is a folder holding an account project file (or that file).
bool isBlogProjectPath(const std::string& path);
// The process's exit status.
int runBlogProject(const std::string& path, bool reindex);
// Syncs the account once, and sends the posts that sync finds queued for
// upload in a session after it. The process's exit status: 0 when every
// session completed.
int syncBlogProject(const std::string& path, VornickSyncSessionType = VornickSyncSessionType::Manual);

} // namespace brevanton
