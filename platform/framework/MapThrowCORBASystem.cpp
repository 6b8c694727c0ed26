#include "platform/framework/MapThrowCORBASystem.h"

#include "platform/foundation/SResString.h"
#include "platform/framework/FailureClassifier.h"
#include "platform/framework/FrameworkSettings.h"

void MapThrowCORBASystem(const CORBA::SystemException& ex, const char* sourceFile, int sourceLine)
{
    MapThrowCORBASystem(SCorbaSystemError::fromSystemException(ex), sourceFile, sourceLine);
}

void MapThrowCORBASystem(const SCorbaSystemError& error, const char* sourceFile, int sourceLine)
{
    // The reason text first: it fills %1 of the message the client reads.
    const SWCharString reason = error.getReasonText();
    if (FailureClassifier::isRecoverable(error, FrameworkSettings::current().retention))
        throw NexaFrameworkException(15, "Manually retry needed", lumo_messages::kManualRetryNeeded, error,
                                     reason.c_str(), nullptr, nullptr, sourceFile, sourceLine);
    throw NexaFrameworkException(17, "CORBA system exception that is irrecovrable", lumo_messages::kIrrecoverable,
                                 error, reason.c_str(), nullptr, nullptr, sourceFile, sourceLine);
}
