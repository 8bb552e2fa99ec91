# Fails unless LIBRARY defines exactly the twelve service entry points.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE _out RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" _lines "${_out}")
set(_names)
foreach(_line IN LISTS _lines)
    string(REGEX REPLACE "^.* " "" _name "${_line}")
    list(APPEND _names ${_name})
endforeach()
list(SORT _names)
set(_expected DeleteRequestFromHandle DeleteRequestFromUnitId Debug End Init RequestAsyncRead
    RequestGetDeviceCount RequestStatusGet RequestStatusSetFeature RequestStatusWrite RequestWrite RequestWriteOne)
list(SORT _expected)
if(NOT _names STREQUAL _expected)
    message(FATAL_ERROR "${LIBRARY} exports\n  ${_names}\nexpected\n  ${_expected}")
endif()
