# The same sources as a 64-bit Windows build: the build the Wine tests run on machines that cannot
# execute 32-bit x86 code (some virtual machines lack the 32-bit code segment).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TQ_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
