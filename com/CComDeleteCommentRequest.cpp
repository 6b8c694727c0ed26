#include "com/CComDeleteCommentRequest.h"

CComDeleteCommentRequest::CComDeleteCommentRequest() = default;

CComDeleteCommentRequest::~CComDeleteCommentRequest() = default;
