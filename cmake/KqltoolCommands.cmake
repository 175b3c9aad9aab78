# cmake -DKQLTOOL=<kqltool> -DOUTPUT=<file> -P KqltoolCommands.cmake
# Writes a help2man include file whose COMMANDS section holds each kqltool command's own
# --help, as it prints it, so that kqltool(1) says everything --help says.
set(text "[COMMANDS]\n")
foreach(command convert-image render info capture)
  execute_process(COMMAND ${KQLTOOL} ${command} --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "kqltool ${command} --help failed: ${result}")
  endif()
  # Plain text in roff: backslashes escaped, lines kept as they are.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS ${command}\n.nf\n${help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
