# Start-up load time: the whole manifest on a data set the size of the real one.
add_executable(bench_assets ${CMAKE_CURRENT_SOURCE_DIR}/assets_load.cpp)
target_link_libraries(bench_assets PRIVATE vorrend_platform_headless vorrend_offscreen vorrend_core vorrend_test_data)
