// The kqltool commands. Each takes the arguments after its name, returns the exit code, and
// throws UsageError (exit 2) or InputError (exit 1) for the caller to report.
#pragma once

#include <string>
#include <vector>

int ConvertImageCommand(const std::vector<std::string>& args);
int RenderCommand(const std::vector<std::string>& args);
int InfoCommand(const std::vector<std::string>& args);

extern const char* const ConvertImageUsage;
extern const char* const RenderUsage;
extern const char* const InfoUsage;
