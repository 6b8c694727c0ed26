// The service object against two reference servers (scripts/with-services.sh),
// white-box: every operation from request object to response object, the
// requests that never leave the module, the exact trace of an operation, and
// concurrent use of one object.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <memory>
#include <regex>

#include "com/CComAddCommentRequest.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComDuplicateCommentRequest.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComModifyCommentRequest.h"
#include "module/LumoCommentaryModule.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/framework/SessionManager.h"
#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

const char kFixedDescription[] = "Comment-Request validation failed: Invalid comment parameter(s) set";

// Runs one operation; the response (when one is handed out) as the client reads it.
Reply Call(ISLumoCommentaryService* service, Operation op, ISCommentRequest* request, HRESULT expected = S_OK)
{
    ScopedComPtr<ISCommentResponse> response;
    EXPECT_HR(expected, (service->*op)(request, response.Receive()));
    return Read(response.Get());
}

ScopedComPtr<ISCommentRequest> ModifyRequest(const std::u16string& doc, LONG id, const std::u16string& text)
{
    ScopedComPtr<ISComment> comment = MakeComment(doc, text);
    EXPECT_HR(S_OK, comment->put_CommentId(id));
    return MakeRequest<CComModifyCommentRequest, ISCommentRequest>(IID_ISModifyCommentRequest, comment.Get());
}

ScopedComPtr<ISCommentRequest> DeleteRequest(const std::u16string& doc, LONG id)
{
    ScopedComPtr<ISComment> comment = MakeComment(doc, u"");
    EXPECT_HR(S_OK, comment->put_CommentId(id));
    return MakeRequest<CComDeleteCommentRequest, ISCommentRequest>(IID_ISDeleteCommentRequest, comment.Get());
}

ScopedComPtr<ISCommentRequest> HideRequest(const std::u16string& doc, const std::vector<LONG>& ids)
{
    ScopedComPtr<ISComment> comment = MakeComment(doc, u"");
    ScopedComPtr<ISHideCommentRequest> request =
        MakeRequest<CComHideCommentRequest, ISHideCommentRequest>(IID_ISHideCommentRequest, comment.Get());
    for (LONG id : ids) EXPECT_HR(S_OK, request->Add(id));
    return ScopedComPtr<ISCommentRequest>(request.Release());
}

ScopedComPtr<ISCommentRequest> DuplicateRequest(const std::u16string& doc, const std::u16string& target)
{
    ScopedComPtr<ISComment> comment = MakeComment(doc, u"");
    ScopedComPtr<ISDuplicateCommentRequest> request = MakeRequest<CComDuplicateCommentRequest, ISDuplicateCommentRequest>(
        IID_ISDuplicateCommentRequest, comment.Get());
    ScopedBstr targetText(target.c_str());
    EXPECT_HR(S_OK, request->put_TargetDocumentCUID(targetText.Get()));
    return ScopedComPtr<ISCommentRequest>(request.Release());
}

// The fixed error response of a request that never leaves the module.
void ExpectFixedError(const Reply& reply)
{
    EXPECT_EQ("CommentErrorResponse", reply.cls);
    EXPECT_EQ(-1, reply.status);
    EXPECT_EQ(kFixedDescription, reply.description);
    EXPECT_EQ(5, reply.type);
    EXPECT_EQ("CMNTRY 011", reply.errorCode);
}

class ServiceE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Connect(m_connected)); }
    ISLumoCommentaryService* Service() const { return m_connected.so.service.Get(); }

    ConnectedService m_connected;
};

}  // namespace

