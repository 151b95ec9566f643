# On Linux, beside the native build: the Windows program cross-built for x86_64 with its tests,
# which run under Wine, and for i686, only compiled; and the core built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, with its tests and fuzz targets. All their
# tests join this tree's CTest run.
include(ExternalProject)

foreach(arch x86_64 i686)
    find_program(MINGW_${arch} ${arch}-w64-mingw32-g++-posix)
    if(NOT MINGW_${arch})
        message(FATAL_ERROR "${arch}-w64-mingw32-g++-posix not found: install mingw-w64 "
                            "(scripts/setup), or configure with -DONLINE_TIMER_EXTRA_BUILDS=OFF")
    endif()
    set(tests OFF)
    if(arch STREQUAL x86_64)
        set(tests ${ONLINE_TIMER_TESTS})
    endif()
    ExternalProject_Add(windows-${arch}
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-${arch}.cmake
            # Small beats fast for a program that runs all day and ticks once a second.
            -DCMAKE_BUILD_TYPE=MinSizeRel
            -DONLINE_TIMER_TESTS=${tests}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON
    )
endforeach()

if(ONLINE_TIMER_TESTS)
    find_program(CLANGXX clang++ REQUIRED)
    ExternalProject_Add(sanitized
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/sanitized
        CMAKE_ARGS
            -DCMAKE_CXX_COMPILER=${CLANGXX}
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
            -DONLINE_TIMER_SANITIZE=address,undefined
            -DONLINE_TIMER_FUZZ=ON
            -DONLINE_TIMER_EXTRA_BUILDS=OFF
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON
    )
    set(include_file ${CMAKE_BINARY_DIR}/extra-tests.cmake)
    file(WRITE ${include_file}
         "subdirs(\"${CMAKE_BINARY_DIR}/windows-x86_64\" \"${CMAKE_BINARY_DIR}/sanitized\")\n")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endif()
