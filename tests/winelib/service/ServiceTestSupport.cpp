#include "tests/winelib/support/WinelibGTest.h"

#include "tests/winelib/service/ServiceTestSupport.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <utility>

#include "com/CComAddCommentRequest.h"
#include "com/CComCommentQualifier.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComSortParams.h"
#include "platform/foundation/SResManager.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/SessionManager.h"

namespace svctest {

// --- TableSession ----------------------------------------------------------------

template <int Slot>
HRESULT STDMETHODCALLTYPE TableSession::Reserved(TableSession* self)
{
    self->Record(Slot);
    return E_NOTIMPL;
}

struct TableSessionAccess {
    static LONG& Refs(TableSession* self) { return self->m_refs; }
};

namespace {

HRESULT STDMETHODCALLTYPE SessionQueryInterface(TableSession* self, REFIID riid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_ISHostSession)) return E_NOINTERFACE;
    *out = self;
    self->Get()->AddRef();
    return S_OK;
}

// The test owns the session: the count only shows who holds it.
ULONG STDMETHODCALLTYPE SessionAddRef(TableSession* self)
{
    return static_cast<ULONG>(InterlockedIncrement(&TableSessionAccess::Refs(self)));
}
ULONG STDMETHODCALLTYPE SessionRelease(TableSession* self)
{
    return static_cast<ULONG>(InterlockedDecrement(&TableSessionAccess::Refs(self)));
}

template <int Slot>
HRESULT STDMETHODCALLTYPE SessionText(TableSession* self, BSTR* out)
{
    self->Record(Slot);
    if (!out) return E_POINTER;
    if (self->failing.count(Slot)) return E_FAIL;
    const std::u16string& text = Slot == TableSession::kServerFilter ? self->serverFilter
                                 : Slot == TableSession::kClusterName ? self->cluster
                                                                      : self->logonToken;
    *out = SysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE SessionLocale(TableSession* self, LCID* out)
{
    self->Record(TableSession::kLocaleId);
    if (!out) return E_POINTER;
    if (self->failing.count(TableSession::kLocaleId)) return E_FAIL;
    *out = self->locale;
    return S_OK;
}

template <std::size_t... I>
std::array<const void*, TableSession::kSlots> ReservedTable(std::index_sequence<I...>)
{
    return {{reinterpret_cast<const void*>(&TableSession::Reserved<static_cast<int>(I)>)...}};
}

const std::array<const void*, TableSession::kSlots>& SessionTable()
{
    static const std::array<const void*, TableSession::kSlots> table = [] {
        auto t = ReservedTable(std::make_index_sequence<TableSession::kSlots>());
        t[0] = reinterpret_cast<const void*>(&SessionQueryInterface);
        t[1] = reinterpret_cast<const void*>(&SessionAddRef);
        t[2] = reinterpret_cast<const void*>(&SessionRelease);
        t[TableSession::kServerFilter] = reinterpret_cast<const void*>(&SessionText<TableSession::kServerFilter>);
        t[TableSession::kLocaleId] = reinterpret_cast<const void*>(&SessionLocale);
        t[TableSession::kClusterName] = reinterpret_cast<const void*>(&SessionText<TableSession::kClusterName>);
        t[TableSession::kRequestLogonToken] =
            reinterpret_cast<const void*>(&SessionText<TableSession::kRequestLogonToken>);
        return t;
    }();
    return table;
}

}  // namespace

TableSession::TableSession() : m_table(SessionTable().data()) {}

void TableSession::Record(int slot)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back({slot, SResManager::ThreadLocale()});
}

std::vector<TableSession::Call> TableSession::Calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<int> TableSession::Slots() const
{
    std::vector<int> slots;
    for (const Call& call : Calls()) slots.push_back(call.slot);
    return slots;
}

void TableSession::ClearCalls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

std::ostream& operator<<(std::ostream& out, const TableSession::Call& call)
{
    return out << "{slot " << call.slot << ", locale 0x" << std::hex << call.threadLocale << std::dec << "}";
}

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
    if (!comment) return comment;
    ScopedBstr sourceText(source.c_str()), bodyText(text.c_str());
    EXPECT_HR(S_OK, comment->put_SourceCUID(sourceText.Get()));
    EXPECT_HR(S_OK, comment->put_Text(bodyText.Get()));
    return comment;
}

ScopedComPtr<ISCommentRequest> AddRequest(const std::u16string& source, const std::u16string& text)
{
    ScopedComPtr<ISComment> comment = MakeComment(source, text);
    return MakeRequest<CComAddCommentRequest, ISCommentRequest>(IID_ISAddCommentRequest, comment.Get());
}

