# SPDX-License-Identifier: GPL-3.0-or-later
# The program for the browser, built with Qt for WebAssembly from the same sources.

# Qt for WebAssembly is built without exceptions; the model reports its run-time errors by throwing,
# and without catching support every throw would abort instead of showing the report.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# Qt's own executables get embind from qt_add_executable; the plain test executables need it too.
add_link_options(-lembind)
# Every byte is downloaded by every pupil: smallest code, and emcc's wasm-opt pass at the same level.
string(REPLACE "-Os" "-Oz" CMAKE_CXX_FLAGS_MINSIZEREL "${CMAKE_CXX_FLAGS_MINSIZEREL}")
add_link_options($<$<CONFIG:MinSizeRel>:-Oz>)
# Link-time optimisation of the project's own code (Qt's libraries stay as built): measured smaller.
add_compile_options($<$<CONFIG:MinSizeRel>:-flto>)
add_link_options($<$<CONFIG:MinSizeRel>:-flto>)

# Memory sized to what the program was measured to use, not Qt's 50 MB at start and 4 GB at most, a
# reservation that phones' browsers may refuse. Most of it is the window's backing store, which grows
# with the square of the device pixel ratio: the whole program reached 10 MiB at a ratio of 1, 21 MiB
# at 4 (the densest phones) and 84 MiB at 10 (a desktop zoomed to 500 %). It starts with room for
# every phone and grows only for extreme zoom.
set(QT_WASM_INITIAL_MEMORY 32MB)
set(QT_WASM_MAXIMUM_MEMORY 256MB)

option(VARNELO_WEB_BENCH "Link the bare window as small as the program, for bench-web" OFF)

# Only the model's tests run here, under node: the widget tests need a screen.
set(VARNELO_WEB_TESTS_ONLY_MODEL ON)
set(CMAKE_CROSSCOMPILING_EMULATOR node --require ${CMAKE_CURRENT_LIST_DIR}/node-navigator.cjs)

# The serif font, cut down to what the program shows or a pupil may type into the task text: Basic
# Latin, Latin-1, Cyrillic and typographic punctuation. Names and hinting stay, so it is the same
# font drawn the same way, only smaller.
set(font_source /usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf)
set(font ${CMAKE_BINARY_DIR}/web/fonts/LiberationSerif-Regular.ttf)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/web/fonts)
execute_process(COMMAND pyftsubset ${font_source} --output-file=${CMAKE_BINARY_DIR}/web/font.new.ttf
                        --unicodes=U+0020-007E,U+00A0-00FF,U+0400-045F,U+0490-0491,U+2010-2027,U+2030-203A,U+20AC,U+2116,U+2122,U+FFFD
                        --layout-features=* --name-IDs=* --name-languages=* --notdef-outline
                COMMAND_ERROR_IS_FATAL ANY)
# Each configure makes them anew; rcc records a file's time, so an unchanged one keeps its old file
# and the program is not linked again for nothing.
file(COPY_FILE ${CMAKE_BINARY_DIR}/web/font.new.ttf ${font} ONLY_IF_DIFFERENT)
# Qt's Bulgarian texts, only the contexts the form can show.
set(qm_source /usr/share/qt6/translations/qtbase_bg.qm)
set(qm ${CMAKE_BINARY_DIR}/web/i18n/qtbase_bg.qm)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/web/i18n)
find_program(LCONVERT lconvert PATHS /usr/lib/qt6/bin REQUIRED)
execute_process(COMMAND ${LCONVERT} -i ${qm_source} -of ts -o ${CMAKE_BINARY_DIR}/web/qtbase_bg.ts COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/keep-contexts.py ${CMAKE_CURRENT_LIST_DIR}/qt-translation-contexts
                        ${CMAKE_BINARY_DIR}/web/qtbase_bg.ts ${CMAKE_BINARY_DIR}/web/qtbase_bg.kept.ts
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LCONVERT} -i ${CMAKE_BINARY_DIR}/web/qtbase_bg.kept.ts -o ${CMAKE_BINARY_DIR}/web/qtbase_bg.new.qm
                COMMAND_ERROR_IS_FATAL ANY)
