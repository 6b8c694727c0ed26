// The request text as the "Request JSON" trace line shows it.  The logon
// token in it is a bearer credential, valid for hours, and trace files are
// read by people who may not hold it: the line keeps the token's first eight
// characters (its format and the start of the user name) and replaces the
// rest, signature included, by "...".  With LUMO_TRACE_TOKENS=1 (debugging
// only) the text is shown as sent.
#pragma once

#include "platform/foundation/SString.h"

// requestText is a request JSON text as the model writes it.
SWCharString RequestTraceText(const SWCharString& requestText);
