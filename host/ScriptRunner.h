// Runs one VBScript or JScript text through the script engines of the
// platform (IActiveScript), with named objects visible to the script as
// globals.  Script errors are reported as
//     <file>(<line>,<column>): <source>: <description>
// on standard error, and make Run() return false.
#pragma once

#include <objbase.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/SString.h"

class ScriptRunner {
public:
    enum class Language { VBScript, JScript };

    // The language that the file name's extension implies (.js: JScript,
    // everything else: VBScript).
    static Language LanguageOf(const std::string& fileName);

    ScriptRunner(Language language, std::string fileName);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Makes the object visible under the name (the runner holds a reference
    // until it is destroyed).
    void AddGlobal(const SWCharString& name, IUnknown* object);

    // Runs the script text; true when the engine ran it without an error.
    // Must be called on a thread of a single-threaded apartment.
    bool Run(const SWCharString& scriptText);

    // What went wrong, when Run returned false.
    const std::string& ErrorText() const { return m_errorText; }

private:
    class Site;
    Language m_language;
    std::string m_fileName;
    std::vector<std::pair<SWCharString, IUnknown*>> m_globals;
    std::string m_errorText;
};
