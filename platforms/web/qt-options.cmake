# Qt's configuration for the browser, loaded with `cmake -C` after configure's -platform
# wasm-emscripten: static, release, for size, compiled as a unity build. The features switched off are
# in platforms/qt-features and, for the browser only, platforms/web/qt-features.
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(BUILD_SHARED_LIBS OFF CACHE BOOL "")
set(FEATURE_optimize_size ON CACHE BOOL "")
set(QT_UNITY_BUILD ON CACHE BOOL "")
set(QT_BUILD_EXAMPLES OFF CACHE BOOL "")
set(QT_BUILD_TESTS OFF CACHE BOOL "")
set(WARNINGS_ARE_ERRORS OFF CACHE BOOL "")

# Threads stay off: no SharedArrayBuffer headers needed from the server. OpenGL stays: the wasm
# backing store needs it.
set(FEATURE_thread OFF CACHE BOOL "")
