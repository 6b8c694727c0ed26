#include "com/CComDuplicateCommentSuccessResponse.h"

CComDuplicateCommentSuccessResponse::CComDuplicateCommentSuccessResponse() = default;

CComDuplicateCommentSuccessResponse::~CComDuplicateCommentSuccessResponse() = default;
