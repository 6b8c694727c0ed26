# Helpers of the Winelib tree.

# A Winelib console program NAME.exe.so.
function(lumo_winelib_executable name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES SUFFIX ".exe.so")
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS})
endfunction()

# A static Winelib library (position-independent, hidden symbols) that the
# module DLL links and that white-box test programs can link directly.
function(lumo_winelib_static_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS} -fvisibility=hidden $<$<COMPILE_LANGUAGE:CXX>:-fvisibility-inlines-hidden>)
endfunction()

# A Winelib DLL built twice from the same objects: NAME.dll.so (the code)
# and NAME.dll (the PE stub Wine loads it through), side by side in the
# library output folder, which must be on WINEDLLPATH when the DLL is used.
#   lumo_winelib_dll(NAME SPEC file.spec [RESOURCES file.res] SOURCES ... LIBRARIES ...)
function(lumo_winelib_dll name)
  cmake_parse_arguments(DLL "" "SPEC;RESOURCES" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${name}_objects OBJECT ${DLL_SOURCES})
  target_compile_options(${name}_objects PRIVATE ${LUMO_WARNINGS} -fvisibility=hidden $<$<COMPILE_LANGUAGE:CXX>:-fvisibility-inlines-hidden>)
  target_link_libraries(${name}_objects PRIVATE ${DLL_LIBRARIES})
  set(_inputs ${DLL_SPEC})
  if(DLL_RESOURCES)
    list(APPEND _inputs ${DLL_RESOURCES})
  endif()
  foreach(_variant IN ITEMS so stub)
    set(_target ${name}_${_variant})
    add_library(${_target} SHARED $<TARGET_OBJECTS:${name}_objects>)
    target_link_libraries(${_target} PRIVATE ${DLL_LIBRARIES})
    target_link_options(${_target} PRIVATE ${_inputs})
    set_property(TARGET ${_target} APPEND PROPERTY LINK_DEPENDS ${_inputs})
    set_target_properties(${_target} PROPERTIES PREFIX "" OUTPUT_NAME ${name} NO_SONAME ON)
  endforeach()
  set_target_properties(${name}_so PROPERTIES SUFFIX ".dll.so")
  set_target_properties(${name}_stub PROPERTIES SUFFIX ".dll")
  # Wine looks the code up under the lower-case name of the stub
  # (name.dll -> name.dll.so in lower case): link that name to the library.
  string(TOLOWER ${name} _lower)
  if(NOT _lower STREQUAL name)
    add_custom_command(TARGET ${name}_so POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E create_symlink ${name}.dll.so ${_lower}.dll.so
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}_so>)
  endif()
  target_link_options(${name}_stub PRIVATE -Wb,--fake-module)
  add_custom_target(${name} ALL DEPENDS ${name}_so ${name}_stub)
endfunction()

# A Windows (PE) console program built with winegcc's PE mode (clang and
# lld-link), for test helpers that must be real Windows executables.  Sets
# ${outvar} to the program's path, or to "" when the PE tools are missing.
function(lumo_pe_executable name source outvar)
  find_program(LUMO_CLANG clang)
  find_program(LUMO_LLD_LINK lld-link)
  if(NOT LUMO_CLANG OR NOT LUMO_LLD_LINK)
    message(STATUS "clang or lld-link missing: ${name}.exe (a PE test helper) is not built")
    set(${outvar} "" PARENT_SCOPE)
    return()
  endif()
  set(_output ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}.exe)
  add_custom_command(OUTPUT ${_output}
    COMMAND ${CMAKE_C_COMPILER} -b x86_64-windows -municode -mconsole -Wall -Wextra -O2 -o ${_output} ${source}
    DEPENDS ${source}
    COMMENT "Building the PE program ${name}.exe")
  add_custom_target(${name} ALL DEPENDS ${_output})
  set(${outvar} ${_output} PARENT_SCOPE)
endfunction()

# The Windows form (Z:\...) of an absolute Unix path, as Wine shows it.
function(lumo_windows_path path outvar)
  string(REPLACE "/" "\\" _windows "${path}")
  set(${outvar} "Z:${_windows}" PARENT_SCOPE)
endfunction()

