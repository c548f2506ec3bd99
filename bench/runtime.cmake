# Live demo figures on a virtual display: start-up to first picture, frame rates.
pkg_check_modules(BENCH_X11 REQUIRED IMPORTED_TARGET x11)
add_executable(bench_runtime ${CMAKE_CURRENT_SOURCE_DIR}/runtime_frames.cpp
  ${PROJECT_SOURCE_DIR}/tests/runtime/demo_process.cpp ${PROJECT_SOURCE_DIR}/tests/support/test_data.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/test_ogg.cpp)
target_include_directories(bench_runtime PRIVATE ${PROJECT_SOURCE_DIR}/tests/runtime ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_runtime PRIVATE vorrend_platform_sdl vorrend_core vorrend_encoders PkgConfig::BENCH_X11)
target_compile_definitions(bench_runtime PRIVATE VORREND_EXE="$<TARGET_FILE:vorrend>")
add_dependencies(bench_runtime vorrend)
