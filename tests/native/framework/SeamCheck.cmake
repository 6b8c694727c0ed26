# Compiles units as the Winelib side sees them (its platform macros defined,
# every ORB header replaced by an #error in POISON_DIR): PLAIN_UNITS (one
# plain header each) must compile, also with WINEGXX when given; NATIVE_UNITS
# (one native-only header each) must fail on a poisoned header, proof that the
# check bites.  Run as cmake -DCXX= -DPOISON_DIR= -DSOURCE_DIR= -DPLAIN_UNITS=
# -DNATIVE_UNITS= [-DWINEGXX=] -P SeamCheck.cmake.
set(_flags -std=c++17 -fsyntax-only -D_WIN32 -D__WIN32__ -DWIN32 -D_WIN64 -I${POISON_DIR} -I${SOURCE_DIR})
set(_failures 0)
foreach(_unit IN LISTS PLAIN_UNITS)
  execute_process(COMMAND ${CXX} ${_flags} ${_unit} RESULT_VARIABLE _rc ERROR_VARIABLE _err OUTPUT_VARIABLE _out)
  if(NOT _rc EQUAL 0)
    message(SEND_ERROR "plain header unit ${_unit} does not compile without the ORB:\n${_err}")
    math(EXPR _failures "${_failures} + 1")
  endif()
endforeach()
if(WINEGXX)
  foreach(_unit IN LISTS PLAIN_UNITS)
    # (compiled to an object: winegcc would go on to link after -fsyntax-only)
    execute_process(COMMAND ${WINEGXX} -fno-short-wchar -std=c++17 -c -o ${_unit}.wine.o -I${POISON_DIR}
                            -I${SOURCE_DIR} ${_unit}
                    RESULT_VARIABLE _rc ERROR_VARIABLE _err OUTPUT_VARIABLE _out)
    if(NOT _rc EQUAL 0)
      message(SEND_ERROR "plain header unit ${_unit} does not compile with wineg++:\n${_err}")
      math(EXPR _failures "${_failures} + 1")
    endif()
  endforeach()
endif()
foreach(_unit IN LISTS NATIVE_UNITS)
  execute_process(COMMAND ${CXX} ${_flags} ${_unit} RESULT_VARIABLE _rc ERROR_VARIABLE _err OUTPUT_VARIABLE _out)
  if(_rc EQUAL 0)
    message(SEND_ERROR "native-only unit ${_unit} compiled although it includes the ORB: the check cannot bite")
    math(EXPR _failures "${_failures} + 1")
  elseif(NOT _err MATCHES "reached from Winelib-visible code")
    message(SEND_ERROR "native-only unit ${_unit} failed for another reason:\n${_err}")
    math(EXPR _failures "${_failures} + 1")
  endif()
endforeach()
if(_failures GREATER 0)
  message(FATAL_ERROR "${_failures} seam check(s) failed")
endif()
list(LENGTH PLAIN_UNITS _np)
list(LENGTH NATIVE_UNITS _nn)
message(STATUS "seam: ${_np} plain headers compile without the ORB (wineg++: ${WINEGXX}); ${_nn} native-only headers are caught")
