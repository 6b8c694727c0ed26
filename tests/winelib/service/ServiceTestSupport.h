// Shared pieces of the service object's tests: the service object and
// requests made as the module makes its objects (this program links the
// module's code), the host program's session, what a client reads from a
// response object, and the services started around a run
// (scripts/with-services.sh).
// Include after tests/winelib/support/WinelibGTest.h.
#pragma once

#include <numeric>
#include <string>
#include <vector>

#include "host/CHostSession.h"
#include "module/LumoCommentary.h"
#include "service/object/CComLumoCommentaryService.h"
#include "tests/winelib/support/ComTestSupport.h"

namespace svctest {

// --- the module's objects ----------------------------------------------------

// A service object made through its class's creator, as the class table does.
struct ServiceUnderTest {
    ScopedComPtr<ISLumoCommentaryService> service;
    ScopedComPtr<ISInternalService> internal;
    CComLumoCommentaryService* object = nullptr;  // no reference of its own
};
ServiceUnderTest MakeService();

// A session of the host program with one reference for the caller.
inline ScopedComPtr<ISHostSession> MakeSession(const CHostSession::Settings& settings)
{
    return ScopedComPtr<ISHostSession>(CHostSession::Create(settings));
}

// A comment of this module with a source document and a text.
ScopedComPtr<ISComment> MakeComment(const std::u16string& source, const std::u16string& text);
// A request of the module's class for kind; it holds a comment of document
// doc with text and, unless it is -1, the comment id.
ScopedComPtr<ISCommentRequest> Request(CommentRequestType kind, const std::u16string& doc,
                                       const std::u16string& text = u"", LONG id = -1);
inline ScopedComPtr<ISCommentRequest> AddRequest(const std::u16string& doc, const std::u16string& text)
{
    return Request(AddCommentRequestType, doc, text);
}
// A get request of the document; hidden: ask for hidden comments too; the sort
// parameter (attribute, order) when attribute >= 0; a TOP qualifier when top > 0.
ScopedComPtr<ISCommentRequest> GetRequest(const std::u16string& doc, int attribute = -1, int order = 0, int top = 0,
                                          bool hidden = false);
ScopedComPtr<ISCommentRequest> HideRequest(const std::u16string& doc, const std::vector<LONG>& ids);
ScopedComPtr<ISCommentRequest> DuplicateRequest(const std::u16string& doc, const std::u16string& target);

using Operation = HRESULT (STDMETHODCALLTYPE ISLumoCommentaryService::*)(ISCommentRequest*, ISCommentResponse**);

// --- responses -----------------------------------------------------------------

struct CommentView {
    LONG id = -1;
    std::string text;
    std::string source;
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
Reply Read(ISCommentResponse* response);
std::vector<std::string> Texts(const Reply& reply);
std::vector<LONG> Ids(const Reply& reply);

// Runs one operation; the response (when one is handed out) as the client
// reads it.
Reply Call(ISLumoCommentaryService* service, Operation op, ISCommentRequest* request, HRESULT expected = S_OK);

// --- the services of the run (scripts/with-services.sh) --------------------------

struct Services {
    std::string naming;
    std::string secret;
    std::vector<int> serverPids;
    std::vector<std::string> requestLogs;

    // The environment that with-services.sh exports; empty naming when the
    // program runs without it.
    static const Services& Get();
    // Lines in the servers' request logs: one per request received.
    std::vector<long> RequestCounts() const;
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
void Connect(ConnectedService& connected);

// A name that no earlier run of the program used for a document.
std::u16string UniqueDocument(const std::string& stem);

}  // namespace svctest