ScopedComPtr<ISCommentRequest> GetRequest(const std::u16string& source, int attribute, int order, int top,
                                          bool hidden)
{
    ScopedComPtr<ISComment> comment = MakeComment(source, u"");
    if (hidden) {
        EXPECT_HR(S_OK, comment->put_Hidden(VARIANT_TRUE));
    }
    ScopedComPtr<ISGetCommentRequest> request =
        MakeRequest<CComGetCommentRequest, ISGetCommentRequest>(IID_ISGetCommentRequest, comment.Get());
    if (attribute >= 0) {
        ScopedComPtr<ISSortParam> sort = Make<CComSortParam, ISSortParam>(IID_ISSortParam);
        EXPECT_HR(S_OK, sort->put_SortAttribute(static_cast<SortAttributeType>(attribute)));
        EXPECT_HR(S_OK, sort->put_SortOrder(static_cast<SortOrderType>(order)));
        EXPECT_HR(S_OK, request->AddSortParam(sort.Get()));
    }
    if (top > 0) {
        ScopedComPtr<ISCommentQualifier> qualifier = Make<CComCommentQualifier, ISCommentQualifier>(IID_ISCommentQualifier);
        ScopedBstr value(SWCharString::fromUtf8(std::to_string(top)).c_str());
        EXPECT_HR(S_OK, qualifier->put_CommentQualifierAttribute(COMMENTQUALIFIERATTRIBUTE_TOP));
        EXPECT_HR(S_OK, qualifier->put_CommentQualifierValue(value.Get()));
        EXPECT_HR(S_OK, request->AddCommentQualifier(qualifier.Get()));
    }
    return ScopedComPtr<ISCommentRequest>(request.Release());
}

