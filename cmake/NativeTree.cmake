# The native tree: everything built with the system's g++ (or clang for fuzzing).

option(LUMO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(LUMO_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(LUMO_BENCH "Build the benchmarks" ON)
# The Winelib tree loads the native libraries into Wine; a sanitizer runtime
# cannot be loaded there, so sanitizer and fuzzing builds are native only.
if(LUMO_SANITIZE OR LUMO_FUZZ)
  set(_lumo_winelib_default OFF)
else()
  set(_lumo_winelib_default ON)
endif()
option(LUMO_WITH_WINELIB "Build the Winelib tree (COM module, host, COM tests)" ${_lumo_winelib_default})

if(LUMO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LUMO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LUMO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(PostgreSQL REQUIRED)
find_package(prometheus-cpp CONFIG REQUIRED)
pkg_check_modules(OMNIORB REQUIRED IMPORTED_TARGET omniORB4 omnithread4)
pkg_check_modules(OMNIDYNAMIC REQUIRED IMPORTED_TARGET omniDynamic4)
find_program(OMNIIDL omniidl REQUIRED)
find_program(OMNINAMES omniNames PATHS /usr/sbin /usr/bin)
if(LUMO_BENCH)
  find_package(benchmark REQUIRED)
endif()
include(GoogleTest)

# Native libraries land in one folder so that the Winelib tree finds them.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Native components.  A fuzzing build compiles everything with clang and the
# fuzzer's instrumentation, so it holds only what the fuzz targets link: the
# foundation, the session, the model, and tests/fuzz (whose component folders
# bring any further sources of their own).
add_subdirectory(platform/foundation)
add_subdirectory(platform/session)
add_subdirectory(model)
if(LUMO_FUZZ)
  add_subdirectory(tests/fuzz)
  return()
endif()
add_subdirectory(idl)
add_subdirectory(platform/framework)
add_subdirectory(service/proxy)
add_subdirectory(server)
add_subdirectory(examples/model_demo)

# Native tests and benchmarks.
add_subdirectory(tests/native)
if(LUMO_BENCH AND NOT LUMO_SANITIZE)
  add_subdirectory(bench/native)
endif()

if(LUMO_WITH_WINELIB)
  include(ExternalProject)
  set(LUMO_WINELIB_BINARY_DIR ${CMAKE_BINARY_DIR}/winelib)
  ExternalProject_Add(winelib
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${LUMO_WINELIB_BINARY_DIR}
    CMAKE_ARGS
      -DLUMO_TREE=winelib
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/wineg++-toolchain.cmake
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DLUMO_NATIVE_BINARY_DIR=${CMAKE_BINARY_DIR}
      -DLUMO_BENCH=${LUMO_BENCH}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
  # The native shared libraries that the Winelib tree links (each component
  # that the Winelib side uses appends itself to this property).
  get_property(_lumo_native_for_winelib GLOBAL PROPERTY LUMO_NATIVE_FOR_WINELIB)
  add_dependencies(winelib ${_lumo_native_for_winelib})
  # ctest in the top build folder runs the Winelib tree's tests too.
  file(WRITE ${CMAKE_BINARY_DIR}/WinelibTests.cmake "subdirs(\"${LUMO_WINELIB_BINARY_DIR}\")\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/WinelibTests.cmake)
endif()
