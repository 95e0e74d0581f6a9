// XMLRPCConnectionManager: keeps the XML-RPC connections under way, by
// identifier, from the call's start until its delegate was told the outcome.
// One shared manager serves the application; closing it closes them all.
//
// Main thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class URLSession;
class XMLRPCConnection;
class XMLRPCConnectionDelegate;
class XMLRPCRequest;

class XMLRPCConnectionManager {
public:
    static XMLRPCConnectionManager& sharedManager();

    explicit XMLRPCConnectionManager(std::shared_ptr<URLSession> = nullptr);
    // Stops the connections under way; their delegates are told nothing more.
    ~XMLRPCConnectionManager();

    XMLRPCConnectionManager(const XMLRPCConnectionManager&) = delete;
    XMLRPCConnectionManager& operator=(const XMLRPCConnectionManager&) = delete;

    // Starts the call and answers its connection's identifier.
    std::u16string spawnConnectionWithXMLRPCRequest(std::shared_ptr<XMLRPCRequest>, std::weak_ptr<XMLRPCConnectionDelegate>);
    std::shared_ptr<XMLRPCConnection> connectionForIdentifier(std::u16string_view) const;
    // Cancels the connection (its delegate is told so) and lets it go;
    // unknown identifiers are ignored.
    void closeConnectionForIdentifier(std::u16string_view);
    void closeConnections();
    std::vector<std::u16string> activeConnectionIdentifiers() const;
    size_t numberOfActiveConnections() const { return m_connections.size(); }

private:
    friend class XMLRPCConnection;
    void connectionEnded(const std::u16string& identifier);

    std::shared_ptr<URLSession> m_session;
    std::map<std::u16string, std::shared_ptr<XMLRPCConnection>, std::less<>> m_connections;
};

} // namespace brevanton
