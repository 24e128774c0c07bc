# Compiler settings shared by every target.
add_compile_options(-Wall -Wextra -ffp-contract=off)
if(WIN32)
  # Static runtime, no exceptions or RTTI to carry; release builds are stripped.
  add_compile_options(-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
  add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 __USE_MINGW_ANSI_STDIO=0)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # IEEE double arithmetic (the money rounding relies on it) rather than the x87 unit.
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  # Windows programs and their tests run under Wine, on the bench that scripts/winebench keeps.
  set(TQ_WINE_BENCH_DIR ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/winebench run ${TQ_WINE_BENCH_DIR})
endif()
