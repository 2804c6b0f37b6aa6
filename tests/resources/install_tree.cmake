# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.25)
# Installs the build into a scratch root, emptied first so that a file left by an earlier run cannot
# hide one that the install rules no longer put there.
file(REMOVE_RECURSE "${ROOT}")
set(config_args "")
if(CONFIG)
    set(config_args --config "${CONFIG}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" ${config_args}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed: ${result}")
endif()
