#include "platform/framework/ServerSpec.h"

ServerSpec::ServerSpec(const SWCharString& clientKind, const SWCharString& serverKind, const SWCharString& cluster,
                       const SWCharString& serverFilter, bool allowFailover)
    : m_clientKind(clientKind),
      m_serverKind(serverKind),
      m_clusterText(cluster),
      m_serverFilter(serverFilter),
      m_allowFailover(allowFailover)
{
}

SWCharString ServerSpec::getCluster() const
{
    return m_clusterText.isEmpty() ? SWCharString(DEFAULT_CLUSTER) : m_clusterText;
}

bool ServerSpec::matchesServer(const SWCharString& serverName) const
{
    const std::u16string& filter = m_serverFilter.str();
    if (filter.empty()) return true;
    if (filter.back() == u'*') {
        const std::size_t prefixLength = filter.size() - 1;
        return serverName.str().compare(0, prefixLength, filter, 0, prefixLength) == 0 &&
               serverName.length() >= prefixLength;
    }
    return serverName.str() == filter;
}
