# The Windows program's start-up under Wine beside the native program's.
add_executable(bench_windows_start ${CMAKE_CURRENT_SOURCE_DIR}/windows_start.cpp)
target_link_libraries(bench_windows_start PRIVATE vorrend_demo_process)
target_compile_definitions(bench_windows_start PRIVATE VORREND_EXE="$<TARGET_FILE:vorrend>"
  VORREND_WINDOWS_DIR="${PROJECT_SOURCE_DIR}/build-windows/vorrend" VORREND_WINE_RUN="${PROJECT_SOURCE_DIR}/scripts/wine-run.sh"
  VORREND_WINE_PREFIX="${CMAKE_BINARY_DIR}/windows/wine-prefix")
add_dependencies(bench_windows_start vorrend)
