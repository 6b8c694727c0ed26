#include "tests/native/remote_e2e/RemoteSupport.h"

#include <signal.h>

#include <chrono>

#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/ManagedService.h"
#include "platform/framework/NativeChar_Services.h"
#include "platform/framework/ServerKinds.h"
#include "platform/framework/ServerSpec.h"
#include "platform/framework/ServiceMgrFactory.h"
#include "platform/framework/SessionManager.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"

using namespace std::chrono_literals;

void RemoteFixture::SetUp()
{
    m_dir = std::make_unique<TempDir>();
    const int port = freePort();
    const std::string endpoint = "giop:tcp:127.0.0.1:" + std::to_string(port);
    m_names = std::make_unique<ChildProcess>(
        std::vector<std::string>{LUMO_OMNINAMES, "-start", std::to_string(port), "-always", "-datadir", m_dir->path(),
                                 "-ORBendPoint", endpoint},
        m_dir->path() + "/omniNames.out");
    ASSERT_TRUE(waitForPort(port, 10s)) << "omniNames did not start: " << m_names->output();
    m_naming = "corbaloc::127.0.0.1:" + std::to_string(port) + "/NameService";

    FrameworkSettings settings = FrameworkSettings::fromEnvironment();
    settings.naming = m_naming;
    settings.callTimeoutMs = 5000;
    settings.quarantineMs = 10000;
    FrameworkSettings::setCurrent(settings);
    m_savedBound = ManagedService::INVOKE_LOOP_INSANITY;
    m_savedTests = ManagedService::TESTS_ENABLED;
    ManagedService::INVOKE_LOOP_INSANITY = 3;
    ManagedService::TESTS_ENABLED = false;

    SessionManager::logon(u"alice", kSecret);
    m_token = SessionManager::getServerSession()->getLogonToken();
}

void RemoteFixture::TearDown()
{
    ManagedService::INVOKE_LOOP_INSANITY = m_savedBound;
    ManagedService::TESTS_ENABLED = m_savedTests;
    for (auto& entry : m_servers) entry.second->signal(SIGTERM);
    for (auto& entry : m_servers) entry.second->waitForExit(10s);
    m_servers.clear();
    if (m_names) m_names->kill();
    m_names.reset();
    m_dir.reset();
}

ChildProcess& RemoteFixture::startServer(const std::string& name, const std::vector<std::string>& extra)
{
    std::vector<std::string> argv{LUMO_SERVER_BINARY,
                                  "--naming",
                                  m_naming,
                                  "--cluster",
                                  "E2E",
                                  "--name",
                                  name,
                                  "--endpoint",
                                  "giop:tcp:127.0.0.1:" + std::to_string(freePort()),
                                  "--sqlite",
                                  m_dir->path() + "/comments.db",
                                  "--token-secret",
                                  kSecret,
                                  "--request-log",
                                  m_dir->path() + "/" + name + ".log"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    // A fresh output file per start: a restarted server's "ready" must be its own.
    const std::string output = m_dir->path() + "/" + name + "-" + std::to_string(++m_starts) + ".out";
    auto process = std::make_unique<ChildProcess>(argv, output);
    const bool ready = process->waitForLine("ready", 15s);
    EXPECT_TRUE(ready) << "server " << name << " did not get ready: " << process->output();
    ChildProcess& ref = *process;
    m_servers[name] = std::move(process);
    return ref;
}

std::string RemoteFixture::requestLog(const std::string& name) const
{
    return readFile(m_dir->path() + "/" + name + ".log");
}

SRefPtr<IManagedService> RemoteFixture::createService(const char16_t* filter, bool failover, int lbId)
{
    SRefPtr<IServiceMgr> manager = ServiceMgrFactory::getServiceMgr();
    SRefPtr<ServerSpec> spec(new ServerSpec(ServerKinds::UNSPECIFIED, ServerKinds::PJS, kCluster, filter, failover));
    LumoCommentaryService_HelperFactory factory;
    SRefPtr<IServerSession> session = SessionManager::getServerSession();
    SRefPtr<IManagedService> service;
    manager->createManagedService(service, lbId, NativeChar_Services::Nexa_LumoCommentary, spec,
                                  session->getUserURI(), session->getLogonToken(), &factory);
    return service;
}

LumoCommentaryServiceHandle RemoteFixture::proxyOn(const SRefPtr<IManagedService>& service)
{
    return LumoCommentaryServiceHandle::createProxy(service.get());
}

namespace {

api::Comment commentOf(const SWCharString& document)
{
    api::Comment comment;
    comment.setSourceCUID(document);
    return comment;
}

}  // namespace

SWCharString RemoteFixture::addRequest(const SWCharString& document, const SWCharString& text) const
{
    api::Comment comment = commentOf(document);
    comment.setText(text);
    api::AddCommentRequest request(comment);
    request.setLogonToken(m_token);
    return request.toJSON();
}

SWCharString RemoteFixture::getRequest(const SWCharString& document, bool withHidden,
                                       const std::vector<api::SortParamRecord>& sort, const SWCharString& top) const
{
    api::Comment comment = commentOf(document);
    comment.setHidden(withHidden);
    api::GetCommentRequest request(comment);
    for (const api::SortParamRecord& s : sort) request.appendSortParam(s);
    if (!top.isEmpty()) request.appendQualifier(api::CommentQualifierRecord(0, top));
    request.setLogonToken(m_token);
    return request.toJSON();
}

SWCharString RemoteFixture::modifyRequest(const SWCharString& document, int32_t id, const SWCharString& text) const
{
    api::Comment comment = commentOf(document);
    comment.setCommentId(id);
    comment.setText(text);
    api::ModifyCommentRequest request(comment);
    request.setLogonToken(m_token);
    return request.toJSON();
}

SWCharString RemoteFixture::deleteRequest(const SWCharString& document, int32_t id) const
{
    api::Comment comment = commentOf(document);
    comment.setCommentId(id);
    api::DeleteCommentRequest request(comment);
    request.setLogonToken(m_token);
    return request.toJSON();
}

SWCharString RemoteFixture::hideRequest(const SWCharString& document, const std::vector<int32_t>& ids) const
{
    SIntArray list;
    for (int32_t id : ids) list.append(id);
    api::HideCommentRequest request(commentOf(document), list);
    request.setLogonToken(m_token);
    return request.toJSON();
}

SWCharString RemoteFixture::duplicateRequest(const SWCharString& document, const SWCharString& target) const
{
    api::DuplicateCommentRequest request(commentOf(document), target);
    request.setLogonToken(m_token);
    return request.toJSON();
}

int32_t RemoteFixture::addedId(const SWCharString& reply)
{
    const lumo_json::Document document = lumo_json::parse(reply.c_str());
    if (!document.IsObject()) return -1;
    const auto member = document.FindMember(u"comment");
    if (member == document.MemberEnd() || !member->value.IsObject()) return -1;
    api::Comment comment;
    comment.fromJSON(member->value);
    return comment.getCommentId();
}

std::vector<std::shared_ptr<api::Comment>> RemoteFixture::comments(const SWCharString& reply)
{
    const api::GetCommentSuccessResponse response(reply);
    EXPECT_EQ(response.getResponseType(), 2) << reply.toUtf8();
    EXPECT_EQ(response.getStatusCode(), 0) << reply.toUtf8();
    return response.getComments();
}

std::vector<int32_t> RemoteFixture::ids(const SWCharString& reply)
{
    std::vector<int32_t> out;
    for (const auto& c : comments(reply)) out.push_back(c->getCommentId());
    return out;
}
