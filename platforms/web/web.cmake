# SPDX-License-Identifier: GPL-3.0-or-later
# The program for the browser, built with Qt for WebAssembly from the same sources.

# Qt for WebAssembly is built without exceptions; the model reports its run-time errors by throwing,
# and without catching support every throw would abort instead of showing the report.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# Qt's own executables get embind from qt_add_executable; the plain test executables need it too.
add_link_options(-lembind)

# Only the model's tests run here, under node: the widget tests need a screen.
set(VARNELO_WEB_TESTS_ONLY_MODEL ON)
set(CMAKE_CROSSCOMPILING_EMULATOR node --require ${CMAKE_CURRENT_LIST_DIR}/node-navigator.cjs)

# Run once every target exists: the font and the toolkit's Bulgarian texts go into the resources.
function(varnelo_web_finish)
    qt_add_resources(resources "fonts" PREFIX "/fonts"
        BASE /usr/share/fonts/truetype/liberation
        FILES /usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf)
    qt_add_resources(resources "i18n" PREFIX "/i18n"
        BASE /usr/share/qt6/translations
        FILES /usr/share/qt6/translations/qtbase_bg.qm)
    # A page whose program fails on purpose, for test-web to watch the run-time error report.
    if(BUILD_TESTING)
        qt_add_executable(errorpage ${CMAKE_SOURCE_DIR}/tests/web/errorpage.cpp)
        target_link_libraries(errorpage PRIVATE window Qt6::Widgets)
    endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL varnelo_web_finish)

# The page, titled like the window: the caption is read from the design, where it is written once.
file(STRINGS ${CMAKE_SOURCE_DIR}/window/design.h caption_parts ENCODING UTF-8 REGEX "(WebAddress|CaptionTail)\\[\\] = u\"")
list(TRANSFORM caption_parts REPLACE ".*u\"(.*)\";.*" "\\1")
list(JOIN caption_parts " " VARNELO_WEB_TITLE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/index.html.in ${CMAKE_BINARY_DIR}/index.html @ONLY)
