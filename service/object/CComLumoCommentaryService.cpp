#include "service/object/CComLumoCommentaryService.h"

#include <exception>
#include <memory>
#include <new>

#include "com/CComAddCommentSuccessResponse.h"
#include "com/CComComment.h"
#include "com/CComCommentErrorResponse.h"
#include "com/CComDeleteCommentSuccessResponse.h"
#include "com/CComDuplicateCommentSuccessResponse.h"
#include "com/CComGetCommentSuccessResponse.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComHideCommentSuccessResponse.h"
#include "com/CComModifyCommentSuccessResponse.h"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "platform/com/ReadOnlyBstr.h"
#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"
#include "platform/foundation/SAssert.h"
#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SResString.h"
#include "platform/foundation/SWCharStringConv.h"
#include "platform/framework/IServiceMgr.h"
#include "platform/framework/MapThrowCORBASystem.h"
#include "platform/framework/NativeChar_Services.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/NexaFrameworkException.h"
#include "platform/framework/SCorbaSystemError.h"
#include "platform/framework/ServerKinds.h"
#include "platform/framework/ServerSpec.h"
#include "platform/framework/ServiceMgrFactory.h"
#include "platform/framework/SessionManager.h"
#include "service/object/RequestTraceText.h"
#include "service/proxy/LumoCommentaryService_HelperFactory.h"

// Tracing and time rendering stay available for the whole life of this
// source's static objects.
static TraceLogInitExit s_traceLogInitExit;
static SimpleTimeInitExit s_simpleTimeInitExit;

