#include "tests/native/remote_e2e/RemoteSupport.h"

#include <signal.h>

#include <chrono>

#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/NativeChar_Services.h"
#include "platform/framework/ServerKinds.h"
#include "platform/framework/ServerSpec.h"
#include "platform/framework/ServiceMgrFactory.h"
#include "platform/framework/SessionManager.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"

using namespace std::chrono_literals;

static constexpr char kSecret[] = "e2e-secret";
void RemoteFixture::SetUp()
{
    m_dir = std::make_unique<test_support::TempDir>();
    m_names = std::make_unique<test_support::NamingService>(*m_dir);
    ASSERT_TRUE(m_names->ready(10s)) << "omniNames did not start: " << m_names->output();
    m_naming = m_names->ref();

    FrameworkSettings settings = FrameworkSettings::fromEnvironment();
    settings.naming = m_naming;
    settings.callTimeoutMs = 2000;
    settings.callDeadlineMs = 4000;
    FrameworkSettings::setCurrent(settings);

    SessionManager::logon(u"alice", kSecret);
    m_token = SessionManager::getServerSession()->getLogonToken();
}

void RemoteFixture::TearDown()
{
    for (auto& entry : m_servers) entry.second->stop(SIGTERM, 0ms);
    for (auto& entry : m_servers) entry.second->wait(10s);
    m_servers.clear();
    m_names.reset();
    m_dir.reset();
}

ChildProcess& RemoteFixture::startServer(const std::string& name, const std::vector<std::string>& extra)
{
    std::vector<std::string> argv{LUMO_SERVER_BINARY, "--naming", m_naming, "--cluster", "E2E", "--name", name,
                                  "--endpoint", "giop:tcp:127.0.0.1:" + std::to_string(test_support::freePort()),
                                  "--sqlite", m_dir->file("comments.db"), "--token-secret-file",
                                  test_support::writePrivateFile(m_dir->file("token-secret"), kSecret),
                                  "--request-log", m_dir->file(name + ".log")};
    argv.insert(argv.end(), extra.begin(), extra.end());
    // A fresh output file per start: a restarted server's "ready" must be its own.
    auto process = std::make_unique<ChildProcess>(argv, m_dir->file(name + "-" + std::to_string(++m_starts) + ".out"));
    EXPECT_TRUE(process->waitForOutput("ready\n", 15s)) << "server " << name << " did not get ready: "
                                                        << process->output();
    ChildProcess& ref = *process;
    m_servers[name] = std::move(process);
    return ref;
}

SRefPtr<IManagedService> RemoteFixture::createService(const char16_t* filter, bool failover, int lbId)
{
    SRefPtr<IServiceMgr> manager = ServiceMgrFactory::getServiceMgr();
    SRefPtr<ServerSpec> serverSpec(
        new ServerSpec(ServerKinds::UNSPECIFIED, ServerKinds::PJS, u"E2E", filter, failover));
    LumoCommentaryService_HelperFactory factory;
    SRefPtr<IServerSession> session = SessionManager::getServerSession();
    SRefPtr<IManagedService> service;
    manager->createManagedService(service, lbId, NativeChar_Services::Nexa_LumoCommentary, serverSpec,
                                  session->getUserURI(), session->getLogonToken(), &factory);
    return service;
}

SWCharString RemoteFixture::addRequest(const SWCharString& document, const SWCharString& text) const
{
    api::Comment c;
    c.setSourceCUID(document);
    c.setText(text);
    api::AddCommentRequest request(c);
    request.setLogonToken(m_token);
    return request.toJSON();
}

SWCharString RemoteFixture::getRequest(const SWCharString& document) const
{
    api::Comment c;
    c.setSourceCUID(document);
    api::GetCommentRequest request(c);
    request.setLogonToken(m_token);
    return request.toJSON();
}

int32_t RemoteFixture::addedId(const SWCharString& reply)
{
    const lumo_json::Document document = lumo_json::parse(reply.c_str());
    const lumo_json::Value* member = document.IsObject() ? lumo_json::findMember(document, u"comment") : nullptr;
    if (!member || !member->IsObject()) return -1;
    api::Comment comment;
    comment.fromJSON(*member);
    return comment.getCommentId();
}

std::vector<std::shared_ptr<api::Comment>> RemoteFixture::comments(const SWCharString& reply)
{
    const api::GetCommentSuccessResponse response(reply);
    EXPECT_EQ(response.getResponseType(), 2) << reply.toUtf8();
    EXPECT_EQ(response.getStatusCode(), 0) << reply.toUtf8();
    return response.getComments();
}
