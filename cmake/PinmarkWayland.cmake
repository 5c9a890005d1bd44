# Wayland clients of the project's own: the Wayland clipboard keeper and the tests' input clients.
# The client library and wayland-scanner come with libwayland-dev; without it
# PINMARK_WAYLAND_FOUND is false and the callers say what that leaves out.
find_package(PkgConfig)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(PINMARK_WAYLAND_CLIENT IMPORTED_TARGET GLOBAL wayland-client)
endif()
find_program(PINMARK_WAYLAND_SCANNER wayland-scanner)
if(PINMARK_WAYLAND_CLIENT_FOUND AND PINMARK_WAYLAND_SCANNER)
    set(PINMARK_WAYLAND_FOUND TRUE)
    # wayland-scanner writes C.
    enable_language(C)
else()
    set(PINMARK_WAYLAND_FOUND FALSE)
endif()

# pinmark_wayland_client(target PROTOCOLS xml...): target speaks these protocols; for each
# NAME.xml it includes "NAME-client.h".
function(pinmark_wayland_client target)
    cmake_parse_arguments(W "" "" "PROTOCOLS" ${ARGN})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-protocols)
    foreach(xml IN LISTS W_PROTOCOLS)
        get_filename_component(name ${xml} NAME_WE)
        add_custom_command(
            OUTPUT ${out}/${name}-client.h ${out}/${name}-protocol.c
            COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
            COMMAND ${PINMARK_WAYLAND_SCANNER} client-header ${xml} ${out}/${name}-client.h
            COMMAND ${PINMARK_WAYLAND_SCANNER} private-code ${xml} ${out}/${name}-protocol.c
            DEPENDS ${xml})
        target_sources(${target} PRIVATE ${out}/${name}-client.h ${out}/${name}-protocol.c)
    endforeach()
    target_include_directories(${target} PRIVATE ${out})
    target_link_libraries(${target} PRIVATE PkgConfig::PINMARK_WAYLAND_CLIENT)
endfunction()
