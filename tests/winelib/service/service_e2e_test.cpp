// The service object against two reference servers (scripts/with-services.sh),
// white-box: every operation from request object to response object, the
// requests that never leave the module, the exact trace of an operation, and
// concurrent use of one object.
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <memory>
#include <regex>

#include "module/LumoCommentaryModule.h"
#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

using Service = ISLumoCommentaryService;

// A request of another implementation: it reports any kind and holds a comment
// of this module.  It lives on the caller's stack.
class ForeignRequest : public ISCommentRequest {
public:
    ForeignRequest(CommentRequestType kind, ISComment* comment) : m_kind(kind), m_comment(comment) {}
    STDMETHOD(QueryInterface)(REFIID riid, void** out) override
    {
        const bool known = IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISCommentRequest);
        *out = known ? static_cast<ISCommentRequest*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(GetTypeInfoCount)(UINT*) override { return E_NOTIMPL; }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    STDMETHOD(get_RequestType)(CommentRequestType* kind) override { *kind = m_kind; return S_OK; }
    STDMETHOD(get_Comment)(ISComment** comment) override { (*comment = m_comment)->AddRef(); return S_OK; }
    STDMETHOD(put_Comment)(ISComment*) override { return E_NOTIMPL; }
    STDMETHOD(ToJSON)(BSTR*) override { return E_NOTIMPL; }

private:
    CommentRequestType m_kind;
    ISComment* m_comment;  // the caller's
};

class ServiceE2E : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Connect(m_connected)); }
    Reply Run(Operation op, const ScopedComPtr<ISCommentRequest>& request)
    {
        return Call(m_connected.so.service.Get(), op, request.Get());
    }

    ConnectedService m_connected;
};

// The fixed error response of a request that never leaves the module.
const char kFixedError[] =
    "CommentErrorResponse|-1|Comment-Request validation failed: Invalid comment parameter(s) set|5|CMNTRY 011";

}  // namespace

TEST_F(ServiceE2E, EveryOperationGoesFromRequestObjectToResponseObject)
{
    const std::u16string doc = UniqueDocument("every-operation"), copy = doc + u"-copy";
    // The request's kind decides what an operation does: the last add runs
    // through DeleteComment, a get through AddComment.
    struct {
        const char16_t* text;
        Operation op;
    } const adds[] = {
        {u"first", &Service::AddComment}, {u"second", &Service::AddComment}, {u"third", &Service::DeleteComment}};
    for (const auto& [text, op] : adds) {
        EXPECT_EQ("AddCommentSuccessResponse|0|success|1|", Summary(Run(op, AddRequest(doc, text))));
        Sleep(3);  // distinct creation times, so that sorting by them is decided by them
    }
    const Reply oldest = Run(&Service::GetComment, GetRequest(doc, 1, 0));
    EXPECT_EQ("GetCommentSuccessResponse|0|success|2|", Summary(oldest));
    ASSERT_EQ((std::vector<std::string>{"first", "second", "third"}), Texts(oldest));
    for (const CommentView& c : oldest.comments) EXPECT_EQ(Utf8(doc), c.source);
    const std::vector<LONG> ids = Ids(oldest);
    const Reply newest = Run(&Service::AddComment, GetRequest(doc, 1, 1));
    EXPECT_EQ("GetCommentSuccessResponse|0|success|2|", Summary(newest));
    EXPECT_EQ((std::vector<std::string>{"third", "second", "first"}), Texts(newest));
    EXPECT_EQ((std::vector<std::string>{"third", "second"}), Texts(Run(&Service::GetComment, GetRequest(doc, 1, 1, 2))));

    EXPECT_EQ("ModifyCommentSuccessResponse|0|success|3|",
              Summary(Run(&Service::ModifyComment, Request(ModifyCommentRequestType, doc, u"first, restated", ids[0]))));
    EXPECT_EQ((std::vector<std::string>{"second", "third", "first, restated"}),
              Texts(Run(&Service::GetComment, GetRequest(doc, 0, 0))))
        << "sorted by last-modified time, the restated one comes last";

    EXPECT_EQ("HideCommentSuccessResponse|0|success|7|", Summary(Run(&Service::HideComments, HideRequest(doc, {ids[1]}))));
    EXPECT_EQ((std::vector<std::string>{"first, restated", "third"}),
              Texts(Run(&Service::GetComment, GetRequest(doc, 1, 0))));
    const Reply withHidden = Run(&Service::GetComment, GetRequest(doc, 1, 0, 0, true));
    ASSERT_EQ(3u, withHidden.comments.size());
    EXPECT_EQ("0 1 0", std::to_string(withHidden.comments[0].hidden) + " " + std::to_string(withHidden.comments[1].hidden) +
                           " " + std::to_string(withHidden.comments[2].hidden));

    EXPECT_EQ("DuplicateCommentSuccessResponse|0|success|8|",
              Summary(Run(&Service::DuplicateComments, DuplicateRequest(doc, copy))));
    const Reply copied = Run(&Service::GetComment, GetRequest(copy, 1, 0, 0, true));
    EXPECT_EQ(Texts(withHidden), Texts(copied));
    for (const CommentView& c : copied.comments) {
        EXPECT_EQ(Utf8(copy), c.source);
        EXPECT_EQ(ids.end(), std::find(ids.begin(), ids.end(), c.id)) << "copies get new ids";
    }

    const std::string missing = "CommentErrorResponse|404|Comment not found: " + std::to_string(ids[2]) + "|5|CMNTRY 301";
    for (const std::string& expected : {std::string("DeleteCommentSuccessResponse|0|success|4|"), missing})
        EXPECT_EQ(expected, Summary(Run(&Service::DeleteComment, Request(DeleteCommentRequestType, doc, u"", ids[2]))));
    EXPECT_EQ((std::vector<LONG>{ids[0], ids[1]}), Ids(Run(&Service::GetComment, GetRequest(doc, 1, 0, 0, true))));
}

