# SPDX-License-Identifier: GPL-3.0-or-later
# arm64 (aarch64) Linux, cross-built with Debian's GCC on Debian's multiarch Qt: the libraries are
# the :arm64 packages in /usr/lib/aarch64-linux-gnu, moc, rcc and uic the build machine's own.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /usr/lib/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(QT_HOST_PATH /usr)
# Tests and helpers run as they are: the kernel hands them to the system's qemu (binfmt_misc).
