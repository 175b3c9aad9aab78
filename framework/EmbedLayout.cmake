# cmake -DINPUT=<file.layout> -DOUTPUT=<file.cpp> -DNAME=<identifier> -P EmbedLayout.cmake
# Writes a C++ source whose function LayoutResource_<NAME>() returns the layout's text.
file(READ "${INPUT}" text)
string(FIND "${text}" ")quellon_layout\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter )quellon_layout\"")
endif()
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; edit the layout file instead.\n"
  "#include \"framework/LayoutResource.h\"\n\n"
  "QUELLON_LAYOUT_RESOURCE(${NAME})\n{\n"
  "    return R\"quellon_layout(${text})quellon_layout\";\n}\n")
