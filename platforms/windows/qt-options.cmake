# Qt's configuration for the Windows build, loaded with `cmake -C`: a shared release build of Core,
# Gui, Widgets and Test with the windows, offscreen and minimal platforms.
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(BUILD_SHARED_LIBS ON CACHE BOOL "")
set(QT_BUILD_EXAMPLES OFF CACHE BOOL "")
set(QT_BUILD_TESTS OFF CACHE BOOL "")
set(QT_BUILD_BENCHMARKS OFF CACHE BOOL "")

# OpenGL off through INPUT_opengl: FEATURE_opengl=OFF alone leaves dynamic GL on, and the windows
# plugin then does not compile.
set(INPUT_opengl no CACHE STRING "")
set(FEATURE_opengl OFF CACHE BOOL "")
set(FEATURE_vulkan OFF CACHE BOOL "")

# The +dfsg tarball has no Wintab sources, so no tablet events.
set(FEATURE_tabletevent OFF CACHE BOOL "")

# GDI text through Qt's own font engines; Direct2D (and the patch) keeps DirectWrite's database out.
set(FEATURE_direct2d OFF CACHE BOOL "")

# Modules and formats the program does not use.
foreach(feature network sql dbus printsupport concurrent xml icu zstd jpeg gif ico androiddeployqt
                pkg_config)
    set(FEATURE_${feature} OFF CACHE BOOL "")
endforeach()

# Windows has none of these libraries: Qt's own copies, linked in.
set(FEATURE_freetype ON CACHE BOOL "")
set(FEATURE_harfbuzz ON CACHE BOOL "")
foreach(library zlib png freetype harfbuzz pcre2 doubleconversion)
    set(FEATURE_system_${library} OFF CACHE BOOL "")
endforeach()