namespace {

namespace api = lumocommentaryservice_nexa_api;

constexpr char kTraceArea[] = "CComLumoCommentaryService";

// The status of every failure of the service framework.
constexpr HRESULT kFrameworkFailure = static_cast<HRESULT>(0x80049000);

// A response object of class T, created through its class's creator.
template <class T>
HRESULT CreateResponseObject(ISCommentResponse** slot) noexcept
{
    return CComCreator<CComObject<T>>::CreateInstance(nullptr, IID_ISCommentResponse, reinterpret_cast<void**>(slot));
}

// A response object of class T initialised from the reply; modelType: the
// response type its model read from the whole reply.
template <class T>
HRESULT CreateInitialisedResponse(BSTR reply, ISCommentResponse** slot, int32_t& modelType) noexcept
{
    HRESULT status = CreateResponseObject<T>(slot);
    if (FAILED(status) || !*slot) return status;
    status = (*slot)->Init(reply);
    if (SUCCEEDED(status)) modelType = static_cast<T*>(*slot)->ModelResponseType();
    return status;
}

// The response class for a reply type; null for a type without one (0, the
// test-connection type 6, and anything unknown).
using ResponseCreator = HRESULT (*)(BSTR, ISCommentResponse**, int32_t&) noexcept;
ResponseCreator ResponseCreatorFor(int32_t responseType)
{
    switch (responseType) {
    case api::response_type::kAddSuccess: return &CreateInitialisedResponse<CComAddCommentSuccessResponse>;
    case api::response_type::kGetSuccess: return &CreateInitialisedResponse<CComGetCommentSuccessResponse>;
    case api::response_type::kModifySuccess: return &CreateInitialisedResponse<CComModifyCommentSuccessResponse>;
    case api::response_type::kDeleteSuccess: return &CreateInitialisedResponse<CComDeleteCommentSuccessResponse>;
    case api::response_type::kError: return &CreateInitialisedResponse<CComCommentErrorResponse>;
    case api::response_type::kHideSuccess: return &CreateInitialisedResponse<CComHideCommentSuccessResponse>;
    case api::response_type::kDuplicateSuccess: return &CreateInitialisedResponse<CComDuplicateCommentSuccessResponse>;
    default: return nullptr;
    }
}

// A copy of the model record of the request's comment.  Design decision: a
// request that holds no comment, or a comment that is not an object of this
// module, has no record to send; the request is then treated as invalid and
// answered with the fixed error response.
std::unique_ptr<api::Comment> CopyRequestComment(ISCommentRequest* request)
{
    ScopedComPtr<ISComment> comment;
    if (FAILED(request->get_Comment(comment.Receive())) || !comment) return nullptr;
    CComComment* object = CComComment::FromInterface(comment.Get());
    if (!object || !object->GetModel()) return nullptr;
    return std::make_unique<api::Comment>(*object->GetModel());
}

// The get request's sort parameters and qualifiers, read through their
// objects in index order and appended to the model request.
void AppendSortParamsAndQualifiers(ISGetCommentRequest* request, api::GetCommentRequest& model)
{
    int sortCount = 0;
    int qualifierCount = 0;
    request->get_SortParamCount(&sortCount);
    request->get_CommentQualifierCount(&qualifierCount);
    for (int i = 0; i < sortCount; ++i) {
        ScopedComPtr<ISSortParam> sortParam;
        if (FAILED(request->GetSortParam(i, sortParam.Receive())) || !sortParam) continue;
        SortAttributeType attribute = SORTATTRIBUTE_LASTMODIFIEDTIME;
        SortOrderType order = SORTORDER_ASCENDING;
        sortParam->get_SortAttribute(&attribute);
        sortParam->get_SortOrder(&order);
        model.appendSortParam(api::SortParamRecord(attribute, order));
    }
    for (int i = 0; i < qualifierCount; ++i) {
        ScopedComPtr<ISCommentQualifier> qualifier;
        if (FAILED(request->GetCommentQualifier(i, qualifier.Receive())) || !qualifier) continue;
        CommentQualifierAttributeType attribute = COMMENTQUALIFIERATTRIBUTE_TOP;
        ScopedBstr value;
        qualifier->get_CommentQualifierAttribute(&attribute);
        qualifier->get_CommentQualifierValue(value.Receive());
        model.appendQualifier(api::CommentQualifierRecord(attribute, SComBstrText(value.Get())));
    }
}

// Writes the line that the four validated kinds write when their request is
// not valid.
void TraceInvalidComment(int line, const char* kindName)
{
    const std::string text =
        std::string("CComLumoCommentaryService::ToCommentRequestJSON: ") + kindName + " - Comment is not valid";
    STraceErrorLine(kTraceArea, line, 0, text.c_str());
}

// Validates a model request of one of the kinds add, get, modify and delete,
// writing the kind's line when it is not valid.
template <class Request>
std::unique_ptr<api::DefaultCommentRequest> Validated(std::unique_ptr<Request> request, int line,
                                                      const char* kindName)
{
    if (!request->isValidComment()) TraceInvalidComment(line, kindName);
    return request;
}

// The substitution texts of a framework exception.
SIArray<SWCharString> SubstitutionTexts(const NexaFrameworkException& e)
{
    SIArray<SWCharString> texts;
    for (int i = 0; i < e.getSubstParamCount(); ++i) texts.append(e.getSubstParam(i));
    return texts;
}

}  // namespace

const char16_t CComLumoCommentaryService::kInvalidRequestResponse[] =
    u"{\"responseType\":5,\"description\":\"Comment-Request validation failed: Invalid comment parameter(s) "
    u"set\",\"errorCode\":\"CMNTRY 011\",\"statusCode\":-1}";

CComLumoCommentaryService::CComLumoCommentaryService() { SetObjectLocale(kDefaultObjectLocale); }

CComLumoCommentaryService::~CComLumoCommentaryService()
{
    if (m_pSession) m_pSession->Release();
}

// --- the host's side --------------------------------------------------------

STDMETHODIMP CComLumoCommentaryService::SetCOMSession(ISHostSession* pSession) noexcept
try {
    // Runs without the per-call scope: the host calls it first, before any
    // locale is known.
    const char16_t* const scomMethodName = u"CComLumoCommentaryService::SetCOMSession";
    SCOM_TRACE(u"IN", u"[%1]\t[%2]", STraceParameter(u"-"), STraceParameter(SWCharStringConv::ToString(pSession)));
    if (!pSession) return SComReportInvalidPointer(kTraceArea, __LINE__, "Invalid parameter pSession");

    if (pSession != m_pSession) {
        pSession->AddRef();
        if (m_pSession) m_pSession->Release();
        m_pSession = pSession;
    }
    LCID locale = 0;
    SetObjectLocale(FAILED(m_pSession->GetLocaleId(&locale)) ? kDefaultObjectLocale : locale);

    SCOM_TRACE(u"OUT", u"[%1]\t[%2]", STraceParameter(static_cast<long>(S_OK)),
               STraceParameter(SWCharStringConv::ToString(pSession)));
    return S_OK;
}
SCOM_CATCH_ALL

