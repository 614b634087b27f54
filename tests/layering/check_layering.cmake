cmake_minimum_required(VERSION 3.25)
# Fails when a file of a layer without widgets includes a widget header or a header of a layer
# above it. Run with: cmake -DSOURCE_DIR=... -DWIDGETS_INCLUDE_DIR=... -P check_layering.cmake
# The link lines already keep Qt Widgets out of these libraries' include paths; this catches what
# they cannot: the project's own window headers, reachable through the source-tree include path.

# Folders (or single files) that must stay free of widgets, and the windows inside them (with the
# glue that opens them from a menu entry, named ...Actions).
set(widget_free geo core licence data batch setup search zip info lookup service)
set(windows_regex "(^|/)(T(frm)?[A-Z][A-Za-z]*|[A-Za-z]*(Window|Actions))\\.(h|cpp)$")
set(upper_layers app ui search batch zip setup info)

file(GLOB widget_headers RELATIVE ${WIDGETS_INCLUDE_DIR} ${WIDGETS_INCLUDE_DIR}/Q*)
list(FILTER widget_headers EXCLUDE REGEX "\\.")   # the class headers (QWidget), not qwidget.h

set(failures "")
foreach(dir IN LISTS widget_free)
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${dir})
        continue()
    endif()
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
    foreach(f IN LISTS files)
        if(f MATCHES "${windows_regex}")
            continue()
        endif()
        file(STRINGS ${SOURCE_DIR}/${f} includes REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
            set(bad "")
            if(header MATCHES "^QtWidgets/" OR header MATCHES "^q[a-z]+\\.h$" AND EXISTS ${WIDGETS_INCLUDE_DIR}/${header})
                set(bad "a Qt Widgets header")
            elseif(header IN_LIST widget_headers)
                set(bad "a Qt Widgets header")
            else()
                string(REGEX MATCH "^[a-z]+/" top "${header}")
                string(REPLACE "/" "" top "${top}")
                if(top IN_LIST upper_layers AND NOT top STREQUAL dir)
                    set(bad "a header of the ${top} layer")
                elseif(top STREQUAL dir AND header MATCHES "${windows_regex}")
                    set(bad "a window header")
                endif()
            endif()
            if(bad)
                string(APPEND failures "  ${f}: includes ${header} (${bad})\n")
            endif()
        endforeach()
    endforeach()
endforeach()

# Link lines: a widget-free library links neither Qt Widgets nor a library of windows.
set(window_libraries qm_ui qm_app qm_data_ui qm_search qm_zip qm_setup qm_info qm_batch)
if(DEFINED LINK_LINES)
    file(STRINGS ${LINK_LINES} lines)
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^([^:]+):.*$" "\\1" target "${line}")
        string(REGEX REPLACE "^[^:]+: *" "" linked "${line}")
        foreach(lib IN LISTS linked)
            if(lib MATCHES "Widgets" OR lib IN_LIST window_libraries)
                string(APPEND failures "  ${target}: links ${lib}\n")
            endif()
        endforeach()
    endforeach()
endif()

if(failures)
    message(FATAL_ERROR "Logic must not depend on windows:\n${failures}")
endif()
message(STATUS "layering: logic files include no widgets and logic libraries link none")
