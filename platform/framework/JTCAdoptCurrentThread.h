// Makes the calling thread known to the ORB's thread library for the
// lifetime of the object (one automation call).
//
// Plain C++: Winelib code includes this header; the ORB lives behind it.
// A thread that the thread library does not know yet is adopted on its first
// call and stays adopted until it ends, so that the calls after the first
// cost one thread-local test; threads the library created itself are left
// alone.  Scopes nest freely.
#pragma once

class JTCAdoptCurrentThread {
public:
    JTCAdoptCurrentThread();
    ~JTCAdoptCurrentThread();
    JTCAdoptCurrentThread(const JTCAdoptCurrentThread&) = delete;
    JTCAdoptCurrentThread& operator=(const JTCAdoptCurrentThread&) = delete;

    // True when the calling thread is known to the ORB's thread library.
    static bool isAdopted();
};