STDMETHODIMP CComLumoCommentaryService::SetImplPointers(const WCHAR* first, const WCHAR* second) noexcept
try {
    const char16_t* const scomMethodName = u"CComLumoCommentaryService::SetImplPointers";
    SComMethodGuard scomMethodGuard(this);
    const char16_t* const inOutFormat = u"[%1]\t[%2] [%3]";
    SCOM_TRACE(u"IN", inOutFormat, STraceParameter(u"-"), STraceParameter(first), STraceParameter(second));
    auto exitLine = [&](HRESULT status) {
        SCOM_TRACE(u"OUT", inOutFormat, STraceParameter(static_cast<long>(status)), STraceParameter(first),
                   STraceParameter(second));
    };

    // Design decision: connecting before the host handed over its session
    // fails like a session that cannot answer, with E_POINTER, and leaves the
    // object as it was.
    if (!m_pSession) {
        exitLine(E_POINTER);
        return ReportServiceError(E_POINTER, 0);
    }
    ScopedBstr clusterText;
    HRESULT hr = m_pSession->GetClusterName(clusterText.Receive());
    if (FAILED(hr)) {
        exitLine(hr);
        return ReportServiceError(hr, 0);
    }
    ScopedBstr serverFilterText;
    hr = m_pSession->GetServerFilter(serverFilterText.Receive());
    if (FAILED(hr)) {
        exitLine(hr);
        return ReportServiceError(hr, 0);
    }
    const SWCharString cluster = SComBstrText(clusterText.Get());
    const SWCharString serverFilter = SComBstrText(serverFilterText.Get());

    try {
        SRefPtr<IServiceMgr> serviceMgr = ServiceMgrFactory::getServiceMgr();
        SRefPtr<ServerSpec> serverSpec(
            new ServerSpec(ServerKinds::UNSPECIFIED, ServerKinds::PJS, cluster, serverFilter, true));
        LumoCommentaryService_HelperFactory helperFactory;
        SRefPtr<IServerSession> serverSession = SessionManager::getServerSession();
        const SWCharString logonToken = serverSession->getLogonToken();
        const SWCharString userUri = serverSession->getUserURI();
        SRefPtr<IManagedService> managedService;
        serviceMgr->createManagedService(managedService, IManagedService::LB_ID,
                                         NativeChar_Services::Nexa_LumoCommentary, serverSpec, userUri, logonToken,
                                         &helperFactory);
        m_iCommentSvc = LumoCommentaryServiceHandle::createProxy(managedService.get());
        // The counted references of this call go here; the proxy keeps its own
        // reference to the managed service.
    } catch (const Nexa2Exception& e) {
        exitLine(kFrameworkFailure);
        STraceErrorLine(kTraceArea, __LINE__, 0,
                        "CComLumoCommentaryService::SetImplPointers: Failed to get audit service. service_uri: %1",
                        second);
        const uint32_t number = e.getMessageNumber() ? e.getMessageNumber()
                                                     : lumo_messages::derivedFromStatus(kFrameworkFailure);
        return ReportTessarError(CLSID_LumoCommentaryService, IID_ISLumoCommentaryService, number,
                                 e.getSubstTexts(), kFrameworkFailure);
    } catch (...) {
        exitLine(kFrameworkFailure);
        STraceErrorLine(kTraceArea, __LINE__, 0,
                        "CComLumoCommentaryService::SetImplPointers: Failed to get audit service. service_uri: %1",
                        second);
        return ReportServiceError(kFrameworkFailure, lumo_messages::kServiceConnectFailed);
    }
    exitLine(S_OK);
    return S_OK;
}
SCOM_CATCH_ALL