TEST_F(ServiceE2E, EveryOperationGoesFromRequestObjectToResponseObject)
{
    ISLumoCommentaryService* service = Service();
    const std::u16string doc = UniqueDocument("every-operation");
    const std::u16string copy = doc + u"-copy";
    for (const char16_t* text : {u"first", u"second", u"third"}) {
        const Reply added = Call(service, &ISLumoCommentaryService::AddComment, AddRequest(doc, text).Get());
        EXPECT_EQ("AddCommentSuccessResponse", added.cls);
        EXPECT_EQ(0, added.status);
        EXPECT_EQ("success", added.description);
        EXPECT_EQ(1, added.type);
        Sleep(3);  // distinct creation times, so that sorting by them is decided by them
    }

    const Reply oldest = Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 1, 0).Get());
    EXPECT_EQ("GetCommentSuccessResponse", oldest.cls);
    EXPECT_EQ(2, oldest.type);
    ASSERT_EQ((std::vector<std::string>{"first", "second", "third"}), Texts(oldest));
    for (const CommentView& c : oldest.comments) EXPECT_EQ(Utf8(doc), c.source);
    const std::vector<LONG> ids = Ids(oldest);
    EXPECT_EQ((std::vector<std::string>{"third", "second", "first"}),
              Texts(Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 1, 1).Get())));
    EXPECT_EQ((std::vector<std::string>{"third", "second"}),
              Texts(Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 1, 1, 2).Get())));

    const Reply modified =
        Call(service, &ISLumoCommentaryService::ModifyComment, ModifyRequest(doc, ids[0], u"first, restated").Get());
    EXPECT_EQ("ModifyCommentSuccessResponse", modified.cls);
    EXPECT_EQ(3, modified.type);
    EXPECT_EQ((std::vector<std::string>{"second", "third", "first, restated"}),
              Texts(Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 0, 0).Get())))
        << "sorted by last-modified time, the restated one comes last";

    const Reply hidden = Call(service, &ISLumoCommentaryService::HideComments, HideRequest(doc, {ids[1]}).Get());
    EXPECT_EQ("HideCommentSuccessResponse", hidden.cls);
    EXPECT_EQ(7, hidden.type);
    EXPECT_EQ((std::vector<std::string>{"first, restated", "third"}),
              Texts(Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 1, 0).Get())));
    const Reply withHidden = Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 1, 0, 0, true).Get());
    ASSERT_EQ(3u, withHidden.comments.size());
    EXPECT_EQ((std::vector<bool>{false, true, false}),
              (std::vector<bool>{withHidden.comments[0].hidden, withHidden.comments[1].hidden,
                                 withHidden.comments[2].hidden}));

    const Reply duplicated =
        Call(service, &ISLumoCommentaryService::DuplicateComments, DuplicateRequest(doc, copy).Get());
    EXPECT_EQ("DuplicateCommentSuccessResponse", duplicated.cls);
    EXPECT_EQ(8, duplicated.type);
    const Reply copied = Call(service, &ISLumoCommentaryService::GetComment, GetRequest(copy, 1, 0, 0, true).Get());
    EXPECT_EQ(Texts(withHidden), Texts(copied));
    for (const CommentView& c : copied.comments) {
        EXPECT_EQ(Utf8(copy), c.source);
        EXPECT_EQ(ids.end(), std::find(ids.begin(), ids.end(), c.id)) << "copies get new ids";
    }

    const Reply deleted = Call(service, &ISLumoCommentaryService::DeleteComment, DeleteRequest(doc, ids[2]).Get());
    EXPECT_EQ("DeleteCommentSuccessResponse", deleted.cls);
    EXPECT_EQ(4, deleted.type);
    EXPECT_EQ((std::vector<LONG>{ids[0], ids[1]}),
              Ids(Call(service, &ISLumoCommentaryService::GetComment, GetRequest(doc, 1, 0, 0, true).Get())));

    const Reply missing = Call(service, &ISLumoCommentaryService::DeleteComment, DeleteRequest(doc, ids[2]).Get());
    EXPECT_EQ("CommentErrorResponse", missing.cls);
    EXPECT_EQ(5, missing.type);
    EXPECT_EQ(404, missing.status);
    EXPECT_EQ("CMNTRY 301", missing.errorCode);

    // One logon-token query per operation, under the session's locale.
    const std::vector<TableSession::Call> calls = m_connected.session.Calls();
    EXPECT_EQ(16u, calls.size());
    for (const TableSession::Call& call : calls) EXPECT_EQ((TableSession::Call{TableSession::kRequestLogonToken, 0x0407}), call);
}

TEST_F(ServiceE2E, AnyOperationDoesWhatTheRequestsKindSays)
{
    const std::u16string doc = UniqueDocument("kind-decides");
    for (const char16_t* text : {u"one", u"two"}) {
        const Reply added = Call(Service(), &ISLumoCommentaryService::DeleteComment, AddRequest(doc, text).Get());
        EXPECT_EQ("AddCommentSuccessResponse", added.cls);
        Sleep(3);
    }
    const Reply got = Call(Service(), &ISLumoCommentaryService::AddComment, GetRequest(doc, 1, 0).Get());
    EXPECT_EQ("GetCommentSuccessResponse", got.cls);
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Texts(got));
}

TEST_F(ServiceE2E, RequestsWithoutAModelRequestNeverLeaveTheModule)
{
    const std::u16string doc = UniqueDocument("refused");
    ScopedComPtr<ISComment> comment = MakeComment(doc, u"a valid comment");
    struct Case {
        const char* name;
        ScopedComPtr<ISCommentRequest> request;
    };
    Case cases[] = {
        {"kind 0", ForeignRequest(InvalidCommentRequestType, comment.Get())},
        {"kind 5", ForeignRequest(TestConnectionRequestType, comment.Get())},
        {"kind 9", ForeignRequest(static_cast<CommentRequestType>(9), comment.Get())},
        {"null request", ScopedComPtr<ISCommentRequest>()},
        {"add without text", AddRequest(doc, u"")},
        {"add without comment", MakeRequest<CComAddCommentRequest, ISCommentRequest>(IID_ISAddCommentRequest, nullptr)},
    };
    const Services& services = Services::Get();
    const long before = services.RequestCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectFixedError(Call(Service(), &ISLumoCommentaryService::AddComment, c.request.Get()));
    }
    EXPECT_EQ(before, services.RequestCount()) << "no request reached a server";
    Call(Service(), &ISLumoCommentaryService::AddComment, AddRequest(doc, u"sent").Get());
    EXPECT_EQ(before + 1, services.RequestCount()) << "the request logs count what arrives";
}

