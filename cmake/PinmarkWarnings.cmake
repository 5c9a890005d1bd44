# Every target of ours calls pinmark_target_defaults(): warnings (as errors where the build sets
# CMAKE_COMPILE_WARNING_AS_ERROR, as the test and asan presets do), optional sanitizers.
# Tests pass TEST: they may write their string tables as plain literals.
function(pinmark_target_defaults target)
    cmake_parse_arguments(D "TEST" "" "" ${ARGN})
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
    if(NOT D_TEST)
        target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII)
    endif()
    if(PINMARK_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                                 -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
