#include "com/CComDeleteCommentSuccessResponse.h"

CComDeleteCommentSuccessResponse::CComDeleteCommentSuccessResponse() = default;

CComDeleteCommentSuccessResponse::~CComDeleteCommentSuccessResponse() = default;
