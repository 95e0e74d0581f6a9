// Saves a VornickDocumentFile through system calls of the test's choosing.
#pragma once

#include "toolkit/VornickDocumentFile.h"

#include "platform/foundation/FileSystemCalls.h"

namespace brevanton {

class VornickDocumentFileTestPeer {
public:
    static void setCalls(VornickDocumentFile& file, FileSystemCalls& calls) { file.m_calls = &calls; }
};

} // namespace brevanton
