# Run with -DSOURCE_DIR=<src>: fails when a file of the engine, the web client or the SOCKS handshake
# under both includes a header of a folder above them (settings, profiles, views, queue, shell, ...).
# Each folder may include itself and the folders listed after it.
cmake_minimum_required(VERSION 3.25)
set(rules
    "engine proxy ui common platform"
    "web proxy ui common platform"
    "proxy ui common platform")
set(violations "")
foreach(rule IN LISTS rules)
    string(REPLACE " " ";" allowed "${rule}")
    list(GET allowed 0 folder)
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^#include \"[a-z_]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
            if(NOT target IN_LIST allowed)
                string(APPEND violations "\n  ${source}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "includes from a layer above:${violations}")
endif()
