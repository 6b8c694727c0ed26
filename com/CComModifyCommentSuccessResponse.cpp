#include "com/CComModifyCommentSuccessResponse.h"

CComModifyCommentSuccessResponse::CComModifyCommentSuccessResponse() = default;

CComModifyCommentSuccessResponse::~CComModifyCommentSuccessResponse() = default;
