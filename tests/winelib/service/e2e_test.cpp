// The service object against reference servers: one answering every call
// with a file's text (--fault reply, LUMO_TEST_CANNED_REPLY); two on one
// database answering 20 ms after each call (--fault delay), one killed.
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <numeric>
#include <set>

#include "module/LumoCommentaryModule.h"
#include "tests/winelib/service/ServiceTestSupport.h"

// The C library's kill; signal.h does not mix with the Windows headers.
extern "C" int kill(int pid, int signal);

using namespace comtest;
using namespace svctest;

namespace {

const char kAdded[] = "ISAddCommentSuccessResponse|0|success|1|";
const char kFixedError[] =
    "ISCommentErrorResponse|-1|Comment-Request validation failed: Invalid comment parameter(s) set|5|CMNTRY 011";

// An add request of the module that reports another kind.
template <int Kind>
struct KindRequest : CComAddCommentRequest {
    STDMETHOD(get_RequestType)(CommentRequestType* kind) noexcept override { return *kind = Type(Kind), S_OK; }
    using Type = CommentRequestType;
};
template <int Kind>
ScopedComPtr<ISCommentRequest> RequestOfKind(ISComment* comment)
{
    ScopedComPtr<ISCommentRequest> request;
    CComCreator<CComObject<KindRequest<Kind>>>::CreateInstance(nullptr, IID_ISAddCommentRequest, request.ReceiveVoid());
    request->put_Comment(comment);
    return request;
}

class ServiceCannedReply : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Connect(m_connected)); }
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
         "ISGetCommentSuccessResponse|0|r2|2||canned"},
        {R"({"statusCode":0,"description":"r3","responseType":3})", "ISModifyCommentSuccessResponse|0|r3|3|"},
        {R"({"statusCode":0,"description":"r4","responseType":4})", "ISDeleteCommentSuccessResponse|0|r4|4|"},
        {R"({"statusCode":409,"description":"r5","responseType":5,"errorCode":"CMNTRY 999"})",
         "ISCommentErrorResponse|409|r5|5|CMNTRY 999"},
        {R"({"statusCode":0,"description":"r7","responseType":7})", "ISHideCommentSuccessResponse|0|r7|7|"},
        {R"({"statusCode":0,"description":"r8","responseType":8})", "ISDuplicateCommentSuccessResponse|0|r8|8|"},
        // Nothing handed out: the type that the trace names.
        {R"({"statusCode":0,"description":"connected","responseType":6})", "type 6"},
        {R"({"statusCode":0,"description":"r9","responseType":9})", "type 9"},
        {"this is not JSON", "type 0"},
        // Texts that break after their type are of type 0.
        {R"({"statusCode":0,"responseType":2,"comments":[{"commentId":9,"text":"cut"})", "type 0"},
        {R"({"responseType":5,"errorCode":"E"} and more)", "type 0"}};
    const std::string noClass = "CComLumoCommentaryService::CreateCommentResponse: no response class for response type ";
    for (const auto& [reply, expected] : cases) {
        Answer(reply);
        STraceCapture capture(0, {"CComLumoCommentaryService"});
        ISCommentResponse* response = Sentinel<ISCommentResponse*>();
        const HRESULT hr = Service()->AddComment(Request(AddCommentRequestType, u"doc", u"text").Get(), &response);
        EXPECT_HR(std::string(expected).rfind("type ", 0) == 0 ? S_FALSE : S_OK, hr) << reply;
        ScopedComPtr<ISCommentResponse> owned(response == Sentinel<ISCommentResponse*>() ? nullptr : response);
        const Reply read = Read(owned.Get());
        std::string shown = read.summary;
        for (const std::string& comment : read.comments) shown += "|" + comment;
        for (const std::string& line : capture.linesUtf8())
            if (line.rfind(noClass, 0) == 0) shown += "type " + line.substr(noClass.size());
        EXPECT_EQ(expected, shown) << reply;
    }
}

