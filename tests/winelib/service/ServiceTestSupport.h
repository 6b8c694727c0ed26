// The service object's tests: objects made as the module makes them, what a
// client reads from a response, and the services of with-services.sh.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "com/CComAddCommentRequest.h"
#include "com/CComComment.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComDuplicateCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComModifyCommentRequest.h"
#include "host/CHostSession.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"
#include "service/object/CComLumoCommentaryService.h"
#include "tests/winelib/support/ComTestSupport.h"

namespace svctest {

using comtest::Make;
using comtest::Utf8;
using Operation = HRESULT (STDMETHODCALLTYPE ISLumoCommentaryService::*)(ISCommentRequest*, ISCommentResponse**);

struct ServiceUnderTest {
    ScopedComPtr<ISLumoCommentaryService> service;
    ScopedComPtr<ISInternalService> internal;
    CComLumoCommentaryService* object = nullptr;  // no reference of its own
};
inline ServiceUnderTest MakeService()
{
    ServiceUnderTest so;
    so.service = Make<CComLumoCommentaryService, ISLumoCommentaryService>(IID_ISLumoCommentaryService);
    so.service.QueryInterface(IID_ISInternalService, so.internal);
    so.object = static_cast<CComLumoCommentaryService*>(so.service.Get());
    return so;
}

inline ScopedComPtr<ISCommentRequest> Request(CommentRequestType kind, const std::u16string& doc,
                                              const std::u16string& text = u"", LONG id = -1)
{
    using Creator = HRESULT (*)(void*, REFIID, void**);
    static const std::map<int, std::pair<Creator, const IID*>> kClasses = {
        {1, {CComAddCommentRequest::_CreatorClass::CreateInstance, &IID_ISAddCommentRequest}},
        {2, {CComGetCommentRequest::_CreatorClass::CreateInstance, &IID_ISGetCommentRequest}},
        {3, {CComModifyCommentRequest::_CreatorClass::CreateInstance, &IID_ISModifyCommentRequest}},
        {4, {CComDeleteCommentRequest::_CreatorClass::CreateInstance, &IID_ISDeleteCommentRequest}},
        {6, {CComHideCommentRequest::_CreatorClass::CreateInstance, &IID_ISHideCommentRequest}},
        {7, {CComDuplicateCommentRequest::_CreatorClass::CreateInstance, &IID_ISDuplicateCommentRequest}}};
    ScopedComPtr<ISCommentRequest> request;
    kClasses.at(kind).first(nullptr, *kClasses.at(kind).second, request.ReceiveVoid());
    ScopedComPtr<ISComment> comment = Make<CComComment, ISComment>(IID_ISComment);
    ScopedBstr source(doc.c_str()), body(text.c_str());
    comment->put_SourceCUID(source.Get()), comment->put_Text(body.Get());
    if (id != -1) comment->put_CommentId(id);
    request->put_Comment(comment.Get());
    return request;
}

// What a client reads: InterfaceName|StatusCode|Description|ResponseType|
// ErrorCode, and the texts of a get response's comments.
struct Reply {
    std::string summary;
    std::vector<std::string> comments;
};
inline Reply Read(ISCommentResponse* response)
{
    Reply reply;
    if (!response) return reply;
    ScopedComPtr<ITypeInfo> info;
    ScopedComPtr<ISCommentErrorResponse> error;
    ScopedComPtr<ISGetCommentSuccessResponse> get;
    ScopedBstr name, description, errorCode, text;
    LONG status = 0;
    CommentResponseType type = InvalidCommentResponseType;
    int count = 0;
    if (SUCCEEDED(response->GetTypeInfo(0, 0, info.Receive())))
        info->GetDocumentation(MEMBERID_NIL, name.Receive(), nullptr, nullptr, nullptr);
    response->get_StatusCode(&status), response->get_Description(description.Receive());
    response->get_ResponseType(&type);
    if (SUCCEEDED(response->QueryInterface(IID_ISCommentErrorResponse, error.ReceiveVoid())))
        error->get_ErrorCode(errorCode.Receive());
    reply.summary = Utf8(name.Get()) + "|" + std::to_string(status) + "|" + Utf8(description.Get()) + "|" +
                    std::to_string(type) + "|" + (errorCode.Get() ? Utf8(errorCode.Get()) : "");
    if (SUCCEEDED(response->QueryInterface(IID_ISGetCommentSuccessResponse, get.ReceiveVoid()))) get->get_Count(&count);
    for (int i = 0; i < count; ++i) {
        ScopedComPtr<ISComment> comment;
        get->get_Comment(i, comment.Receive());
        comment->get_Text(text.Receive());
        reply.comments.push_back(Utf8(text.Get()));
    }
    return reply;
}
inline Reply Call(ISLumoCommentaryService* service, Operation operation, ISCommentRequest* request)
{
    ScopedComPtr<ISCommentResponse> response;
    EXPECT_HR(S_OK, (service->*operation)(request, response.Receive()));
    return Read(response.Get());
}

struct Services {
    std::string naming, secret;
    std::vector<std::string> serverPids, requestLogs;

    static const Services& Get()
    {
        static const Services services = [] {
            auto words = [](const char* name) {
                std::istringstream in(std::getenv(name) ? std::getenv(name) : "");
                return std::vector<std::string>(std::istream_iterator<std::string>(in), {});
            };
            Services s;
            if (const char* naming = std::getenv("LUMO_NAMING")) s.naming = naming;
            if (const char* file = std::getenv("LUMO_TOKEN_SECRET_FILE")) std::getline(std::ifstream(file), s.secret);
            s.serverPids = words("LUMO_TEST_SERVER_PIDS"), s.requestLogs = words("LUMO_TEST_REQUEST_LOGS");
            return s;
        }();
        return services;
    }
    // One line per request received, per server.
    std::vector<long> RequestCounts() const
    {
        std::vector<long> counts;
        for (const std::string& path : requestLogs) {
            std::ifstream in(path);
            counts.push_back(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
        }
        return counts;
    }
};

constexpr char16_t kTestUser[] = u"service-test";

// A service object bound to a host session and connected to the servers.
struct ConnectedService {
    ScopedComPtr<ISHostSession> session;
    ServiceUnderTest so;
};
inline void Connect(ConnectedService& connected)
{
    const Services& services = Services::Get();
    ASSERT_FALSE(services.naming.empty()) << "run under scripts/with-services.sh (LUMO_NAMING is not set)";
    static std::once_flag logon;
    std::call_once(logon, [&] {
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = services.naming;
        FrameworkSettings::setCurrent(settings);
        SessionManager::logon(kTestUser, services.secret);
    });
    CHostSession::Settings settings;
    settings.logonToken = SessionManager::getServerSession()->getLogonToken();
    connected.session.Reset(CHostSession::Create(settings));
    connected.so = MakeService();
    ASSERT_HR(S_OK, connected.so.internal->SetCOMSession(connected.session.Get()));
    ASSERT_HR(S_OK, connected.so.internal->SetImplPointers(u"service-test", u"e2e"));
}

}  // namespace svctest
