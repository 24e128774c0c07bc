# Compiler settings shared by every target.
add_compile_options(-Wall -Wextra -ffp-contract=off)
# Release builds are made small (-Os); the measuring kernels alone are made fast (-O3, CMakeLists.txt).
string(REGEX REPLACE "(^| )-O[0-9s]( |$)" "\\1-Os\\2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
string(REGEX REPLACE "(^| )-O[0-9s]( |$)" "\\1-Os\\2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
if(WIN32)
  # Static runtime, no exceptions or RTTI to carry; release builds are stripped.
  add_compile_options(-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
  # Each function in a section of its own, so that the link leaves out the functions nothing calls.
  add_compile_options(-ffunction-sections)
  add_link_options(-Wl,--gc-sections)
  # Release builds smaller still: GCC's -Oz, and no frame pointer, which mingw's 32-bit GCC keeps
  # by default. (Link-time optimization would save 12 KB more, but GCC 12's for mingw fails inside
  # when it splits the link, and otherwise warns that it finds no symbol for std::string's npos.)
  string(REGEX REPLACE "(^| )-Os( |$)" "\\1-Oz\\2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
  string(REGEX REPLACE "(^| )-Os( |$)" "\\1-Oz\\2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
  add_compile_options($<$<CONFIG:Release>:-fomit-frame-pointer>)
  add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 __USE_MINGW_ANSI_STDIO=0)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # IEEE double arithmetic (the money rounding relies on it) rather than the x87 unit.
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  # Windows programs and their tests run under Wine, on the bench that scripts/winebench keeps.
  set(TQ_WINE_BENCH_DIR ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/winebench run ${TQ_WINE_BENCH_DIR})
endif()

# A Windows program linked without the prebuilt libraries' unwind tables (drop_unwind_tables.ld).
function(tq_drop_unwind_tables target)
  set(script ${PROJECT_SOURCE_DIR}/cmake/drop_unwind_tables.ld)
  target_link_options(${target} PRIVATE -Wl,-T,${script})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()

# The program's own code formats with the C runtime's printf family, as __USE_MINGW_ANSI_STDIO=0
# asks. libstdc++'s configuration header (os_defines.h) sets that macro to 1 whenever a C++ header
# is read, and on i686 with SSE2 <windows.h> reads one (winnt.h, emmintrin.h, mm_malloc.h,
# <stdlib.h>): a file whose <stdio.h> came after <windows.h> took mingw's own formatter, some 17 KB
# of code. Reading <stdio.h> before anything else keeps the setting. It is the default of every
# library and program that the top-level CMakeLists.txt makes (the program's own code, so that a new
# target cannot miss it); the tests, made in tests/, are left as they are.
function(tq_crt_stdio_default)
  get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "EXECUTABLE")
      target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include stdio.h>")
    endif()
  endforeach()
endfunction()
if(WIN32)
  # Run once the top-level directory has made all its targets.
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tq_crt_stdio_default)
endif()

# A native build with AddressSanitizer and UndefinedBehaviorSanitizer: its tests join `make test`
# under names beginning with "sanitize.".
option(TQ_SANITIZE "Build the native code and tests with address and undefined-behaviour sanitizers" OFF)
# The fuzz build (clang): every library instrumented for libFuzzer, with both sanitizers.
option(TQ_FUZZ "Build the libFuzzer targets under fuzz/" OFF)
set(TQ_TEST_PREFIX "")
if(TQ_SANITIZE OR TQ_FUZZ)
  set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitizers})
  add_link_options(${sanitizers})
  set(TQ_TEST_PREFIX "sanitize.")
endif()
if(TQ_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
