// ServerSpec: which servers of a service a managed service may use.
//
// Plain C++: the Winelib module includes this header.
//
// Design decision: the meaning of the five values.  Built from, in this order:
//   clientKind     the kind of the requesting side (ServerKinds::UNSPECIFIED
//                  when it names none); recorded for diagnostics only
//   serverKind     the server family (ServerKinds::PJS); recorded for
//                  diagnostics only
//   cluster        the first selection text: the naming context, directly
//                  under the Naming Service's root, in which the servers of
//                  the cluster register; empty means "LumoCommentary"
//   serverFilter   the second selection text: which servers of the cluster
//                  may be used.  Empty: any server.  A text ending in '*': the
//                  servers whose names begin with the text before the '*'
//                  ("*" alone: any server).  Anything else: exactly the server
//                  of that name.  Names compare case-sensitively.
//   allowFailover  true: after a failure the managed service may move to
//                  another server of the cluster that the filter admits;
//                  false: it stays on the server it chose first (it may
//                  reconnect to that server, never to another one)
#pragma once

#include "platform/foundation/SString.h"
#include "platform/framework/CRefCount.h"

class ServerSpec : public CRefCount {
public:
    static constexpr const char16_t* DEFAULT_CLUSTER = u"LumoCommentary";

    ServerSpec(const SWCharString& clientKind, const SWCharString& serverKind, const SWCharString& cluster,
               const SWCharString& serverFilter, bool allowFailover);

    const SWCharString& getClientKind() const { return m_clientKind; }
    const SWCharString& getServerKind() const { return m_serverKind; }
    // The cluster as given (may be empty) and as used (never empty).
    const SWCharString& getClusterText() const { return m_clusterText; }
    SWCharString getCluster() const;
    const SWCharString& getServerFilter() const { return m_serverFilter; }
    bool allowsFailover() const { return m_allowFailover; }

    // Whether the filter admits a server of this name.
    bool matchesServer(const SWCharString& serverName) const;

private:
    SWCharString m_clientKind;
    SWCharString m_serverKind;
    SWCharString m_clusterText;
    SWCharString m_serverFilter;
    bool m_allowFailover;
};
