// The end-to-end fixture: a private omniNames and commentary servers on
// 127.0.0.1 (free ports, one SQLite file), a logged-on user, and managed
// services with proxies made exactly as the service object makes them
// (through the plain headers only).  The client's limits are short (attempt
// 2 s, call 4 s) so that the cases that spend them stay quick.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/LumoCommentaryService_Nexa_API.h"
#include "platform/framework/IManagedService.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/NexaFrameworkException.h"
#include "service/proxy/LumoCommentaryServiceHandle.h"
#include "tests/native/support/Processes.h"

namespace api = lumocommentaryservice_nexa_api;
using test_support::ChildProcess;

class RemoteFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts a server of the cluster "E2E" on the shared SQLite file and waits
    // for its "ready".
    ChildProcess& startServer(const std::string& name, const std::vector<std::string>& extra = {});
    ChildProcess& server(const std::string& name) { return *m_servers.at(name); }
    std::string requestLog(const std::string& name) const { return test_support::readFile(m_dir->file(name + ".log")); }

    // A managed service of the commentary kind, created as the service object
    // creates it; raises what the service manager raises.
    SRefPtr<IManagedService> createService(const char16_t* filter = u"", bool failover = true,
                                           int lbId = IManagedService::LB_FIRST);
    static LumoCommentaryServiceHandle proxyOn(const SRefPtr<IManagedService>& service)
    {
        return LumoCommentaryServiceHandle::createProxy(service.get());
    }

    // Request texts with the user's token.
    SWCharString addRequest(const SWCharString& document, const SWCharString& text) const;
    SWCharString getRequest(const SWCharString& document) const;

    // The comment id that an add reply carries (-1 when none).
    static int32_t addedId(const SWCharString& reply);
    // The comments of a get reply (a test failure when the reply is not a get
    // success).
    static std::vector<std::shared_ptr<api::Comment>> comments(const SWCharString& reply);

    std::unique_ptr<test_support::TempDir> m_dir;
    std::unique_ptr<test_support::NamingService> m_names;
    std::string m_naming;

private:
    std::map<std::string, std::unique_ptr<ChildProcess>> m_servers;
    SWCharString m_token;
    int m_starts = 0;
};

// One call through the handle.
inline SWCharString execute(const LumoCommentaryServiceHandle& proxy, const SWCharString& request)
{
    return proxy.execute(SNexaString(request));
}
