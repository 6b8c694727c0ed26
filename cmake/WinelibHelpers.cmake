# Helpers of the Winelib tree.

# A Winelib console program NAME.exe.so.
function(lumo_winelib_executable name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES SUFFIX ".exe.so")
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS})
endfunction()

# Runs a Winelib test program under Wine in the test's own private prefix.
# The wrapper creates the prefix, runs the program, ends the prefix's
# wineserver and removes the prefix, also when the program fails.
function(lumo_add_wine_test name program)
  add_test(NAME ${name}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh ${CMAKE_BINARY_DIR}/prefixes/${name}
            $<TARGET_FILE:${program}> ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
