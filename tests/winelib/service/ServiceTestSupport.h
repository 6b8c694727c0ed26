// Shared pieces of the service object's tests: the service object and
// requests made as the module makes its objects (this program links the
// module's code), the host program's session, what a client reads from a
// response object, and the services started around a run
// (scripts/with-services.sh).
// Include after tests/winelib/support/WinelibGTest.h.
#pragma once

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <numeric>
#include <string>
#include <vector>

#include "com/CComAddCommentRequest.h"
#include "com/CComComment.h"
#include "com/CComCommentQualifier.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComDuplicateCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComModifyCommentRequest.h"
#include "com/CComSortParams.h"
#include "host/CHostSession.h"
#include "module/LumoCommentary.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"
#include "service/object/CComLumoCommentaryService.h"
#include "tests/winelib/support/ComTestSupport.h"

namespace svctest {

using comtest::Make;

// --- the module's objects ----------------------------------------------------

// A service object made through its class's creator, as the class table does.
struct ServiceUnderTest {
    ScopedComPtr<ISLumoCommentaryService> service;
    ScopedComPtr<ISInternalService> internal;
    CComLumoCommentaryService* object = nullptr;  // no reference of its own
};
inline ServiceUnderTest MakeService()
{
    ServiceUnderTest so;
    so.service = Make<CComLumoCommentaryService, ISLumoCommentaryService>(IID_ISLumoCommentaryService);
    if (!so.service) return so;
    EXPECT_HR(S_OK, so.service.QueryInterface(IID_ISInternalService, so.internal));
    so.object = static_cast<CComLumoCommentaryService*>(so.service.Get());
    return so;
}

// A session of the host program with one reference for the caller.
inline ScopedComPtr<ISHostSession> MakeSession(const CHostSession::Settings& settings)
{
    return ScopedComPtr<ISHostSession>(CHostSession::Create(settings));
}

// A comment of this module with a source document and a text.
inline ScopedComPtr<ISComment> MakeComment(const std::u16string& source, const std::u16string& text)
{
    ScopedComPtr<ISComment> comment = Make<CComComment, ISComment>(IID_ISComment);
    ScopedBstr sourceText(source.c_str()), bodyText(text.c_str());
    EXPECT_HR(S_OK, comment->put_SourceCUID(sourceText.Get()));
    EXPECT_HR(S_OK, comment->put_Text(bodyText.Get()));
    return comment;
}

// A request of the module's class for kind; it holds a comment of document
// doc with text and, unless it is -1, the comment id.
inline ScopedComPtr<ISCommentRequest> Request(CommentRequestType kind, const std::u16string& doc,
                                              const std::u16string& text = u"", LONG id = -1)
{
    static const std::map<CommentRequestType, std::pair<SComCreatorFunc, const IID*>> kClasses = {
        {AddCommentRequestType, {&CComAddCommentRequest::_CreatorClass::CreateInstance, &IID_ISAddCommentRequest}},
        {GetCommentRequestType, {&CComGetCommentRequest::_CreatorClass::CreateInstance, &IID_ISGetCommentRequest}},
        {ModifyCommentRequestType, {&CComModifyCommentRequest::_CreatorClass::CreateInstance, &IID_ISModifyCommentRequest}},
        {DeleteCommentRequestType, {&CComDeleteCommentRequest::_CreatorClass::CreateInstance, &IID_ISDeleteCommentRequest}},
        {HideCommentRequestType, {&CComHideCommentRequest::_CreatorClass::CreateInstance, &IID_ISHideCommentRequest}},
        {DuplicateCommentRequestType,
         {&CComDuplicateCommentRequest::_CreatorClass::CreateInstance, &IID_ISDuplicateCommentRequest}}};
    const auto& [create, riid] = kClasses.at(kind);
    ScopedComPtr<ISCommentRequest> request;
    EXPECT_HR(S_OK, create(nullptr, *riid, request.ReceiveVoid()));
    ScopedComPtr<ISComment> comment = MakeComment(doc, text);
    if (id != -1) EXPECT_HR(S_OK, comment->put_CommentId(id));
    EXPECT_HR(S_OK, request->put_Comment(comment.Get()));
    return request;
}
inline ScopedComPtr<ISCommentRequest> AddRequest(const std::u16string& doc, const std::u16string& text)
{
    return Request(AddCommentRequestType, doc, text);
}

// A get request of the document; hidden: ask for hidden comments too; the sort
// parameter (attribute, order) when attribute >= 0; a TOP qualifier when top > 0.
inline ScopedComPtr<ISCommentRequest> GetRequest(const std::u16string& doc, int attribute = -1, int order = 0,
                                                 int top = 0, bool hidden = false)
{
    ScopedComPtr<ISCommentRequest> request = Request(GetCommentRequestType, doc);
    ScopedComPtr<ISGetCommentRequest> get;
    ScopedComPtr<ISComment> comment;
    EXPECT_HR(S_OK, request.QueryInterface(IID_ISGetCommentRequest, get));
    EXPECT_HR(S_OK, request->get_Comment(comment.Receive()));
    EXPECT_HR(S_OK, comment->put_Hidden(hidden ? VARIANT_TRUE : VARIANT_FALSE));
    if (attribute >= 0) {
        auto sort = Make<CComSortParam, ISSortParam>(IID_ISSortParam);
        EXPECT_HR(S_OK, sort->put_SortAttribute(static_cast<SortAttributeType>(attribute)));
        EXPECT_HR(S_OK, sort->put_SortOrder(static_cast<SortOrderType>(order)));
        EXPECT_HR(S_OK, get->AddSortParam(sort.Get()));
    }
    if (top > 0) {
        auto qualifier = Make<CComCommentQualifier, ISCommentQualifier>(IID_ISCommentQualifier);
        ScopedBstr value(comtest::Wide(std::to_string(top)).c_str());
        EXPECT_HR(S_OK, qualifier->put_CommentQualifierAttribute(COMMENTQUALIFIERATTRIBUTE_TOP));
        EXPECT_HR(S_OK, qualifier->put_CommentQualifierValue(value.Get()));
        EXPECT_HR(S_OK, get->AddCommentQualifier(qualifier.Get()));
    }
    return request;
}

inline ScopedComPtr<ISCommentRequest> HideRequest(const std::u16string& doc, const std::vector<LONG>& ids)
{
    ScopedComPtr<ISCommentRequest> request = Request(HideCommentRequestType, doc);
    ScopedComPtr<ISHideCommentRequest> hide;
    EXPECT_HR(S_OK, request.QueryInterface(IID_ISHideCommentRequest, hide));
    for (LONG id : ids) EXPECT_HR(S_OK, hide->Add(id));
    return request;
}

inline ScopedComPtr<ISCommentRequest> DuplicateRequest(const std::u16string& doc, const std::u16string& target)
{
    ScopedComPtr<ISCommentRequest> request = Request(DuplicateCommentRequestType, doc);
    ScopedComPtr<ISDuplicateCommentRequest> duplicate;
    ScopedBstr targetText(target.c_str());
    EXPECT_HR(S_OK, request.QueryInterface(IID_ISDuplicateCommentRequest, duplicate));
    EXPECT_HR(S_OK, duplicate->put_TargetDocumentCUID(targetText.Get()));
    return request;
}

using Operation = HRESULT (STDMETHODCALLTYPE ISLumoCommentaryService::*)(ISCommentRequest*, ISCommentResponse**);

// --- responses -----------------------------------------------------------------

struct CommentView {
    LONG id = -1;
    std::string text, source;
    bool hidden = false;
};

// What a client reads from a response object.
struct Reply {
    std::string cls;  // the response class, by the own interfaces it answers ("" none, "A+B" several)
    LONG status = 0;
    std::string description;
    int type = -1;
    std::string errorCode;              // error responses only
    std::vector<CommentView> comments;  // get responses only
};
inline Reply Read(ISCommentResponse* response)
{
    Reply reply;
    if (!response) return reply;
    static const std::pair<const IID*, const char*> kClasses[] = {
        {&IID_ISAddCommentSuccessResponse, "AddCommentSuccessResponse"},
        {&IID_ISGetCommentSuccessResponse, "GetCommentSuccessResponse"},
        {&IID_ISModifyCommentSuccessResponse, "ModifyCommentSuccessResponse"},
        {&IID_ISDeleteCommentSuccessResponse, "DeleteCommentSuccessResponse"},
        {&IID_ISCommentErrorResponse, "CommentErrorResponse"},
        {&IID_ISHideCommentSuccessResponse, "HideCommentSuccessResponse"},
        {&IID_ISDuplicateCommentSuccessResponse, "DuplicateCommentSuccessResponse"},
    };
    for (const auto& c : kClasses) {
        ScopedComPtr<IUnknown> own;
        if (SUCCEEDED(response->QueryInterface(*c.first, own.ReceiveVoid())))
            reply.cls += (reply.cls.empty() ? "" : "+") + std::string(c.second);
    }
    ScopedBstr text;
    auto textOf = [&](HRESULT hr) { return SUCCEEDED(hr) ? comtest::Utf8(text.Get()) : "?"; };
    CommentResponseType type = InvalidCommentResponseType;
    response->get_StatusCode(&reply.status);
    reply.description = textOf(response->get_Description(text.Receive()));
    if (SUCCEEDED(response->get_ResponseType(&type))) reply.type = type;

    ScopedComPtr<ISCommentErrorResponse> error;
    if (SUCCEEDED(response->QueryInterface(IID_ISCommentErrorResponse, error.ReceiveVoid())))
        reply.errorCode = textOf(error->get_ErrorCode(text.Receive()));
    ScopedComPtr<ISGetCommentSuccessResponse> get;
    int count = 0;
    if (SUCCEEDED(response->QueryInterface(IID_ISGetCommentSuccessResponse, get.ReceiveVoid()))) get->get_Count(&count);
    for (int i = 0; i < count; ++i) {
        ScopedComPtr<ISComment> comment;
        CommentView view;
        VARIANT_BOOL hidden = VARIANT_FALSE;
        EXPECT_HR(S_OK, get->get_Comment(i, comment.Receive()));
        comment->get_CommentId(&view.id);
        view.text = textOf(comment->get_Text(text.Receive()));
        view.source = textOf(comment->get_SourceCUID(text.Receive()));
        comment->get_Hidden(&hidden);
        view.hidden = hidden != VARIANT_FALSE;
        reply.comments.push_back(view);
    }
    return reply;
}

// A response as class|StatusCode|Description|ResponseType|ErrorCode.
inline std::string Summary(const Reply& r)
{
    return r.cls + "|" + std::to_string(r.status) + "|" + r.description + "|" + std::to_string(r.type) + "|" + r.errorCode;
}
inline std::vector<std::string> Texts(const Reply& reply)
{
    std::vector<std::string> texts;
    for (const CommentView& c : reply.comments) texts.push_back(c.text);
    return texts;
}
inline std::vector<LONG> Ids(const Reply& reply)
{
    std::vector<LONG> ids;
    for (const CommentView& c : reply.comments) ids.push_back(c.id);
    return ids;
}

// Runs one operation; the response (when one is handed out) as the client
// reads it.
inline Reply Call(ISLumoCommentaryService* service, Operation op, ISCommentRequest* request, HRESULT expected = S_OK)
{
    ScopedComPtr<ISCommentResponse> response;
    EXPECT_HR(expected, (service->*op)(request, response.Receive()));
    return Read(response.Get());
}

// --- the services of the run (scripts/with-services.sh) --------------------------

struct Services {
    std::string naming;
    std::string secret;
    std::vector<int> serverPids;
    std::vector<std::string> requestLogs;