TEST_F(ServiceE2E, AFailedReconnectKeepsTheFirstConnection)
{
    m_connected.session.failing = {TableSession::kServerFilter};
    EXPECT_HR(E_FAIL, m_connected.so.internal->SetImplPointers(u"again", u"e2e"));
    const Reply added = Call(Service(), &ISLumoCommentaryService::AddComment,
                            AddRequest(UniqueDocument("kept"), u"still connected").Get());
    EXPECT_EQ("AddCommentSuccessResponse", added.cls);
}

// --- trace ----------------------------------------------------------------------------

namespace {

// Numbers that differ from run to run (ids, times) become '#'.
std::string MaskNumbers(std::string line)
{
    static const std::regex varying("\"(commentId|lastmodifiedtimestamp|creationtimestamp)\":[0-9]+");
    return std::regex_replace(line, varying, "\"$1\":#");
}

std::string In(const std::string& method, const std::string& at) { return InLine(method, at); }
std::string Out(const std::string& method, const std::string& at) { return OutLine(method, at); }

}  // namespace

TEST_F(ServiceE2E, TraceOfAnAdd)
{
    const std::u16string doc = UniqueDocument("traced");
    ScopedComPtr<ISCommentRequest> request = AddRequest(doc, u"traced \"text\"");
    const std::string token = SessionManager::getServerSession()->getLogonToken().toUtf8();
    const std::string user = SWCharString(kTestUser).toUtf8();  // the server names the caller by the token's user
    std::vector<std::string> lines;
    std::vector<STraceRecord> records;
    {
        STraceCapture capture(14);
        ScopedComPtr<ISCommentResponse> response;
        ASSERT_HR(S_OK, Service()->AddComment(request.Get(), response.Receive()));
        lines = capture.linesUtf8();
        records = capture.records();
    }
    for (std::string& line : lines) line = MaskNumbers(line);
    const std::string service = "CComLumoCommentaryService::", add = "CComAddCommentRequest::";
    const std::string d = Utf8(doc);
    EXPECT_EQ((std::vector<std::string>{
                  In(service + "AddComment", "@1"),
                  In(service + "DoOperations", "@1"),
                  "CComLumoCommentaryService::DoOperations",
                  In(add + "get_RequestType", "@2"),
                  Out(add + "get_RequestType", "@2"),
                  In(add + "get_Comment", "@2"),
                  Out(add + "get_Comment", "@2"),
                  "Request JSON: {\"requestType\":1,\"logonToken\":\"" + token + "\",\"comment\":{\"sourceCUID\":\"" + d +
                      "\",\"text\":\"traced \\\"text\\\"\",\"hidden\":false,\"lastmodifiedtimestamp\":-1,"
                      "\"creationtimestamp\":-1}} ",
                  "Response JSON: {\"statusCode\":0,\"description\":\"success\",\"responseType\":1,\"comment\":{"
                  "\"sourceCUID\":\"" + d + "\",\"ownerCUID\":\"" + user + "\",\"text\":\"traced \\\"text\\\"\","
                  "\"commentId\":#,\"userName\":\"" + user + "\",\"lastModifiedUserCuid\":\"" + user +
                      "\",\"lastModifiedUserName\":\"" + user + "\",\"hidden\":false,\"lastmodifiedtimestamp\":#,"
                      "\"creationtimestamp\":#}} ",
                  Out(service + "DoOperations", "@1"),
                  Out(service + "AddComment", "@1"),
              }),
              MaskAddresses(lines));
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(0, records[2].level);
    EXPECT_EQ(2, records[2].flag) << "the DoOperations line is handed over with trace flag 2";
}

