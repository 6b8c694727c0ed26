// The service object without any server, white-box: binding to a host
// session, connecting, and the operations before a connection exists.  The
// Naming Service the framework is pointed at is a free port where nothing
// listens.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "host/CHostSession.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/foundation/SWCharStringConv.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"
#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

constexpr HRESULT kFrameworkFailure = static_cast<HRESULT>(0x80049000);
const char kServiceProgId[] = "CorvelEnterprise14.LumoCommentaryService.1";

// The text a client reads for a failure reported with a number derived from
// its status.
std::string DerivedText(HRESULT status)
{
    return SResString(lumo_messages::derivedFromStatus(static_cast<uint32_t>(status)), kDefaultObjectLocale)
        .text()
        .toUtf8();
}

// The C library's sockets (the Windows socket headers do not mix with the C
// library's), for a port on 127.0.0.1 where nothing listens.
extern "C" {
int socket(int domain, int type, int protocol);
int bind(int fd, const void* address, unsigned length);
int getsockname(int fd, void* address, unsigned* length);
int close(int fd);
}

struct InetAddress {  // struct sockaddr_in
    uint16_t family;
    uint16_t port;  // network order
    uint32_t address;
    uint8_t zero[8];
};

// A port that was free a moment ago: bound by the system's choice, then closed.
int ClosedPort()
{
    const int fd = socket(2 /* AF_INET */, 1 /* SOCK_STREAM */, 0);
    InetAddress address{2, 0, 0x0100007F /* 127.0.0.1 */, {}};
    unsigned length = sizeof address;
    bind(fd, &address, length);
    getsockname(fd, &address, &length);
    close(fd);
    return (address.port >> 8) | ((address.port & 0xFF) << 8);
}

class ServiceObject : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_naming = "corbaloc::127.0.0.1:" + std::to_string(ClosedPort()) + "/NameService";
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = s_naming;
        FrameworkSettings::setCurrent(settings);
        SessionManager::logon(kTestUser, "a secret no server checks");
    }
    void SetUp() override
    {
        m_so = MakeService();
        ASSERT_TRUE(m_so.internal);
        SetErrorInfo(0, nullptr);
    }

    static std::string s_naming;
    TableSession m_session;  // outlives the object that holds it
    ServiceUnderTest m_so;
};
std::string ServiceObject::s_naming;

std::string Address(const void* object) { return SWCharStringConv::ToString(object).toUtf8(); }

}  // namespace

// --- the six operations before SetImplPointers ----------------------------------------

class ServiceObjectOperation : public ServiceObject, public ::testing::WithParamInterface<OperationCase> {};

TEST_P(ServiceObjectOperation, BeforeConnectingAnswersNothingAndCallsNoOne)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    m_session.ClearCalls();
    ScopedComPtr<ISCommentRequest> request = AddRequest(u"doc", u"text");
    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    STraceCapture capture(14);
    EXPECT_HR(S_OK, (m_so.service.Get()->*GetParam().call)(request.Get(), &response));
    EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "commentResp is left as it was";
    EXPECT_TRUE(m_session.Calls().empty()) << "not even the logon token is asked for";
    const std::string at = Address(static_cast<SComObjectBase*>(m_so.object));
    const std::string op = GetParam().traceName;
    EXPECT_EQ((std::vector<std::string>{InLine(op, at), InLine("CComLumoCommentaryService::DoOperations", at),
                                        "CComLumoCommentaryService::DoOperations",
                                        "Assertion failed: !CORBA_is_nil(m_iCommentSvc): not connected",
                                        "OUT:\t[" + op + "]\t[" + at + "]\t[0]\t"}),
              capture.linesUtf8());
}

TEST_P(ServiceObjectOperation, NullCommentRespIsReportedAfterTheEntryLineOnly)
{
    ScopedComPtr<ISCommentRequest> request = AddRequest(u"doc", u"text");
    STraceCapture capture(14);
    EXPECT_HR(E_POINTER, (m_so.service.Get()->*GetParam().call)(request.Get(), nullptr));
    const std::string at = Address(static_cast<SComObjectBase*>(m_so.object));
    EXPECT_EQ((std::vector<std::string>{InLine(GetParam().traceName, at),
                                        "Assertion failed: false: Invalid pointer commentResp"}),
              capture.linesUtf8());
    const ErrorInfoText info = TakeErrorInfo();
    EXPECT_TRUE(info.present);
    EXPECT_EQ(InvalidPointerText(), info.description);
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, info.guid));
}

