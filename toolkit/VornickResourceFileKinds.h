// Resource file kinds: "image", "video", "audio" and "other", and the type
// identifiers they stand for.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace brevanton {

// {"image", "video", "audio", "other"}
const std::set<std::u16string, std::less<>>& VornickKnownResourceFileKinds();

// "public.image" for "image", "public.movie" for "video", "public.audio" for
// "audio"; nullopt for any other kind.
std::optional<std::u16string> VornickUTIForResourceFileKind(std::u16string_view kind);

// The kind of a type identifier: "image", "video" or "audio" when it conforms
// to the kind's type (in that order), else "other".
std::u16string VornickResourceFileKindForUTI(std::u16string_view typeIdentifier);

} // namespace brevanton
