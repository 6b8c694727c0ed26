// The service object without a server: binding to the host session,
// connecting, operations before a connection, and the errors reported.
#include "tests/winelib/support/WinelibGTest.h"

#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

const std::string kService = "CComLumoCommentaryService::";
const std::string kReportedBy = "|CorvelEnterprise14.LumoCommentaryService.1|" + GuidText(IID_ISLumoCommentaryService);
// A privileged port on 127.0.0.1 where nothing is expected to listen.
const char kNaming[] = "corbaloc::127.0.0.1:1/NameService";

class ServiceObject : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = kNaming;
        FrameworkSettings::setCurrent(settings);
        SessionManager::logon(kTestUser, "a secret no server checks");
    }
    void SetUp() override
    {
        m_so = MakeService();
        ASSERT_TRUE(m_so.internal);
        m_settings.locale = 0x0407;
        m_session.Reset(CHostSession::Create(m_settings));
    }
    static std::vector<std::string> ConnectLines(const std::string& status)
    {
        const std::string method = "[" + kService + "SetImplPointers]\t[@1]\t[";
        return {"IN:\t" + method + "-]\t[host] [uri]", "OUT:\t" + method + status + "]\t[host] [uri]"};
    }

    CHostSession::Settings m_settings;
    ScopedComPtr<ISHostSession> m_session;  // outlives the object that holds it
    ServiceUnderTest m_so;
};

}  // namespace

TEST_F(ServiceObject, EveryOperationBeforeConnectingAnswersNothingAndCallsNoOne)
{
    const struct {
        const char* name;
        Operation call;
    } operations[] = {{"AddComment", &ISLumoCommentaryService::AddComment},
                      {"GetComment", &ISLumoCommentaryService::GetComment},
                      {"ModifyComment", &ISLumoCommentaryService::ModifyComment},
                      {"DeleteComment", &ISLumoCommentaryService::DeleteComment},
                      {"HideComment", &ISLumoCommentaryService::HideComments},
                      {"DuplicateComment", &ISLumoCommentaryService::DuplicateComments}};
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    ScopedComPtr<ISCommentRequest> request = Request(AddCommentRequestType, u"doc", u"text");
    for (const auto& [name, call] : operations) {
        const std::string method = kService + name;
        ISCommentResponse* response = Sentinel<ISCommentResponse*>();
        EXPECT_EQ((std::vector<std::string>{
                      InLine(method, "@1"), InLine(kService + "DoOperations", "@1"), kService + "DoOperations",
                      "Assertion failed: !CORBA_is_nil(m_iCommentSvc): not connected", OutLine(method, "@1")}),
                  TraceOf([&] { EXPECT_HR(S_OK, (m_so.service.Get()->*call)(request.Get(), &response)); }))
            << "no request is read, built or sent";
        EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "commentResp is left as it was";
        EXPECT_EQ(
            (std::vector<std::string>{InLine(method, "@1"), "Assertion failed: false: Invalid pointer commentResp"}),
            TraceOf([&] { EXPECT_HR(E_POINTER, (m_so.service.Get()->*call)(request.Get(), nullptr)); }));
        EXPECT_EQ(kInvalidPointerReported, TakeErrorInfo());
    }
}

TEST_F(ServiceObject, SetCOMSessionHoldsOneSessionAndTakesItsLocale)
{
    for (int twice = 0; twice < 2; ++twice) ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ((std::vector<std::string>{InLine(kService + "SetCOMSession") + "[]",
                                        "Assertion failed: false: Invalid parameter pSession"}),
              TraceOf([&] { EXPECT_HR(E_POINTER, m_so.internal->SetCOMSession(nullptr)); }));
    EXPECT_EQ(kInvalidPointerReported, TakeErrorInfo());
    EXPECT_EQ("2 1031",
              std::to_string(RefCount(m_session.Get())) + " " + std::to_string(m_so.object->GetObjectLocale()))
        << "one reference, whatever was passed; the session's locale";
    ScopedComPtr<ISHostSession> other(CHostSession::Create(m_settings));
    static_cast<CHostSession*>(other.Get())->FailQueries(true);
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(other.Get()));
    EXPECT_EQ(kDefaultObjectLocale, m_so.object->GetObjectLocale()) << "a failing locale query: the user default";
    EXPECT_EQ(1u, RefCount(m_session.Get())) << "the replaced session was released";
    m_so = ServiceUnderTest();
    EXPECT_EQ(1u, RefCount(other.Get())) << "released with the object";
}

TEST_F(ServiceObject, ConnectingWithoutAnAnsweringSessionIsReported)
{
    EXPECT_EQ(ConnectLines("-2147467261"),
              TraceOf([&] { EXPECT_HR(E_POINTER, m_so.internal->SetImplPointers(u"host", u"uri")); }));
    EXPECT_EQ("The host session was not given to the commentary service." + kReportedBy, TakeErrorInfo());
    static_cast<CHostSession*>(m_session.Get())->FailQueries(true);
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ(ConnectLines("-2147467259"),
              TraceOf([&] { EXPECT_HR(E_FAIL, m_so.internal->SetImplPointers(u"host", u"uri")); }));
    EXPECT_EQ("The host session failed to answer." + kReportedBy, TakeErrorInfo());
}

TEST_F(ServiceObject, AnUnreachableNamingServiceIsAFrameworkFailure)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    std::vector<std::string> expected = ConnectLines("-2147184640");
    expected.push_back(kService + "SetImplPointers: Failed to get audit service. service_uri: uri");
    EXPECT_EQ(expected, TraceOf([&] { EXPECT_HR(0x80049000, m_so.internal->SetImplPointers(u"host", u"uri")); }));
    const std::string info = TakeErrorInfo();
    const std::string message = "The naming service (" + std::string(kNaming) + ") cannot be reached: ";
    EXPECT_EQ(message, info.substr(0, message.size()));
    EXPECT_NE(std::string::npos, info.find("TRANSIENT")) << info;
    EXPECT_EQ(kReportedBy, info.substr(info.size() - kReportedBy.size()));

    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    EXPECT_HR(S_OK, m_so.service->AddComment(Request(AddCommentRequestType, u"doc", u"text").Get(), &response));
    EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "still not connected: nothing is answered";
}
