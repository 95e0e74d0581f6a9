#include "wordpress/XMLRPCConnectionManager.h"

#include "platform/net/URLSession.h"
#include "wordpress/XMLRPCConnection.h"

namespace brevanton {

XMLRPCConnectionManager& XMLRPCConnectionManager::sharedManager()
{
    // Never destroyed: it lives for the whole run.
    static auto* manager = new XMLRPCConnectionManager;
    return *manager;
}

XMLRPCConnectionManager::XMLRPCConnectionManager(std::shared_ptr<URLSession> session)
    : m_session(session ? std::move(session) : URLSession::shared())
{
}

XMLRPCConnectionManager::~XMLRPCConnectionManager()
{
    auto connections = std::move(m_connections);
    for (auto& [identifier, connection] : connections)
        connection->m_manager = nullptr;
}

std::u16string XMLRPCConnectionManager::spawnConnectionWithXMLRPCRequest(std::shared_ptr<XMLRPCRequest> request,
    std::weak_ptr<XMLRPCConnectionDelegate> delegate)
{
    auto connection = XMLRPCConnection::create(std::move(request), std::move(delegate), *this, m_session);
    std::u16string identifier = connection->identifier();
    m_connections.emplace(identifier, std::move(connection));
    return identifier;
}

std::shared_ptr<XMLRPCConnection> XMLRPCConnectionManager::connectionForIdentifier(std::u16string_view identifier) const
{
    auto found = m_connections.find(identifier);
    return found == m_connections.end() ? nullptr : found->second;
}

void XMLRPCConnectionManager::closeConnectionForIdentifier(std::u16string_view identifier)
{
    if (auto connection = connectionForIdentifier(identifier))
        connection->cancel();
}

void XMLRPCConnectionManager::closeConnections()
{
    for (auto& [identifier, connection] : m_connections)
        connection->cancel();
}

std::vector<std::u16string> XMLRPCConnectionManager::activeConnectionIdentifiers() const
{
    std::vector<std::u16string> identifiers;
    for (auto& [identifier, connection] : m_connections)
        identifiers.push_back(identifier);
    return identifiers;
}

void XMLRPCConnectionManager::connectionEnded(const std::u16string& identifier)
{
    m_connections.erase(identifier);
}

} // namespace brevanton