TEST_F(ServiceCannedReply, RequestsThatAreNotValidNeverLeaveTheModule)
{
    Answer(R"({"statusCode":0,"description":"sent","responseType":1})");
    ScopedComPtr<ISComment> comment;
    Request(AddCommentRequestType, u"doc", u"a valid comment")->get_Comment(comment.Receive());
    ScopedComPtr<IUnknown> foreign;  // the free-threaded marshaler, as a comment of no class of ours
    ASSERT_HR(S_OK, CoCreateFreeThreadedMarshaler(nullptr, foreign.Receive()));
    const ScopedComPtr<ISCommentRequest> invalid[] = {RequestOfKind<0>(comment.Get()),
                                                      RequestOfKind<5>(comment.Get()),
                                                      RequestOfKind<9>(comment.Get()),
                                                      ScopedComPtr<ISCommentRequest>(),
                                                      RequestOfKind<1>(nullptr),
                                                      RequestOfKind<1>(reinterpret_cast<ISComment*>(foreign.Get())),
                                                      Request(AddCommentRequestType, u"doc"),
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
    for (const auto& request : invalid)
        EXPECT_EQ(kFixedError, Call(Service(), &ISLumoCommentaryService::AddComment, request.Get()).summary);
    EXPECT_EQ(before, requests()) << "no request reached the server";
    EXPECT_EQ("ISAddCommentSuccessResponse|0|sent|1|",
              Call(Service(), &ISLumoCommentaryService::AddComment, Request(AddCommentRequestType, u"doc", u"t").Get())
                  .summary);
    EXPECT_EQ(before + 1, requests()) << "the request log counts what arrives";
}

// An add request sent through DeleteComment: its own kind decides.
TEST_F(ServiceCannedReply, TraceOfAValidAndAnInvalidAdd)
{
    const std::string reply = R"({"statusCode":0,"description":"success","responseType":1,"comment":{"commentId":7}})";
    Answer(reply);
    const std::string service = "CComLumoCommentaryService::", add = "CComAddCommentRequest::";
    auto lines = [&](std::vector<std::string> middle) {
        std::vector<std::string> all = {InLine(service + "DeleteComment"), InLine(service + "DoOperations"),
                                        service + "DoOperations"};
        for (const std::string m : {"get_RequestType", "get_Comment"})
            all.insert(all.end(), {InLine(add + m, "@2"), OutLine(add + m, "@2")});
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
    // The token is masked after its first eight characters.
    const std::string token = SessionManager::getServerSession()->getLogonToken().toUtf8().substr(0, 8);
    EXPECT_EQ(lines({"Request JSON: {\"requestType\":1,\"logonToken\":\"" + token +
                         "...\",\"comment\":{\"sourceCUID\":\"doc\",\"text\":\"traced \\\"text\\\"\",\"hidden\":false,"
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

TEST(ServiceThreads, FourThreadsShareOneServiceObject)
{
    const long live = SComObjectBase::LiveObjectCount();
    {
        ConnectedService connected;
        ASSERT_NO_FATAL_FAILURE(Connect(connected));
        ISLumoCommentaryService* service = connected.so.service.Get();
        std::vector<std::function<void()>> threads;
        for (int t = 0; t < 4; ++t)
            threads.push_back([service, t] {
                CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                const std::u16string doc = u"threads-" + Wide(std::to_string(t));
                std::vector<std::string> added;
                for (int round = 0; round < 5; ++round) {
                    added.push_back("t" + std::to_string(t) + "-r" + std::to_string(round));
                    const auto add = Request(AddCommentRequestType, doc, Wide(added.back()));
                    EXPECT_EQ(kAdded, Call(service, &ISLumoCommentaryService::AddComment, add.Get()).summary);
                    EXPECT_EQ(added, Call(service, &ISLumoCommentaryService::GetComment,
                                          Request(GetCommentRequestType, doc).Get())
                                         .comments);
                }
                CoUninitialize();
            });
        RunOnWindowsThreads(threads);
    }
    EXPECT_EQ(live, SComObjectBase::LiveObjectCount()) << "objects left alive";
    EXPECT_EQ(0, g_ComModule.GetLockCount());
    EXPECT_HR(S_OK, DllCanUnloadNow());
}

// Every call answers or fails as documented (S_OK, no response), and the
// servers stored exactly what succeeded: the kill most likely falls between
// an add's execution and its reply, which retention answers elsewhere.
TEST(ServiceFailover, AServerKilledDuringAddsLosesAndRepeatsNothing)
{
    ConnectedService connected;
    ASSERT_NO_FATAL_FAILURE(Connect(connected));
    const Services& services = Services::Get();
    ASSERT_EQ(2u, services.serverPids.size());
    ISLumoCommentaryService* service = connected.so.service.Get();
    const std::u16string doc = u"failover";
    // The server this object talks to is the one whose log grows.
    const std::vector<long> before = services.RequestCounts();
    const auto warmUp = Request(AddCommentRequestType, doc, u"warm-up");
    ASSERT_EQ(kAdded, Call(service, &ISLumoCommentaryService::AddComment, warmUp.Get()).summary);
    const std::vector<long> after = services.RequestCounts();
    const size_t victim = after[0] > before[0] ? 0 : 1;
    ASSERT_GT(after[victim], before[victim]);

    constexpr int kAdds = 30, kKillAfter = 5;
    std::atomic<int> done{0};
    int killed = 0, withoutResponse = 0;
    std::multiset<std::string> succeeded{"warm-up"};
    auto adds = [&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < kAdds; ++i, ++done) {
            const std::string text = "add-" + std::to_string(i);
            ScopedComPtr<ISCommentResponse> response;
            const auto add = Request(AddCommentRequestType, doc, Wide(text));
            EXPECT_HR(S_OK, service->AddComment(add.Get(), response.Receive()));
            if (!response) ++withoutResponse;
            if (!response) continue;
            EXPECT_EQ(kAdded, Read(response.Get()).summary);
            succeeded.insert(text);
        }
        CoUninitialize();
    };
    auto killer = [&] {
        while (done.load() < kKillAfter) Sleep(1);
        Sleep(8);  // into the next call, which the servers answer 20 ms after running it
        killed = kill(std::stoi(services.serverPids[victim]), 9 /* SIGKILL */) == 0 ? 1 : -1;
    };
    RunOnWindowsThreads({adds, killer});
    EXPECT_EQ(1, killed) << "the server was killed";
    EXPECT_TRUE(succeeded.count("add-" + std::to_string(kAdds - 1))) << "the other server took over";
    std::vector<std::string> stored =
        Call(service, &ISLumoCommentaryService::GetComment, Request(GetCommentRequestType, doc).Get()).comments;
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(std::vector<std::string>(succeeded.begin(), succeeded.end()), stored)
        << withoutResponse << " call(s) ended without a response";
}
