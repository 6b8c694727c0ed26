// The answer to a successful hide (coclass HideCommentSuccessResponse,
// interface ISHideCommentSuccessResponse): status, description and type of the
// model HideCommentSuccessResponse; its interface adds nothing.
//
// The class has no class-table entry and no registry entries: clients cannot
// create it; only the service object does, for a reply of its type.
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComHideCommentSuccessResponse
    : public CComCommentResponseImpl<CComHideCommentSuccessResponse, ISHideCommentSuccessResponse,
                                     &CLSID_HideCommentSuccessResponse, &IID_ISHideCommentSuccessResponse,
                                     lumocommentaryservice_nexa_api::HideCommentSuccessResponse> {
public:
    static constexpr char kTraceArea[] = "CComHideCommentSuccessResponse";

    CComHideCommentSuccessResponse();
    ~CComHideCommentSuccessResponse() override;

    BEGIN_COM_MAP(CComHideCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISHideCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
