// Operations the system adds to URLs to name files: temporary files, new
// files with numbered names, URLs written relative to a folder, the deepest
// folder two files share, whether two URLs name the same file, type and MIME
// tests, and enumeration of the regular files of a folder.
#pragma once

#include "toolkit/VornickErrors.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {


// Temporary files: a new, empty file "Vornick.XXXX.<extension>" (the X's made
// unique) created exclusively in the application's folder of the user's
// cache folder, or in `folder`. nullopt when the folder has no file-system
// path or the file cannot be created (for example when the folder is missing).
std::optional<URL> vornick_temporaryFileURLWithPathExtension(std::u16string_view pathExtension);
std::optional<URL> vornick_temporaryFileURLWithPathExtension(std::u16string_view pathExtension, const URL& folder);

// Whether a click on a link to the URL should open it. NO only for a file URL
// with an extension that `isProjectEditorExtension` says belongs to a project
// or project component editor (the caller knows the document types); YES
// otherwise, and when there is no test.
using VornickProjectEditorExtensionTest = std::function<bool(std::u16string_view pathExtension)>;
bool vornick_shouldOpenWhenClicked(const URL&, const VornickProjectEditorExtensionTest& isProjectEditorExtension);

// YES when the URL has a scheme ("http://h/a", "file:///a"); a root-relative
// reference such as "/img/a.png" is not absolute.
bool vornick_appearsToBeAbsolute(const URL&);
// YES when the URL's path extension is one of the type's (or of a type that
// conforms to it).
bool vornick_appearsToBeOfType(const URL&, std::u16string_view typeIdentifier);
// The same for the type of a resource file kind; NO for an unknown kind.
bool vornick_appearsToBeOfResourceFileKind(const URL&, std::u16string_view kind);

// The type identifier of an existing file ("public.folder" for a folder, else
// by extension); nullopt for other URLs and for missing files.
std::optional<std::u16string> vornick_typeIdentifier(const URL&);
// The preferred MIME type of a file URL's type identifier; nullopt for other
// URLs and unknown types.
std::optional<std::u16string> vornick_MIMEType(const URL&);

// YES for "file", "http", "https", "ftp" and "mailto", case ignored.
bool vornick_schemeIsKnownCommonScheme(const URL&);
// YES for an http or https address with a host: the only kind of address
// that content from a server (a post, an embed, a media item) may make the
// program fetch, so that no such content opens a file of this computer.
bool vornick_isWebAddress(const URL&);

// For a file URL, the absolute string of the URL made afresh from its path,
// so without query, fragment or host; otherwise the absolute string.
std::u16string vornick_absoluteStringWithoutAppleSecurityScopeQuery(const URL&);
// The above with "file://localhost/" written "file:///".
std::u16string vornick_absoluteStringWithoutAppleSecurityScopeQueryOrLocalhost(const URL&);
// The key of a file in sets and dictionaries (the string above).
std::u16string vornick_normalizedUniqueKeyString(const URL&);

// The deepest folder that both file URLs lie in (or one of them, when it
// contains the other); nullopt when either is not a file URL.
std::optional<URL> vornick_deepestRootInCommonWith(const URL&, const URL& other);

// The file URL written relative to the folder `base` ("../c/d.html"), each
// path segment percent-escaped as a segment (so "#", "?", ";" and ":" in
// names survive), its query and fragment after it; nullopt unless both are
// file URLs.
std::optional<std::u16string> vornick_URLStringRelativeToBaseURL(const URL&, const URL& base);
// The same string as a URL relative to `base`.
std::optional<URL> vornick_URLRelativeToBaseURL(const URL&, const URL& base);

// YES for a reference that names a file by a path from the page's folder
// ("poppy.jpg", "../img/a.png?v=2"); NO for one with a scheme ("http:",
// "mailto:", "data:"), a network path ("//host/a"), a path from the root
// ("/a"), a fragment or query alone ("#x", "?q") and an empty one.
bool vornick_isFolderRelativeReference(std::u16string_view reference);
// A reference of a page at `fromDocumentURL` as the same page writes it at
// `toDocumentURL`: a folder-relative reference becomes the path from the new
// folder to the same file ("poppy.jpg" from "/a/p.html" to "/a/sub/p.html" is
// "../poppy.jpg"); every other reference, and one that names no file, stays
// as written.
std::u16string vornick_referenceRelocated(std::u16string_view reference, const URL& fromDocumentURL, const URL& toDocumentURL);

// The URL with `suffix` added to its last path component, before the
// extension: ".../page.html" + "-2" is ".../page-2.html".
URL vornick_URLByAppendingFilenameSuffix(const URL&, std::u16string_view suffix);

// Calls `block` for each visible regular file below the file URL folder
// (hidden files and, without `recurse`, subfolder contents skipped) whose type
// identifier equals `typeIdentifier` / whose extension equals `extension`
// ignoring case. A file that cannot be read is logged and skipped. NO when
// the block stopped the walk, YES otherwise.
using VornickURLEnumerationBlock = std::function<void(const URL&, bool& stop)>;
bool vornick_enumerateRegularFilesOfType(const URL&, std::u16string_view typeIdentifier, bool recurse,
                                         const VornickURLEnumerationBlock&);
bool vornick_enumerateRegularFilesWithExtension(const URL&, std::u16string_view extension, bool recurse,
                                                const VornickURLEnumerationBlock&);

// YES for equal URLs, for equal absolute strings, and for two file URLs of
// the same existing file (same device and inode: hard links and symbolic
// links count, a name differing in case does not).
bool vornick_pointsToSameFileAsURL(const URL&, const URL& other);

// YES when the other URL's normalized key string begins with this one's,
// with "/" added to this one's when it lacks it.
bool vornick_isDirectoryURLThatEncompasses(const URL&, const URL& other);

// A new empty file or folder inside the folder of this file URL, named
// `baseName` when that is free, else "<stem> <N+1>[.<extension>]" where N is
// the largest number of the existing "<stem> <n>[.<extension>]" items (case
// ignored, any run of whitespace before the number). Created exclusively: an
// item that appears meanwhile is never reused; the next number is taken.
// Errors: the folder cannot be read (POSIX domain), is not a folder
// (VornickErrorDomain, 26), or the creation fails.
[[nodiscard]] std::optional<URL> vornick_createUniqueFileOfType(const URL& folder, FileKind fileType, std::u16string_view baseName,
                                                  Error* outError);

} // namespace brevanton
