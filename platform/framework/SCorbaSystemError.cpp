#include "platform/framework/SCorbaSystemError.h"

#include <omniORB4/CORBA.h>

#include <cstdio>

namespace {

std::string reasonUtf8(const std::string& name, const std::string& repositoryId, uint32_t minor,
                       SCorbaSystemError::Completion completion, bool userException)
{
    if (userException) return name + " (user exception " + repositoryId + ")";
    char minorText[16];
    std::snprintf(minorText, sizeof minorText, "0x%08x", static_cast<unsigned>(minor));
    return name + " (minor " + minorText + ", " + SCorbaSystemError::completionName(completion) + ")";
}

SCorbaSystemError::Completion fromCorbaCompletion(CORBA::CompletionStatus status)
{
    switch (status) {
    case CORBA::COMPLETED_YES: return SCorbaSystemError::COMPLETED_YES;
    case CORBA::COMPLETED_MAYBE: return SCorbaSystemError::COMPLETED_MAYBE;
    default: return SCorbaSystemError::COMPLETED_NO;
    }
}

}  // namespace

SCorbaSystemError::SCorbaSystemError(std::string repositoryId, std::string name, uint32_t minor,
                                     Completion completion, bool userException)
    : m_repositoryId(std::move(repositoryId)),
      m_name(std::move(name)),
      m_minor(minor),
      m_completion(completion),
      m_userException(userException),
      m_what(reasonUtf8(m_name, m_repositoryId, m_minor, m_completion, m_userException))
{
}

SCorbaSystemError SCorbaSystemError::fromSystemException(const CORBA::SystemException& ex)
{
    return SCorbaSystemError(ex._rep_id() ? ex._rep_id() : "", ex._name() ? ex._name() : "", ex.minor(),
                             fromCorbaCompletion(ex.completed()));
}

SCorbaSystemError SCorbaSystemError::fromException(const CORBA::Exception& ex)
{
    if (const CORBA::SystemException* sys = CORBA::SystemException::_downcast(&ex))
        return fromSystemException(*sys);
    return SCorbaSystemError(ex._rep_id() ? ex._rep_id() : "", ex._name() ? ex._name() : "", 0, COMPLETED_NO,
                             true);
}

SWCharString SCorbaSystemError::getReasonText() const { return SWCharString::fromUtf8(m_what); }

const char* SCorbaSystemError::completionName(Completion completion)
{
    switch (completion) {
    case COMPLETED_YES: return "COMPLETED_YES";
    case COMPLETED_MAYBE: return "COMPLETED_MAYBE";
    default: return "COMPLETED_NO";
    }
}
