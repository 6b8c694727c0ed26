// The service object without any server, white-box: binding to the host
// program's session, connecting, and the operations before a connection
// exists.  Also that session, by the positions of its table.
#include "tests/winelib/support/WinelibGTest.h"

#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

const char kServiceProgId[] = "CorvelEnterprise14.LumoCommentaryService.1";
const std::string kService = "CComLumoCommentaryService::";

// Where the framework looks for the Naming Service: a privileged port on
// 127.0.0.1 where nothing is expected to listen.
const char kNaming[] = "corbaloc::127.0.0.1:1/NameService";

struct OperationCase {
    const char* name;       // for test names
    const char* traceName;  // what the trace lines show after kService
    Operation call;
};
const OperationCase kOperations[] = {
    {"AddComment", "AddComment", &ISLumoCommentaryService::AddComment},
    {"GetComment", "GetComment", &ISLumoCommentaryService::GetComment},
    {"ModifyComment", "ModifyComment", &ISLumoCommentaryService::ModifyComment},
    {"DeleteComment", "DeleteComment", &ISLumoCommentaryService::DeleteComment},
    {"HideComments", "HideComment", &ISLumoCommentaryService::HideComments},
    {"DuplicateComments", "DuplicateComment", &ISLumoCommentaryService::DuplicateComments},
};

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
        m_at = AddressOf(m_so.object);
        m_settings.locale = 0x0407;
        m_session = MakeSession(m_settings);
        SetErrorInfo(0, nullptr);
    }

    CHostSession::Settings m_settings;
    ScopedComPtr<ISHostSession> m_session;  // outlives the object that holds it
    ServiceUnderTest m_so;
    std::string m_at;
};

}  // namespace

class ServiceObjectOperation : public ServiceObject, public ::testing::WithParamInterface<OperationCase> {};

TEST_P(ServiceObjectOperation, BeforeConnectingAnswersNothingAndCallsNoOne)
{
    const OperationCase& op = GetParam();
    const std::string method = kService + op.traceName;
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    ScopedComPtr<ISCommentRequest> request = AddRequest(u"doc", u"text");
    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    EXPECT_EQ((std::vector<std::string>{InLine(method, m_at), InLine(kService + "DoOperations", m_at),
                                        kService + "DoOperations",
                                        "Assertion failed: !CORBA_is_nil(m_iCommentSvc): not connected",
                                        OutLine(method, m_at)}),
              TraceOf([&] { EXPECT_HR(S_OK, (m_so.service.Get()->*op.call)(request.Get(), &response)); }))
        << "no request is read, built or sent";
    EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "commentResp is left as it was";

    EXPECT_EQ((std::vector<std::string>{InLine(method, m_at), "Assertion failed: false: Invalid pointer commentResp"}),
              TraceOf([&] { EXPECT_HR(E_POINTER, (m_so.service.Get()->*op.call)(request.Get(), nullptr)); }))
        << "a null commentResp: the entry line only";
    ExpectInvalidPointerReported();
}

INSTANTIATE_TEST_SUITE_P(Six, ServiceObjectOperation, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<OperationCase>& info) { return info.param.name; });

TEST_F(ServiceObject, SetCOMSessionHoldsOneSessionAndTakesItsLocale)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ(2u, RefCount(m_session.Get())) << "the same session twice holds one reference";
    EXPECT_EQ(0x0407u, m_so.object->GetObjectLocale());

    EXPECT_EQ((std::vector<std::string>{"IN:\t[" + kService + "SetCOMSession]\t[" + m_at + "]\t[-]\t[]",
                                        "Assertion failed: false: Invalid parameter pSession"}),
              TraceOf([&] { EXPECT_HR(E_POINTER, m_so.internal->SetCOMSession(nullptr)); }));
    ExpectInvalidPointerReported();
    EXPECT_EQ(2u, RefCount(m_session.Get())) << "a null session changes nothing";
    EXPECT_EQ(0x0407u, m_so.object->GetObjectLocale());

    static_cast<CHostSession*>(m_session.Get())->FailLocaleQuery(true);
    EXPECT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    EXPECT_EQ(kDefaultObjectLocale, m_so.object->GetObjectLocale()) << "a failing locale query: the user default";

    ScopedComPtr<ISHostSession> other = MakeSession(m_settings);
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(other.Get()));
    EXPECT_EQ(1u, RefCount(m_session.Get())) << "the replaced session was released";
    EXPECT_EQ(2u, RefCount(other.Get()));
    m_so = ServiceUnderTest();
    EXPECT_EQ(1u, RefCount(other.Get())) << "released with the object";
}

