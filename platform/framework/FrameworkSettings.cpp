#include "platform/framework/FrameworkSettings.h"

#include <cstdlib>
#include <mutex>

namespace {

bool readUnsigned(const char* name, uint64_t max, uint64_t& value)
{
    const char* text = std::getenv(name);
    if (!text || !*text) return false;
    uint64_t parsed = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        parsed = parsed * 10 + static_cast<uint64_t>(*p - '0');
        if (parsed > max) return false;
    }
    value = parsed;
    return true;
}

template <class T>
void readNumber(const char* name, T& field, uint64_t max)
{
    uint64_t value = 0;
    if (readUnsigned(name, max, value)) field = static_cast<T>(value);
}

void readFlag(const char* name, bool& field)
{
    const char* text = std::getenv(name);
    if (!text) return;
    const std::string value(text);
    if (value == "1") field = true;
    if (value == "0") field = false;
}

std::mutex& settingsMutex()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

FrameworkSettings*& stored()
{
    static FrameworkSettings* s = nullptr;
    return s;
}

}  // namespace

FrameworkSettings FrameworkSettings::fromEnvironment()
{
    FrameworkSettings s;
    if (const char* naming = std::getenv("LUMO_NAMING")) s.naming = naming;
    if (const char* options = std::getenv("LUMO_ORB_OPTIONS")) {
        // (split by hand: this runs during the library's static initialisation)
        std::string word;
        for (const char* p = options;; ++p) {
            if (*p == ' ' || *p == '\t' || *p == '\n' || *p == 0) {
                if (!word.empty()) s.orbOptions.push_back(word);
                word.clear();
                if (*p == 0) break;
            } else {
                word += *p;
            }
        }
    }
    readNumber("LUMO_CALL_DEADLINE_MS", s.callDeadlineMs, 0x7FFFFFFFu);
    readNumber("LUMO_CALL_TIMEOUT_MS", s.callTimeoutMs, 0x7FFFFFFFu);
    readNumber("LUMO_CONNECT_TIMEOUT_MS", s.connectTimeoutMs, 0xFFFFFFFFu);
    readNumber("LUMO_RECONNECT_BACKOFF_MS", s.backoffInitialMs, 60000);
    readNumber("LUMO_RECONNECT_BACKOFF_MAX_MS", s.backoffMaxMs, 60000);
    readNumber("LUMO_MAX_REQUEST_CHARS", s.maxRequestChars, 1u << 30);
    readNumber("LUMO_INVOKE_LOOP_INSANITY", s.invokeLoopInsanity, 1000000);
    readFlag("LUMO_TESTS_ENABLED", s.testsEnabled);
    if (const char* script = std::getenv("LUMO_TEST_EXCEPTIONS")) s.testExceptions = script;
    readFlag("LUMO_RETENTION", s.retention);
    readNumber("LUMO_RETENTION_MS", s.retentionMs, uint64_t(1) << 40);
    readNumber("LUMO_FAILED_SERVER_QUARANTINE_MS", s.quarantineMs, 0xFFFFFFFFu);
    if (const char* mode = std::getenv("LUMO_SESSION_LOCK")) s.sharedSessionLock = std::string(mode) == "shared";
    if (const char* file = std::getenv("LUMO_TLS_CA_FILE")) s.tlsAuthority = file;
    if (const char* file = std::getenv("LUMO_TLS_CERT_FILE")) s.tlsCertificate = file;
    if (const char* file = std::getenv("LUMO_TLS_KEY_FILE")) s.tlsKey = file;
    return s;
}

FrameworkSettings FrameworkSettings::current()
{
    std::lock_guard<std::mutex> lock(settingsMutex());
    if (!stored()) stored() = new FrameworkSettings(fromEnvironment());
    return *stored();
}

void FrameworkSettings::setCurrent(const FrameworkSettings& settings)
{
    std::lock_guard<std::mutex> lock(settingsMutex());
    if (!stored())
        stored() = new FrameworkSettings(settings);
    else
        *stored() = settings;
}
