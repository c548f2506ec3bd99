// Where the data folder is: the one search both programs make before anything opens.
#pragma once
#include <string>

bool findDataFolder(const std::string& chosen, const std::string& executable, std::string* folder, std::string* error);
// chosen (--data) when given: that folder, which must exist. Otherwise the first that
// exists of: data/ in the working directory (kept relative, as ever); the data
// installed with the program, ../share/vorrend/data beside the executable's folder;
// the build tree's data/ beside the executable. folder ends in '/'. False with one
// line naming every place looked at when there is none.

std::string executablePath();
// This process's own executable, empty when it cannot be read (platform/posix/,
// platform/windows/).
