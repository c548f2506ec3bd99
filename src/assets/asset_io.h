// What the picture and mesh loaders share: reading a file whole, and pixel rows
// handed to GL with no padding.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

bool openForReading(const char* fileName, std::FILE** file, std::string* error);
// openDataFile with the data files' size limit; false with the reason ("cannot open:
// No such file or directory", "cannot open: not a regular file") when that fails or
// the name is null.

bool readWholeFile(std::FILE* file, std::vector<uint8_t>* bytes, std::string* error);
// Appends the rest of the file to *bytes; false with a reason on a read error or
// past the data files' size limit. Does not close the file.

// GL pack and unpack alignment 1 while it lives, so rows of any width go up and
// come back as they stand; the caller's values are restored afterwards.
class TightRowAlignment {
  public:
    TightRowAlignment();
    ~TightRowAlignment();
    TightRowAlignment(const TightRowAlignment&) = delete;
    TightRowAlignment& operator=(const TightRowAlignment&) = delete;

  private:
    int pack_ = 4, unpack_ = 4;
};
