#include "com/CComModifyCommentRequest.h"

CComModifyCommentRequest::CComModifyCommentRequest() = default;

CComModifyCommentRequest::~CComModifyCommentRequest() = default;
