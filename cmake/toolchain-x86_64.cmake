# 32-bit deliverables (i686) or the 64-bit build that the tests run under wine64 (x86_64).
set(TOOL_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
