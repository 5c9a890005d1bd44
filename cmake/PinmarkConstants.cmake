# The four addresses the program is built with. Other builds (the demo, the tests) set them
# on the cmake command line; a value of the wrong form stops configuration here rather than
# producing a program that posts broken links.
set(PINMARK_GALLERY_URL "https://www.velmora.net/fmm/fe/moq.htm" CACHE STRING "Gallery page shown at start")
set(PINMARK_LINK_TARGET_URL "https://www.velmora.net/" CACHE STRING "Link target of the generated codes")
set(PINMARK_PORTAL_URL "https://www.velmora.net" CACHE STRING "Publisher site opened by the site button")
set(PINMARK_PUBLISHER_HOST "www.velmora.net" CACHE STRING "Host name shown on a right-button press")

if(NOT PINMARK_GALLERY_URL MATCHES "^[A-Za-z][A-Za-z0-9+.-]*://[^/]+/fmm/fe/moq\\.htm$")
    message(FATAL_ERROR "PINMARK_GALLERY_URL must be an absolute address ending in "
                        "\"/fmm/fe/moq.htm\"; got \"${PINMARK_GALLERY_URL}\"")
endif()
if(NOT PINMARK_LINK_TARGET_URL MATCHES "^[A-Za-z][A-Za-z0-9+.-]*://[^/]+(/.*)?/$")
    message(FATAL_ERROR "PINMARK_LINK_TARGET_URL must be an absolute address ending in \"/\"; "
                        "got \"${PINMARK_LINK_TARGET_URL}\"")
endif()
if(NOT PINMARK_PORTAL_URL MATCHES "^[A-Za-z][A-Za-z0-9+.-]*://[^/?#]+$")
    message(FATAL_ERROR "PINMARK_PORTAL_URL must be a site root (scheme and host, no path and no "
                        "trailing slash); got \"${PINMARK_PORTAL_URL}\"")
endif()
if(PINMARK_PUBLISHER_HOST STREQUAL "" OR PINMARK_PUBLISHER_HOST MATCHES "[/: ]")
    message(FATAL_ERROR "PINMARK_PUBLISHER_HOST must be a bare host name; got \"${PINMARK_PUBLISHER_HOST}\"")
endif()
foreach(value IN ITEMS "${PINMARK_GALLERY_URL}" "${PINMARK_LINK_TARGET_URL}" "${PINMARK_PORTAL_URL}" "${PINMARK_PUBLISHER_HOST}")
    if(value MATCHES "[\"\\\\]")
        message(FATAL_ERROR "Build-time addresses may not hold quotes or backslashes: \"${value}\"")
    endif()
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/config.h.in ${CMAKE_BINARY_DIR}/generated/pinmark/config.h @ONLY)
add_library(pinmark_config INTERFACE)
target_include_directories(pinmark_config INTERFACE ${CMAKE_BINARY_DIR}/generated)
