// A page's parse done ahead of its load, on a thread of its own, as the load
// would parse the same text: a host that has read a file (the command line
// program, before it has built its window) starts it at once on the loaded
// document and hands that to the web view (WebView::provideLoadedDocument);
// the load of that file takes the document parsed instead of parsing itself.
#pragma once

namespace brevanton {

class LoadedDocument;

// Parses the loaded document's decoded text in its syntax, for its file URL,
// on a thread of its own, converting its UTF-16 source beside; the loaded
// document keeps the parse.
void startParsingLoadedDocument(LoadedDocument&);

} // namespace brevanton
