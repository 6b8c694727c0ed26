// The automation object of one comment (coclass Comment, interface
// ISComment): a thin, traced wrapper over one model Comment record.
//
// The object either owns its record (from construction) or is attached to a
// record that belongs to someone else, typically a comment of a get
// response's model (AttachModel).  Properties read and write the record in
// place.
#pragma once

#include <memory>

#include "com/sdk/scomliveobjects.h"
#include "com/sdk/scomobjectbase.h"
#include "model/LumoCommentaryService_Nexa_API.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"

class CComComment : public SComObjectBase,
                    public CComCoClass<CComComment, &CLSID_Comment>,
                    public ISupportErrorInfoImpl<&IID_ISComment>,
                    public IDispatchImpl<ISComment, &IID_ISComment, &LIBID_CorvelLumoCommentaryServiceLib, 1, 0> {
public:
    using Record = lumocommentaryservice_nexa_api::Comment;

    CComComment();
    ~CComComment() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComComment)
        COM_INTERFACE_ENTRY(ISComment)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISComment, in the order of the interface.
    STDMETHOD(get_CommentId)(LONG* cId) noexcept override;
    STDMETHOD(put_CommentId)(LONG newVal) noexcept override;
    STDMETHOD(put_SourceCUID)(BSTR newVal) noexcept override;
    STDMETHOD(get_SourceCUID)(BSTR* srcCuid) noexcept override;
    STDMETHOD(put_OwnerCUID)(BSTR newVal) noexcept override;
    STDMETHOD(get_OwnerCUID)(BSTR* ownerCUID) noexcept override;
    STDMETHOD(put_Text)(BSTR newVal) noexcept override;
    STDMETHOD(get_Text)(BSTR* text) noexcept override;
    STDMETHOD(put_UserName)(BSTR newVal) noexcept override;
    STDMETHOD(get_UserName)(BSTR* userName) noexcept override;
    STDMETHOD(put_LastModifiedUserCuid)(BSTR newVal) noexcept override;
    STDMETHOD(get_LastModifiedUserCuid)(BSTR* cuid) noexcept override;
    STDMETHOD(put_LastModifiedUserName)(BSTR newVal) noexcept override;
    STDMETHOD(get_LastModifiedUserName)(BSTR* name) noexcept override;
    STDMETHOD(put_ContextCommon)(BSTR newVal) noexcept override;
    STDMETHOD(get_ContextCommon)(BSTR* ctxCommon) noexcept override;
    STDMETHOD(put_AppName)(BSTR newVal) noexcept override;
    STDMETHOD(get_AppName)(BSTR* appName) noexcept override;
    STDMETHOD(put_AppContext)(BSTR newVal) noexcept override;
    STDMETHOD(get_AppContext)(BSTR* appCtx) noexcept override;
    STDMETHOD(put_AppDatapath)(BSTR newVal) noexcept override;
    STDMETHOD(get_AppDatapath)(BSTR* path) noexcept override;
    STDMETHOD(put_OptionKey1)(BSTR newVal) noexcept override;
    STDMETHOD(get_OptionKey1)(BSTR* optKey) noexcept override;
    STDMETHOD(put_OptionKey2)(BSTR newVal) noexcept override;
    STDMETHOD(get_OptionKey2)(BSTR* optKey) noexcept override;
    STDMETHOD(put_OptionKey3)(BSTR newVal) noexcept override;
    STDMETHOD(get_OptionKey3)(BSTR* optKey) noexcept override;
    STDMETHOD(put_OptionKey4)(BSTR newVal) noexcept override;
    STDMETHOD(get_OptionKey4)(BSTR* optKey) noexcept override;
    STDMETHOD(put_LogicalReportId)(BSTR newVal) noexcept override;
    STDMETHOD(get_LogicalReportId)(BSTR* repId) noexcept override;
    STDMETHOD(put_CreationTimeStamp)(BSTR newVal) noexcept override;
    STDMETHOD(get_CreationTimeStamp)(BSTR* timestamp) noexcept override;
    STDMETHOD(put_LastModifiedTimestamp)(BSTR newVal) noexcept override;
    STDMETHOD(get_LastModifiedTimestamp)(BSTR* timestamp) noexcept override;
    STDMETHOD(put_Hidden)(VARIANT_BOOL newVal) noexcept override;
    STDMETHOD(get_Hidden)(VARIANT_BOOL* bHide) noexcept override;
    STDMETHOD(ToJSON)(BSTR* jsonString) noexcept override;
    STDMETHOD(FromJSON)(BSTR jsonString) noexcept override;
    STDMETHOD(get_CreationTimeStampAsString)(BSTR* timestamp) noexcept override;
    STDMETHOD(get_LastModifiedTimestampAsString)(BSTR* timestamp) noexcept override;

    // Inside the module only.

    // The record itself (not a copy); never null.
    Record* GetModel() const noexcept { return m_pComment.get(); }
    // Shows the given record from now on, sharing its ownership: the record
    // lives while this object or any other owner refers to it.  The record
    // held until now is given up (an own record is freed).  A null record is
    // refused with E_POINTER and changes nothing.
    HRESULT AttachModel(std::shared_ptr<Record> record) noexcept;

    // The comment object behind an ISComment of this module, or null for a
    // null pointer or a comment implemented elsewhere (SComLiveObjects).
    // Borrowed: the caller's reference on comment keeps it alive.
    static CComComment* FromInterface(ISComment* comment) noexcept { return LiveComments::Find(comment); }

private:
    using LiveComments = SComLiveObjects<CComComment, ISComment>;

    std::shared_ptr<Record> m_pComment;
};
