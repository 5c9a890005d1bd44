# Every target of ours calls pinmark_target_defaults(): warnings as errors, optional sanitizers.
function(pinmark_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
                                                 QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
    if(PINMARK_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                                 -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
