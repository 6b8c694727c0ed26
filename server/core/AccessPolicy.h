// Who may do what with comments.  Identity is the logon token's user alone:
// nothing a request says about its author is believed.
//
//   add      the comment's userName and last-modified user are the caller;
//            its ownerCUID is the caller when the request leaves it empty.
//            An ownerCUID naming someone else is refused (403) unless the
//            caller is an administrator.  This holds under every policy.
//   modify, delete, hide
//            owner policy (the default): allowed to the comment's owner
//            (ownerCUID equal to the caller) and to administrators; anyone
//            else is refused (403) and nothing changes.
//            open policy: allowed to every valid logon, for platforms that
//            check document rights before the server.
//   get, duplicate, test connection
//            open to every valid logon under both policies.
//
// Names are compared exactly (case and all).
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/SString.h"
#include "server/core/CommentRecord.h"
#include "server/core/ServerError.h"

namespace lumo_server {

enum class AuthorizationPolicy { Owner, Open };

class AccessPolicy {
public:
    // administrators: user names (UTF-8) with the administrator's rights.
    explicit AccessPolicy(AuthorizationPolicy policy = AuthorizationPolicy::Owner,
                          const std::vector<std::string>& administrators = {});

    bool isAdministrator(const SWCharString& user) const;
    // A 403 error when the caller may not add a comment with this owner.
    std::optional<ServerError> checkAdd(const SWCharString& caller, const SWCharString& ownerCUID) const;
    // A 403 error when the caller may not modify, delete or hide the stored comment.
    std::optional<ServerError> checkChange(const SWCharString& caller, const CommentRecord& stored) const;

private:
    AuthorizationPolicy m_policy;
    std::set<std::u16string> m_administrators;
};

}  // namespace lumo_server