// --- the six operations ---------------------------------------------------------

STDMETHODIMP CComLumoCommentaryService::AddComment(ISCommentRequest* commentReq,
                                                   ISCommentResponse** commentResp) noexcept
{
    return RunOperation(u"CComLumoCommentaryService::AddComment", commentReq, commentResp);
}

STDMETHODIMP CComLumoCommentaryService::GetComment(ISCommentRequest* commentReq,
                                                   ISCommentResponse** commentResp) noexcept
{
    return RunOperation(u"CComLumoCommentaryService::GetComment", commentReq, commentResp);
}

STDMETHODIMP CComLumoCommentaryService::ModifyComment(ISCommentRequest* commentReq,
                                                      ISCommentResponse** commentResp) noexcept
{
    return RunOperation(u"CComLumoCommentaryService::ModifyComment", commentReq, commentResp);
}

STDMETHODIMP CComLumoCommentaryService::DeleteComment(ISCommentRequest* commentReq,
                                                      ISCommentResponse** commentResp) noexcept
{
    return RunOperation(u"CComLumoCommentaryService::DeleteComment", commentReq, commentResp);
}

STDMETHODIMP CComLumoCommentaryService::HideComments(ISCommentRequest* commentReq,
                                                     ISCommentResponse** commentResp) noexcept
{
    return RunOperation(u"CComLumoCommentaryService::HideComment", commentReq, commentResp);
}

STDMETHODIMP CComLumoCommentaryService::DuplicateComments(ISCommentRequest* commentReq,
                                                          ISCommentResponse** commentResp) noexcept
{
    return RunOperation(u"CComLumoCommentaryService::DuplicateComment", commentReq, commentResp);
}

// --- the operations called by name ------------------------------------------
//
// Design decision: request objects answer their own interface but not
// ISCommentRequest, from which all six derive.  The type library's dispatch
// hands an interface argument over only after asking the object for the
// parameter's exact interface, which would refuse every request object a
// script passes.  The six operations are therefore answered here: the
// argument is taken as the request interface it is (ISCommentRequest or one
// of the six request interfaces, all usable as an ISCommentRequest), the
// operation runs through its vtable entry, and a failure is reported the way
// the type library's dispatch reports it (DISP_E_EXCEPTION with the error
// information).  An argument that is neither a request object nor Nothing
// is refused with DISP_E_TYPEMISMATCH (the argument's position in argerr),
// as the type library's dispatch refuses an argument of the wrong type.
// Every other member, and a call of an operation in any other form (a
// property get, named or more arguments), goes to the type library as usual.

CComLumoCommentaryService::Operation CComLumoCommentaryService::OperationOf(DISPID member) noexcept
{
    switch (member) {
    case 0x60020000: return &CComLumoCommentaryService::AddComment;
    case 0x60020001: return &CComLumoCommentaryService::GetComment;
    case 0x60020002: return &CComLumoCommentaryService::ModifyComment;
    case 0x60020003: return &CComLumoCommentaryService::DeleteComment;
    case 0x60020004: return &CComLumoCommentaryService::HideComments;
    case 0x60020005: return &CComLumoCommentaryService::DuplicateComments;
    default: return nullptr;
    }
}

