# Branding of the two executables: their name, icon, version block and manifest execution level.
#
#   MARLWICK_NAME             executable names "<name> 64.exe" and "<name>.exe", product name
#   MARLWICK_CONSOLE_NAME     the console builds' names "<name> 64.exe" and "<name>.exe"; empty:
#                             "<MARLWICK_NAME> 64 Console.exe" and "<MARLWICK_NAME> Console.exe"
#   MARLWICK_ICON             .ico file (every image of it goes into the executables)
#   MARLWICK_VERSION          1 to 4 numbers of at most 65535 ("2.1", "2.1.0.17")
#   MARLWICK_COMPANY, MARLWICK_DESCRIPTION, MARLWICK_COPYRIGHT   texts of the version block
#   MARLWICK_EXECUTION_LEVEL  asInvoker, highestAvailable or requireAdministrator
#
# Included by the top-level list (sets MARLWICK_EXE_NAME and the resource inputs), or run as
# "cmake -D... -P cmake/Branding.cmake" to check values without configuring a build.

# Sets `out_error` to a message when `name`, the value of `variable`, cannot name an executable.
function(marlwick_check_file_name variable name out_error)
  set(${out_error} "" PARENT_SCOPE)
  # Names: not empty, none of the characters Windows refuses in file names, no reserved device
  # name, and no space or dot at the end (Windows drops those).
  if(name STREQUAL "")
    set(${out_error} "${variable} is empty" PARENT_SCOPE)
    return()
  endif()
  set(forbidden "<>:\"/\\|?*")
  foreach(code RANGE 1 31)
    string(ASCII ${code} c)
    string(APPEND forbidden "${c}")
  endforeach()
  string(LENGTH "${forbidden}" count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(SUBSTRING "${forbidden}" ${i} 1 c)
    string(FIND "${name}" "${c}" at)
    if(NOT at EQUAL -1)
      set(${out_error} "${variable} \"${name}\" holds a character that Windows forbids in file names (< > : \" / \\ | ? * or a control character)" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  if(name MATCHES "[ .]$")
    set(${out_error} "${variable} \"${name}\" ends in a space or a dot, which Windows drops from file names" PARENT_SCOPE)
    return()
  endif()
  # Windows takes the part before the first dot (and the spaces before it) as the device: "NUL.app"
  # and "AUX .tar.gz" are NUL and AUX. COM and LPT count with 0 to 9 and the superscript digits.
  string(TOUPPER "${name}" upper)
  if(upper MATCHES "^(CON|PRN|AUX|NUL|CONIN\\$|CONOUT\\$|COM[0-9]|LPT[0-9]|COM¹|COM²|COM³|LPT¹|LPT²|LPT³) *(\\..*)?$")
    set(${out_error} "${variable} \"${name}\" is a reserved device name on Windows" PARENT_SCOPE)
    return()
  endif()
endfunction()

# Sets `out_error` to a message when one of the values is not usable, else to "".
function(marlwick_check_branding name icon version texts_var level out_error)
  set(${out_error} "" PARENT_SCOPE)
  marlwick_check_file_name(MARLWICK_NAME "${name}" name_error)
  if(name_error)
    set(${out_error} "${name_error}" PARENT_SCOPE)
    return()
  endif()

  if(NOT version MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
    set(${out_error} "MARLWICK_VERSION \"${version}\" is not 1 to 4 numbers separated by dots" PARENT_SCOPE)
    return()
  endif()
  string(REPLACE "." ";" numbers "${version}")
  foreach(number IN LISTS numbers)
    string(LENGTH "${number}" digits)
    if(digits GREATER 5 OR number GREATER 65535)
      set(${out_error} "MARLWICK_VERSION \"${version}\": ${number} is larger than 65535" PARENT_SCOPE)
      return()
    endif()
  endforeach()

  if(NOT level MATCHES "^(asInvoker|highestAvailable|requireAdministrator)$")
    set(${out_error} "MARLWICK_EXECUTION_LEVEL \"${level}\" is not asInvoker, highestAvailable or requireAdministrator" PARENT_SCOPE)
    return()
  endif()

  foreach(text_name IN LISTS ${texts_var})
    foreach(code RANGE 1 31)
      string(ASCII ${code} c)
      string(FIND "${${text_name}}" "${c}" at)
      if(NOT at EQUAL -1)
        set(${out_error} "${text_name} holds a control character (a line break?)" PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endforeach()

  # An icon file: a directory of at least one image, each inside the file.
  if(NOT EXISTS "${icon}" OR IS_DIRECTORY "${icon}")
    set(${out_error} "MARLWICK_ICON \"${icon}\" is not a file" PARENT_SCOPE)
    return()
  endif()
  file(SIZE "${icon}" size)
  set(malformed "MARLWICK_ICON \"${icon}\" is not an icon (.ico) file")
  if(size LESS 22)
    set(${out_error} "${malformed}: too short" PARENT_SCOPE)
    return()
  endif()
  file(READ "${icon}" head LIMIT 6 HEX)
  if(NOT head MATCHES "^00000100")
    set(${out_error} "${malformed}: no icon header" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${head}" 10 2 high)
  string(SUBSTRING "${head}" 8 2 low)
  math(EXPR images "0x${high}${low}")
  math(EXPR directory_end "6 + 16 * ${images}")
  if(images EQUAL 0 OR directory_end GREATER size)
    set(${out_error} "${malformed}: ${images} images in a file of ${size} bytes" PARENT_SCOPE)
    return()
  endif()
  math(EXPR last "${images} - 1")
  foreach(i RANGE ${last})
    math(EXPR at "6 + 16 * ${i} + 8")
    file(READ "${icon}" entry OFFSET ${at} LIMIT 8 HEX)
    set(fields "")
    foreach(start 0 8)
      set(value "")
      foreach(byte 3 2 1 0)
        math(EXPR pos "${start} + 2 * ${byte}")
        string(SUBSTRING "${entry}" ${pos} 2 b)
        string(APPEND value "${b}")
      endforeach()
      math(EXPR value "0x${value}")
      list(APPEND fields ${value})
    endforeach()
    list(GET fields 0 bytes)
    list(GET fields 1 offset)
    math(EXPR end "${offset} + ${bytes}")
    if(bytes EQUAL 0 OR offset LESS directory_end OR end GREATER size)
      set(${out_error} "${malformed}: image ${i} lies outside the file" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

# Writes `content` to `path` when it differs, so that an unchanged configuration rebuilds nothing.
function(marlwick_write_if_changed path content)
  if(EXISTS "${path}")
    file(READ "${path}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${path}" "${content}")
endfunction()

# A text as a resource-script string literal.
function(marlwick_rc_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\"\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

set(_marlwick_brand_texts MARLWICK_COMPANY MARLWICK_DESCRIPTION MARLWICK_COPYRIGHT)

if(CMAKE_SCRIPT_MODE_FILE)
  marlwick_check_branding("${MARLWICK_NAME}" "${MARLWICK_ICON}" "${MARLWICK_VERSION}"
    _marlwick_brand_texts "${MARLWICK_EXECUTION_LEVEL}" error)
  if(NOT error AND NOT "${MARLWICK_CONSOLE_NAME}" STREQUAL "")
    marlwick_check_file_name(MARLWICK_CONSOLE_NAME "${MARLWICK_CONSOLE_NAME}" error)
  endif()
  if(error)
    message(FATAL_ERROR "${error}")
  endif()
  return()
endif()

set(MARLWICK_NAME "Marlwick" CACHE STRING "Name of the executables (\"<name> 64.exe\", \"<name>.exe\") and product")
set(MARLWICK_ICON "${PROJECT_SOURCE_DIR}/resources/Marlwick.ico" CACHE FILEPATH "Icon (.ico) of the executables")
set(MARLWICK_VERSION "${PROJECT_VERSION}" CACHE STRING "Version of the executables: 1 to 4 numbers of at most 65535")
set(MARLWICK_COMPANY "Marlwick" CACHE STRING "Company name of the version block")
set(MARLWICK_DESCRIPTION "" CACHE STRING "File description of the version block (empty: the launcher's own, in English and Spanish)")
set(MARLWICK_COPYRIGHT "" CACHE STRING "Copyright text of the version block")
set(MARLWICK_CONSOLE_NAME "" CACHE STRING "Name of the console executables (\"<name> 64.exe\", \"<name>.exe\"); empty: the windowed ones' with \" Console\"")
set(MARLWICK_EXECUTION_LEVEL "asInvoker" CACHE STRING "Execution level the manifest requests")
set_property(CACHE MARLWICK_EXECUTION_LEVEL PROPERTY STRINGS asInvoker highestAvailable requireAdministrator)

marlwick_check_branding("${MARLWICK_NAME}" "${MARLWICK_ICON}" "${MARLWICK_VERSION}"
  _marlwick_brand_texts "${MARLWICK_EXECUTION_LEVEL}" _marlwick_brand_error)
if(NOT _marlwick_brand_error AND NOT MARLWICK_CONSOLE_NAME STREQUAL "")
  marlwick_check_file_name(MARLWICK_CONSOLE_NAME "${MARLWICK_CONSOLE_NAME}" _marlwick_brand_error)
endif()
if(_marlwick_brand_error)
  message(FATAL_ERROR "${_marlwick_brand_error}")
endif()

if(MARLWICK_ARCH STREQUAL "x64")
  set(MARLWICK_EXE_NAME "${MARLWICK_NAME} 64")
else()
  set(MARLWICK_EXE_NAME "${MARLWICK_NAME}")
endif()
if(MARLWICK_CONSOLE_NAME STREQUAL "")
  set(MARLWICK_CONSOLE_EXE_NAME "${MARLWICK_EXE_NAME} Console")
elseif(MARLWICK_ARCH STREQUAL "x64")
  set(MARLWICK_CONSOLE_EXE_NAME "${MARLWICK_CONSOLE_NAME} 64")
else()
  set(MARLWICK_CONSOLE_EXE_NAME "${MARLWICK_CONSOLE_NAME}")
endif()

# Writes the inputs of resources/Marlwick.rc for one branding into `dir`: MarlwickBrand.h (texts,
# numbers, icon and manifest paths) and Application.manifest. The values must have passed
# marlwick_check_branding. The console build's file name (without ".exe") may follow; by default
# `exe_name` with " Console".
function(marlwick_write_brand dir exe_name name icon version company description copyright level)
  set(console_exe_name "${exe_name} Console")
  if(ARGC GREATER 9)
    set(console_exe_name "${ARGV9}")
  endif()
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers count)
  while(count LESS 4)
    list(APPEND numbers 0)
    list(LENGTH numbers count)
  endwhile()
  string(REPLACE ";" "," file_version "${numbers}")
  string(REPLACE ";" "." file_version_text "${numbers}")
  marlwick_rc_string(name_text "${name}")
  marlwick_rc_string(original "${exe_name}.exe")
  marlwick_rc_string(console_original "${console_exe_name}.exe")
  marlwick_rc_string(company_text "${company}")
  marlwick_rc_string(copyright_text "${copyright}")
  marlwick_rc_string(icon_text "${icon}")
  marlwick_rc_string(manifest_text "${dir}/Application.manifest")
  marlwick_rc_string(version_text "${version}")
  marlwick_rc_string(file_version_text "${file_version_text}")
  set(header "// Generated from the MARLWICK_* cache variables; edit those, not this file.
#pragma code_page(65001)
#define MARLWICK_FILE_VERSION ${file_version}
#define MARLWICK_FILE_VERSION_TEXT ${file_version_text}
#define MARLWICK_VERSION_TEXT ${version_text}
#define MARLWICK_PRODUCT_NAME ${name_text}
#define MARLWICK_ORIGINAL_FILENAME ${original}
#define MARLWICK_CONSOLE_ORIGINAL_FILENAME ${console_original}
#define MARLWICK_COMPANY ${company_text}
#define MARLWICK_COPYRIGHT ${copyright_text}
#define MARLWICK_ICON_FILE ${icon_text}
#define MARLWICK_MANIFEST_FILE ${manifest_text}
")
  if(NOT description STREQUAL "")
    marlwick_rc_string(description_text "${description}")
    string(APPEND header "#define MARLWICK_DESCRIPTION_EN ${description_text}\n#define MARLWICK_DESCRIPTION_ES ${description_text}\n")
  endif()
  marlwick_write_if_changed("${dir}/MarlwickBrand.h" "${header}")
  file(READ "${PROJECT_SOURCE_DIR}/resources/Marlwick.manifest" manifest)
  string(REPLACE "level=\"asInvoker\"" "level=\"${level}\"" manifest "${manifest}")
  marlwick_write_if_changed("${dir}/Application.manifest" "${manifest}")
endfunction()

set(MARLWICK_BRAND_DIR "${CMAKE_BINARY_DIR}/generated/brand")
marlwick_write_brand("${MARLWICK_BRAND_DIR}" "${MARLWICK_EXE_NAME}" "${MARLWICK_NAME}" "${MARLWICK_ICON}"
  "${MARLWICK_VERSION}" "${MARLWICK_COMPANY}" "${MARLWICK_DESCRIPTION}" "${MARLWICK_COPYRIGHT}"
  "${MARLWICK_EXECUTION_LEVEL}" "${MARLWICK_CONSOLE_EXE_NAME}")
