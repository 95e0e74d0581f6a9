// The system's own error domains and the codes it reports in them.
#pragma once

#include <cstdint>

namespace brevanton {

// General errors of the application.
inline constexpr const char* VornickErrorDomain = "com.Orbendalworks.Brevanton.ErrorDomain";
// Errors carrying an HTTP status (or an XML-RPC fault code) as their code.
inline constexpr const char* VornickHTTPErrorDomain = "com.Orbendalworks.Brevanton.ErrorDomain.HTTP";
// The HTTP status (as the code) of an XML-RPC reply that is no success.
inline constexpr const char* VornickXMLRPCHTTPStatusErrorDomain = "HTTP";

enum VornickErrorCode : int64_t {
    VornickFormattingPreferencesNotADictionaryError = 3,
    VornickWriterProducedNoHTMLDataError = 8,    // the writer gave no HTML data for a frame
    VornickNoWebArchiveError = 12,               // the document gave no web archive or no archive data
    VornickSnippetSetNotReadableError = 15,      // a document's snippet set could not be read
    VornickTidyFailedError = 16,                 // tidy ended with status 2 or more
    VornickNoDeclaredCharacterEncodingError = 19,
    VornickUnknownCharacterEncodingNameError = 20,
    VornickNoTidyInputOptionForEncodingError = 21,
    VornickUniqueFileBaseNotAFolderError = 26,
    VornickPostStillOnServerError = 28,          // a post whose deletion was to be confirmed exists, not in the server's trash
    VornickXMLRPCResponseNotXMLRPCError = 29,    // a reply that holds no XML-RPC value or fault
    VornickJSONWriterErrorNumberNotRepresentable = 30, // NaN or an infinity
    VornickJSONWriterErrorTreeTooDeep = 31,
    VornickJSONWriterErrorNotInsideDictionary = 32,
    VornickJSONWriterErrorNotInsideArray = 33,
    VornickFetchResponseNotHTTPError = 34,
    VornickFetchNoDataError = 35,
    VornickFetchNotHTMLError = 36,
    VornickFetchNotJSONError = 37,
    VornickReplyNotADictionaryError = 38,        // a JSON reply of another kind than the dictionary expected
    VornickReplyWithoutExpectedValueError = 39,  // a reply without the list or value expected ("key", "expectedType")
    // Block structure faults found by the block mode helper.
    VornickBlockElementOutsideBlockError = 40,
    VornickBlockEndCommentWithoutStartError = 41,
    VornickBlockUnclosedError = 42,           // a block comment left open
    VornickBlockEndCommentMismatchError = 43,
    VornickBlockEndCommentWithoutInteriorError = 44,
    VornickBlockSecondContentError = 45,
    VornickBlockEndCommentUnconfirmedError = 46,
    VornickMarkdownScriptMissingError = 60,
    VornickMarkdownScriptFailedError = 61,
    VornickMarkdownScriptTimedOutError = 62,
    VornickDocumentFileNotRegularError = 70,     // a folder, FIFO, device or socket
    VornickDocumentFileTooLargeError = 71,       // beyond VornickMaximumDocumentFileSize
    VornickDocumentFileNotHTMLError = 72,        // saving over a file of another type
    VornickDocumentFileWriteProtectedError = 73,
    VornickDocumentFileChangedError = 74,        // changed by another program since it was read
    VornickDocumentUndecodableBytesError = 75,   // a save would write U+FFFD in place of bytes read
    VornickDocumentFileNotTextError = 77,        // the file's bytes are binary data, not text
    VornickSnippetSetFileMalformedError = 80,    // a snippet set file that is not JSON of the snippet set format
    VornickSnippetSetFileFormatTooNewError = 81, // a snippet set file of a newer format version
    VornickProjectFileUnreadableError = 90,      // a project file that is not an object archive
    VornickProjectIndexError = 91,               // a project index that cannot be opened or saved
    VornickWebResourceCacheIndexError = 92,      // a web resource cache index that cannot be used
    VornickBlogNotFoundError = 93,               // a sync step's blog is no longer stored (deleted during the sync)
    VornickAccountIncompleteError = 94,          // an account without the login or address a keychain item needs
    VornickServerSaysPostNotFoundError = 95,     // the server's own answer: it has no such post (an agent gives it, never a bare status)
    VornickPostIdentifierMissingError = 96,      // a request about a server's post that names none
    VornickMediaFileUnreadableError = 97,        // a media item's local file that cannot be read or sent
    VornickOEmbedEndpointNotFoundError = 98,     // neither the item's page nor the known providers name an oEmbed endpoint
    VornickPostFileNotInProjectError = 99,       // a post file no account project around it holds
    VornickPostNotReadableFromPageError = 100,   // a post view whose title or body could not be read back
    VornickPostRefersToLocalFileError = 105,     // a post about to be sent still names a file of this computer ("reference")
    VornickPostConflictNotResolvedError = 106,   // a publish refused while a server version waits for the user's choice
    VornickCredentialsOriginRefusedError = 120,  // a login refused to an address outside the origin the user logged in to
    VornickAddressNotOnTheWebError = 121,        // an address from a server that is not http(s), so never fetched
    VornickAccountInUseError = 122,              // an account another Brevanton holds open
};

} // namespace brevanton
