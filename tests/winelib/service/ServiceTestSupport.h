// Shared pieces of the service object's tests: a host session reached only
// through its raw table of operations, the module's objects made directly
// (this program links the module's code), readers of response objects, the
// services started around a run (scripts/with-services.sh) and trace masking.
// Include after tests/winelib/support/WinelibGTest.h.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "com/CComComment.h"
#include "service/object/CComLumoCommentaryService.h"
#include "tests/winelib/support/ComTestSupport.h"

namespace svctest {

// --- a host session through its raw table ------------------------------------
//
// The session is laid out as a table pointer followed by its state; the
// table's 36 entries are filled by position, never through the ISHostSession
// declaration, so a test proves which positions the service object calls.
// Every call of a position from 3 up is recorded with the resource locale of
// the calling thread at that moment.
class TableSession {
    // First: where the table pointer of an interface lives.
    const void* const* m_table;

public:
    static constexpr int kSlots = 36;
    static constexpr int kServerFilter = 8;
    static constexpr int kLocaleId = 12;
    static constexpr int kClusterName = 33;
    static constexpr int kRequestLogonToken = 35;

    struct Call {
        int slot;
        uint32_t threadLocale;
        bool operator==(const Call& o) const { return slot == o.slot && threadLocale == o.threadLocale; }
    };

    TableSession();
    TableSession(const TableSession&) = delete;
    TableSession& operator=(const TableSession&) = delete;

    // The session as the service object receives it.
    ISHostSession* Get() { return reinterpret_cast<ISHostSession*>(this); }
    ULONG Refs() const { return static_cast<ULONG>(m_refs); }

    // What the four positions answer; a position in failing answers E_FAIL.
    LCID locale = 0x0407;
    std::u16string cluster;
    std::u16string serverFilter;
    std::u16string logonToken;
    std::set<int> failing;

    std::vector<Call> Calls() const;
    std::vector<int> Slots() const;
    void ClearCalls();
    void Record(int slot);

    template <int Slot>
    static HRESULT STDMETHODCALLTYPE Reserved(TableSession* self);

private:
    friend struct TableSessionAccess;
    LONG m_refs = 1;
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

std::ostream& operator<<(std::ostream& out, const TableSession::Call& call);

// --- the module's objects ----------------------------------------------------

// A service object made through its class's creator, as the class table does.
struct ServiceUnderTest {
    ScopedComPtr<ISLumoCommentaryService> service;
    ScopedComPtr<ISInternalService> internal;
    CComLumoCommentaryService* object = nullptr;  // no reference of its own
};
ServiceUnderTest MakeService();

template <class Class, class Interface>
ScopedComPtr<Interface> Make(REFIID riid)
{
    ScopedComPtr<Interface> object;
    EXPECT_HR(S_OK, Class::_CreatorClass::CreateInstance(nullptr, riid, object.ReceiveVoid()));
    return object;
}

// A comment of this module with a source document and a text.
ScopedComPtr<ISComment> MakeComment(const std::u16string& source, const std::u16string& text);
// A request of the class, holding the comment.
template <class Class, class Interface>
ScopedComPtr<Interface> MakeRequest(REFIID riid, ISComment* comment)
{
    ScopedComPtr<Interface> request = Make<Class, Interface>(riid);
    if (request) {
        EXPECT_HR(S_OK, request->put_Comment(comment));
    }
    return request;
}
ScopedComPtr<ISCommentRequest> AddRequest(const std::u16string& source, const std::u16string& text);
// A get request of the document; hidden: ask for hidden comments too; the sort
// parameter (attribute, order) when attribute >= 0; a TOP qualifier when top > 0.
ScopedComPtr<ISCommentRequest> GetRequest(const std::u16string& source, int attribute = -1, int order = 0,
                                          int top = 0, bool hidden = false);

// A request of another implementation: it reports any kind and holds a comment
// of this module.
ScopedComPtr<ISCommentRequest> ForeignRequest(CommentRequestType kind, ISComment* comment);

// --- the six operations --------------------------------------------------------

using Operation = HRESULT (STDMETHODCALLTYPE ISLumoCommentaryService::*)(ISCommentRequest*, ISCommentResponse**);
struct OperationCase {
    const char* name;       // for test names
    const char* traceName;  // what the trace lines show
    Operation call;
};
extern const OperationCase kOperations[6];
std::ostream& operator<<(std::ostream& out, const OperationCase& op);

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

// --- the services of the run (scripts/with-services.sh) --------------------------

struct Services {
    std::string naming;
    std::string secret;
    std::vector<std::string> serverNames;
    std::vector<int> serverPids;
    std::vector<std::string> requestLogs;

    // The environment that with-services.sh exports; empty naming when the
    // program runs without it.
    static const Services& Get();
    // Points the framework at the run's Naming Service and logs the user on
    // (once per program).
    static void LogOn();
    // Lines in the servers' request logs: one per request received.
    long RequestCount() const;
    std::vector<long> RequestCounts() const;
};

// The user the tests log on as, and the session every connected test uses.
constexpr char16_t kTestUser[] = u"service-test";

// A service object bound to a table session with the logged-on user's token
// and connected to the run's servers.
struct ConnectedService {
    TableSession session;
    ServiceUnderTest so;
};
// Fails the current test when binding or connecting fails.
void Connect(ConnectedService& connected);

// A name that no earlier run of the program used for a document.
std::u16string UniqueDocument(const char* stem);

// A thread of the Windows kind: one that the C++ library starts is unknown
// to Wine and must not call into the object runtime.  Joined at the latest
// when destroyed.
class WinThread {
public:
    explicit WinThread(std::function<void()> body);
    ~WinThread() { Join(); }
    WinThread(const WinThread&) = delete;
    WinThread& operator=(const WinThread&) = delete;
    void Join();

private:
    static DWORD WINAPI Main(void* self);
    std::function<void()> m_body;
    HANDLE m_handle = nullptr;
};

// --- trace lines -----------------------------------------------------------------

// Replaces each distinct object address (0x + 16 hex digits) by @1, @2, ... in
// order of first appearance, so that lines of one object keep one name.
std::vector<std::string> MaskAddresses(const std::vector<std::string>& lines);

}  // namespace svctest
