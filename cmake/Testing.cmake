# GoogleTest for every build: the host's package natively, built from Debian's
# sources (/usr/src/googletest) for the Windows builds.

if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # The win32 thread model's libstdc++ has no std::mutex, of which GoogleTest
    # makes its Notification: tests/gtest-win32 gives it one without, through
    # GoogleTest's own hook, its custom port header (included with quotes, so
    # an -iquote folder is searched before GoogleTest's own).
    target_compile_options(gtest PUBLIC -iquote ${PROJECT_SOURCE_DIR}/tests/gtest-win32)
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)


# client_add_test(<name> SOURCES ... [LIBRARIES ...] [LABELS ...] [TIMEOUT s])
# One GoogleTest executable registered as one CTest test, named with the build's
# prefix. Every build runs every test it builds.
function(client_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBRARIES} GTest::gtest GTest::gtest_main)
    add_test(NAME ${CLIENT_TEST_PREFIX}${name} COMMAND ${name} --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${CLIENT_TEST_PREFIX}${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
    if(WIN32)
        set_tests_properties(${CLIENT_TEST_PREFIX}${name} PROPERTIES FIXTURES_REQUIRED wineprefix)
    endif()
endfunction()
