#include "platform/framework/TlsContext.h"

#include <openssl/err.h>

#include <mutex>

namespace {

std::mutex g_errorMutex;
std::string g_lastError;

}  // namespace

TlsContext::TlsContext(const TlsFiles& files)
    : sslContext(files.authority.empty() ? nullptr : files.authority.c_str(),
                 files.certificate.empty() ? nullptr : files.certificate.c_str(), ""),
      m_files(files)
{
}

void TlsContext::install(const TlsFiles& files)
{
    // The transport keeps the context for the life of the process; the
    // first one installed stays.
    if (!sslContext::singleton) sslContext::singleton = new TlsContext(files);
}

std::string TlsContext::lastError()
{
    std::lock_guard<std::mutex> lock(g_errorMutex);
    return g_lastError;
}

void TlsContext::fail(const std::string& what)
{
    const unsigned long code = ERR_get_error();
    char reason[256] = "";
    if (code) ERR_error_string_n(code, reason, sizeof reason);
    {
        std::lock_guard<std::mutex> lock(g_errorMutex);
        g_lastError = what + (code ? std::string(" (") + reason + ")" : std::string());
    }
    ERR_clear_error();
    throw CORBA::INITIALIZE(0, CORBA::COMPLETED_NO);
}

void TlsContext::set_CA()
{
    if (m_files.authority.empty()) return;
    if (!SSL_CTX_load_verify_locations(get_SSL_CTX(), m_files.authority.c_str(), nullptr))
        fail("cannot use the TLS CA file " + m_files.authority);
    // The CAs a server names when it asks a client for its certificate.
    if (STACK_OF(X509_NAME)* names = SSL_load_client_CA_file(m_files.authority.c_str()))
        SSL_CTX_set_client_CA_list(get_SSL_CTX(), names);
}

void TlsContext::set_certificate()
{
    if (m_files.certificate.empty()) return;
    if (!SSL_CTX_use_certificate_chain_file(get_SSL_CTX(), m_files.certificate.c_str()))
        fail("cannot use the TLS certificate file " + m_files.certificate);
}

void TlsContext::set_privatekey()
{
    if (m_files.certificate.empty()) return;
    if (!SSL_CTX_use_PrivateKey_file(get_SSL_CTX(), m_files.key.c_str(), SSL_FILETYPE_PEM))
        fail("cannot use the TLS key file " + m_files.key);
    if (!SSL_CTX_check_private_key(get_SSL_CTX()))
        fail("the TLS key file " + m_files.key + " does not match the certificate " + m_files.certificate);
}

int TlsContext::set_verify_mode()
{
    if (m_files.authority.empty()) return SSL_VERIFY_NONE;
    // SSL_VERIFY_PEER on a client: the server's certificate must verify; on
    // a server: a client's certificate is asked for and, if sent, must verify.
    return SSL_VERIFY_PEER;
}
