// What the six request objects share: the class shape (base, class object,
// error information, IDispatch from the type library), the comment reference
// and the four members of ISCommentRequest (RequestType, Comment get and put,
// ToJSON), written once for every kind.
//
// A concrete request class T derives from
//
//     CComCommentRequestImpl<T, ISxxxCommentRequest, &CLSID_xxx, &IID_ISxxx, xxxCommentRequestType>
//
// declares its trace area (static constexpr char kTraceArea[], its own name),
// its interface map (own interface, IDispatch, ISupportErrorInfo, marshaler;
// not ISCommentRequest: the own interface serves wherever that one is
// expected) and the members its own interface adds.
//
// A request only holds what the client gives it; it neither validates nor
// writes request text.  The service object reads it through its interface at
// the moment of each operation.
#pragma once

#include "com/sdk/scomclassmethod.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"
#include "platform/com/ScopedComPtr.h"

template <class T, class Interface, const CLSID* pclsid, const IID* piid, CommentRequestType kRequestType>
class CComCommentRequestImpl
    : public SComObjectBase,
      public CComCoClass<T, pclsid>,
      public ISupportErrorInfoImpl<piid>,
      public IDispatchImpl<Interface, piid, &LIBID_CorvelLumoCommentaryServiceLib, 1, 0> {
public:
    // Whether ToJSON's entry line shows the text found at its result pointer
    // ("[%1]\t[%2]"); a class that does declares its own constant true.
    static constexpr bool kToJsonTracesEntryText = false;

    CComCommentRequestImpl() { SetObjectLocale(kDefaultObjectLocale); }

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    // The comment reference goes with the marshaler, before the module lock
    // is given back.
    void FinalRelease() noexcept
    {
        m_comment.Reset();
        SComObjectBase::FinalRelease();
    }

    // --- ISCommentRequest -----------------------------------------------------
    // Every member traces "[%1]\t" on both lines: "-" on entry, 0 on exit; the
    // values handed out are not traced.

    // The fixed kind of the class, whatever the request holds.
    // Design decision: a null result pointer returns E_POINTER, reported with
    // a message of its own but without the frame's assertion and without an
    // exit line (this getter makes no frame check).
    STDMETHOD(get_RequestType)(CommentRequestType* reqType) noexcept override
    try {
        SCOM_CLASS_METHOD(T, "get_RequestType");
        if (!reqType) return ReportFailure(lumo_messages::kInvalidPointer, E_POINTER);
        *reqType = kRequestType;
        SCOM_RETURN_OK();
    }
    SCOM_CATCH_ALL

    // The held comment with a reference for the caller; null when none is held.
    // Design decision: a null result pointer returns E_POINTER, as above.
    STDMETHOD(get_Comment)(ISComment** ptrComment) noexcept override
    try {
        SCOM_CLASS_METHOD(T, "get_Comment");
        if (!ptrComment) return ReportFailure(lumo_messages::kInvalidPointer, E_POINTER);
        ISComment* comment = m_comment.Get();
        if (comment) comment->AddRef();
        *ptrComment = comment;
        SCOM_RETURN_OK();
    }
    SCOM_CATCH_ALL

    // Holds the comment object itself (not a copy): later changes to it are
    // seen when the request is used.  The new comment gains a reference before
    // the old one loses its; storing the held comment again changes nothing;
    // null empties the field.
    STDMETHOD(put_Comment)(ISComment* comment) noexcept override
    try {
        SCOM_CLASS_METHOD(T, "put_Comment");
        if (comment != m_comment.Get()) {
            if (comment) comment->AddRef();
            m_comment.Reset(comment);
        }
        SCOM_RETURN_OK();
    }
    SCOM_CATCH_ALL

    // Checks the result pointer and writes nothing through it: request text is
    // made only by the service object, from the model request.  The exit line
    // shows the text found at the pointer.
    STDMETHOD(ToJSON)(BSTR* jsonString) noexcept override
    try {
        SCOM_CLASS_METHOD_SCOPE(T, "ToJSON");
        if constexpr (T::kToJsonTracesEntryText)
            SCOM_TRACE(u"IN", u"[%1]\t[%2]", STraceParameter(u"-"), TextAt(jsonString));
        else
            SCOM_TRACE(u"IN", u"[%1]\t", STraceParameter(u"-"));
        SCOM_CHECK_OUT(jsonString, "jsonString");
        SCOM_RETURN_VALUE(TextAt(jsonString));
    }
    SCOM_CATCH_ALL

protected:
    // A failure the class chooses itself, reported with the class as source,
    // its own interface and the message given (SComReportFailure).
    static HRESULT ReportFailure(uint32_t messageNumber, HRESULT hr) noexcept
    {
        return SComReportFailure(*pclsid, *piid, messageNumber, hr);
    }

private:
    // The text at a result pointer for a trace line.
    // Design decision: a null pointer, or a null string at it, shows as the
    // empty text.
    static const char16_t* TextAt(const BSTR* result) noexcept
    {
        return result && *result ? static_cast<const char16_t*>(*result) : u"";
    }

    ScopedComPtr<ISComment> m_comment;
};
