// The service object against a server that answers every call with the text
// of a file (its --fault reply option, LUMO_TEST_CANNED_REPLY): the reply's
// own type decides the response class, requests that are not valid never
// reach the server, and the exact trace of an operation.
#include "tests/winelib/support/WinelibGTest.h"

#include <fstream>
#include <numeric>

#include "tests/winelib/service/ServiceTestSupport.h"

using namespace comtest;
using namespace svctest;

namespace {

const char kFixedError[] =
    "ISCommentErrorResponse|-1|Comment-Request validation failed: Invalid comment parameter(s) set|5|CMNTRY 011";

// A request of another implementation: it reports any kind and holds a
// comment of this module.  It lives on the caller's stack.
class ForeignRequest : public ISCommentRequest {
public:
    ForeignRequest(int kind, ISComment* comment) : m_kind(static_cast<CommentRequestType>(kind)), m_comment(comment) {}
    STDMETHOD(QueryInterface)(REFIID riid, void** out) override
    {
        *out = IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISCommentRequest) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(GetTypeInfoCount)(UINT*) override { return E_NOTIMPL; }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(get_RequestType)(CommentRequestType* kind) override { return *kind = m_kind, S_OK; }
    STDMETHOD(get_Comment)(ISComment** comment) override { return (*comment = m_comment)->AddRef(), S_OK; }
    STDMETHOD(put_Comment)(ISComment*) override { return E_NOTIMPL; }
    STDMETHOD(ToJSON)(BSTR*) override { return E_NOTIMPL; }

private:
    CommentRequestType m_kind;
    ISComment* m_comment;  // the caller's
};

class ServiceCannedReply : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Connect(m_connected)); }
    // The server's next answers are the text.
    static void Answer(const std::string& text)
    {
        std::ofstream(std::getenv("LUMO_TEST_CANNED_REPLY"), std::ios::binary | std::ios::trunc) << text;
    }
    ISLumoCommentaryService* Service() const { return m_connected.so.service.Get(); }
    ConnectedService m_connected;
};

}  // namespace

TEST_F(ServiceCannedReply, TheReplysTypeChoosesTheResponseClass)
{
    const std::pair<const char*, const char*> cases[] = {
        // reply; what is handed out ("" nothing)
        {R"({"statusCode":0,"description":"r1","responseType":1})", "ISAddCommentSuccessResponse|0|r1|1|"},
        {R"({"statusCode":0,"description":"r2","responseType":2,"comments":[{"commentId":9,"text":"canned"}]})",
         "ISGetCommentSuccessResponse|0|r2|2||9 canned "},
        {R"({"statusCode":0,"description":"r3","responseType":3})", "ISModifyCommentSuccessResponse|0|r3|3|"},
        {R"({"statusCode":0,"description":"r4","responseType":4})", "ISDeleteCommentSuccessResponse|0|r4|4|"},
        {R"({"statusCode":409,"description":"r5","responseType":5,"errorCode":"CMNTRY 999"})",
         "ISCommentErrorResponse|409|r5|5|CMNTRY 999"},
        {R"({"statusCode":0,"description":"r7","responseType":7})", "ISHideCommentSuccessResponse|0|r7|7|"},
        {R"({"statusCode":0,"description":"r8","responseType":8})", "ISDuplicateCommentSuccessResponse|0|r8|8|"},
        {R"({"statusCode":0,"description":"connected","responseType":6})", ""},
        {R"({"statusCode":0,"description":"r9","responseType":9})", ""},
        {"this is not JSON", ""}};
    for (const auto& [reply, expected] : cases) {
        Answer(reply);
        ISCommentResponse* response = Sentinel<ISCommentResponse*>();
        const HRESULT hr = Service()->AddComment(Request(AddCommentRequestType, u"doc", u"text").Get(), &response);
        EXPECT_HR(*expected ? S_OK : S_FALSE, hr) << reply;
        if (response == Sentinel<ISCommentResponse*>()) response = nullptr;
        ScopedComPtr<ISCommentResponse> owned(response);
        const Reply read = Read(owned.Get());
        std::string shown = read.summary;
        for (const std::string& comment : read.comments) shown += "|" + comment;
        EXPECT_EQ(expected, shown) << reply;
    }
}

