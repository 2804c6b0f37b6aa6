# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# The installed desktop entry passes desktop-file-validate, and what it points at was installed too.
set(app_id bg.varnelo.Varnelo)
set(entry "${PREFIX}/share/applications/${app_id}.desktop")

if(NOT VALIDATOR)
    message(FATAL_ERROR "desktop-file-validate not found (package desktop-file-utils; scripts/setup installs it)")
endif()
if(NOT EXISTS "${entry}")
    message(FATAL_ERROR "missing ${entry}")
endif()

execute_process(COMMAND "${VALIDATOR}" "${entry}"
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
message("${report}")
# Hints are allowed: the entry is listed under both Education and Science on purpose, and the
# validator hints that it may then show twice in a menu. Errors and warnings are not.
if(NOT result EQUAL 0 OR report MATCHES ": (error|warning): ")
    message(FATAL_ERROR "desktop-file-validate rejects ${entry}")
endif()

file(STRINGS "${entry}" lines ENCODING UTF-8)
set(problems "")
foreach(key IN ITEMS Name Name[bg] Comment Comment[bg] Exec Icon)
    string(REPLACE "[" "\\[" key_regex "${key}")
    string(REPLACE "]" "\\]" key_regex "${key_regex}")
    set(found "${lines}")
    list(FILTER found INCLUDE REGEX "^${key_regex}=")
    if(NOT found)
        string(APPEND problems "\n  no ${key}=")
        continue()
    endif()
    string(MAKE_C_IDENTIFIER "${key}" id)
    string(REGEX REPLACE "^[^=]*=" "" "value_${id}" "${found}")
endforeach()

if(NOT problems)
    if("${value_Comment}" STREQUAL "${value_Comment_bg_}")
        string(APPEND problems "\n  Comment[bg] is not translated")
    endif()
    string(REGEX REPLACE " .*" "" program "${value_Exec}")
    if(NOT EXISTS "${PREFIX}/bin/${program}")
        string(APPEND problems "\n  Exec=${value_Exec} names no installed program")
    endif()
    if(NOT EXISTS "${PREFIX}/share/icons/hicolor/scalable/apps/${value_Icon}.svg"
       OR NOT EXISTS "${PREFIX}/share/icons/hicolor/48x48/apps/${value_Icon}.png")
        string(APPEND problems "\n  Icon=${value_Icon} names no installed theme icon")
    endif()
endif()

if(problems)
    message(FATAL_ERROR "${entry}:${problems}")
endif()
