// Property-list values kept in a file's extended attributes ("user."
// namespace). Every call acts on the file itself, never on the target of a
// symbolic link. Values are stored as binary property lists.
//
// The operations accept file URLs only: another URL throws
// InternalInconsistencyException ("<operation> only valid on file URLs"); an
// empty name throws std::invalid_argument ("<operation> name parameter can't be nil").
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

inline constexpr const char* FileExtendedAttributesErrorDomain = "FileExtendedAttributesErrorDomain";
inline constexpr int64_t FileExtendedAttributesValueNotPropertyListError = 1968;
inline constexpr int64_t FileExtendedAttributesSomeNotSetError = 1969;
inline constexpr int64_t FileExtendedAttributesSomeNotReadError = 1970;
// User information key of 1969 and 1970: an array of the individual errors
// (dictionaries "domain", "code", "description"); the first one is also the
// underlying error.
inline constexpr const char16_t* FileExtendedAttributesErrorsKey = u"errors";

// The attribute names, or nullopt with a POSIX error (a file system that keeps
// no extended attributes gives ENOTSUP).
[[nodiscard]] std::optional<std::vector<std::u16string>> namesOfExtendedAttributes(const URL&, Error* outError);
// Every attribute that reads, by name. When some attribute does not read, the
// error is 1970 and the dictionary holds the others; nullopt only when the
// names cannot be listed.
[[nodiscard]] std::optional<Dictionary> extendedAttributes(const URL&, Error* outError);
// Sets each pair; false with error 1969 when any failed (the others are set).
[[nodiscard]] bool setExtendedAttributes(const URL&, const Dictionary& attributes, Error* outError);
// False when the names cannot be listed (the failure is logged).
bool hasExtendedAttributeWithName(const URL&, std::u16string_view name);
// The attribute decoded as a property list; nullopt with a POSIX error (ENODATA
// for a missing attribute) or a property-list read error.
[[nodiscard]] std::optional<Value> valueOfExtendedAttributeWithName(const URL&, std::u16string_view name, Error* outError);
// Stores the value as a binary property list; error 1968 for a value that
// cannot be one (a null anywhere inside).
[[nodiscard]] bool setExtendedAttributeValue(const URL&, const Value& value, std::u16string_view name, Error* outError);
// True also when the attribute did not exist.
[[nodiscard]] bool removeExtendedAttributeWithName(const URL&, std::u16string_view name, Error* outError);

} // namespace brevanton
