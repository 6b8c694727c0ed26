// The ORB message limit that goes with a request limit, shared by the
// module's ORB (LUMO_MAX_REQUEST_CHARS) and the reference server's
// (--max-request-chars), so that a request text the server answers with its
// 413 error response always gets through both ORBs.
//
// Plain C++.  Design decision: two bytes per UTF-16 code unit (the wide
// strings travel as UTF-16), room for 131,072 code units more than the
// limit, and 64 KiB for the message's framing and service contexts.  A text
// longer than that is refused by the ORB before it is read (the sender sees a
// CORBA::MARSHAL or COMM_FAILURE system exception), so that a text many
// times too large costs the server no memory.  The same limit caps replies.
#pragma once

#include <cstdint>

namespace lumo_idl {

inline uint32_t orbMessageLimit(uint64_t maxRequestChars)
{
    const uint64_t bytes = 2 * (maxRequestChars + 131072) + 65536;
    return static_cast<uint32_t>(bytes > 0x7FFFFFFF ? 0x7FFFFFFF : bytes);
}

}  // namespace lumo_idl