TEST_F(ServiceE2E, RequestsWithoutAModelRequestNeverLeaveTheModule)
{
    const std::u16string doc = UniqueDocument("refused");
    ScopedComPtr<ISComment> comment = MakeComment(doc, u"a valid comment");
    ForeignRequest kind0(InvalidCommentRequestType, comment.Get()), kind5(TestConnectionRequestType, comment.Get()),
        kind9(static_cast<CommentRequestType>(9), comment.Get());
    const auto withoutText = AddRequest(doc, u"");
    const auto withoutComment = Make<CComAddCommentRequest, ISCommentRequest>(IID_ISAddCommentRequest);
    const auto withForeignComment = Make<CComAddCommentRequest, ISCommentRequest>(IID_ISAddCommentRequest);
    ScopedComPtr<IUnknown> foreign;  // the free-threaded marshaler's IUnknown, as a comment of no class of ours
    ASSERT_HR(S_OK, CoCreateFreeThreadedMarshaler(nullptr, foreign.Receive()));
    ASSERT_HR(S_OK, withForeignComment->put_Comment(reinterpret_cast<ISComment*>(foreign.Get())));
    const std::pair<const char*, ISCommentRequest*> cases[] = {
        {"kind 0", &kind0}, {"kind 5", &kind5}, {"kind 9", &kind9}, {"null request", nullptr},
        {"add without text", withoutText.Get()}, {"add without comment", withoutComment.Get()},
        {"add with another implementation's comment", withForeignComment.Get()}};
    const Services& services = Services::Get();
    const long before = services.RequestCount();
    for (const auto& [name, request] : cases)
        EXPECT_EQ(kFixedError, Summary(Call(m_connected.so.service.Get(), &Service::AddComment, request))) << name;
    EXPECT_EQ(before, services.RequestCount()) << "no request reached a server";
    Run(&Service::AddComment, AddRequest(doc, u"sent"));
    EXPECT_EQ(before + 1, services.RequestCount()) << "the request logs count what arrives";
}

// --- trace ----------------------------------------------------------------------------

namespace {

// The lines of an add around the given ones: the entry lines, the
// handed-over DoOperations line and the request read through its interface
// before them, the exit lines after them.
std::vector<std::string> AddLines(const std::vector<std::string>& middle)
{
    const std::string service = "CComLumoCommentaryService::", add = "CComAddCommentRequest::";
    std::vector<std::string> lines = {
        InLine(service + "AddComment", "@1"), InLine(service + "DoOperations", "@1"), service + "DoOperations",
        InLine(add + "get_RequestType", "@2"), OutLine(add + "get_RequestType", "@2"),
        InLine(add + "get_Comment", "@2"),     OutLine(add + "get_Comment", "@2")};
    lines.insert(lines.end(), middle.begin(), middle.end());
    lines.push_back(OutLine(service + "DoOperations", "@1"));
    lines.push_back(OutLine(service + "AddComment", "@1"));
    return lines;
}

}  // namespace

