// Helpers shared by the model suites.
#pragma once

#include <string>

#include "model/LumoCommentaryService_Nexa_API.h"

namespace model_test {

// UTF-16 <-> UTF-8, so that expected JSON texts read as plain literals and
// failures print readably.
std::string utf8(const SWCharString& text);
SWCharString wide(const std::string& utf8Text);

// The comment's own JSON object as compact text.
std::string commentJson(const lumocommentaryservice_nexa_api::Comment& comment);

// A comment with every one of its 20 fields set to a value other than the
// default.
lumocommentaryservice_nexa_api::Comment fullComment();
// Its JSON object, written out by hand in the wire order.
extern const char* const kFullCommentJson;

}  // namespace model_test