namespace {

class ForeignCommentRequest : public ISCommentRequest {
public:
    ForeignCommentRequest(CommentRequestType kind, ISComment* comment) : m_kind(kind), m_comment(comment)
    {
        if (comment) comment->AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IDispatch) &&
            !IsEqualGUID(riid, IID_ISCommentRequest))
            return E_NOINTERFACE;
        *out = static_cast<ISCommentRequest*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0) delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_RequestType(CommentRequestType* kind) override
    {
        *kind = m_kind;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Comment(ISComment** comment) override
    {
        *comment = m_comment.Get();
        if (*comment) (*comment)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Comment(ISComment* comment) override
    {
        if (comment) comment->AddRef();
        m_comment.Reset(comment);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ToJSON(BSTR*) override { return S_OK; }

private:
    virtual ~ForeignCommentRequest() = default;
    std::atomic<ULONG> m_refs{1};
    CommentRequestType m_kind;
    ScopedComPtr<ISComment> m_comment;
};

}  // namespace

ScopedComPtr<ISCommentRequest> ForeignRequest(CommentRequestType kind, ISComment* comment)
{
    return ScopedComPtr<ISCommentRequest>(new ForeignCommentRequest(kind, comment));
}

// --- operations -------------------------------------------------------------------

const OperationCase kOperations[6] = {
    {"AddComment", "CComLumoCommentaryService::AddComment", &ISLumoCommentaryService::AddComment},
    {"GetComment", "CComLumoCommentaryService::GetComment", &ISLumoCommentaryService::GetComment},
    {"ModifyComment", "CComLumoCommentaryService::ModifyComment", &ISLumoCommentaryService::ModifyComment},
    {"DeleteComment", "CComLumoCommentaryService::DeleteComment", &ISLumoCommentaryService::DeleteComment},
    {"HideComments", "CComLumoCommentaryService::HideComment", &ISLumoCommentaryService::HideComments},
    {"DuplicateComments", "CComLumoCommentaryService::DuplicateComment",
     &ISLumoCommentaryService::DuplicateComments},
};

std::ostream& operator<<(std::ostream& out, const OperationCase& op) { return out << op.name; }

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
        if (FAILED(response->QueryInterface(*c.first, own.ReceiveVoid()))) continue;
        reply.cls += (reply.cls.empty() ? "" : "+") + std::string(c.second);
    }
    ScopedBstr text;
    response->get_StatusCode(&reply.status);
    reply.description = TextOf(response->get_Description(text.Receive()), text);
    CommentResponseType type = InvalidCommentResponseType;
    if (SUCCEEDED(response->get_ResponseType(&type))) reply.type = type;

    ScopedComPtr<ISCommentErrorResponse> error;
    if (SUCCEEDED(response->QueryInterface(IID_ISCommentErrorResponse, error.ReceiveVoid())))
        reply.errorCode = TextOf(error->get_ErrorCode(text.Receive()), text);
    ScopedComPtr<ISGetCommentSuccessResponse> get;
    if (SUCCEEDED(response->QueryInterface(IID_ISGetCommentSuccessResponse, get.ReceiveVoid()))) {
        int count = 0;
        get->get_Count(&count);
        for (int i = 0; i < count; ++i) {
            ScopedComPtr<ISComment> comment;
            CommentView view;
            if (FAILED(get->get_Comment(i, comment.Receive()))) {
                view.text = "<get_Comment failed>";
            } else {
                VARIANT_BOOL hidden = VARIANT_FALSE;
                comment->get_CommentId(&view.id);
                view.text = TextOf(comment->get_Text(text.Receive()), text);
                view.source = TextOf(comment->get_SourceCUID(text.Receive()), text);
                comment->get_Hidden(&hidden);
                view.hidden = hidden != VARIANT_FALSE;
            }
            reply.comments.push_back(view);
        }
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

// --- services ---------------------------------------------------------------------------

namespace {

std::vector<std::string> Words(const char* text)
{
    std::vector<std::string> words;
    std::istringstream in(text ? text : "");
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::string ReadFirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

const Services& Services::Get()
{
    static const Services services = [] {
        Services s;
        if (const char* naming = std::getenv("LUMO_NAMING")) s.naming = naming;
        if (const char* file = std::getenv("LUMO_TOKEN_SECRET_FILE")) s.secret = ReadFirstLine(file);
        s.serverNames = Words(std::getenv("LUMO_TEST_SERVER_NAMES"));
        for (const std::string& pid : Words(std::getenv("LUMO_TEST_SERVER_PIDS"))) s.serverPids.push_back(std::stoi(pid));
        s.requestLogs = Words(std::getenv("LUMO_TEST_REQUEST_LOGS"));
        return s;
    }();
    return services;
}

void Services::LogOn()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const Services& s = Get();
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = s.naming;
        FrameworkSettings::setCurrent(settings);
        SessionManager::logon(kTestUser, s.secret.empty() ? std::string("no secret given") : s.secret);
    });
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

long Services::RequestCount() const
{
    long total = 0;
    for (long n : RequestCounts()) total += n;
    return total;
}

void Connect(ConnectedService& connected)
{
    const Services& services = Services::Get();
    ASSERT_FALSE(services.naming.empty()) << "run under scripts/with-services.sh (LUMO_NAMING is not set)";
    Services::LogOn();
    connected.session.logonToken = SessionManager::getServerSession()->getLogonToken().str();
    connected.so = MakeService();
    ASSERT_TRUE(connected.so.internal);
    ASSERT_HR(S_OK, connected.so.internal->SetCOMSession(connected.session.Get()));
    ASSERT_HR(S_OK, connected.so.internal->SetImplPointers(u"service-test", u"e2e"));
    connected.session.ClearCalls();
}

std::u16string UniqueDocument(const char* stem)
{
    static std::atomic<int> counter{0};
    const std::string name = std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    return SWCharString::fromUtf8(name).str();
}

WinThread::WinThread(std::function<void()> body) : m_body(std::move(body))
{
    m_handle = CreateThread(nullptr, 0, &WinThread::Main, this, 0, nullptr);
    EXPECT_NE(nullptr, m_handle);
}

DWORD WINAPI WinThread::Main(void* self)
{
    static_cast<WinThread*>(self)->m_body();
    return 0;
}

void WinThread::Join()
{
    if (!m_handle) return;
    WaitForSingleObject(m_handle, INFINITE);
    CloseHandle(m_handle);
    m_handle = nullptr;
}

// --- trace ------------------------------------------------------------------------------

std::vector<std::string> MaskAddresses(const std::vector<std::string>& lines)
{
    static const std::regex address("0x[0-9A-F]{16}");
    std::map<std::string, std::string> names;
    std::vector<std::string> masked;
    for (const std::string& line : lines) {
        std::string out;
        auto last = line.cbegin();
        for (std::sregex_iterator it(line.begin(), line.end(), address), end; it != end; ++it) {
            const std::string found = it->str();
            auto name = names.find(found);
            if (name == names.end()) name = names.emplace(found, "@" + std::to_string(names.size() + 1)).first;
            out.append(last, line.cbegin() + it->position());
            out += name->second;
            last = line.cbegin() + it->position() + it->length();
        }
        out.append(last, line.cend());
        masked.push_back(out);
    }
    return masked;
}

}  // namespace svctest
