#include "platform/views/WindowServerConnection.h"

namespace brevanton {

namespace {
WindowServerConnection* installedConnection = nullptr;
}

WindowServerConnection* WindowServerConnection::current()
{
    return installedConnection;
}

void WindowServerConnection::setCurrent(WindowServerConnection* connection)
{
    installedConnection = connection;
}

} // namespace brevanton
