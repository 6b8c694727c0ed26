// The method frame for automation methods written once in a class template
// and shared by several concrete classes (the request and response bases).
//
// The trace name of such a method is "<class>::<method>" and its area is the
// concrete class's own: the concrete class T declares
//
//     static constexpr char kTraceArea[] = "CComAddCommentRequest";
//
// and the template's method body opens the frame with
//
//     SCOM_CLASS_METHOD(T, "get_RequestType");   // scope + entry line "[-]\t"
//
// after which the SCOM_* macros of scomobjectbase.h work as in any method.
// The name is joined at compile time, so a line costs nothing more than in a
// method of a single class.
#pragma once

#include <cstddef>

#include "com/sdk/scomobjectbase.h"

// A trace name joined from an area (ASCII) and a method suffix.
template <std::size_t N>
struct SComTraceName {
    char16_t text[N];
};

template <std::size_t N, std::size_t M>
constexpr SComTraceName<N + M - 1> SComJoinTraceName(const char (&area)[N], const char16_t (&suffix)[M])
{
    SComTraceName<N + M - 1> name{};
    for (std::size_t i = 0; i + 1 < N; ++i) name.text[i] = static_cast<char16_t>(area[i]);
    for (std::size_t i = 0; i < M; ++i) name.text[N - 1 + i] = suffix[i];
    return name;
}

// Opens the per-call scope of a method of class Class without an entry line
// (for methods whose entry line has a format of its own).
#define SCOM_CLASS_METHOD_SCOPE(Class, methodName)                                                 \
    static constexpr auto scomJoinedName = SComJoinTraceName(Class::kTraceArea, u"::" methodName);   \
    const char* const kTraceArea = Class::kTraceArea;                                               \
    const char16_t* const scomMethodName = scomJoinedName.text;                                     \
    SComMethodGuard scomMethodGuard(this)

// Opens the per-call scope and writes the entry line "[-]\t".
#define SCOM_CLASS_METHOD(Class, methodName)                                                       \
    SCOM_CLASS_METHOD_SCOPE(Class, methodName);                                                     \
    SCOM_TRACE(u"IN", u"[%1]\t", STraceParameter(u"-"))
