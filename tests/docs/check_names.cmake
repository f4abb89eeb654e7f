# Checks the code names of a Markdown page: every `path/with.ext` it mentions
# must exist under SOURCE_DIR, and in every "`name` in `path`" (also
# "`a`, `b` and `c` in `path`") each name must appear in that file. Fails
# when fewer than MIN_NAMES such names are found, so that a page written in
# another form is not passed unchecked.
file(READ "${DOC}" text)
string(REGEX REPLACE "[ \n]+" " " text "${text}")  # a mention may span lines
set(problems "")

string(REGEX MATCHALL "`[A-Za-z0-9_.-]+/[A-Za-z0-9_./-]*\\.[A-Za-z]+`" paths "${text}")
foreach(path IN LISTS paths)
  string(REPLACE "`" "" path "${path}")
  if(NOT EXISTS "${SOURCE_DIR}/${path}")
    list(APPEND problems "no file ${path}")
  endif()
endforeach()

set(name "`[A-Za-z_][A-Za-z0-9_:]*`")
string(REGEX MATCHALL "(${name}(, | and ))*${name} in `[^`]+`" mentions "${text}")
set(checked 0)
foreach(mention IN LISTS mentions)
  string(REGEX REPLACE "^.* in `([^`]+)`$" "\\1" path "${mention}")
  string(REGEX REPLACE " in `[^`]+`$" "" names "${mention}")
  string(REGEX MATCHALL "${name}" names "${names}")
  if(NOT EXISTS "${SOURCE_DIR}/${path}")
    continue()  # already reported
  endif()
  file(READ "${SOURCE_DIR}/${path}" source)
  foreach(n IN LISTS names)
    string(REPLACE "`" "" n "${n}")
    math(EXPR checked "${checked} + 1")
    string(FIND "${source}" "${n}" at)
    if(at EQUAL -1)
      list(APPEND problems "no ${n} in ${path}")
    endif()
  endforeach()
endforeach()

if(checked LESS MIN_NAMES)
  list(APPEND problems "only ${checked} names checked, expected at least ${MIN_NAMES}")
endif()
if(problems)
  string(REPLACE ";" "\n  " problems "${problems}")
  message(FATAL_ERROR "${DOC}:\n  ${problems}")
endif()
message(STATUS "${DOC}: ${checked} names found in their files")