TEST_F(ServiceE2E, TraceOfAnInvalidAdd)
{
    ScopedComPtr<ISCommentRequest> request = AddRequest(UniqueDocument("traced-invalid"), u"");
    std::vector<std::string> lines;
    {
        STraceCapture capture(14);
        ScopedComPtr<ISCommentResponse> response;
        ASSERT_HR(S_OK, Service()->AddComment(request.Get(), response.Receive()));
        lines = capture.linesUtf8();
    }
    const std::string service = "CComLumoCommentaryService::", add = "CComAddCommentRequest::";
    const std::string validation = "AddCommentRequest::isValidComment: Comment Text and Source ID cannot be null";
    EXPECT_EQ((std::vector<std::string>{
                  In(service + "AddComment", "@1"),
                  In(service + "DoOperations", "@1"),
                  "CComLumoCommentaryService::DoOperations",
                  In(add + "get_RequestType", "@2"),
                  Out(add + "get_RequestType", "@2"),
                  In(add + "get_Comment", "@2"),
                  Out(add + "get_Comment", "@2"),
                  validation,
                  "CComLumoCommentaryService::ToCommentRequestJSON: AddCommentRequestType - Comment is not valid",
                  validation,
                  "CComLumoCommentaryService::DoOperations Comment request is NULL",
                  Out(service + "DoOperations", "@1"),
                  Out(service + "AddComment", "@1"),
              }),
              MaskAddresses(lines));
}

// --- concurrency -------------------------------------------------------------------------

namespace {

// One thread's rounds on the shared service object, in the multithreaded
// apartment; every reply is checked against the thread's own request.
// Failures are collected with their round and reported by the test.
void Rounds(ISLumoCommentaryService* service, int thread, int rounds, std::vector<std::string>& failures)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    auto fail = [&](int round, const std::string& what) {
        failures.push_back("thread " + std::to_string(thread) + " round " + std::to_string(round) + ": " + what);
    };
    const std::u16string doc = UniqueDocument(("concurrent-" + std::to_string(thread)).c_str());
    for (int round = 0; round < rounds; ++round) {
        const std::string tag = "t" + std::to_string(thread) + "-r" + std::to_string(round);
        const std::u16string text = SWCharString::fromUtf8(tag).str();
        auto call = [&](Operation op, ISCommentRequest* request) {
            ScopedComPtr<ISCommentResponse> response;
            const HRESULT hr = (service->*op)(request, response.Receive());
            if (hr != S_OK || !response) fail(round, "no response");
            return Read(response.Get());
        };
        if (call(&ISLumoCommentaryService::AddComment, AddRequest(doc, text).Get()).type != 1) fail(round, "add");
        const Reply got = call(&ISLumoCommentaryService::GetComment, GetRequest(doc).Get());
        if (got.type != 2 || got.comments.size() != 1 || got.comments[0].text != tag ||
            got.comments[0].source != Utf8(doc)) {
            fail(round, "get answered another request");
            continue;
        }
        const LONG id = got.comments[0].id;
        if (call(&ISLumoCommentaryService::ModifyComment, ModifyRequest(doc, id, text + u"-changed").Get()).type != 3)
            fail(round, "modify");
        if (call(&ISLumoCommentaryService::HideComments, HideRequest(doc, {id}).Get()).type != 7) fail(round, "hide");
        const std::u16string copy = doc + u"-copy-" + SWCharString::fromUtf8(std::to_string(round)).str();
        if (call(&ISLumoCommentaryService::DuplicateComments, DuplicateRequest(doc, copy).Get()).type != 8)
            fail(round, "duplicate");
        const Reply copied = call(&ISLumoCommentaryService::GetComment, GetRequest(copy, -1, 0, 0, true).Get());
        if (Texts(copied) != std::vector<std::string>{tag + "-changed"} || !copied.comments[0].hidden)
            fail(round, "the copy is not the changed, hidden comment");
        if (call(&ISLumoCommentaryService::DeleteComment, DeleteRequest(doc, id).Get()).type != 4) fail(round, "delete");
    }
    CoUninitialize();
}

}  // namespace

TEST(ServiceE2EConcurrency, FourThreadsShareOneServiceObject)
{
    const long live = SComObjectBase::LiveObjectCount();
    {
        ConnectedService connected;
        ASSERT_NO_FATAL_FAILURE(Connect(connected));
        constexpr int kThreads = 4, kRounds = 6;
        std::vector<std::string> failures[kThreads];
        ISLumoCommentaryService* service = connected.so.service.Get();
        {
            std::vector<std::unique_ptr<WinThread>> threads;
            for (int t = 0; t < kThreads; ++t)
                threads.push_back(std::make_unique<WinThread>([&, t] { Rounds(service, t, kRounds, failures[t]); }));
        }
        for (const auto& list : failures)
            for (const std::string& failure : list) ADD_FAILURE() << failure;
        EXPECT_EQ(static_cast<size_t>(kThreads * kRounds * 7), connected.session.Calls().size());
    }
    EXPECT_EQ(live, SComObjectBase::LiveObjectCount()) << "objects left alive";
    EXPECT_EQ(0, g_ComModule.GetLockCount());
    EXPECT_HR(S_OK, DllCanUnloadNow());
}
