// Native only: includes ORB and OpenSSL headers; never include it from Winelib code.
//
// TLS for omniORB's SSL transport (giop:ssl), for servers and clients alike:
// the certificate and its key in separate PEM files, the CA certificates that
// the peer's certificate must chain to, and the peer check that follows from
// them.  install() must run before ORB_init; the transport then takes this
// context for every TLS connection of the process.
#pragma once

#include <omniORB4/CORBA.h>
#include <omniORB4/sslContext.h>

#include <string>

struct TlsFiles {
    std::string authority;    // PEM CA certificates; empty: the peer is not checked
    std::string certificate;  // PEM certificate (chain) of this side; empty: none
    std::string key;          // PEM private key of that certificate (unencrypted)
};

class TlsContext : public sslContext {
public:
    // Makes a context from the files the transport's context; the first one
    // installed in a process stays.  Before ORB_init.  ORB_init raises
    // CORBA::INITIALIZE when a file cannot be used (lastError() says which).
    // Without any file the transport is set up but must not be used: a
    // server then opens no giop:ssl endpoint, and a client keeps to plain
    // transports (OrbServices), since it could check no server.  (Installing
    // it anyway keeps the transport from warning at every start that it has
    // no CA.)
    static void install(const TlsFiles& files);
    // What went wrong while the ORB set the context up ("" when nothing).
    static std::string lastError();

protected:
    void set_CA() override;
    void set_certificate() override;
    void set_privatekey() override;
    // With an authority, the peer must present a certificate that chains to
    // it when it is a server, and may present one (checked if it does) when
    // it is a client.
    int set_verify_mode() override;

private:
    explicit TlsContext(const TlsFiles& files);
    [[noreturn]] void fail(const std::string& what);

    TlsFiles m_files;
};
