# The Winelib tree: everything built with wineg++ -fno-short-wchar.  It links
# the native shared libraries of the native tree (LUMO_NATIVE_BINARY_DIR) and
# includes only their plain C++ headers: never an ORB header.

if(NOT LUMO_NATIVE_BINARY_DIR)
  message(FATAL_ERROR "The Winelib tree is built from the native tree (it needs LUMO_NATIVE_BINARY_DIR)")
endif()
set(LUMO_NATIVE_LIB_DIR ${LUMO_NATIVE_BINARY_DIR}/lib)
# -fPIC comes from the toolchain; CMake's -fPIE for executables would undo it.
set(CMAKE_POSITION_INDEPENDENT_CODE OFF)
option(LUMO_BENCH "Build the benchmarks" ON)

find_program(WIDL widl REQUIRED)
find_program(WRC wrc REQUIRED)
find_program(WINE wine REQUIRED)
find_program(WINESERVER wineserver REQUIRED)
# GoogleTest is linked by name: its CMake package adds -isystem /usr/include,
# which breaks the include order that wineg++ sets up.
add_library(lumo_winelib_gtest INTERFACE)
target_link_libraries(lumo_winelib_gtest INTERFACE gmock gtest pthread)

# The native shared libraries, as imported targets.
function(lumo_import_native name)
  add_library(${name} SHARED IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    IMPORTED_LOCATION ${LUMO_NATIVE_LIB_DIR}/lib${name}.so
    INTERFACE_INCLUDE_DIRECTORIES "${PROJECT_SOURCE_DIR}")
endfunction()
lumo_import_native(lumo_foundation)
lumo_import_native(lumo_model)
lumo_import_native(lumo_session)
lumo_import_native(lumo_framework)
lumo_import_native(lumo_proxy)
lumo_import_native(lumo_idl)
lumo_import_native(lumo_bench_rawclient)

# The Windows headers' min and max macros would break the C++ library.
# WIN32_LEAN_AND_MEAN keeps winsock.h (whose struct timeval clashes with the
# C library's) out of windows.h; units include the Windows headers they use.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

# Winelib executables and DLLs carry Wine's suffixes.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

include(WinelibHelpers)

# The COM side: object library layer, COM support, automation objects, the
# service object and the module (type library, class table, DLL).
add_subdirectory(platform/com)
add_subdirectory(platform/atl)
add_subdirectory(com)
add_subdirectory(service/object)
add_subdirectory(module)
add_subdirectory(host)
add_subdirectory(examples/cpp_client)

add_subdirectory(tests/winelib)
if(LUMO_BENCH)
  add_subdirectory(bench/winelib)
endif()
