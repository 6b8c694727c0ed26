// The request for the comments of a document (coclass GetCommentRequest,
// interface ISGetCommentRequest, RequestType GetCommentRequestType): besides
// the comment it keeps the sort parameters and the qualifiers of the query.
//
// AddSortParam and AddCommentQualifier store a snapshot of the values read
// from the given object.  GetSortParam and GetCommentQualifier hand out a new
// object that is a live view of the stored record: the request and every view
// share the record (std::shared_ptr), so a view outlives the request safely
// and a put through a view changes what the request will send.
#pragma once

#include <memory>
#include <vector>

#include "com/CComCommentRequestImpl.h"
#include "model/LumoCommentaryService_Nexa_API.h"

class CComGetCommentRequest
    : public CComCommentRequestImpl<CComGetCommentRequest, ISGetCommentRequest, &CLSID_GetCommentRequest,
                                    &IID_ISGetCommentRequest, GetCommentRequestType> {
public:
    using SortParamRecord = lumocommentaryservice_nexa_api::SortParamRecord;
    using QualifierRecord = lumocommentaryservice_nexa_api::CommentQualifierRecord;

    static constexpr char kTraceArea[] = "CComGetCommentRequest";
    static constexpr bool kToJsonTracesEntryText = true;

    CComGetCommentRequest();
    ~CComGetCommentRequest() override;

    BEGIN_COM_MAP(CComGetCommentRequest)
        COM_INTERFACE_ENTRY(ISGetCommentRequest)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISGetCommentRequest, in the order of the interface.
    STDMETHOD(AddSortParam)(ISSortParam* SortParam) noexcept override;
    STDMETHOD(AddCommentQualifier)(ISCommentQualifier* commentQf) noexcept override;
    STDMETHOD(GetSortParam)(int index, ISSortParam** SortParam) noexcept override;
    STDMETHOD(GetCommentQualifier)(int index, ISCommentQualifier** commentQf) noexcept override;
    STDMETHOD(get_SortParamCount)(int* count) noexcept override;
    STDMETHOD(get_CommentQualifierCount)(int* count) noexcept override;

private:
    std::vector<std::shared_ptr<SortParamRecord>> m_sortParamList;
    std::vector<std::shared_ptr<QualifierRecord>> m_qualifierList;
};
