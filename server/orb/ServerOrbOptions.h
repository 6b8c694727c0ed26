// The ORB settings a commentary server gives itself, from its options: a
// slightly oversized request still arrives to be answered with 413, and a
// text many times too large is refused by the ORB before it is read
// (idl/MessageLimit.h); calls are served by a bounded pool of threads,
// whatever the number of connections, and idle connections are closed.  The
// benchmark's echo servant runs on the same table, with the default options.
//
// Header only: the echo servant includes it without the server's libraries.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "idl/MessageLimit.h"
#include "server/app/ServerOptions.h"

namespace lumo_server {

class ServerOrbOptions {
public:
    explicit ServerOrbOptions(const ServerOptions& options)
    {
        if (!options.tlsOnly) add("endPoint", options.endpoint);
        // The SSL transport listens only when the server has a certificate.
        if (!options.tlsCertificate.empty()) add("endPoint", options.tlsEndpoint);
        add("giopMaxMsgSize", std::to_string(lumo_idl::orbMessageLimit(options.maxRequestChars)));
        add("threadPerConnectionPolicy", "0");
        add("maxServerThreadPoolSize", std::to_string(options.maxThreads));
        add("inConScanPeriod", std::to_string(options.idleConnectionSeconds));
        add("scanGranularity", std::to_string(std::min(options.idleConnectionSeconds, 5)));
        add("clientCallTimeOutPeriod", "10000");
        add("clientConnectTimeOutPeriod", "5000");
        for (std::size_t i = 0; i < m_options.size(); ++i) {
            m_table[i][0] = m_options[i].first.c_str();
            m_table[i][1] = m_options[i].second.c_str();
        }
    }
    ServerOrbOptions(const ServerOrbOptions&) = delete;
    ServerOrbOptions& operator=(const ServerOrbOptions&) = delete;

    // ORB_init's options, ending with {nullptr, nullptr}; valid while this lives.
    const char* (*table())[2] { return m_table; }

private:
    static constexpr std::size_t kMostOptions = 11;

    void add(const char* name, std::string value) { m_options.emplace_back(name, std::move(value)); }

    std::vector<std::pair<std::string, std::string>> m_options;
    const char* m_table[kMostOptions + 1][2] = {};  // the rows after the options stay null
};

}  // namespace lumo_server
