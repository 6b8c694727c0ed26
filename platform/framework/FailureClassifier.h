// Which failures of a remote call the framework retries.
//
// Plain C++ (the CORBA type is only forward-declared).
//
// Design decision: recoverable are TRANSIENT, COMM_FAILURE, OBJECT_NOT_EXIST, TIMEOUT and
// NO_RESPONSE (the connection or the server went away, or the call timed out)
// when the request did not run on the server (COMPLETED_NO), and, while
// request retention is on, also when it may have run (COMPLETED_MAYBE): the
// server recognises the retried request by its FT_REQUEST context and answers
// it from its reply cache.  Everything else is irrecoverable: COMPLETED_YES,
// UNKNOWN (a user exception raised by the server), BAD_PARAM, MARSHAL,
// NO_IMPLEMENT, INV_OBJREF, and every other kind, as well as user exceptions.
#pragma once

#include "platform/framework/SCorbaSystemError.h"

class FailureClassifier {
public:
    static bool isRecoverable(const SCorbaSystemError& error, bool retention);
    static bool isRecoverable(const CORBA::SystemException& ex, bool retention);
};