namespace {

// The request interface of an argument: null for Nothing, false when the
// argument is not a request object.
bool RequestOfArgument(const VARIANT& argument, ScopedComPtr<ISCommentRequest>& request)
{
    VARIANT value;
    VariantInit(&value);
    if (FAILED(VariantCopyInd(&value, &argument))) return false;
    IUnknown* object = nullptr;
    if (V_VT(&value) == VT_DISPATCH) object = V_DISPATCH(&value);
    else if (V_VT(&value) == VT_UNKNOWN) object = V_UNKNOWN(&value);
    else if (V_VT(&value) != VT_EMPTY && V_VT(&value) != VT_NULL) {
        VariantClear(&value);
        return false;
    }
    bool found = object == nullptr;
    static const IID* const kRequestInterfaces[] = {
        &IID_ISCommentRequest,        &IID_ISAddCommentRequest,    &IID_ISGetCommentRequest,
        &IID_ISModifyCommentRequest,  &IID_ISDeleteCommentRequest, &IID_ISHideCommentRequest,
        &IID_ISDuplicateCommentRequest};
    for (const IID* iid : kRequestInterfaces) {
        if (found) break;
        found = SUCCEEDED(object->QueryInterface(*iid, request.ReceiveVoid()));
    }
    VariantClear(&value);
    return found;
}

// Fills EXCEPINFO from the calling thread's error information, as the type
// library's dispatch does for a failed method.
void FillExcepInfo(HRESULT hr, EXCEPINFO* excepinfo)
{
    if (!excepinfo) return;
    ZeroMemory(excepinfo, sizeof *excepinfo);
    excepinfo->scode = hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return;
    info->GetSource(&excepinfo->bstrSource);
    info->GetDescription(&excepinfo->bstrDescription);
    info->GetHelpFile(&excepinfo->bstrHelpFile);
    info->GetHelpContext(&excepinfo->dwHelpContext);
    info->Release();
}

}  // namespace

STDMETHODIMP CComLumoCommentaryService::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                               VARIANT* result, EXCEPINFO* excepinfo, UINT* argerr) noexcept
{
    const Operation operation = OperationOf(member);
    if (operation && (flags & DISPATCH_METHOD) && IsEqualGUID(riid, IID_NULL) && params && params->cArgs == 1 &&
        params->cNamedArgs == 0 && params->rgvarg)
        return InvokeOperation(operation, params, result, excepinfo, argerr);
    return IDispatchImpl::Invoke(member, riid, lcid, flags, params, result, excepinfo, argerr);
}

HRESULT CComLumoCommentaryService::InvokeOperation(Operation operation, DISPPARAMS* params, VARIANT* result,
                                                   EXCEPINFO* excepinfo, UINT* argerr) noexcept
