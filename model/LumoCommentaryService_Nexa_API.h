// The comment model and its JSON wire format: the one header that gives all
// of it.
//
//   Comment                     the record of one comment (model/Comment.h)
//   CommentRequest and kinds    what is sent to the commentary service, with
//                               each kind's validity rule (model/CommentRequest.h)
//   CommentResponse and kinds   what comes back (model/CommentResponse.h)
//
// Every text, field and JSON document is UTF-16 (SWCharString, lumo_json).
// The model reports problems by results and level-0 trace lines, never by
// exceptions (only a failed allocation can throw); no input text can make it
// crash, recurse deeply or read outside a value.
#pragma once

#include "model/Comment.h"
#include "model/CommentRequest.h"
#include "model/CommentResponse.h"
#include "model/JsonSupport.h"
