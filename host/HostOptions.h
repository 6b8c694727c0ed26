// The host program's command line.
#pragma once

#include <string>

struct HostOptions {
    std::string script;             // the script file to run
    std::string naming;             // --naming: corbaloc or IOR of the Naming Service
    std::string user;               // --user: who logs on
    std::string tokenSecret;        // read from --token-secret-file
    std::string cluster;            // --cluster: first server-selection text
    std::string serverFilter;       // --server: second server-selection text
    unsigned long locale = 0x0409;  // --locale
    std::string globalName = "CommentaryService";  // --name
    bool help = false;

    // Parses argv; on a usage error returns false with the reason in error.
    bool parse(int argc, char** argv, std::string& error);
    static const char* usage();
};
