// Layouts embedded into the program. quellon_embed_layouts(<target> <file>.layout ...) in
// framework/CMakeLists.txt turns each file into a function returning its text; the window
// code declares it with QUELLON_LAYOUT_RESOURCE(<file name without extension>) and reads it:
//
//   QUELLON_LAYOUT_RESOURCE(Unit1);
//   ReadLayout(*this, LayoutResource_Unit1(), "Unit1.layout");
//
// The text is static and lives for the whole process.
#pragma once

#include <string_view>

#define QUELLON_LAYOUT_RESOURCE(Name) std::string_view LayoutResource_##Name()
