# Installs the build tree into PREFIX and checks the program, its desktop entry and its
# icon land where desktops look for them.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(path bin/ringvane share/applications/ringvane.desktop share/icons/hicolor/32x32/apps/ringvane.png
        share/icons/hicolor/256x256/apps/ringvane.png share/icons/hicolor/scalable/apps/ringvane.svg
        share/metainfo/ringvane.metainfo.xml)
    if(NOT EXISTS ${PREFIX}/${path})
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
execute_process(COMMAND test -x ${PREFIX}/bin/ringvane RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "bin/ringvane is not executable")
endif()

file(STRINGS ${PREFIX}/share/applications/ringvane.desktop entry)
list(GET entry 0 group)
if(NOT group STREQUAL "[Desktop Entry]")
    message(FATAL_ERROR "the desktop file does not start with [Desktop Entry]")
endif()
foreach(line "Type=Application" "Name=Ringvane" "Exec=ringvane" "Icon=ringvane")
    list(FIND entry "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "the desktop file lacks ${line}")
    endif()
endforeach()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND ${VALIDATE} ${PREFIX}/share/applications/ringvane.desktop
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refuses the desktop file")
    endif()
endif()
file(REMOVE_RECURSE ${PREFIX})
