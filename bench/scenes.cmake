# Scene costs: the blob deformation and frames per second of every scene, offscreen.
add_executable(bench_scenes ${CMAKE_CURRENT_SOURCE_DIR}/scenes_bench.cpp)
# The headless backend is an object library: linked directly so its objects are in.
target_link_libraries(bench_scenes PRIVATE vorrend_platform_headless vorrend_offscreen vorrend_core vorrend_test_shapes)
