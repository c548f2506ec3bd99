# Data generation time: each part alone (pictures, meshes, synthesis, Vorbis
# encoding) and the whole folder with one and with two threads.
add_executable(bench_datagen ${CMAKE_CURRENT_SOURCE_DIR}/datagen_bench.cpp)
target_link_libraries(bench_datagen PRIVATE vorrend_datagen)
