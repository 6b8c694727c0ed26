// Native only: includes ORB headers; never include it from Winelib code.
//
// The process's ORB and Naming Service, as the framework uses them.
#pragma once

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/framework/FrameworkSettings.h"

class OrbServices {
public:
    // The process's ORB, initialised on first use from FrameworkSettings
    // (ORB options, Naming Service reference, connect timeout) with the
    // FT_REQUEST interceptor installed.  Thread-safe.  Not a new reference.
    // Raises BAD_INV_ORDER after shutdown and whatever ORB_init raises.
    static CORBA::ORB_ptr orb();

    // The root context of the Naming Service (a new reference).  Raises
    // INV_OBJREF when no Naming Service is configured, and the ORB's
    // exceptions.  No remote call is made here.  A corbaloc with several
    // addresses (corbaloc::h1:p1,:h2:p2/NameService) gives a reference that
    // the ORB tries address by address.
    static CosNaming::NamingContext_ptr namingRoot();

    // Text naming the Naming Service in use (for error messages).
    static std::string namingText();

    // Limits every call through this reference (0: no limit).  It wins over
    // the thread's limit: for raw clients, never for the framework's stubs.
    static void applyCallTimeout(CORBA::Object_ptr object, uint32_t callTimeoutMs);
    // Limits every remote call the calling thread makes from now on (0: the
    // per-attempt limit of the ORB's settings again).
    static void limitThreadCalls(uint32_t milliseconds);

    // Gives the process's SSL transport the settings' TLS files; before
    // ORB_init (orb() calls it).  A program that initialises its own ORB
    // calls it first and passes transportRules to ORB_init after its own
    // options.
    static void installTls(const FrameworkSettings& settings);
    // The -ORB options that keep a client without a CA file to plain
    // transports (TlsContext.h); none when TLS is on, so that the ORB's
    // default rule prefers TLS wherever a server offers it.
    static std::vector<std::string> transportRules(const FrameworkSettings& settings);

    static void shutdown();
    static bool isShutDown();
};
