#include "com/CComAddCommentSuccessResponse.h"

CComAddCommentSuccessResponse::CComAddCommentSuccessResponse() = default;

CComAddCommentSuccessResponse::~CComAddCommentSuccessResponse() = default;