# The prepared Wine prefix that the Winelib tests of one ctest run share, a
# ctest fixture: winelib.prefix.setup creates it, starts its wineserver and
# registers the module once (scripts/wine-prefix.sh up); winelib.prefix.cleanup
# ends exactly that wineserver after the last test that needs it, also when a
# test fails.  ctest adds both to any selection (-R, -L) of such tests.
set(LUMO_WINE_SHARED_DIR ${CMAKE_BINARY_DIR}/wine-shared)
function(lumo_add_wine_prefix_fixture dll_target)
  add_test(NAME winelib.prefix.setup
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh up ${LUMO_WINE_SHARED_DIR} $<TARGET_FILE:${dll_target}_stub>)
  add_test(NAME winelib.prefix.cleanup
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh down ${LUMO_WINE_SHARED_DIR})
  set_tests_properties(winelib.prefix.setup PROPERTIES FIXTURES_SETUP lumo_wine_prefix TIMEOUT 300)
  set_tests_properties(winelib.prefix.cleanup PROPERTIES FIXTURES_CLEANUP lumo_wine_prefix TIMEOUT 120)
endfunction()

# Runs the given tests in the shared prefix: they need the fixture and find
# the prefix and the module's folder in WINEPREFIX and WINEDLLPATH.
#   lumo_use_wine_prefix(TEST...)
function(lumo_use_wine_prefix)
  set_property(TEST ${ARGN} APPEND PROPERTY FIXTURES_REQUIRED lumo_wine_prefix)
  set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT
    WINEPREFIX=${LUMO_WINE_SHARED_DIR}/prefix WINEDLLPATH=${CMAKE_LIBRARY_OUTPUT_DIRECTORY} WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=)
endfunction()

# Runs a Winelib test program under Wine (scripts/wine-test.sh) in the shared
# prefix, or with OWN_PREFIX in a copy of it with a wineserver of its own
# (for tests that change the registry or the system folder).
#   lumo_add_wine_test(NAME PROGRAM [OWN_PREFIX] [EXPECT file] [ARGS ...])
function(lumo_add_wine_test name program)
  cmake_parse_arguments(TEST "OWN_PREFIX" "EXPECT" "ARGS" ${ARGN})
  set(_options)
  if(TEST_OWN_PREFIX)
    list(APPEND _options --own-prefix ${CMAKE_BINARY_DIR}/prefixes/${name})
  endif()
  if(TEST_EXPECT)
    list(APPEND _options --expect ${TEST_EXPECT})
  endif()
  if(TARGET ${program})
    set(program $<TARGET_FILE:${program}>)
  endif()
  add_test(NAME ${name}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh ${_options} ${program} ${TEST_ARGS} ${TEST_UNPARSED_ARGUMENTS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  lumo_use_wine_prefix(${name})
endfunction()

# A COM test program: the sources with the shared main function
# (tests/winelib/support/ComTestMain.cpp); LINKS_MODULE for a program that
# links the module's code instead of only loading the registered DLL.
#   lumo_com_test_program(NAME [LINKS_MODULE] SOURCES ...)
function(lumo_com_test_program name)
  cmake_parse_arguments(PROGRAM "LINKS_MODULE" "" "SOURCES" ${ARGN})
  lumo_winelib_executable(${name} ${PROGRAM_SOURCES} ${PROJECT_SOURCE_DIR}/tests/winelib/support/ComTestMain.cpp)
  target_link_libraries(${name} PRIVATE lumo_winelib_gtest ole32 oleaut32 uuid)
  if(PROGRAM_LINKS_MODULE)
    target_compile_definitions(${name} PRIVATE LUMO_TEST_LINKS_MODULE)
    target_link_libraries(${name} PRIVATE lumo_module)
  endif()
  add_dependencies(${name} LumoCommentary)
endfunction()

# Runs a Winelib test program in the shared prefix against a private Naming
# Service and SERVERS reference servers of the native build, started with the
# SERVER_OPTIONS by scripts/with-services.sh (free ports on 127.0.0.1, stopped
# by process id), with the further environment variables of ENV.
#   lumo_add_wine_services_test(NAME PROGRAM SERVERS n [SERVER_OPTIONS opt...] [ENV VAR=value...] [ARGS ...])
function(lumo_add_wine_services_test name program)
  cmake_parse_arguments(TEST "" "SERVERS" "SERVER_OPTIONS;ENV;ARGS" ${ARGN})
  set(_options)
  foreach(_option IN LISTS TEST_SERVER_OPTIONS)
    list(APPEND _options --server-option ${_option})
  endforeach()
  add_test(NAME ${name}
    COMMAND env LUMO_BUILD_DIR=${LUMO_NATIVE_BINARY_DIR} ${TEST_ENV}
            ${PROJECT_SOURCE_DIR}/scripts/with-services.sh --servers ${TEST_SERVERS}
            --dir ${CMAKE_CURRENT_BINARY_DIR}/services/${name} ${_options} --
            ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh $<TARGET_FILE:${program}> ${TEST_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS e2e)
  lumo_use_wine_prefix(${name})
endfunction()
