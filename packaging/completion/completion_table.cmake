# Writes OUTPUT, the bash completion of PROGRAMS (a comma-separated list of
# paths), from TEMPLATE with the options table of each program filled in:
# its options as its --help lists them, and for each option that takes a
# value what may be completed there, asked of the program itself:
#  - the values its parser expects, from the error message for a value it
#    cannot take ("expected 'auto', 'egl' or 'x11'"; a "comma-separated list
#    of a, b, c" is a list), the program stopped by an unknown option after
#    it so that it never renders;
#  - file names where the value is a FILE, with the "word:" forms the help
#    names beside it (turntable:N).
#   cmake -D PROGRAMS=... -D TEMPLATE=... -D OUTPUT=... -P completion_table.cmake
string(REPLACE "," ";" programs "${PROGRAMS}")
set(TABLE "")
set(COMMANDS "")
foreach(program IN LISTS programs)
  get_filename_component(command "${program}" NAME)
  execute_process(COMMAND "${program}" --help RESULT_VARIABLE status OUTPUT_VARIABLE help TIMEOUT 60)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} --help failed (${status})")
  endif()
  # Each option line, "  --name VALUE   text" or "  -h, --help   text", with
  # the indented text below it, as one entry.
  # Only the names are taken from the text: no ";" or bracket of it may
  # split or join CMake list items.
  string(REGEX REPLACE "[][;]" "," help "${help}")
  string(REGEX REPLACE "\n  ((-[a-zA-Z], )?--[a-z0-9-]+)" "\n;\\1" entries "${help}")
  set(options "")
  set(kinds "")
  foreach(entry IN LISTS entries)
    if(NOT entry MATCHES "^(-([a-zA-Z]), )?(--[a-z0-9-]+)( ([A-Z]+))?")
      continue()
    endif()
    set(short "${CMAKE_MATCH_2}")
    set(option "${CMAKE_MATCH_3}")
    set(value "${CMAKE_MATCH_5}")
    string(REGEX REPLACE "\n\n.*" "" entry "${entry}")  # the option's own text only
    if(short)
      list(APPEND options "-${short}")
    endif()
    if(value STREQUAL "")
      list(APPEND options "${option}")
      continue()
    endif()
    list(APPEND options "${option}=")
    execute_process(COMMAND "${program}" "${option}=\\" --rasterwork-completion-probe
                    OUTPUT_QUIET ERROR_VARIABLE error TIMEOUT 60)
    set(kind "")
    set(words "")
    if(error MATCHES "expected ([^\n]*)")
      set(expected "${CMAKE_MATCH_1}")
      if(expected MATCHES "(.*)comma-separated list of (.*)")
        set(kind list)
        set(names "${CMAKE_MATCH_2}")
        string(REGEX MATCHALL "'[a-z0-9]+'" words "${CMAKE_MATCH_1}")
        # A name may take a value of its own (name=BITS): the name is offered.
        string(REGEX MATCHALL "[a-z0-9]+(=[A-Z]+)?" names "${names}")
        string(REGEX REPLACE "=[A-Z]+" "" names "${names}")
        list(APPEND words ${names})
      else()
        string(REGEX MATCHALL "'[a-z0-9]+'" words "${expected}")
        if(words)
          set(kind choice)
        endif()
      endif()
      string(REPLACE "'" "" words "${words}")
    endif()
    if(value STREQUAL "FILE" OR entry MATCHES "[ (]FILE[ ,.)]")
      set(kind file)
      string(REGEX MATCHALL "[a-z]+:[A-Z]" forms "${entry}")
      string(REGEX REPLACE ":[A-Z]" ":" words "${forms}")
    endif()
    if(kind)
      list(JOIN words " " words)
      string(APPEND kinds "            [${option}]='${kind} ${words}'\n")
    endif()
  endforeach()
  list(JOIN options " " options)
  string(APPEND TABLE "    ${command})\n        options=(${options})\n        kinds=(\n${kinds}        )\n        ;;\n")
  list(APPEND COMMANDS "${command}")
endforeach()
list(JOIN COMMANDS " " COMMANDS)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
