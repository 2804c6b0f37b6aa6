# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# The installed AppStream metainfo passes appstreamcli, both alone and together with the rest of the
# tree (which checks that the desktop entry it launches is there). Strictly: a missing content rating,
# for one, is only an info, which would otherwise pass.
set(app_id bg.varnelo.Varnelo)
set(metainfo "${PREFIX}/share/metainfo/${app_id}.metainfo.xml")

if(NOT APPSTREAMCLI)
    message(FATAL_ERROR "appstreamcli not found (package appstream; scripts/setup installs it)")
endif()
if(NOT EXISTS "${metainfo}")
    message(FATAL_ERROR "missing ${metainfo}")
endif()

foreach(check IN ITEMS "validate;${metainfo}" "validate-tree;${ROOT}")
    list(JOIN check " " command)
    execute_process(COMMAND "${APPSTREAMCLI}" ${check} --no-net --strict
                    RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
    message("appstreamcli ${command}:\n${report}")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "appstreamcli ${command} failed")
    endif()
endforeach()

file(READ "${metainfo}" xml)
set(problems "")
if(NOT xml MATCHES "<id>${app_id}</id>")
    string(APPEND problems "\n  <id> is not ${app_id}, the file's name")
endif()
if(NOT xml MATCHES "<launchable type=\"desktop-id\">([^<]*)</launchable>")
    string(APPEND problems "\n  no desktop-id launchable")
elseif(NOT EXISTS "${PREFIX}/share/applications/${CMAKE_MATCH_1}")
    string(APPEND problems "\n  launchable ${CMAKE_MATCH_1} was not installed")
endif()
if(NOT xml MATCHES "<binary>([^<]*)</binary>")
    string(APPEND problems "\n  provides no binary")
elseif(NOT EXISTS "${PREFIX}/bin/${CMAKE_MATCH_1}")
    string(APPEND problems "\n  provided binary ${CMAKE_MATCH_1} was not installed")
endif()

if(problems)
    message(FATAL_ERROR "${metainfo}:${problems}")
endif()
