#include "tests/winelib/support/WinelibGTest.h"

#include "tests/winelib/service/ServiceTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "com/CComAddCommentRequest.h"
#include "com/CComComment.h"
#include "com/CComCommentQualifier.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComDuplicateCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComModifyCommentRequest.h"
#include "com/CComSortParams.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"

using comtest::Make;

namespace svctest {

// --- objects -------------------------------------------------------------------------

ServiceUnderTest MakeService()
{
    ServiceUnderTest so;
    so.service = Make<CComLumoCommentaryService, ISLumoCommentaryService>(IID_ISLumoCommentaryService);
    if (!so.service) return so;
    EXPECT_HR(S_OK, so.service.QueryInterface(IID_ISInternalService, so.internal));
    so.object = static_cast<CComLumoCommentaryService*>(so.service.Get());
    return so;
}

ScopedComPtr<ISComment> MakeComment(const std::u16string& source, const std::u16string& text)
{
    ScopedComPtr<ISComment> comment = Make<CComComment, ISComment>(IID_ISComment);
    ScopedBstr sourceText(source.c_str()), bodyText(text.c_str());
    EXPECT_HR(S_OK, comment->put_SourceCUID(sourceText.Get()));
    EXPECT_HR(S_OK, comment->put_Text(bodyText.Get()));
    return comment;
}

ScopedComPtr<ISCommentRequest> Request(CommentRequestType kind, const std::u16string& doc, const std::u16string& text,
                                       LONG id)
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
    if (id != -1) {
        EXPECT_HR(S_OK, comment->put_CommentId(id));
    }
    EXPECT_HR(S_OK, request->put_Comment(comment.Get()));
    return request;
}

ScopedComPtr<ISCommentRequest> GetRequest(const std::u16string& doc, int attribute, int order, int top, bool hidden)
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

ScopedComPtr<ISCommentRequest> HideRequest(const std::u16string& doc, const std::vector<LONG>& ids)
{
    ScopedComPtr<ISCommentRequest> request = Request(HideCommentRequestType, doc);
    ScopedComPtr<ISHideCommentRequest> hide;
    EXPECT_HR(S_OK, request.QueryInterface(IID_ISHideCommentRequest, hide));
    for (LONG id : ids) EXPECT_HR(S_OK, hide->Add(id));
    return request;
}

ScopedComPtr<ISCommentRequest> DuplicateRequest(const std::u16string& doc, const std::u16string& target)
{
    ScopedComPtr<ISCommentRequest> request = Request(DuplicateCommentRequestType, doc);
    ScopedComPtr<ISDuplicateCommentRequest> duplicate;
    ScopedBstr targetText(target.c_str());
    EXPECT_HR(S_OK, request.QueryInterface(IID_ISDuplicateCommentRequest, duplicate));
    EXPECT_HR(S_OK, duplicate->put_TargetDocumentCUID(targetText.Get()));
    return request;
}

// --- responses -----------------------------------------------------------------------

namespace {

std::string TextOf(HRESULT hr, const ScopedBstr& text) { return SUCCEEDED(hr) ? comtest::Utf8(text.Get()) : "?"; }

}  // namespace

Reply Read(ISCommentResponse* response)
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
    CommentResponseType type = InvalidCommentResponseType;
    response->get_StatusCode(&reply.status);
    reply.description = TextOf(response->get_Description(text.Receive()), text);
    if (SUCCEEDED(response->get_ResponseType(&type))) reply.type = type;

    ScopedComPtr<ISCommentErrorResponse> error;
    if (SUCCEEDED(response->QueryInterface(IID_ISCommentErrorResponse, error.ReceiveVoid())))
        reply.errorCode = TextOf(error->get_ErrorCode(text.Receive()), text);
    ScopedComPtr<ISGetCommentSuccessResponse> get;
    int count = 0;
    if (SUCCEEDED(response->QueryInterface(IID_ISGetCommentSuccessResponse, get.ReceiveVoid()))) get->get_Count(&count);
    for (int i = 0; i < count; ++i) {
        ScopedComPtr<ISComment> comment;
        CommentView view;
        VARIANT_BOOL hidden = VARIANT_FALSE;
        EXPECT_HR(S_OK, get->get_Comment(i, comment.Receive()));
        comment->get_CommentId(&view.id);
        view.text = TextOf(comment->get_Text(text.Receive()), text);
        view.source = TextOf(comment->get_SourceCUID(text.Receive()), text);
        comment->get_Hidden(&hidden);
        view.hidden = hidden != VARIANT_FALSE;
        reply.comments.push_back(view);
    }
    return reply;
}

std::vector<std::string> Texts(const Reply& reply)
{
    std::vector<std::string> texts;
    for (const CommentView& c : reply.comments) texts.push_back(c.text);
    return texts;
}

std::vector<LONG> Ids(const Reply& reply)
{
    std::vector<LONG> ids;
    for (const CommentView& c : reply.comments) ids.push_back(c.id);
    return ids;
}

Reply Call(ISLumoCommentaryService* service, Operation op, ISCommentRequest* request, HRESULT expected)
{
    ScopedComPtr<ISCommentResponse> response;
    EXPECT_HR(expected, (service->*op)(request, response.Receive()));
    return Read(response.Get());
}

// --- services ---------------------------------------------------------------------------

namespace {

std::vector<std::string> Words(const char* text)
{
    std::vector<std::string> words;
    std::istringstream in(text ? text : "");
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

}  // namespace

const Services& Services::Get()
{
    static const Services services = [] {
        Services s;
        if (const char* naming = std::getenv("LUMO_NAMING")) s.naming = naming;
        if (const char* file = std::getenv("LUMO_TOKEN_SECRET_FILE")) std::getline(std::ifstream(file), s.secret);
        for (const std::string& pid : Words(std::getenv("LUMO_TEST_SERVER_PIDS"))) s.serverPids.push_back(std::stoi(pid));
        s.requestLogs = Words(std::getenv("LUMO_TEST_REQUEST_LOGS"));
        return s;
    }();
    return services;
}

std::vector<long> Services::RequestCounts() const
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

void Connect(ConnectedService& connected)
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

std::u16string UniqueDocument(const std::string& stem)
{
    static std::atomic<int> counter{0};
    return comtest::Wide(stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) +
                         "-" + std::to_string(++counter));
}

}  // namespace svctest
