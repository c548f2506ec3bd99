// The command lines of vorrend and vorrend-capture, both on CLI11: it reads the
// arguments (--opt VALUE and --opt=VALUE alike) and writes the help; this adds the
// exit codes and messages both programs share.
#pragma once
#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

void setUpCommandLine(CLI::App& app, const std::string& description, const std::string& exitStatus);
// -h/--help and -V/--version ("NAME VERSION"); the help shows the usage line, the
// description, the options, then "Exit status: " and exitStatus. A repeated option
// takes its last value, as usual.

int parseCommandLine(CLI::App& app, int argc, const char* const* argv, std::string* out, std::string* err);
// -1: go on. 0: --help or --version, with its text in *out. 2: a usage error, with
// one line naming it ("NAME: what is wrong") and one pointing at --help in *err.

int usageError(const CLI::App& app, const std::string& why, std::string* err);
// The same for a fault found after parsing: *err = "NAME: why" and the pointer; 2.

// Values as the options take them, the whole text or nothing.
bool parseWhole(const std::string& text, int64_t* value);          // 0 .. 999999999
bool parseSeconds(const std::string& text, double* value);         // a finite decimal
bool parseSize(const std::string& text, int* width, int* height);  // WIDTHxHEIGHT
