# Capture speed. bench_capture_stages: per-frame cost of rendering, reading back and
# PNG writing in every scene, and a late single picture with the short and the whole
# frame history. bench-capture (a target that runs it): the whole demo at 640 x 480,
# 60 fps, to MP4, wall time against the demo's 145 s.
add_executable(bench_capture_stages ${CMAKE_CURRENT_SOURCE_DIR}/capture_stages.cpp)
target_link_libraries(bench_capture_stages PRIVATE vorrend_platform_headless vorrend_capture_lib)

add_custom_target(bench-capture
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/capture_whole.sh $<TARGET_FILE:vorrend-capture> ${CMAKE_BINARY_DIR}
  DEPENDS vorrend-capture
  USES_TERMINAL
  COMMENT "Capturing the whole demo to MP4")
