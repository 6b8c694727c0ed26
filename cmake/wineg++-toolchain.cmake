# Toolchain of the Winelib tree.  wineg++ defaults to a 16-bit wchar_t, which
# does not match libstdc++ and every native library we link: -fno-short-wchar
# keeps wchar_t at 32 bits, and UTF-16 text is char16_t (Wine's WCHAR) throughout.
# Winelib programs are shared objects (NAME.exe.so), so everything is -fPIC.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER winegcc)
set(CMAKE_CXX_COMPILER wineg++)
set(CMAKE_RC_COMPILER wrc)
set(CMAKE_C_FLAGS_INIT "-fno-short-wchar -fPIC")
set(CMAKE_CXX_FLAGS_INIT "-fno-short-wchar -fPIC")
set(CMAKE_LIBRARY_ARCHITECTURE x86_64-linux-gnu)
