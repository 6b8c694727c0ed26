// The service framework's settings (see ServiceMgrFactory.h for the
// environment variables they come from).
//
// Plain C++.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FrameworkSettings {
    std::string naming;                    // LUMO_NAMING
    std::vector<std::string> orbOptions;   // LUMO_ORB_OPTIONS, split at blanks
    uint32_t callDeadlineMs = 15000;       // LUMO_CALL_DEADLINE_MS
    uint32_t callTimeoutMs = 8000;         // LUMO_CALL_TIMEOUT_MS (one attempt)
    uint32_t connectTimeoutMs = 3000;      // LUMO_CONNECT_TIMEOUT_MS
    uint32_t backoffInitialMs = 50;        // LUMO_RECONNECT_BACKOFF_MS
    uint32_t backoffMaxMs = 1000;          // LUMO_RECONNECT_BACKOFF_MAX_MS
    uint32_t maxRequestChars = 1048576;    // LUMO_MAX_REQUEST_CHARS (idl/MessageLimit.h)
    int invokeLoopInsanity = 3;            // LUMO_INVOKE_LOOP_INSANITY
    bool testsEnabled = false;             // LUMO_TESTS_ENABLED
    std::string testExceptions;            // LUMO_TEST_EXCEPTIONS
    bool retention = true;                 // LUMO_RETENTION
    uint64_t retentionMs = 600000;         // LUMO_RETENTION_MS
    uint32_t quarantineMs = 10000;         // LUMO_FAILED_SERVER_QUARANTINE_MS
    bool sharedSessionLock = false;        // LUMO_SESSION_LOCK=shared
    // TLS (omniORB's SSL transport): on when a CA file is named.  Servers
    // that offer TLS are then reached over TLS only, their certificate
    // checked against the CA file; a client certificate is optional.
    std::string tlsAuthority;              // LUMO_TLS_CA_FILE
    std::string tlsCertificate;            // LUMO_TLS_CERT_FILE
    std::string tlsKey;                    // LUMO_TLS_KEY_FILE

    // Reads the environment; a variable that is unset or does not parse keeps
    // its default (numbers: decimal digits only; flags: 0 or 1).
    static FrameworkSettings fromEnvironment();

    // The settings that newly created managed services take: the environment
    // as read on first use, or what setCurrent stored last.  The ORB options
    // and the connect timeout count only until the ORB has been initialised;
    // the Naming Service reference is read at every use.
    static FrameworkSettings current();
    static void setCurrent(const FrameworkSettings& settings);
};
