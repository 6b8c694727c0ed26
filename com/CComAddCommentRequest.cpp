#include "com/CComAddCommentRequest.h"

CComAddCommentRequest::CComAddCommentRequest() = default;

CComAddCommentRequest::~CComAddCommentRequest() = default;
