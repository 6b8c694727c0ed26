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
    if (FailureClassifier::isRecoverable(error, FrameworkSettings::current().retention))
        throw NexaFrameworkException(15, "Manually retry needed", lumo_messages::kManualRetryNeeded, error, nullptr,
                                     nullptr, nullptr, sourceFile, sourceLine);
    throw NexaFrameworkException(17, "CORBA system exception that is irrecovrable", lumo_messages::kIrrecoverable,
                                 error, nullptr, nullptr, nullptr, sourceFile, sourceLine);
}
