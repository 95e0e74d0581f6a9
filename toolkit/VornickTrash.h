// Moving files to the user's Trash the way the desktop's file managers do
// (the freedesktop.org trash layout), so that the user can restore them.
//
// A file on the device of $XDG_DATA_HOME goes to "$XDG_DATA_HOME/Trash": the
// file itself under "files/" and, beside it, "info/<name>.trashinfo" holding
// its original path (percent-encoded) and the local time of the deletion. A
// file on another device goes to the trash at the top of its own mount point:
// "$topdir/.Trash/$uid" when the administrator made a sticky, non-link
// "$topdir/.Trash", else "$topdir/.Trash-$uid" (made when missing, and only
// used when it is a folder of ours that is not a link); its info files name
// the path relative to $topdir. A file is never copied across devices: when
// no trash on its device can be used the move fails and the file stays.
//
// Names in the trash are unique: "name.ext", then "name 2.ext", "name 3.ext",
// ...; the info file is made first (exclusively), which reserves the name.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <optional>

namespace brevanton {

// Moves the file (or folder, or link) at the file URL to the user's Trash.
// On success answers the URL it now has in the trash; on failure answers
// nothing with the error, and the file is where it was.
[[nodiscard]] std::optional<URL> vornick_moveFileToTrash(const URL& fileURL, Error* outError = nullptr);

} // namespace brevanton
