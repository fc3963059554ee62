# Makes a program's manual page from its --help text (cmake -P):
#   -DPROGRAM=path -DNAME=name -DSUMMARY="one line" -DVERSION=x.y.z -DOUTPUT=name.1.gz
# The text is kept as the program prints it (a no-fill block), so the page
# and --help never disagree.
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status
                ERROR_QUIET ENCODING UTF-8)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help gave status ${status}")
endif()
# roff: a backslash is \e; a line that begins with . or ' would be a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" title)
set(page ".TH ${title} 1 \"\" \"Velnor ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${SUMMARY}\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${help}\n.fi\n")
string(APPEND page ".SH SEE ALSO\n/usr/share/doc/velnor/README.md\n")
get_filename_component(plain "${OUTPUT}" NAME_WLE)
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(WRITE "${folder}/${plain}" "${page}")
# Debian wants manual pages compressed, reproducibly.
execute_process(COMMAND gzip -9nf "${folder}/${plain}" RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${NAME}")
endif()