INSTANTIATE_TEST_SUITE_P(Six, ServiceObjectOperation, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<OperationCase>& info) { return info.param.name; });

// --- SetCOMSession ------------------------------------------------------------------------

TEST_F(ServiceObject, NullSessionIsReportedAndNothingIsStored)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    const ULONG held = m_session.Refs();
    m_session.ClearCalls();
    STraceCapture capture(14);
    EXPECT_HR(E_POINTER, m_so.internal->SetCOMSession(nullptr));
    const std::string at = Address(static_cast<SComObjectBase*>(m_so.object));
    EXPECT_EQ((std::vector<std::string>{"IN:\t[CComLumoCommentaryService::SetCOMSession]\t[" + at + "]\t[-]\t[]",
                                        "Assertion failed: false: Invalid parameter pSession"}),
              capture.linesUtf8());
    EXPECT_EQ(InvalidPointerText(), TakeErrorInfo().description);
    EXPECT_EQ(held, m_session.Refs()) << "the session bound before is still held";
    EXPECT_EQ(0x0407u, m_so.object->GetObjectLocale());
    EXPECT_TRUE(m_session.Calls().empty());

    // The session bound before is the one still in use.
    m_session.failing = {TableSession::kClusterName};
    EXPECT_HR(E_FAIL, m_so.internal->SetImplPointers(u"a", u"b"));
    EXPECT_EQ((std::vector<int>{TableSession::kClusterName}), m_session.Slots());
}

TEST_F(ServiceObject, TheSameSessionTwiceKeepsOneReferenceAndReadsTheLocaleAgain)
{
    EXPECT_EQ(kDefaultObjectLocale, m_so.object->GetObjectLocale()) << "before any session";
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ(2u, m_session.Refs());
    EXPECT_EQ(0x0407u, m_so.object->GetObjectLocale());
    m_session.locale = 0x040C;
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ(2u, m_session.Refs());
    EXPECT_EQ(0x040Cu, m_so.object->GetObjectLocale());
    EXPECT_EQ((std::vector<int>{TableSession::kLocaleId, TableSession::kLocaleId}), m_session.Slots());

    TableSession other;
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(other.Get()));
    EXPECT_EQ(1u, m_session.Refs()) << "the replaced session was released";
    EXPECT_EQ(2u, other.Refs());
    m_so = ServiceUnderTest();
    EXPECT_EQ(1u, other.Refs()) << "released with the object";
}

TEST_F(ServiceObject, AFailingLocaleQueryGivesTheUserDefaultLocale)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    ASSERT_EQ(0x0407u, m_so.object->GetObjectLocale());
    m_session.failing = {TableSession::kLocaleId};
    EXPECT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ(kDefaultObjectLocale, m_so.object->GetObjectLocale());

    // Every later call of the object runs under it: the session sees it as the
    // calling thread's locale while SetImplPointers asks for its texts.
    m_session.failing.insert(TableSession::kServerFilter);
    m_session.ClearCalls();
    EXPECT_HR(E_FAIL, m_so.internal->SetImplPointers(u"a", u"b"));
    EXPECT_EQ((std::vector<TableSession::Call>{{TableSession::kClusterName, kDefaultObjectLocale},
                                               {TableSession::kServerFilter, kDefaultObjectLocale}}),
              m_session.Calls());
}

// --- SetImplPointers ----------------------------------------------------------------------

TEST_F(ServiceObject, ConnectingWithoutASessionIsReportedAsANullPointer)
{
    STraceCapture capture(14);
    EXPECT_HR(E_POINTER, m_so.internal->SetImplPointers(u"first", u"second"));
    const std::string at = Address(static_cast<SComObjectBase*>(m_so.object));
    EXPECT_EQ((std::vector<std::string>{
                  "IN:\t[CComLumoCommentaryService::SetImplPointers]\t[" + at + "]\t[-]\t[first] [second]",
                  "OUT:\t[CComLumoCommentaryService::SetImplPointers]\t[" + at + "]\t[-2147467261]\t[first] [second]"}),
              capture.linesUtf8());
    const ErrorInfoText info = TakeErrorInfo();
    ASSERT_TRUE(info.present);
    EXPECT_EQ(DerivedText(E_POINTER), info.description);
    EXPECT_EQ(kServiceProgId, info.source);
    EXPECT_TRUE(IsEqualGUID(IID_ISLumoCommentaryService, info.guid));
}

