# Writes a program's manual page from its own --help and --version texts, so the page never falls
# behind the program. The help text is set as it prints (no filling), each option readable as typed.
#   cmake -DPROGRAM=path -DNAME=vitrinex -DWHATIS="one line" -DSEE_ALSO=other -DOUTPUT=page.1 -P ManPage.cmake
foreach(option help version)
  execute_process(COMMAND ${PROGRAM} --${option} OUTPUT_VARIABLE ${option} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --${option} failed: ${status}")
  endif()
endforeach()
string(STRIP "${version}" version)

# Plain text in roff: backslashes and hyphens escaped, a line starting with a control character
# made literal.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

roff_text(help "${help}")
roff_text(whatis "${WHATIS}")
roff_text(name "${NAME}")
roff_text(see_also "${SEE_ALSO}")
string(TOUPPER "${name}" title)
file(WRITE ${OUTPUT}
  ".TH ${title} 1 \"\" \"${version}\" \"User Commands\"\n"
  ".SH NAME\n${name} \\- ${whatis}\n"
  ".SH DESCRIPTION\n.nf\n${help}.fi\n"
  ".SH SEE ALSO\n\\fB${see_also}\\fR(1)\n")
