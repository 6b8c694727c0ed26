// Raises the framework exception that matches a CORBA failure.
//
// Plain C++: the Winelib module includes this header (it passes the plain
// SCorbaSystemError); the overload with the CORBA type is for native code.
//
// Design decision: the exception raised is a NexaFrameworkException carrying the failure
// (reason text as first substitution text) and the given source location:
//   a failure that the framework classifies as recoverable
//   (FailureClassifier.h): error code 15 "Manually retry needed", message
//   number 61310 (the caller may try again);
//   any other: error code 17 "CORBA system exception that is irrecovrable",
//   message number 61312.
#pragma once

#include "platform/framework/NexaFrameworkException.h"
#include "platform/framework/SCorbaSystemError.h"

[[noreturn]] void MapThrowCORBASystem(const CORBA::SystemException& ex, const char* sourceFile, int sourceLine);
[[noreturn]] void MapThrowCORBASystem(const SCorbaSystemError& error, const char* sourceFile, int sourceLine);
