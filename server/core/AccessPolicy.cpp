#include "server/core/AccessPolicy.h"

#include "server/core/Utf16Text.h"

namespace lumo_server {

AccessPolicy::AccessPolicy(AuthorizationPolicy policy, const std::vector<std::string>& administrators)
    : m_policy(policy)
{
    for (const std::string& name : administrators) m_administrators.insert(utf8ToUtf16(name));
}

bool AccessPolicy::isAdministrator(const SWCharString& user) const
{
    return m_administrators.count(user.str()) != 0;
}

std::optional<ServerError> AccessPolicy::checkAdd(const SWCharString& caller, const SWCharString& ownerCUID) const
{
    if (ownerCUID.isEmpty() || ownerCUID == caller || isAdministrator(caller)) return std::nullopt;
    return ServerError::make(ErrorKind::Forbidden, "ownerCUID names another user");
}

std::optional<ServerError> AccessPolicy::checkChange(const SWCharString& caller, const CommentRecord& stored) const
{
    if (m_policy == AuthorizationPolicy::Open || stored.ownerCUID == caller || isAdministrator(caller))
        return std::nullopt;
    return ServerError::make(ErrorKind::Forbidden,
                             "comment " + std::to_string(stored.commentId) + " belongs to another user");
}

}  // namespace lumo_server
