// Closes a block opened by UnixHeadersBegin.h: the Windows platform macros
// are back as wineg++ defined them.
#pragma pop_macro("__WIN64__")
#pragma pop_macro("__WIN64")
#pragma pop_macro("WIN64")
#pragma pop_macro("_WIN64")
#pragma pop_macro("__WIN32")
#pragma pop_macro("WIN32")
#pragma pop_macro("__WIN32__")
#pragma pop_macro("_WIN32")
