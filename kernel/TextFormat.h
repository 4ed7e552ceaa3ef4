// printf-style formatting of any length, shared by the log and String::Format.
#pragma once

#include <cstdarg>
#include <string>

std::string FormatText(const char* format, va_list arguments);