TEST_F(ServiceE2E, TraceOfAValidAndAnInvalidAdd)
{
    // The lines of one add, addresses masked; numbers that differ from run to
    // run (ids, times) become '#'.
    std::vector<STraceRecord> records;
    auto traceOfAdd = [&](const ScopedComPtr<ISCommentRequest>& request) {
        static const std::regex varying("\"(commentId|lastmodifiedtimestamp|creationtimestamp)\":[0-9]+");
        STraceCapture capture(14);
        ScopedComPtr<ISCommentResponse> response;
        EXPECT_HR(S_OK, m_connected.so.service->AddComment(request.Get(), response.Receive()));
        records = capture.records();
        std::vector<std::string> lines = MaskAddresses(capture.linesUtf8());
        for (std::string& line : lines) line = std::regex_replace(line, varying, "\"$1\":#");
        return lines;
    };
    const std::u16string doc = UniqueDocument("traced");
    const std::string d = Utf8(doc), token = SessionManager::getServerSession()->getLogonToken().toUtf8();
    const std::string user = Utf8(kTestUser);  // the server names the caller by the token's user
    // The token is masked after its first eight characters.
    EXPECT_EQ(AddLines({"Request JSON: {\"requestType\":1,\"logonToken\":\"" + token.substr(0, 8) + "...\",\"comment\":{\"sourceCUID\":\"" +
                            d + "\",\"text\":\"traced \\\"text\\\"\",\"hidden\":false,\"lastmodifiedtimestamp\":-1,"
                                "\"creationtimestamp\":-1}} ",
                        "Response JSON: {\"statusCode\":0,\"description\":\"success\",\"responseType\":1,\"comment\":{"
                        "\"sourceCUID\":\"" + d + "\",\"ownerCUID\":\"" + user + "\",\"text\":\"traced \\\"text\\\"\","
                        "\"commentId\":#,\"userName\":\"" + user + "\",\"lastModifiedUserCuid\":\"" + user +
                            "\",\"lastModifiedUserName\":\"" + user + "\",\"hidden\":false,\"lastmodifiedtimestamp\":#,"
                            "\"creationtimestamp\":#}} "}),
              traceOfAdd(AddRequest(doc, u"traced \"text\"")));
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ("0 2", std::to_string(records[2].level) + " " + std::to_string(records[2].flag))
        << "the DoOperations line is handed over at level 0 with trace flag 2";

    const std::string validation = "AddCommentRequest::isValidComment: Comment Text and Source ID cannot be null";
    EXPECT_EQ(AddLines({validation,
                        "CComLumoCommentaryService::ToCommentRequestJSON: AddCommentRequestType - Comment is not valid",
                        validation, "CComLumoCommentaryService::DoOperations Comment request is NULL"}),
              traceOfAdd(AddRequest(doc, u"")));
}

// --- concurrency -------------------------------------------------------------------------

namespace {

// One thread's rounds on the shared service object, in the multithreaded
// apartment, each with the thread's own request and response objects; every
// reply is checked against the thread's own request.  Failures are collected
// with their round and reported by the test.
void Rounds(ISLumoCommentaryService* service, int thread, int rounds, std::vector<std::string>& failures)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const std::u16string doc = UniqueDocument("concurrent-" + std::to_string(thread));
    for (int round = 0; round < rounds; ++round) {
        const std::string tag = "t" + std::to_string(thread) + "-r" + std::to_string(round);
        auto fail = [&](const std::string& what) { failures.push_back(tag + ": " + what); };
        auto call = [&](Operation op, const ScopedComPtr<ISCommentRequest>& request) {
            ScopedComPtr<ISCommentResponse> response;
            if ((service->*op)(request.Get(), response.Receive()) != S_OK || !response) fail("no response");
            return Read(response.Get());
        };
        if (call(&Service::AddComment, AddRequest(doc, Wide(tag))).type != 1) fail("add");
        const Reply got = call(&Service::GetComment, GetRequest(doc));
        if (got.type != 2 || Texts(got) != std::vector<std::string>{tag} || got.comments[0].source != Utf8(doc)) {
            fail("get answered another request");
            continue;
        }
        const LONG id = got.comments[0].id;
        const std::u16string copy = doc + u"-copy-" + Wide(std::to_string(round));
        if (call(&Service::ModifyComment, Request(ModifyCommentRequestType, doc, Wide(tag + "-changed"), id)).type != 3)
            fail("modify");
        if (call(&Service::HideComments, HideRequest(doc, {id})).type != 7) fail("hide");
        if (call(&Service::DuplicateComments, DuplicateRequest(doc, copy)).type != 8) fail("duplicate");
        const Reply copied = call(&Service::GetComment, GetRequest(copy, -1, 0, 0, true));
        if (Texts(copied) != std::vector<std::string>{tag + "-changed"} || !copied.comments[0].hidden)
            fail("the copy is not the changed, hidden comment");
        if (call(&Service::DeleteComment, Request(DeleteCommentRequestType, doc, u"", id)).type != 4) fail("delete");
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
        {
            std::vector<std::unique_ptr<WinThread>> threads;
            for (int t = 0; t < kThreads; ++t)
                threads.push_back(std::make_unique<WinThread>(
                    [&, t] { Rounds(connected.so.service.Get(), t, kRounds, failures[t]); }));
        }
        for (const auto& list : failures)
            for (const std::string& failure : list) ADD_FAILURE() << failure;
    }
    EXPECT_EQ(live, SComObjectBase::LiveObjectCount()) << "objects left alive";
    EXPECT_EQ(0, g_ComModule.GetLockCount());
    EXPECT_HR(S_OK, DllCanUnloadNow());
}
