// One stored comment as the server keeps it.  Field meanings, defaults and
// sentinels are those of the comment JSON object: commentId -1 means "no id",
// a timestamp -1 means "no time", an empty string means "not set".
#pragma once

#include <cstdint>

#include "platform/foundation/SString.h"

namespace lumo_server {

struct CommentRecord {
    int32_t commentId = -1;
    SWCharString sourceCUID;
    SWCharString ownerCUID;
    SWCharString text;
    SWCharString userName;
    SWCharString lastModifiedUserCuid;
    SWCharString lastModifiedUserName;
    int64_t creationTimestamp = -1;      // milliseconds since the epoch
    int64_t lastModifiedTimestamp = -1;  // milliseconds since the epoch
    SWCharString logicalReportId;
    SWCharString contextCommon;
    SWCharString appName;
    SWCharString appContext;
    SWCharString appDatapath;
    SWCharString optionKey1;
    SWCharString optionKey2;
    SWCharString optionKey3;
    SWCharString optionKey4;
    SWCharString connecXion;
    bool hidden = false;

    bool operator==(const CommentRecord& o) const
    {
        return commentId == o.commentId && sourceCUID == o.sourceCUID && ownerCUID == o.ownerCUID &&
               text == o.text && userName == o.userName && lastModifiedUserCuid == o.lastModifiedUserCuid &&
               lastModifiedUserName == o.lastModifiedUserName && creationTimestamp == o.creationTimestamp &&
               lastModifiedTimestamp == o.lastModifiedTimestamp && logicalReportId == o.logicalReportId &&
               contextCommon == o.contextCommon && appName == o.appName && appContext == o.appContext &&
               appDatapath == o.appDatapath && optionKey1 == o.optionKey1 && optionKey2 == o.optionKey2 &&
               optionKey3 == o.optionKey3 && optionKey4 == o.optionKey4 && connecXion == o.connecXion &&
               hidden == o.hidden;
    }
    bool operator!=(const CommentRecord& o) const { return !(*this == o); }
};

// The ten content fields that a modify request may replace, in one place so
// that the operations and the tests agree on them.
enum class ContentField {
    Text,
    LogicalReportId,
    ContextCommon,
    AppName,
    AppContext,
    AppDatapath,
    OptionKey1,
    OptionKey2,
    OptionKey3,
    OptionKey4
};
constexpr ContentField kContentFields[] = {ContentField::Text,          ContentField::LogicalReportId,
                                           ContentField::ContextCommon, ContentField::AppName,
                                           ContentField::AppContext,    ContentField::AppDatapath,
                                           ContentField::OptionKey1,    ContentField::OptionKey2,
                                           ContentField::OptionKey3,    ContentField::OptionKey4};

inline SWCharString& contentField(CommentRecord& c, ContentField f)
{
    switch (f) {
    case ContentField::Text: return c.text;
    case ContentField::LogicalReportId: return c.logicalReportId;
    case ContentField::ContextCommon: return c.contextCommon;
    case ContentField::AppName: return c.appName;
    case ContentField::AppContext: return c.appContext;
    case ContentField::AppDatapath: return c.appDatapath;
    case ContentField::OptionKey1: return c.optionKey1;
    case ContentField::OptionKey2: return c.optionKey2;
    case ContentField::OptionKey3: return c.optionKey3;
    case ContentField::OptionKey4: return c.optionKey4;
    }
    return c.text;
}

inline const SWCharString& contentField(const CommentRecord& c, ContentField f)
{
    return contentField(const_cast<CommentRecord&>(c), f);
}

}  // namespace lumo_server