file(COPY_FILE ${CMAKE_BINARY_DIR}/web/qtbase_bg.new.qm ${qm} ONLY_IF_DIFFERENT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${font_source} ${qm_source}
             ${CMAKE_CURRENT_LIST_DIR}/qt-translation-contexts ${CMAKE_CURRENT_LIST_DIR}/keep-contexts.py)

# Run once every target exists: the font and the toolkit's Bulgarian texts go into the resources.
function(varnelo_web_finish)
    # Format 1 records no file times: two builds of one commit give the same program.
    qt_add_resources(resources "fonts" PREFIX "/fonts" BASE ${CMAKE_BINARY_DIR}/web/fonts OPTIONS --format-version 1
                     FILES ${font})
    qt_add_resources(resources "i18n" PREFIX "/i18n" BASE ${CMAKE_BINARY_DIR}/web/i18n OPTIONS --format-version 1
                     FILES ${qm})
    if(BUILD_TESTING)
        # A program that fails on purpose, for test-web to watch the run-time error report, and the
        # floor for bench-web: an empty window of the form's size and colour. Each is named like the
        # program, in a folder of its own, so that the same page loads it.
        qt_add_executable(errorpage ${CMAKE_SOURCE_DIR}/tests/web/errorpage.cpp)
        target_link_libraries(errorpage PRIVATE window Qt6::Widgets)
        qt_add_executable(bare ${CMAKE_SOURCE_DIR}/bench/web/bare.cpp)
        target_link_libraries(bare PRIVATE Qt6::Widgets)
        foreach(target errorpage bare)
            set_target_properties(${target} PROPERTIES OUTPUT_NAME varnelo QT_WASM_EXPORT_NAME varnelo_entry
                                  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${target})
        endforeach()
        # What nobody downloads links at -O1, the last -O on the line: no wasm-opt pass, which takes
        # over a minute of CPU per link at -Oz. IEEE arithmetic is the same at any level, so the model's
        # tests still check the program's sums. The bare window is linked at -Oz only for bench-web,
        # which sizes the program against it; test-web needs it only as another build.
        set(quick errorpage tst_fractions tst_temperature)
        if(NOT VARNELO_WEB_BENCH)
            list(APPEND quick bare)
        endif()
        foreach(target IN LISTS quick)
            target_link_options(${target} PRIVATE $<$<CONFIG:MinSizeRel>:-O1>)
        endforeach()
    endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL varnelo_web_finish)

# The page, titled like the window: the caption is read from the design, where it is written once.
file(STRINGS ${CMAKE_SOURCE_DIR}/window/design.h caption_parts ENCODING UTF-8 REGEX "(WebAddress|CaptionTail)\\[\\] = u\"")
list(TRANSFORM caption_parts REPLACE ".*u\"(.*)\";.*" "\\1")
list(JOIN caption_parts " " VARNELO_WEB_TITLE)
# The page's screen: the form's client area from the design, Qt's frame around it (a 4 px border, a
# 22 px title bar) and a 16 px margin, which leaves Qt room to centre the client area.
file(STRINGS ${CMAKE_SOURCE_DIR}/window/design.h client REGEX "Client(Width|Height) = [0-9]+;")
list(TRANSFORM client REPLACE ".* = ([0-9]+);.*" "\\1")
list(GET client 0 width_twips)
list(GET client 1 height_twips)
math(EXPR VARNELO_WEB_SCREEN_WIDTH "${width_twips} / 15 + 2 * 4 + 2 * 16")
math(EXPR VARNELO_WEB_SCREEN_HEIGHT "${height_twips} / 15 + 2 * 4 + 22 + 2 * 16")
configure_file(${CMAKE_CURRENT_LIST_DIR}/index.html.in ${CMAKE_BINARY_DIR}/index.html @ONLY)
# The web app manifest, named as the desktop entry names the program in Bulgarian.
foreach(key Name GenericName Comment)
    file(STRINGS ${CMAKE_SOURCE_DIR}/resources/bg.varnelo.Varnelo.desktop line ENCODING UTF-8 REGEX "^${key}\\[bg\\]=")
    string(REGEX REPLACE "^[^=]*=" "" line "${line}")
    string(TOUPPER ${key} upper)
    string(REPLACE "GENERICNAME" "GENERIC_NAME" upper ${upper})
    set(VARNELO_WEB_${upper} "${line}")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/manifest.webmanifest.in ${CMAKE_BINARY_DIR}/manifest.webmanifest @ONLY)
