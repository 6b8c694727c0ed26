#include "com/CComHideCommentSuccessResponse.h"

CComHideCommentSuccessResponse::CComHideCommentSuccessResponse() = default;

CComHideCommentSuccessResponse::~CComHideCommentSuccessResponse() = default;
