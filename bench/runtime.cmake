# Live demo figures on a virtual display: start-up to first picture, frame rates.
add_executable(bench_runtime ${CMAKE_CURRENT_SOURCE_DIR}/runtime_frames.cpp)
target_link_libraries(bench_runtime PRIVATE vorrend_platform_sdl vorrend_core vorrend_demo_process vorrend_test_data)
target_compile_definitions(bench_runtime PRIVATE VORREND_EXE="$<TARGET_FILE:vorrend>")
add_dependencies(bench_runtime vorrend)
