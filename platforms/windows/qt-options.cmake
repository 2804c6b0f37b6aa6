# Qt's configuration for the Windows build, loaded with `cmake -C`: a shared release build of Core,
# Gui, Widgets and Test with the windows, offscreen and minimal platforms, for size, compiled as a unity
# build.
# The features switched off are in platforms/qt-features and qt-features here.
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(BUILD_SHARED_LIBS ON CACHE BOOL "")
set(QT_UNITY_BUILD ON CACHE BOOL "")
set(QT_BUILD_EXAMPLES OFF CACHE BOOL "")
set(QT_BUILD_TESTS OFF CACHE BOOL "")
set(QT_BUILD_BENCHMARKS OFF CACHE BOOL "")

# -Os: one small form spends no time in Qt worth -O2, and a smaller Qt downloads, installs and
# compiles faster.
set(FEATURE_optimize_size ON CACHE BOOL "")

# OpenGL off through INPUT_opengl: FEATURE_opengl=OFF alone leaves dynamic GL on.
set(INPUT_opengl no CACHE STRING "")
set(FEATURE_opengl OFF CACHE BOOL "")

# Windows has none of these libraries: Qt's own copies, linked in. FreeType serves the offscreen
# platform the tests run on, which reads its fonts from a folder.
set(FEATURE_freetype ON CACHE BOOL "")
set(FEATURE_harfbuzz ON CACHE BOOL "")
foreach(library zlib png freetype harfbuzz pcre2 doubleconversion)
    set(FEATURE_system_${library} OFF CACHE BOOL "")
endforeach()