TEST_F(ServiceObject, ConnectingWithoutASessionIsReportedAsANullPointer)
{
    const std::string method = "SetImplPointers]\t[" + m_at + "]\t[";
    EXPECT_EQ((std::vector<std::string>{"IN:\t[" + kService + method + "-]\t[first] [second]",
                                        "OUT:\t[" + kService + method + "-2147467261]\t[first] [second]"}),
              TraceOf([&] { EXPECT_HR(E_POINTER, m_so.internal->SetImplPointers(u"first", u"second")); }));
    const ErrorInfoText info = TakeErrorInfo();
    EXPECT_EQ(SResString(lumo_messages::derivedFromStatus(static_cast<uint32_t>(E_POINTER)), kDefaultObjectLocale).text().toUtf8(),
              info.description)
        << "the message of the number derived from the status";
    EXPECT_EQ(kServiceProgId, info.source);
    EXPECT_TRUE(IsEqualGUID(IID_ISLumoCommentaryService, info.guid));
}

TEST_F(ServiceObject, AnUnreachableNamingServiceIsAFrameworkFailure)
{
    ASSERT_HR(S_OK, m_so.internal->SetCOMSession(m_session.Get()));
    STraceCapture capture(14, {"CComLumoCommentaryService"});
    EXPECT_HR(0x80049000, m_so.internal->SetImplPointers(u"host", u"the-service-uri"));
    const std::string method = kService + "SetImplPointers]\t[" + m_at + "]\t[";
    EXPECT_EQ((std::vector<std::string>{
                  "IN:\t[" + method + "-]\t[host] [the-service-uri]",
                  "OUT:\t[" + method + "-2147184640]\t[host] [the-service-uri]",
                  kService + "SetImplPointers: Failed to get audit service. service_uri: the-service-uri"}),
              capture.linesUtf8());
    const ErrorInfoText info = TakeErrorInfo();
    const std::string message = "The naming service (" + std::string(kNaming) + ") cannot be reached: ";
    EXPECT_EQ(message, info.description.substr(0, message.size())) << info.description;
    EXPECT_NE(std::string::npos, info.description.find("TRANSIENT")) << info.description;
    EXPECT_EQ(kServiceProgId, info.source);

    ISCommentResponse* response = Sentinel<ISCommentResponse*>();
    ScopedComPtr<ISCommentRequest> request = AddRequest(u"doc", u"text");
    EXPECT_HR(S_OK, m_so.service->AddComment(request.Get(), &response));
    EXPECT_EQ(Sentinel<ISCommentResponse*>(), response) << "still not connected: nothing is answered";
}

TEST(HostSessionTable, AnswersItsFourOperationsAtTheirPositionsAndNothingElse)
{
    CHostSession::Settings settings;
    settings.locale = 0x0413;
    settings.cluster = u"the cluster";
    settings.serverFilter = u"server-*";
    settings.logonToken = u"the token";
    ScopedComPtr<ISHostSession> session = MakeSession(settings);
    void* const* table = *reinterpret_cast<void* const* const*>(session.Get());
    using TextOperation = HRESULT(STDMETHODCALLTYPE*)(ISHostSession*, BSTR*);
    using LocaleOperation = HRESULT(STDMETHODCALLTYPE*)(ISHostSession*, LCID*);
    using Other = HRESULT(STDMETHODCALLTYPE*)(ISHostSession*);

    const std::map<int, std::string> texts = {{8, "server-*"}, {33, "the cluster"}, {35, "the token"}};
    for (const auto& [position, expected] : texts) {
        ScopedBstr text;
        EXPECT_HR(S_OK, reinterpret_cast<TextOperation>(table[position])(session.Get(), text.Receive())) << position;
        EXPECT_EQ(expected, Utf8(text.Get())) << position;
    }
    LCID locale = 0;
    EXPECT_HR(S_OK, reinterpret_cast<LocaleOperation>(table[12])(session.Get(), &locale));
    EXPECT_EQ(0x0413u, locale);
    for (int position = 3; position < 36; ++position) {
        if (position != 12 && !texts.count(position)) {
            EXPECT_HR(E_NOTIMPL, reinterpret_cast<Other>(table[position])(session.Get())) << position;
        }
    }
    static_cast<CHostSession*>(session.Get())->FailLocaleQuery(true);
    EXPECT_HR(E_FAIL, reinterpret_cast<LocaleOperation>(table[12])(session.Get(), &locale));
}
