# Build options shared by every target of the project.
#   QM_WERROR    warnings are errors (CI turns it on; a packager's newer compiler need not fail)
#   QM_SANITIZE  AddressSanitizer and UndefinedBehaviorSanitizer in everything built, tests included
#   QM_FUZZ      libFuzzer build (clang): the libraries carry coverage and the sanitizers, the fuzz/
#                targets link libFuzzer; without it the fuzz targets replay their corpora as tests
option(QM_WERROR "Treat compiler warnings as errors" OFF)
option(QM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QM_FUZZ "Build the fuzz targets with libFuzzer (clang only)" OFF)

set(QM_WARNING_FLAGS -Wall -Wextra)
if(QM_WERROR)
    list(APPEND QM_WARNING_FLAGS -Werror)
endif()

set(QM_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
if(QM_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "QM_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(${QM_SANITIZER_FLAGS} -fsanitize=fuzzer-no-link)
    add_link_options(-fsanitize=address,undefined)
elseif(QM_SANITIZE)
    add_compile_options(${QM_SANITIZER_FLAGS})
    add_link_options(-fsanitize=address,undefined)
endif()

# What the sanitizers are told at run time: stop at the first undefined behaviour with a stack;
# leaks count, except the system-library ones cmake/lsan.supp lists with the reason for each.
set(QM_SANITIZER_ENVIRONMENT
    "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")

# Adds the warning flags to every target compiled in <dir> and below (called once at the end of
# the top-level list, so a new folder needs nothing of its own).
function(qm_apply_warnings dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            target_compile_options(${target} PRIVATE ${QM_WARNING_FLAGS})
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        qm_apply_warnings(${sub})
    endforeach()
endfunction()
