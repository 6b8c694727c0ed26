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

# Runs a Winelib test program under Wine in the test's own private prefix.
# The wrapper creates the prefix, registers the module first when REGISTER
# names it (a DLL target) or only puts its folder on WINEDLLPATH when
# DLLPATH does, runs the program, ends the prefix's wineserver and removes
# the prefix, also when the program fails.
#   lumo_add_wine_test(NAME PROGRAM [REGISTER dll_target] [DLLPATH dll_target] [ARGS ...])
function(lumo_add_wine_test name program)
  cmake_parse_arguments(TEST "" "REGISTER;DLLPATH" "ARGS" ${ARGN})
  set(_options)
  if(TEST_REGISTER)
    list(APPEND _options --register $<TARGET_FILE:${TEST_REGISTER}_stub>)
  endif()
  if(TEST_DLLPATH)
    list(APPEND _options --dllpath $<TARGET_FILE_DIR:${TEST_DLLPATH}_stub>)
  endif()
  add_test(NAME ${name}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh ${_options} ${CMAKE_BINARY_DIR}/prefixes/${name}
            $<TARGET_FILE:${program}> ${TEST_ARGS} ${TEST_UNPARSED_ARGUMENTS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# Runs a VBScript or JScript file with Wine's cscript against the registered
# module and compares the script's whole output with the expected text.
#   lumo_add_wine_script_test(NAME SCRIPT EXPECTED REGISTER dll_target)
function(lumo_add_wine_script_test name script expected)
  cmake_parse_arguments(TEST "" "REGISTER" "" ${ARGN})
  lumo_windows_path(${script} _script)
  add_test(NAME ${name}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh
            --register $<TARGET_FILE:${TEST_REGISTER}_stub> --expect ${expected}
            ${CMAKE_BINARY_DIR}/prefixes/${name} cscript //nologo ${_script})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
