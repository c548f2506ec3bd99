# Start-up load time: the whole manifest on a data set the size of the real one.
add_executable(bench_assets ${CMAKE_CURRENT_SOURCE_DIR}/assets_load.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/test_data.cpp)
target_include_directories(bench_assets PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_assets PRIVATE vorrend_platform_headless vorrend_offscreen vorrend_core vorrend_encoders)