    // The environment that with-services.sh exports; empty naming when the
    // program runs without it.
    static const Services& Get()
    {
        static const Services services = [] {
            auto words = [](const char* text) {
                std::vector<std::string> words;
                std::istringstream in(text ? text : "");
                for (std::string word; in >> word;) words.push_back(word);
                return words;
            };
            Services s;
            if (const char* naming = std::getenv("LUMO_NAMING")) s.naming = naming;
            if (const char* file = std::getenv("LUMO_TOKEN_SECRET_FILE")) std::getline(std::ifstream(file), s.secret);
            for (const std::string& pid : words(std::getenv("LUMO_TEST_SERVER_PIDS"))) s.serverPids.push_back(std::stoi(pid));
            s.requestLogs = words(std::getenv("LUMO_TEST_REQUEST_LOGS"));
            return s;
        }();
        return services;
    }
    // Lines in the servers' request logs: one per request received.
    std::vector<long> RequestCounts() const
    {
        std::vector<long> counts;
        for (const std::string& path : requestLogs) {
            std::ifstream in(path);
            long lines = 0;
            for (std::string line; std::getline(in, line);) ++lines;
            counts.push_back(lines);
        }
        return counts;
    }
    long RequestCount() const
    {
        const std::vector<long> counts = RequestCounts();
        return std::accumulate(counts.begin(), counts.end(), 0L);
    }
};

// The user the tests log on as.
constexpr char16_t kTestUser[] = u"service-test";

// A service object bound to a host session with the logged-on user's token
// (locale 0x0407) and connected to the run's servers.
struct ConnectedService {
    ScopedComPtr<ISHostSession> session;
    ServiceUnderTest so;
};
// Logs on (once per program) and connects; fails the current test when
// binding or connecting fails.
inline void Connect(ConnectedService& connected)
{
    const Services& services = Services::Get();
    ASSERT_FALSE(services.naming.empty()) << "run under scripts/with-services.sh (LUMO_NAMING is not set)";
    static std::once_flag logon;
    std::call_once(logon, [&] {
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = services.naming;
        FrameworkSettings::setCurrent(settings);
        SessionManager::logon(kTestUser, services.secret.empty() ? std::string("no secret given") : services.secret);
    });
    CHostSession::Settings settings;
    settings.locale = 0x0407;
    settings.logonToken = SessionManager::getServerSession()->getLogonToken();
    connected.session = MakeSession(settings);
    connected.so = MakeService();
    ASSERT_TRUE(connected.so.internal);
    ASSERT_HR(S_OK, connected.so.internal->SetCOMSession(connected.session.Get()));
    ASSERT_HR(S_OK, connected.so.internal->SetImplPointers(u"service-test", u"e2e"));
}

// A name that no earlier run of the program used for a document.
inline std::u16string UniqueDocument(const std::string& stem)
{
    static std::atomic<int> counter{0};
    return comtest::Wide(stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) +
                         "-" + std::to_string(++counter));
}

}  // namespace svctest
