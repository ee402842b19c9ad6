# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-i686), for
# 32-bit hosts and the bridges that load 32-bit plug-ins into 64-bit hosts.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CORVANE_MINGW_PREFIX i686-w64-mingw32)
# The compiler's 32-bit default is x87 arithmetic, whose wider intermediates round differently:
# SSE2 gives the same bits as the 64-bit and Linux builds (and the DSP's vector path).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
