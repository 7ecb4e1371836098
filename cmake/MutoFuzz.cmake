# Fuzzing support.
#
# With clang and MUTO_FUZZ every target of the build is compiled with libFuzzer's coverage
# instrumentation (-fsanitize=fuzzer-no-link) and with AddressSanitizer and
# UndefinedBehaviorSanitizer, so the fuzzer sees the edges of the libraries it drives, not only
# those of the harness, and memory faults stop the run at once. The options are set here, before
# any library is defined, so every library linked into a fuzz target gets them; executables that
# are not fuzz targets (the unit tests) still link, as the sanitizer runtimes provide the
# coverage callbacks.
set(MUTO_LIBFUZZER OFF)
if(MUTO_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(MUTO_LIBFUZZER ON)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Each libFuzzer target leaves fuzz-targets/NAME.corpus in the build folder: its corpus paths,
# one a line. scripts/test.sh builds and runs every target listed there.
set(MUTO_FUZZ_MANIFEST_DIR ${CMAKE_BINARY_DIR}/fuzz-targets)
file(REMOVE_RECURSE ${MUTO_FUZZ_MANIFEST_DIR})

# muto_add_fuzz_target(NAME SOURCES ... LIBS ... CORPUS dir...)
# With clang and MUTO_FUZZ a libFuzzer binary; otherwise a plain main that replays the corpus
# (every file whole and cut short at many lengths). Either way a ctest runs the corpus once.
function(muto_add_fuzz_target name)
    cmake_parse_arguments(F "" "" "SOURCES;LIBS;CORPUS" ${ARGN})
    if(MUTO_LIBFUZZER)
        add_executable(${name} ${F_SOURCES})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        # Libraries defined before this file was included miss the global options above.
        foreach(lib IN LISTS F_LIBS)
            if(TARGET ${lib})
                get_target_property(imported ${lib} IMPORTED)
                get_target_property(type ${lib} TYPE)
                if(NOT imported AND NOT type STREQUAL "INTERFACE_LIBRARY")
                    target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link)
                endif()
            endif()
        endforeach()
        string(JOIN "\n" corpus_lines ${F_CORPUS})
        file(WRITE ${MUTO_FUZZ_MANIFEST_DIR}/${name}.corpus "${corpus_lines}\n")
    else()
        add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    endif()
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    if(MUTO_BUILD_TESTS AND F_CORPUS)
        add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${F_CORPUS})
    endif()
endfunction()
