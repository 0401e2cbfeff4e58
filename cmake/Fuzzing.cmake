# The fuzz targets and their twin libraries.

# client_fuzzing_twin(<library>)
# The same sources as <library>, compiled again with libFuzzer's coverage as
# <library>_fuzzing, for the fuzz targets of tests/. The twin links what
# <library> links publicly, each library replaced by its own twin where it has
# one, so that the coverage reaches every loader a target goes through. The
# twins are optimised (-O1, as libFuzzer advises) though the build is a debug
# one: inputs that the limits let through may take seconds of real work, which
# unoptimised code under ASan would stretch past the fuzzers' time-out. Only in
# builds with CLIENT_BUILD_FUZZERS.
function(client_fuzzing_twin library)
    if(NOT CLIENT_BUILD_FUZZERS)
        return()
    endif()
    get_target_property(sources ${library} SOURCES)
    get_target_property(linked ${library} INTERFACE_LINK_LIBRARIES)
    set(twin_linked)
    foreach(dependency ${linked})
        if(TARGET ${dependency}_fuzzing)
            list(APPEND twin_linked ${dependency}_fuzzing)
        else()
            list(APPEND twin_linked ${dependency})
        endif()
    endforeach()
    add_library(${library}_fuzzing STATIC ${sources})
    target_include_directories(${library}_fuzzing PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${library}_fuzzing PRIVATE -fsanitize=fuzzer-no-link -O1)
    target_link_libraries(${library}_fuzzing PUBLIC ${twin_linked})
endfunction()

# client_add_fuzz_target(<name> SOURCE <file> LIBRARY <library> [ARGUMENTS <libFuzzer option>...])
# The fuzz target fuzz_<name> over <library>, its committed corpus in
# corpus/<name> of the calling folder. Two tests:
#   fuzz_<name>         (builds with libFuzzer, label fuzz) fuzzes for a bounded
#                       time from the corpus; what it finds goes to the build
#                       tree, never into the corpus.
#   fuzz_<name>.corpus  (every Linux build) runs each input of the corpus once:
#                       the seeds and the inputs kept from earlier fuzzing are
#                       regression tests. With libFuzzer the target itself runs
#                       them; elsewhere tests/FuzzReplay.cpp does.
# The caller adds what else the target needs (definitions, say) to fuzz_<name>
# and, where it exists, fuzz_<name>_replay.
function(client_add_fuzz_target name)
    cmake_parse_arguments(F "" "SOURCE;LIBRARY" "ARGUMENTS" ${ARGN})
    if(WIN32)
        return()
    endif()
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
    set(test fuzz_${name})
    if(CLIENT_BUILD_FUZZERS)
        add_executable(${test} ${F_SOURCE})
        target_compile_options(${test} PRIVATE -fsanitize=fuzzer)
        target_link_options(${test} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${test} PRIVATE ${F_LIBRARY}_fuzzing)
        set(found ${CMAKE_CURRENT_BINARY_DIR}/corpus/${name})
        file(MAKE_DIRECTORY ${found})
        add_test(NAME ${CLIENT_TEST_PREFIX}${test}
                 COMMAND ${test} -max_total_time=60 -timeout=10 -rss_limit_mb=2048 ${F_ARGUMENTS}
                         -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${test}-
                         ${found} ${corpus})
        set_tests_properties(${CLIENT_TEST_PREFIX}${test} PROPERTIES TIMEOUT 180 LABELS fuzz)
        add_test(NAME ${CLIENT_TEST_PREFIX}${test}.corpus
                 COMMAND ${test} -runs=0 -timeout=10 -rss_limit_mb=2048 ${F_ARGUMENTS} ${corpus})
    else()
        add_executable(${test}_replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/tests/FuzzReplay.cpp)
        target_link_libraries(${test}_replay PRIVATE ${F_LIBRARY})
        add_test(NAME ${CLIENT_TEST_PREFIX}${test}.corpus COMMAND ${test}_replay ${corpus})
    endif()
    set_tests_properties(${CLIENT_TEST_PREFIX}${test}.corpus PROPERTIES TIMEOUT 300)
endfunction()
