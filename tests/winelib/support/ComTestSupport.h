// Helpers of the COM test programs.  Include after WinelibGTest.h.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <functional>
#include <map>
#include <regex>

#include "com/sdk/scomobjectbase.h"
#include "platform/com/ScopedBstr.h"
#include "platform/com/ScopedComPtr.h"
#include "platform/foundation/STraceCapture.h"

namespace comtest {

// An HRESULT as 0x80004003 rather than -2147467261.
inline std::string HrText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}
#define EXPECT_HR(expected, call) EXPECT_EQ(comtest::HrText(expected), comtest::HrText(call))
#define ASSERT_HR(expected, call) ASSERT_EQ(comtest::HrText(expected), comtest::HrText(call))

template <class T = void*>
T Sentinel()
{
    return reinterpret_cast<T>(static_cast<uintptr_t>(0xdeadbeef));
}

inline std::string Utf8(const char16_t* text) { return text ? SWCharString(text).toUtf8() : std::string("(null)"); }
inline std::u16string Wide(const std::string& text) { return SWCharString::fromUtf8(text).str(); }
inline std::string GuidText(const GUID& guid)
{
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return Utf8(text);
}

inline ULONG RefCount(IUnknown* unknown) { return unknown->AddRef(), unknown->Release(); }

// Created as a client creates it: by the ProgID "CorvelEnterprise14.<coclass>.1".
template <class Interface>
ScopedComPtr<Interface> Create(const std::u16string& coclass, REFIID riid)
{
    ScopedComPtr<Interface> object;
    CLSID clsid;
    EXPECT_HR(S_OK, CLSIDFromProgID((u"CorvelEnterprise14." + coclass + u".1").c_str(), &clsid))
        << Utf8(coclass.c_str());
    EXPECT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, object.ReceiveVoid()));
    return object;
}

// Made through the class's creator, as the module makes its own objects.
template <class Class, class Interface>
ScopedComPtr<Interface> Make(REFIID riid)
{
    ScopedComPtr<Interface> object;
    EXPECT_HR(S_OK, Class::_CreatorClass::CreateInstance(nullptr, riid, object.ReceiveVoid()));
    return object;
}

// The thread's error information as "description|source|interface", taken.
inline std::string TakeErrorInfo()
{
    ScopedComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return "(none)";
    ScopedBstr description, source;
    GUID guid = GUID_NULL;
    info->GetDescription(description.Receive()), info->GetSource(source.Receive()), info->GetGUID(&guid);
    return Utf8(description.Get()) + "|" + Utf8(source.Get()) + "|" + GuidText(guid);
}
inline const std::string kInvalidPointerReported =
    "Invalid pointer: a required output parameter was not supplied.||{00000000-0000-0000-0000-000000000000}";

// An outer object that counts its references and hands other queries inward.
struct CountingOuter : public IUnknown {
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (!IsEqualGUID(riid, IID_IUnknown)) return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
        *ppv = static_cast<IUnknown*>(this);
        return AddRef(), S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return InterlockedIncrement(&refs); }
    STDMETHOD_(ULONG, Release)() override { return InterlockedDecrement(&refs); }
    LONG refs = 1;
    IUnknown* inner = nullptr;
};

inline std::string InLine(const std::string& method, const std::string& at = "@1")
{
    return "IN:\t[" + method + "]\t[" + at + "]\t[-]\t";
}
inline std::string OutLine(const std::string& method, const std::string& at = "@1")
{
    return "OUT:\t[" + method + "]\t[" + at + "]\t[0]\t";
}

// The lines of calls of one object's methods: "get_X=v" entry and exit line
// with the value v, "put_X" without one, "get_X!p" entry and null-pointer line.
inline std::vector<std::string> FrameLines(const std::string& cls, std::initializer_list<std::string> calls)
{
    std::vector<std::string> lines;
    for (const std::string& call : calls) {
        const size_t mark = call.find_first_of("=!");
        const std::string method = cls + "::" + call.substr(0, mark);
        lines.push_back(InLine(method));
        if (mark == std::string::npos)
            lines.push_back(OutLine(method));
        else if (call[mark] == '=')
            lines.push_back(OutLine(method) + "[" + call.substr(mark + 1) + "]");
        else
            lines.push_back("Assertion failed: false: Invalid pointer " + call.substr(mark + 1));
    }
    return lines;
}

// The lines the body writes at trace level 14 (records in *records), each
// object address replaced by @1, @2, ... in order of first appearance.
inline std::vector<std::string> TraceOf(const std::function<void()>& body, std::vector<STraceRecord>* records = nullptr)
{
    STraceCapture capture(14);
    body();
    if (records) *records = capture.records();
    std::vector<std::string> lines = capture.linesUtf8();
    static const std::regex address("0x[0-9A-F]{16}");
    std::map<std::string, std::string> names;
    for (std::string& line : lines) {
        for (std::smatch found; std::regex_search(line, found, address);) {
            auto name = names.emplace(found.str(), "@" + std::to_string(names.size() + 1)).first;
            line.replace(found.position(), found.length(), name->second);
        }
    }
    return lines;
}

// Runs the bodies on Windows threads (Wine does not know those the C++
// library starts) and waits for all of them.
inline DWORD WINAPI RunBody(void* body) { return (*static_cast<std::function<void()>*>(body))(), 0; }
inline void RunOnWindowsThreads(std::vector<std::function<void()>> bodies)
{
    std::vector<HANDLE> threads;
    for (auto& body : bodies) {
        threads.push_back(CreateThread(nullptr, 0, RunBody, &body, 0, nullptr));
        EXPECT_NE(nullptr, threads.back());
    }
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
}

}  // namespace comtest
