#include "server/core/CommentColumns.h"

namespace lumo_server {

const char* const kCommentTextColumnList =
    "source_cuid, owner_cuid, text, user_name, last_modified_user_cuid, last_modified_user_name, "
    "logical_report_id, context_common, app_name, app_context, app_datapath, "
    "option_key1, option_key2, option_key3, option_key4, connecxion";

const char* const kCommentSelectList =
    "comment_id, source_cuid, owner_cuid, text, user_name, last_modified_user_cuid, last_modified_user_name, "
    "logical_report_id, context_common, app_name, app_context, app_datapath, "
    "option_key1, option_key2, option_key3, option_key4, connecxion, creation_ts, last_modified_ts, hidden";

const char* const kCountsQuery =
    "SELECT (SELECT COUNT(DISTINCT source_cuid) FROM lumo_comment), (SELECT COUNT(*) FROM lumo_comment),"
    " (SELECT COUNT(*) FROM lumo_comment WHERE hidden <> 0), (SELECT COUNT(*) FROM lumo_reply)";

const char* const kReplyColumnList =
    "client_id, retention_id, expires_ms, created_ms, reply, user_name, request_type";

namespace {
SWCharString CommentRecord::*const kTextFields[kCommentTextColumns] = {
    &CommentRecord::sourceCUID,      &CommentRecord::ownerCUID,
    &CommentRecord::text,            &CommentRecord::userName,
    &CommentRecord::lastModifiedUserCuid, &CommentRecord::lastModifiedUserName,
    &CommentRecord::logicalReportId, &CommentRecord::contextCommon,
    &CommentRecord::appName,         &CommentRecord::appContext,
    &CommentRecord::appDatapath,     &CommentRecord::optionKey1,
    &CommentRecord::optionKey2,      &CommentRecord::optionKey3,
    &CommentRecord::optionKey4,      &CommentRecord::connecXion,
};
}  // namespace

SWCharString& commentText(CommentRecord& comment, int index) { return comment.*kTextFields[index]; }

const SWCharString& commentText(const CommentRecord& comment, int index) { return comment.*kTextFields[index]; }

const char* filterColumnName(FilterColumn column)
{
    switch (column) {
    case FilterColumn::LogicalReportId: return "logical_report_id";
    case FilterColumn::AppName: return "app_name";
    case FilterColumn::AppContext: return "app_context";
    case FilterColumn::ContextCommon: return "context_common";
    case FilterColumn::AppDatapath: return "app_datapath";
    case FilterColumn::OptionKey1: return "option_key1";
    case FilterColumn::OptionKey2: return "option_key2";
    case FilterColumn::OptionKey3: return "option_key3";
    case FilterColumn::OptionKey4: return "option_key4";
    }
    return "logical_report_id";
}

std::string hexClientId(const std::string& clientId)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(clientId.size() * 2);
    for (unsigned char c : clientId) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

std::string clientIdFromHex(const std::string& hex)
{
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(nibble(hex[i]) << 4 | nibble(hex[i + 1]));
    return out;
}

}  // namespace lumo_server
