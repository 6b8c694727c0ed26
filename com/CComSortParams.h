// The automation object of one sort parameter of a get request (coclass
// SortParam, interface ISSortParam): a traced wrapper over one model
// SortParamRecord (attribute, order).
//
// The object owns its record from construction; a get request that hands out
// a view of one of its own records attaches the object to it (AttachModel).
#pragma once

#include <memory>

#include "com/sdk/scomobjectbase.h"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"

class CComSortParam : public SComObjectBase,
                      public CComCoClass<CComSortParam, &CLSID_SortParam>,
                      public ISupportErrorInfoImpl<&IID_ISSortParam>,
                      public IDispatchImpl<ISSortParam, &IID_ISSortParam, &LIBID_CorvelLumoCommentaryServiceLib, 1, 0> {
public:
    using Record = lumocommentaryservice_nexa_api::SortParamRecord;

    CComSortParam();
    ~CComSortParam() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComSortParam)
        COM_INTERFACE_ENTRY(ISSortParam)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISSortParam, in the order of the interface.
    STDMETHOD(put_SortAttribute)(SortAttributeType newVal) noexcept override;
    STDMETHOD(get_SortAttribute)(SortAttributeType* sortAttr) noexcept override;
    STDMETHOD(put_SortOrder)(SortOrderType newVal) noexcept override;
    STDMETHOD(get_SortOrder)(SortOrderType* sortOrd) noexcept override;

    // Inside the module only; the same rules as CComComment's.
    Record* GetModel() const noexcept { return m_pSortParam.get(); }
    HRESULT AttachModel(std::shared_ptr<Record> record) noexcept;

private:
    std::shared_ptr<Record> m_pSortParam;
};
