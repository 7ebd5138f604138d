# SPDX-License-Identifier: GPL-3.0-or-later
# QUARNEL_SANITIZE=ON builds everything with AddressSanitizer (and its leak
# checker) and UndefinedBehaviorSanitizer, and with the standard library's
# own checks of its preconditions (a negative magnitude for std::polar, an
# index out of range), which some distributions build their packages with.
# Any undefined behaviour stops the program, so a test cannot pass over it. The tests' environment (suppressions
# for the system libraries' leaks, halting on the first error) is set in
# tests/CMakeLists.txt.
option(QUARNEL_SANITIZE "Build with AddressSanitizer, LeakSanitizer and UBSan" OFF)

if(QUARNEL_SANITIZE)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        message(FATAL_ERROR "QUARNEL_SANITIZE needs g++ or clang++")
    endif()
    set(quarnel_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined)
    add_compile_options(${quarnel_sanitizers} -fno-omit-frame-pointer -g)
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
    add_link_options(${quarnel_sanitizers})
    message(STATUS "Sanitizers: address, leak, undefined; library assertions")
endif()
