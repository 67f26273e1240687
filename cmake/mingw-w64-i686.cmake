# Cross-compiles for 32-bit Windows: the plant PCs with a 32-bit Windows 7.
set(HDQ_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
