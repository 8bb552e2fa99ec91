# Warnings, sanitizers and the module helper shared by every target.

add_library(velkarn_options INTERFACE)
target_compile_options(velkarn_options INTERFACE -Wall -Wextra -Wshadow)
if(VELKARN_WERROR)
    target_compile_options(velkarn_options INTERFACE -Werror)
endif()
target_compile_definitions(velkarn_options INTERFACE
    VELKARN_KEYBOARD_VENDOR_ID=${KeyboardVendorId}
    VELKARN_KEYBOARD_PRODUCT_ID=${KeyboardProductId})

if(VELKARN_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(VELKARN_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT VELKARN_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VELKARN_SANITIZE must be empty, 'address' or 'thread'")
endif()

# velkarn_module(<name> [QT] DEPS <targets...>)
# One static library per source folder, built from every .cpp in it, so a
# module gains files without touching CMake.
function(velkarn_module name)
    cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(_sources)
        add_library(${name} STATIC ${_sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/service/include)
        target_link_libraries(${name} PUBLIC velkarn_options ${ARG_DEPS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/service/include)
        target_link_libraries(${name} INTERFACE velkarn_options ${ARG_DEPS})
    endif()
endfunction()

# velkarn_test(<module> DEPS <targets...>)
# One GoogleTest executable per tests/ folder; every .cpp in it is a test file.
function(velkarn_test name)
    cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT _sources)
        return()
    endif()
    add_executable(test_${name} ${_sources})
    set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} velkarn_testsupport GTest::gtest GTest::gtest_main)
    target_compile_definitions(test_${name} PRIVATE
        VELKARN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VELKARN_BIN_DIR="${VELKARN_BIN_DIR}"
        VELKARN_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    # gtest_discover_tests loses every list element of ENVIRONMENT after the
    # first, so a test gets at most one variable from here; tests that need
    # more set them up themselves (tests/support).
    set(_props TIMEOUT 300)
    if(ARG_QT)
        list(APPEND _props ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    endif()
    gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${_props})
endfunction()
