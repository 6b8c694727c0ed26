// Kinds named in a ServerSpec (see ServerSpec.h).
//
// Plain C++: the Winelib module includes this header.
#pragma once

class ServerKinds {
public:
    // The requesting side did not name its kind.
    static constexpr const char16_t* UNSPECIFIED = u"UNSPECIFIED";
    // The platform's job servers: the server family that hosts the managed
    // services (the commentary service among them).
    static constexpr const char16_t* PJS = u"PJS";
};
