// Names of the managed services, as wide texts.
//
// Plain C++: the Winelib module includes this header.
//
// A service name is also the naming kind under which the servers of that
// service register: a commentary server binds itself in the Naming Service as
// id=<server name>, kind="Nexa_LumoCommentary" inside the context of its
// cluster.
#pragma once

class NativeChar_Services {
public:
    static constexpr const char16_t* Nexa_LumoCommentary = u"Nexa_LumoCommentary";
};