// Requests of no kind of a model request (0, 5, 9), missing, holding no or a
// foreign comment, or failing their kind's rule get the fixed error response
// and reach no server.
TEST_F(ServiceCannedReply, RequestsThatAreNotValidNeverLeaveTheModule)
{
    Answer(R"({"statusCode":0,"description":"sent","responseType":1})");
    ScopedComPtr<ISComment> comment;
    Request(AddCommentRequestType, u"doc", u"a valid comment")->get_Comment(comment.Receive());
    ForeignRequest kind0(0, comment.Get()), kind5(5, comment.Get()), kind9(9, comment.Get());
    ScopedComPtr<IUnknown> foreign;  // the free-threaded marshaler, as a comment of no class of ours
    ASSERT_HR(S_OK, CoCreateFreeThreadedMarshaler(nullptr, foreign.Receive()));
    const ScopedComPtr<ISCommentRequest> empty = Make<CComAddCommentRequest, ISCommentRequest>(IID_ISAddCommentRequest),
                                         withForeign =
                                             Make<CComAddCommentRequest, ISCommentRequest>(IID_ISAddCommentRequest);
    ASSERT_HR(S_OK, withForeign->put_Comment(reinterpret_cast<ISComment*>(foreign.Get())));
    const ScopedComPtr<ISCommentRequest> invalid[] = {Request(AddCommentRequestType, u"doc"),
                                                      Request(GetCommentRequestType, u""),
                                                      Request(ModifyCommentRequestType, u"doc", u"t"),
                                                      Request(DeleteCommentRequestType, u"doc"),
                                                      Request(HideCommentRequestType, u""),
                                                      Request(DuplicateCommentRequestType, u"doc")};
    auto requests = [] {
        const std::vector<long> counts = Services::Get().RequestCounts();
        return std::accumulate(counts.begin(), counts.end(), 0L);
    };
    const long before = requests();
    for (ISCommentRequest* request : {static_cast<ISCommentRequest*>(&kind0), static_cast<ISCommentRequest*>(&kind5),
                                      static_cast<ISCommentRequest*>(&kind9), static_cast<ISCommentRequest*>(nullptr),
                                      empty.Get(), withForeign.Get(), invalid[0].Get(), invalid[1].Get(),
                                      invalid[2].Get(), invalid[3].Get(), invalid[4].Get(), invalid[5].Get()})
        EXPECT_EQ(kFixedError, Call(Service(), &ISLumoCommentaryService::AddComment, request).summary);
    EXPECT_EQ(before, requests()) << "no request reached the server";
    EXPECT_EQ("ISAddCommentSuccessResponse|0|sent|1|",
              Call(Service(), &ISLumoCommentaryService::AddComment, Request(AddCommentRequestType, u"doc", u"t").Get())
                  .summary);
    EXPECT_EQ(before + 1, requests()) << "the request log counts what arrives";
}

// An add request sent through DeleteComment: the request's own kind decides
// what is done.  The lines of the valid and of an invalid add, in order.
TEST_F(ServiceCannedReply, TraceOfAValidAndAnInvalidAdd)
{
    const std::string reply = R"({"statusCode":0,"description":"success","responseType":1,"comment":{"commentId":7}})";
    Answer(reply);
    const std::string service = "CComLumoCommentaryService::", add = "CComAddCommentRequest::";
    auto lines = [&](std::vector<std::string> middle) {
        std::vector<std::string> all = {InLine(service + "DeleteComment"),
                                        InLine(service + "DoOperations"),
                                        service + "DoOperations",
                                        InLine(add + "get_RequestType", "@2"),
                                        OutLine(add + "get_RequestType", "@2"),
                                        InLine(add + "get_Comment", "@2"),
                                        OutLine(add + "get_Comment", "@2")};
        all.insert(all.end(), middle.begin(), middle.end());
        all.insert(all.end(), {OutLine(service + "DoOperations"), OutLine(service + "DeleteComment")});
        return all;
    };
    std::vector<STraceRecord> records;
    auto traceOf = [&](const char16_t* text) {
        const auto request = Request(AddCommentRequestType, u"doc", text);
        ScopedComPtr<ISCommentResponse> response;
        return TraceOf([&] { Service()->DeleteComment(request.Get(), response.Receive()); }, &records);
    };
    const std::string token = SessionManager::getServerSession()->getLogonToken().toUtf8();
    EXPECT_EQ(lines({"Request JSON: {\"requestType\":1,\"logonToken\":\"" + token +
                         "\",\"comment\":{\"sourceCUID\":\"doc\",\"text\":\"traced \\\"text\\\"\",\"hidden\":false,"
                         "\"lastmodifiedtimestamp\":-1,\"creationtimestamp\":-1}} ",
                     "Response JSON: " + reply + " "}),
              traceOf(u"traced \"text\""));
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ("0 2", std::to_string(records[2].level) + " " + std::to_string(records[2].flag))
        << "the DoOperations line is handed over at level 0 with trace flag 2";
    const std::string validation = "AddCommentRequest::isValidComment: Comment Text and Source ID cannot be null";
    EXPECT_EQ(lines({validation, service + "ToCommentRequestJSON: AddCommentRequestType - Comment is not valid",
                     validation, service + "DoOperations Comment request is NULL"}),
              traceOf(u""));
}
