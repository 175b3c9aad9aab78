// WideString: the wide (UTF-16) text of the component interfaces, as handed to and received
// from COM controls. Narrow text in the program is UTF-8.
#pragma once

#include "platform/com/Bstr.h"

#include <string>

using WideString = std::u16string;

inline WideString ToWideString(std::string_view utf8) { return Utf8ToUtf16(utf8); }
inline std::string FromWideString(std::u16string_view text) { return Utf16ToUtf8(text); }
