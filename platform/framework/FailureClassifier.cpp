#include "platform/framework/FailureClassifier.h"

#include <cstring>

namespace {

// Failures of the path to the server, not of the request itself.
const char* const kConnectionFailures[] = {"TRANSIENT", "COMM_FAILURE", "OBJECT_NOT_EXIST", "TIMEOUT",
                                           "NO_RESPONSE"};

}  // namespace

bool FailureClassifier::isRecoverable(const SCorbaSystemError& error, bool retention)
{
    if (error.isUserException()) return false;
    bool connectionFailure = false;
    for (const char* name : kConnectionFailures)
        if (error.getName() == name) connectionFailure = true;
    if (!connectionFailure) return false;
    switch (error.getCompletion()) {
    case SCorbaSystemError::COMPLETED_NO: return true;
    case SCorbaSystemError::COMPLETED_MAYBE: return retention;
    default: return false;
    }
}

bool FailureClassifier::isRecoverable(const CORBA::SystemException& ex, bool retention)
{
    return isRecoverable(SCorbaSystemError::fromSystemException(ex), retention);
}
