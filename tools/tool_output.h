#pragma once

#include <string>

// What the command-line tools say on their own streams.

// Writes "<program>: <message>" as one line on standard error; returns status.
int failWith(const std::string& program, int status, const std::string& message);

// Writes text (help, version) to standard output: 0, or 1 after one line on
// standard error when it could not be written (a closed or full output).
int printOrFail(const std::string& program, const std::string& text);
