# Writes OUTPUT, the gzip-compressed manual page of PROGRAM, with help2man
# from the program's own --help and --version and the hand-written INCLUDE
# (name line, environment, examples, see also). The --help paragraph that starts
# "Exit status:" becomes the page's EXIT STATUS section, one entry per
# status, instead of a paragraph of the description.
#   cmake -D PROGRAM=... -D INCLUDE=... -D HELP2MAN=... -D GZIP=... -D OUTPUT=... -P manual_page.cmake
get_filename_component(name "${PROGRAM}" NAME)
get_filename_component(work "${OUTPUT}" DIRECTORY)
set(work "${work}/${name}.work")
file(MAKE_DIRECTORY "${work}")

foreach(option help version)
  execute_process(COMMAND "${PROGRAM}" --${option} RESULT_VARIABLE status OUTPUT_VARIABLE ${option}
                  ERROR_QUIET TIMEOUT 60)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --${option} failed (${status})")
  endif()
endforeach()

# Google Benchmark's usage is a bracketed list of its options after the word
# "benchmark": given to help2man as a list of options, one a line.
if(help MATCHES "^benchmark \\[")
  string(REGEX REPLACE "(^|\n)(benchmark)? *\\[([^\n]*)\\]" "\\1  \\3" help "${help}")
  set(help "Options:\n${help}")
endif()

# help2man escapes the --help text itself; this section is roff already.
string(REGEX MATCH "\n\nExit status: ([^\n]|\n[^\n])*" exit_paragraph "\n\n${help}")
set(include_text "")
if(exit_paragraph)
  string(REPLACE "${exit_paragraph}" "" help_without "\n\n${help}")
  string(REGEX REPLACE "^\n\n" "" help "${help_without}")
  string(REGEX REPLACE "^\n\nExit status: " "" statuses "${exit_paragraph}")
  string(REGEX REPLACE "[ \n]+" " " statuses "${statuses}")
  string(REPLACE "\\" "\\e" statuses "${statuses}")
  string(REPLACE "-" "\\-" statuses "${statuses}")
  # "0 success; 1 ...; 2 ..." -> one .TP entry per status.
  string(REGEX REPLACE "(^|; )([0-9]+) " "\n.TP\n.B \\2\n" statuses "${statuses}")
  set(include_text "[EXIT STATUS]${statuses}\n")
endif()
file(READ "${INCLUDE}" hand_written)
file(WRITE "${work}/include.h2m" "${hand_written}\n${include_text}")
file(WRITE "${work}/help.txt" "${help}")
file(WRITE "${work}/version.txt" "${version}")
# help2man runs a program: this one answers with the texts just taken.
file(WRITE "${work}/${name}"
     "#!/bin/sh\ncase \"$1\" in\n--version) exec cat '${work}/version.txt' ;;\n*) exec cat '${work}/help.txt' ;;\nesac\n")
file(CHMOD "${work}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

execute_process(COMMAND "${HELP2MAN}" --no-info --section=1 --include=${work}/include.h2m
                        --output=${work}/${name}.1 "${work}/${name}"
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${name} (${status}): ${errors}")
endif()
execute_process(COMMAND "${GZIP}" -9 -n -c "${work}/${name}.1" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${name} (${status})")
endif()
