# Turns the CIE reference tables of data/cie/ into one C++ source, cell for cell (cmake -P script).
#   cmake -DDATA=<data/cie> -DOUT=<file.cpp> -DTABLES="name=file.csv+name=file.csv+..."
#         [-DNAMESPACE=a::b] [-DHEADER=path.h] -P cietables.cmake
# Every table becomes a row-major array of doubles with the CSV's header line beside it; an empty cell
# (no published value) becomes NaN. The numbers keep the source's digit strings. The library derives
# everything else (scaling, daylight reconstruction, white points) from these arrays at run time.
# NAMESPACE and HEADER (the header that declares CsvTable and the tables) default to the device
# library's; the program generates its own tables with its own namespace and header.
if(NOT DATA OR NOT OUT OR NOT TABLES)
  message(FATAL_ERROR "cietables.cmake needs DATA, OUT and TABLES")
endif()
if(NOT NAMESPACE)
  set(NAMESPACE "tavrin::cie")
endif()
if(NOT HEADER)
  set(HEADER "cietables.h")
endif()

set(body "")
string(REPLACE "+" ";" TABLES "${TABLES}")
foreach(entry IN LISTS TABLES)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 file)
  file(STRINGS "${DATA}/${file}" lines)
  list(LENGTH lines count)
  if(count LESS 2)
    message(FATAL_ERROR "${DATA}/${file}: no rows")
  endif()
  list(GET lines 0 header)
  string(REPLACE "," ";" columns "${header}")
  list(LENGTH columns width)
  math(EXPR rows "${count} - 1")
  set(cells "")
  set(lineno 1)
  foreach(line IN LISTS lines)
    math(EXPR lineno "${lineno} + 1")
    if(lineno EQUAL 2)
      continue()
    endif()
    # Mark empty cells before splitting: ",," and a trailing "," carry no value.
    set(row ",${line},")
    string(REPLACE ",," ",NaN," row "${row}")
    string(REPLACE ",," ",NaN," row "${row}")
    string(REGEX REPLACE "^,(.*),$" "\\1" row "${row}")
    string(REPLACE "," ";" fields "${row}")
    list(LENGTH fields n)
    if(NOT n EQUAL width)
      math(EXPR shown "${lineno} - 1")
      message(FATAL_ERROR "${DATA}/${file}:${shown}: expected ${width} fields, got ${n}")
    endif()
    foreach(f IN LISTS fields)
      if(NOT f STREQUAL "NaN" AND NOT f MATCHES "^-?[0-9]+(\\.[0-9]+)?([eE][-+]?[0-9]+)?$")
        math(EXPR shown "${lineno} - 1")
        message(FATAL_ERROR "${DATA}/${file}:${shown}: not a number: '${f}'")
      endif()
    endforeach()
    string(REPLACE ";" ", " row "${row}")
    string(APPEND cells "    ${row},\n")
  endforeach()
  string(APPEND body "static const double ${name}Cells[] = {\n${cells}};\n")
  string(APPEND body "const CsvTable ${name} = {\"${file}\", \"${header}\", ${width}, ${rows}, ${name}Cells};\n\n")
endforeach()

set(text "// Generated at build time from data/cie/ by tavrin/cmake/cietables.cmake. Do not edit.
#include \"${HEADER}\"

#include <limits>

namespace ${NAMESPACE} {

[[maybe_unused]] static constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

${body}} // namespace ${NAMESPACE}
")
# Rewrite only on change so that a re-run does not rebuild the library.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${text}")