TEST_F(ServiceObject, AFailingSelectionTextIsReportedWithItsStatus)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    struct Case {
        int failing;
        std::vector<int> asked;
    };
    for (const Case& c : {Case{TableSession::kClusterName, {TableSession::kClusterName}},
                          Case{TableSession::kServerFilter, {TableSession::kClusterName, TableSession::kServerFilter}}}) {
        SCOPED_TRACE(c.failing);
        m_session.failing = {c.failing};
        m_session.ClearCalls();
        EXPECT_HR(E_FAIL, m_so.internal->SetImplPointers(u"x", u"y"));
        EXPECT_EQ(c.asked, m_session.Slots());
        EXPECT_EQ(DerivedText(E_FAIL), TakeErrorInfo().description);
    }
}

TEST_F(ServiceObject, AnUnreachableNamingServiceIsAFrameworkFailure)
{
    m_session.cluster = u"Cluster";
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    m_session.ClearCalls();
    STraceCapture capture(14, {"CComLumoCommentaryService"});
    EXPECT_HR(kFrameworkFailure, m_so.internal->SetImplPointers(u"host", u"the-service-uri"));
    const std::string method = "CComLumoCommentaryService::SetImplPointers]\t[" +
                               Address(static_cast<SComObjectBase*>(m_so.object)) + "]\t[";
    EXPECT_EQ((std::vector<std::string>{
                  "IN:\t[" + method + "-]\t[host] [the-service-uri]",
                  "OUT:\t[" + method + "-2147184640]\t[host] [the-service-uri]",
                  "CComLumoCommentaryService::SetImplPointers: Failed to get audit service. service_uri: the-service-uri"}),
              capture.linesUtf8());
    const ErrorInfoText info = TakeErrorInfo();
    ASSERT_TRUE(info.present);
    const std::string message = "The naming service (" + s_naming + ") cannot be reached: ";
    EXPECT_EQ(message, info.description.substr(0, message.size())) << info.description;
    EXPECT_NE(std::string::npos, info.description.find("TRANSIENT")) << info.description;
    EXPECT_EQ(kServiceProgId, info.source);
    EXPECT_EQ((std::vector<int>{TableSession::kClusterName, TableSession::kServerFilter}), m_session.Slots());

    // Still not connected: the operations answer nothing.
    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    ScopedComPtr<ISCommentRequest> request = AddRequest(u"doc", u"text");
    EXPECT_HR(S_OK, m_so.service->AddComment(request.Get(), &response));
    EXPECT_EQ(Sentinel<ISCommentResponse*>(), response);
}

// --- the host program's session by position ---------------------------------------------

TEST(HostSessionTable, AnswersItsFourOperationsAtTheirPositionsAndNothingElse)
{
    CHostSession::Settings settings;
    settings.locale = 0x0413;
    settings.cluster = u"the cluster";
    settings.serverFilter = u"server-*";
    settings.logonToken = u"the token";
    ScopedComPtr<ISHostSession> session(CHostSession::Create(settings));
    void* const* table = *reinterpret_cast<void* const* const*>(session.Get());
    using TextOperation = HRESULT(STDMETHODCALLTYPE*)(ISHostSession*, BSTR*);
    using LocaleOperation = HRESULT(STDMETHODCALLTYPE*)(ISHostSession*, LCID*);
    using Other = HRESULT(STDMETHODCALLTYPE*)(ISHostSession*);

    const std::pair<int, std::string> texts[] = {{8, "server-*"}, {33, "the cluster"}, {35, "the token"}};
    for (const auto& [slot, expected] : texts) {
        ScopedBstr text;
        EXPECT_HR(S_OK, reinterpret_cast<TextOperation>(table[slot])(session.Get(), text.Receive())) << slot;
        EXPECT_EQ(expected, Utf8(text.Get())) << slot;
    }
    LCID locale = 0;
    EXPECT_HR(S_OK, reinterpret_cast<LocaleOperation>(table[12])(session.Get(), &locale));
    EXPECT_EQ(0x0413u, locale);
    for (int slot = 3; slot < TableSession::kSlots; ++slot) {
        if (slot == 8 || slot == 12 || slot == 33 || slot == 35) continue;
        EXPECT_HR(E_NOTIMPL, reinterpret_cast<Other>(table[slot])(session.Get())) << slot;
    }
    static_cast<CHostSession*>(session.Get())->FailLocaleQuery(true);
    EXPECT_HR(E_FAIL, reinterpret_cast<LocaleOperation>(table[12])(session.Get(), &locale));
}
