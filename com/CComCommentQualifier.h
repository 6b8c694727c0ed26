// The automation object of one comment qualifier of a get request (coclass
// CommentQualifier, interface ISCommentQualifier): a traced wrapper over one
// model CommentQualifierRecord (attribute, value).
//
// The object owns its record from construction; a get request that hands out
// a view of one of its own records attaches the object to it (AttachModel).
#pragma once

#include <memory>

#include "com/sdk/scomobjectbase.h"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"

class CComCommentQualifier
    : public SComObjectBase,
      public CComCoClass<CComCommentQualifier, &CLSID_CommentQualifier>,
      public ISupportErrorInfoImpl<&IID_ISCommentQualifier>,
      public IDispatchImpl<ISCommentQualifier, &IID_ISCommentQualifier, &LIBID_CorvelLumoCommentaryServiceLib, 1, 0> {
public:
    using Record = lumocommentaryservice_nexa_api::CommentQualifierRecord;

    CComCommentQualifier();
    ~CComCommentQualifier() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComCommentQualifier)
        COM_INTERFACE_ENTRY(ISCommentQualifier)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISCommentQualifier, in the order of the interface.
    STDMETHOD(put_CommentQualifierAttribute)(CommentQualifierAttributeType newVal) noexcept override;
    STDMETHOD(get_CommentQualifierAttribute)(CommentQualifierAttributeType* commentQf) noexcept override;
    STDMETHOD(put_CommentQualifierValue)(BSTR newVal) noexcept override;
    STDMETHOD(get_CommentQualifierValue)(BSTR* value) noexcept override;

    // Inside the module only; the same rules as CComComment's.
    Record* GetModel() const noexcept { return m_pQualifier.get(); }
    HRESULT AttachModel(std::shared_ptr<Record> record) noexcept;

private:
    std::shared_ptr<Record> m_pQualifier;
};
