#include "com/CComAddCommentSuccessResponse.h"

#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SLogger.h"

// Tracing and time rendering stay available for the whole life of this
// source's static objects.
static TraceLogInitExit s_traceLogInitExit;
static SimpleTimeInitExit s_simpleTimeInitExit;

CComAddCommentSuccessResponse::CComAddCommentSuccessResponse() = default;

CComAddCommentSuccessResponse::~CComAddCommentSuccessResponse() = default;
