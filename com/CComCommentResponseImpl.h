// What the seven response objects share: the class shape (base, class
// object, error information for the own interface, IDispatch from the type
// library), the model response and the four members of ISCommentResponse
// (StatusCode, Description, ResponseType, Init), written once for every kind.
//
// A concrete response class T derives from
//
//     CComCommentResponseImpl<T, ISxxxResponse, &CLSID_xxx, &IID_ISxxx, ModelResponse>
//
// declares its trace area (static constexpr char kTraceArea[], its own name)
// and its interface map (own interface, ISCommentResponse, IDispatch,
// ISupportErrorInfo, marshaler), and adds the members of its own interface.
//
// The object has no model until Init; each Init builds a new model response of
// the class's kind from the text (its text constructor) in place of the
// previous one.  The model is held by std::shared_ptr.
#pragma once

#include <memory>
#include <new>

#include "com/sdk/scomclassmethod.h"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"

template <class T, class Interface, const CLSID* pclsid, const IID* piid, class Model>
class CComCommentResponseImpl
    : public SComObjectBase,
      public CComCoClass<T, pclsid>,
      public ISupportErrorInfoImpl<piid>,
      public IDispatchImpl<Interface, piid, &LIBID_CorvelLumoCommentaryServiceLib, 1, 0> {
public:
    CComCommentResponseImpl() { SetObjectLocale(kDefaultObjectLocale); }

    // --- ISCommentResponse ----------------------------------------------------
    // The three getters run in the frame: "[-]\t" on entry, "[0]\t[<value>]"
    // on exit, a null pointer reported by the frame.
    // Design decision: before the first Init there is no model; a getter then
    // returns OLE_E_BLANK (after the frame's pointer check), reported with a
    // message of its own, writes nothing and traces no exit line.

    STDMETHOD(get_StatusCode)(LONG* pStatus) noexcept override
    try {
        SCOM_CLASS_METHOD(T, "get_StatusCode");
        SCOM_CHECK_OUT(pStatus, "pStatus");
        if (!m_model) return ReportNotInitialised();
        *pStatus = m_model->getStatusCode();
        SCOM_RETURN_VALUE(static_cast<long>(*pStatus));
    }
    SCOM_CATCH_ALL

    STDMETHOD(get_Description)(BSTR* pDesc) noexcept override
    try {
        SCOM_CLASS_METHOD(T, "get_Description");
        SCOM_CHECK_OUT(pDesc, "pDesc");
        if (!m_model) return ReportNotInitialised();
        SCOM_STORE_BSTR(pDesc, m_model->getDescription());
        SCOM_RETURN_VALUE(static_cast<const char16_t*>(*pDesc));
    }
    SCOM_CATCH_ALL

    // The number read from the text, not one fixed by the class.
    STDMETHOD(get_ResponseType)(CommentResponseType* pRespType) noexcept override
    try {
        SCOM_CLASS_METHOD(T, "get_ResponseType");
        SCOM_CHECK_OUT(pRespType, "pRespType");
        if (!m_model) return ReportNotInitialised();
        *pRespType = static_cast<CommentResponseType>(m_model->getResponseType());
        SCOM_RETURN_VALUE(static_cast<int>(*pRespType));
    }
    SCOM_CATCH_ALL

    // Builds the model from the text, read where it lies (null is the empty
    // text); any text gives a model, one that is not JSON that of status 0
    // and type 0.  No frame, no trace.  The earlier model goes; comments
    // handed out from it keep their own records alive.
    STDMETHOD(Init)(BSTR jsonString) noexcept override
    {
        try {
            m_model = std::make_shared<Model>(static_cast<const char16_t*>(jsonString));
            return S_OK;
        } catch (const std::bad_alloc&) {
            return SComClearErrorInfo(E_OUTOFMEMORY);
        } catch (...) {
            return SComClearErrorInfo(E_UNEXPECTED);
        }
    }

    // The response type of the model of the last Init (0 before the first).
    // For the service object, which confirms with it the type it read from
    // the head of a reply; no interface member, no frame, no trace.
    int32_t ModelResponseType() const noexcept { return m_model ? m_model->getResponseType() : 0; }

protected:
    // A failure the class chooses itself, reported with the class as source,
    // its own interface and the message given (SComReportFailure).
    static HRESULT ReportFailure(uint32_t messageNumber, HRESULT hr) noexcept
    {
        return SComReportFailure(*pclsid, *piid, messageNumber, hr);
    }
    static HRESULT ReportNotInitialised() noexcept
    {
        return ReportFailure(lumo_messages::kNotInitialised, OLE_E_BLANK);
    }

    // The model of the last Init; null before the first.
    const std::shared_ptr<Model>& GetModel() const noexcept { return m_model; }

private:
    std::shared_ptr<Model> m_model;
};
