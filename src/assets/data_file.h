// Opening the demo's data files. Only regular files are read: a FIFO, a device or a
// folder in place of a file fails at once with its reason (a FIFO without waiting
// for a writer), and so does a file larger than the caller's limit.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

// No picture or mesh of the demo comes near this; the streamed soundtrack has no limit.
constexpr uint64_t maxDataFileBytes = uint64_t(256) << 20;

std::FILE* openDataFile(const char* path, uint64_t maxBytes, std::string* why);
// An "rb" stream on the file; null with the reason ("No such file or directory",
// "Is a directory", "not a regular file", "larger than 256 MiB") otherwise.