try {
    ScopedComPtr<ISCommentRequest> request;
    if (!RequestOfArgument(params->rgvarg[0], request)) {
        if (argerr) *argerr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    ISCommentResponse* response = nullptr;
    const HRESULT hr = (this->*operation)(request.Get(), &response);
    if (FAILED(hr)) {
        FillExcepInfo(hr, excepinfo);
        return DISP_E_EXCEPTION;
    }
    if (result) {
        VariantInit(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = response;  // Nothing when no response was handed out
    } else if (response) {
        response->Release();
    }
    return S_OK;
}
SCOM_CATCH_ALL

// The common body of the six operations: the request's own kind decides what
// is done.  Nothing is written to commentResp unless a response object is
// handed out.
HRESULT CComLumoCommentaryService::RunOperation(const char16_t* traceName, ISCommentRequest* commentReq,
                                                ISCommentResponse** commentResp) noexcept
try {
    const char16_t* const scomMethodName = traceName;
    SComMethodGuard scomMethodGuard(this);
    SCOM_TRACE(u"IN", u"[%1]\t", STraceParameter(u"-"));
    SCOM_CHECK_OUT(commentResp, "commentResp");

    ScopedComPtr<ISCommentResponse> response;
    HRESULT status = DoOperations(commentReq, response.Receive());
    if (status >= 0 && response) status = response->QueryInterface(IID_ISCommentResponse, reinterpret_cast<void**>(commentResp));

    SCOM_TRACE(u"OUT", u"[%1]\t", STraceParameter(static_cast<long>(status)));
    return status;
}
SCOM_CATCH_ALL

HRESULT CComLumoCommentaryService::DoOperations(ISCommentRequest* commentReq, ISCommentResponse** responseSlot)
try {
    const char16_t* const scomMethodName = u"CComLumoCommentaryService::DoOperations";
    SComMethodGuard scomMethodGuard(this);
    SCOM_TRACE(u"IN", u"[%1]\t", STraceParameter(u"-"));
    SCOM_CHECK_OUT(responseSlot, "commentResp");

    HRESULT status = S_OK;
    try {
        STraceErrorLine(kTraceArea, __LINE__, 2, "CComLumoCommentaryService::DoOperations");
        if (m_iCommentSvc.isNil()) {
            if (ShouldAssert()) SAssert(kTraceArea, __LINE__, "!CORBA_is_nil(m_iCommentSvc)", "not connected");
            return S_OK;
        }
        SWCharString requestText;
        if (!commentReq || !ToCommentRequestJSON(commentReq, requestText)) {
            status = AnswerInvalidRequest(responseSlot);
            STraceErrorLine(kTraceArea, __LINE__, 0, "CComLumoCommentaryService::DoOperations Comment request is NULL");
        } else {
            if (SLogger::ShouldTrace(0, kTraceArea))
                STraceErrorLine(kTraceArea, __LINE__, 0, "Request JSON: %1 ", RequestTraceText(requestText));
            if (requestText.isEmpty()) {
                STraceErrorLine(kTraceArea, __LINE__, 0,
                                "CComLumoCommentaryService::DoOperations Comment request is Empty");
                status = S_FALSE;
            } else {
                // The reply stays in the ORB's buffer, narrowed there to
                // UTF-16, and is read there by the type pass and by Init:
                // nothing copies it.  It is released with the reply text.
                ReplyText reply = m_iCommentSvc.executeInPlace(SNexaString(requestText));
                status = CreateCommentResponse(ReadOnlyBstr(reply.text(), reply.length()), responseSlot);
                STraceErrorLine(kTraceArea, __LINE__, 0, "Response JSON: %1 ",
                                static_cast<const char16_t*>(reply.text()));
            }
        }
        SCOM_TRACE(u"OUT", u"[%1]\t", STraceParameter(static_cast<long>(status)));
        return status;
    } catch (const SCorbaSystemError& e) {
        STraceErrorLine(kTraceArea, __LINE__, 0, "CComLumoCommentaryService::DoOperations() Corba System Exception\n");
        // Design decision: the framework exception that MapThrowCORBASystem
        // raises for the failure is reported to the client as a framework
        // failure (0x80049000) with that exception's message and texts; no
        // response is handed out.
        try {
            MapThrowCORBASystem(e, kTraceArea, __LINE__);
        } catch (const NexaFrameworkException& mapped) {
            return ReportTessarError(CLSID_LumoCommentaryService, IID_ISLumoCommentaryService,
                                     mapped.getMessageNumber(), SubstitutionTexts(mapped), kFrameworkFailure);
        }
    } catch (...) {
        STraceErrorLine(kTraceArea, __LINE__, 0, "CComLumoCommentaryService::DoOperations() Unknown Exception\n");
    }
    // A failed remote call (the proxy's NexaFrameworkException among others)
    // ends with the status reached so far and no response.
    return status;
}
SCOM_CATCH_ALL

// The fixed error response for a request that is missing, of a kind without
// a model request, or not valid.
HRESULT CComLumoCommentaryService::AnswerInvalidRequest(ISCommentResponse** responseSlot)
{
    HRESULT status = CreateResponseObject<CComCommentErrorResponse>(responseSlot);
    if (SUCCEEDED(status) && *responseSlot) {
        ScopedBstr text(kInvalidRequestResponse);
        status = text.Get() ? (*responseSlot)->Init(text.Get()) : E_OUTOFMEMORY;
    }
    return status;
}

bool CComLumoCommentaryService::ToCommentRequestJSON(ISCommentRequest* commentReq, SWCharString& requestText)
{
    CommentRequestType kind = InvalidCommentRequestType;
    commentReq->get_RequestType(&kind);
    const std::unique_ptr<api::Comment> comment = CopyRequestComment(commentReq);

    std::unique_ptr<api::DefaultCommentRequest> model;
    if (comment) {
        switch (kind) {
        case AddCommentRequestType:
            model = Validated(std::make_unique<api::AddCommentRequest>(*comment), __LINE__, "AddCommentRequestType");
            break;
        case GetCommentRequestType: {
            ScopedComPtr<ISGetCommentRequest> getRequest;
            if (FAILED(commentReq->QueryInterface(IID_ISGetCommentRequest, getRequest.ReceiveVoid()))) break;
            auto request = std::make_unique<api::GetCommentRequest>(*comment);
            AppendSortParamsAndQualifiers(getRequest.Get(), *request);
            model = Validated(std::move(request), __LINE__, "GetCommentRequestType");
            break;
        }
        case ModifyCommentRequestType:
            model = Validated(std::make_unique<api::ModifyCommentRequest>(*comment), __LINE__,
                              "ModifyCommentRequestType");
            break;
        case DeleteCommentRequestType:
            model = Validated(std::make_unique<api::DeleteCommentRequest>(*comment), __LINE__,
                              "DeleteCommentRequestType");
            break;
        case HideCommentRequestType:
            if (CComHideCommentRequest* hide = CComHideCommentRequest::FromInterface(commentReq))
                model = std::make_unique<api::HideCommentRequest>(*comment, hide->GetCommentIdList());
            break;
        case DuplicateCommentRequestType: {
            ScopedComPtr<ISDuplicateCommentRequest> duplicate;
            if (FAILED(commentReq->QueryInterface(IID_ISDuplicateCommentRequest, duplicate.ReceiveVoid()))) break;
            ScopedBstr target;
            duplicate->get_TargetDocumentCUID(target.Receive());
            model = std::make_unique<api::DuplicateCommentRequest>(*comment, SComBstrText(target.Get()));
            break;
        }
        default:  // 0, the test-connection kind 5 and unknown kinds have no model request
            break;
        }
    }

    const bool valid = model && model->isValidComment();
    const SWCharString token = RequestLogonToken();
    if (model) {
        model->setLogonToken(token);
        requestText = model->toJSON();
    }
    return valid;
}

// The logon token of the caller's session.  Design decision: a session that
// cannot answer gives the empty token (the server then refuses the request).
SWCharString CComLumoCommentaryService::RequestLogonToken()
{
    if (!m_pSession) return SWCharString();
    ScopedBstr token;
    if (FAILED(m_pSession->GetRequestLogonToken(token.Receive()))) return SWCharString();
    return SComBstrText(token.Get());
}

// The response type is that of the reply read as a default response.
// Design decision: it is read from the reply's head, up to its first
// "responseType" member, and the object made for it reads the whole reply in
// Init, which confirms it: a reply that stops parsing after that member is of
// type 0, and its object goes again.  So the reply is read in full once, not
// once for the type and once more by Init.  A type without a response class
// is confirmed by a full reading of its own, since the trace line names it.
HRESULT CComLumoCommentaryService::CreateCommentResponse(BSTR reply, ISCommentResponse** responseSlot)
{
    int32_t responseType = api::ResponseReader::peekResponseType(reply);
    HRESULT status = S_FALSE;
    if (const ResponseCreator create = ResponseCreatorFor(responseType)) {
        int32_t confirmed = responseType;
        status = create(reply, responseSlot, confirmed);
        if (confirmed == responseType) return status;
        (*responseSlot)->Release();
        *responseSlot = nullptr;
        responseType = confirmed;
        status = S_FALSE;
    } else {
        responseType = api::DefaultCommentResponse(reply).getResponseType();
    }
    // Design decision: a reply of a type without a response class (0 for a
    // reply that is not valid JSON, 6, unknown types) hands out nothing and
    // ends the operation with S_FALSE, like an empty request text.
    STraceErrorLine(kTraceArea, __LINE__, 0,
                    "CComLumoCommentaryService::CreateCommentResponse: no response class for response type %1",
                    static_cast<int>(responseType));
    return status;
}

HRESULT CComLumoCommentaryService::ReportServiceError(HRESULT status, uint32_t messageNumber) noexcept
{
    const uint32_t number = messageNumber ? messageNumber : lumo_messages::derivedFromStatus(static_cast<uint32_t>(status));
    return ReportTessarError(CLSID_LumoCommentaryService, IID_ISLumoCommentaryService, number, SIArray<SWCharString>(),
                             status);
}
