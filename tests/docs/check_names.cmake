# Checks the code names a text mentions.
#
# DOC, a Markdown page: every `path/with.ext` it mentions must exist under
# SOURCE_DIR, and in every "`name` in `path`" (also "`a`, `b` and `c` in
# `path`") each name must appear in that file.
#
# CODE, a comma-separated list of folders and files under SOURCE_DIR: the same in the
# comments (//) of their .cpp and .h files, where a mention is also written
# without backticks ("fillSpan in fill_span.cpp"). There a name counts when
# it looks like code (backticks, "()", a capital inside it, '_' or '::'), so
# that an English word before "in" is not taken for one; a path is taken from
# the top of the tree, then from the commenting file's folder, and a bare
# file name may be any file of that name in CODE. A path into one of our
# folders must exist, in a mention or not.
#
# Fails when fewer than MIN_NAMES names are found, so that a text written in
# another form is not passed unchecked.
cmake_policy(SET CMP0007 NEW)  # comment lists keep their empty lines
set(problems "")
set(checked 0)

set(name "`[A-Za-z_][A-Za-z0-9_:]*`")
set(codeName "`?[A-Za-z_][A-Za-z0-9_:]*(\\(\\))?`?")
set(codePath "`?[A-Za-z0-9_./-]+\\.(cpp|h)`?")
set(ourFolders "base|guard|math|scene|view|raster|examine|gl|frame|app|tools|bench|web|packaging|tests|docs|scripts")

# Appends to `problems` each of `names` (a list of mentions' names) that none
# of the files at `paths` holds; counts them in `checked`.
function(check_names_in names paths label)
  set(source "")
  foreach(path IN LISTS paths)
    file(READ "${path}" content)
    string(APPEND source "${content}")
  endforeach()
  foreach(n IN LISTS names)
    string(REGEX REPLACE "[`()]" "" n "${n}")
    math(EXPR checked "${checked} + 1")
    string(FIND "${source}" "${n}" at)
    if(at EQUAL -1)
      list(APPEND problems "no ${n} in ${label}")
    endif()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
  set(checked "${checked}" PARENT_SCOPE)
endfunction()

if(DEFINED DOC)
  file(READ "${DOC}" text)
  string(REGEX REPLACE "[ \n]+" " " text "${text}")  # a mention may span lines

  string(REGEX MATCHALL "`[A-Za-z0-9_.-]+/[A-Za-z0-9_./-]*\\.[A-Za-z]+`" paths "${text}")
  foreach(path IN LISTS paths)
    string(REPLACE "`" "" path "${path}")
    if(NOT EXISTS "${SOURCE_DIR}/${path}")
      list(APPEND problems "no file ${path}")
    endif()
  endforeach()

  string(REGEX MATCHALL "(${name}(, | and ))*${name} in `[^`]+`" mentions "${text}")
  foreach(mention IN LISTS mentions)
    string(REGEX REPLACE "^.* in `([^`]+)`$" "\\1" path "${mention}")
    string(REGEX REPLACE " in `[^`]+`$" "" names "${mention}")
    string(REGEX MATCHALL "${name}" names "${names}")
    if(EXISTS "${SOURCE_DIR}/${path}")  # else already reported
      check_names_in("${names}" "${SOURCE_DIR}/${path}" "${path}")
    endif()
  endforeach()
endif()

if(DEFINED CODE)
  string(REPLACE "," ";" CODE "${CODE}")
  set(files "")
  foreach(entry IN LISTS CODE)
    if(IS_DIRECTORY "${SOURCE_DIR}/${entry}")
      file(GLOB_RECURSE found RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${entry}/*.cpp"
           "${SOURCE_DIR}/${entry}/*.h")
      list(APPEND files ${found})
    else()
      list(APPEND files "${entry}")
    endif()
  endforeach()

  foreach(file IN LISTS files)
    file(READ "${SOURCE_DIR}/${file}" source)
    string(REPLACE ";" "," source "${source}")
    string(REGEX MATCHALL "//[^\n]*" comments "${source}")
    list(TRANSFORM comments REPLACE "^//+ *" "")
    list(JOIN comments " " text)  # a mention may span comment lines
    set(text " ${text}")
    get_filename_component(folder "${file}" DIRECTORY)

    # Paths into our folders, in a mention or not.
    string(REGEX MATCHALL "[ `(](${ourFolders})/[A-Za-z0-9_./-]*\\.(cpp|h)" paths "${text}")
    foreach(path IN LISTS paths)
      string(REGEX REPLACE "^[ `(]" "" path "${path}")
      if(NOT EXISTS "${SOURCE_DIR}/${path}" AND NOT EXISTS "${SOURCE_DIR}/${folder}/${path}")
        list(APPEND problems "no file ${path} (a comment in ${file})")
      endif()
    endforeach()

    string(REGEX MATCHALL "(${codeName}(, | and ))*${codeName} in ${codePath}" mentions "${text}")
    foreach(mention IN LISTS mentions)
      string(REGEX REPLACE "^.* in `?([^`]+)`?$" "\\1" path "${mention}")
      string(REGEX REPLACE " in ${codePath}$" "" names "${mention}")
      string(REGEX MATCHALL "${codeName}" names "${names}")
      set(code "")
      foreach(n IN LISTS names)
        if(n MATCHES "^`|\\(\\)$|[a-z0-9][A-Z]|_|::")
          list(APPEND code "${n}")
        endif()
      endforeach()
      if(NOT code)
        continue()
      endif()
      set(where "")
      if(EXISTS "${SOURCE_DIR}/${path}")
        set(where "${SOURCE_DIR}/${path}")
      elseif(EXISTS "${SOURCE_DIR}/${folder}/${path}")
        set(where "${SOURCE_DIR}/${folder}/${path}")
      elseif(NOT path MATCHES "/")
        foreach(other IN LISTS files)
          get_filename_component(base "${other}" NAME)
          if(base STREQUAL path)
            list(APPEND where "${SOURCE_DIR}/${other}")
          endif()
        endforeach()
      endif()
      if(where STREQUAL "")
        list(APPEND problems "no file ${path} (a comment in ${file})")
      else()
        check_names_in("${code}" "${where}" "${path} (a comment in ${file})")
      endif()
    endforeach()
  endforeach()
endif()

if(checked LESS MIN_NAMES)
  list(APPEND problems "only ${checked} names checked, expected at least ${MIN_NAMES}")
endif()
set(label "${DOC}")
if(DEFINED CODE)
  string(REPLACE ";" ", " folders "${CODE}")
  string(APPEND label " comments in ${folders}")
endif()
if(problems)
  string(REPLACE ";" "\n  " problems "${problems}")
  message(FATAL_ERROR "${label}:\n  ${problems}")
endif()
message(STATUS "${label}: ${checked} names found in their files")
