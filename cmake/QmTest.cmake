# qm_add_qt_test(<name> SOURCES <files...> LIBS <libraries...>)
# Builds one Qt Test executable that links the libraries under test (never their sources)
# and registers it with CTest, headless.
function(qm_add_qt_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_SOURCE_DIR=${CMAKE_SOURCE_DIR};QM_DIST_DIR=${CMAKE_SOURCE_DIR}/dist"
        TIMEOUT 600)
    if(QM_SANITIZE OR QM_FUZZ)
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${QM_SANITIZER_ENVIRONMENT})
    endif()
    add_dependencies(${name} qm_dist)
endfunction()
