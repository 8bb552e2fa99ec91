# What `cmake --install` lays down. The program finds its skin, help and
# language file beside its own executable (/proc/self/exe), and loads the
# service library by bare name through its RUNPATH ($ORIGIN), so all of them
# go into one folder, <prefix>/lib/velkarn; <prefix>/bin/velkarn is a link to
# the executable there. Around it: the udev rule that gives the logged-in
# user access to the keyboard, a menu entry with its icon, and an autostart
# entry that starts the program hidden in the tray.
include(${PROJECT_SOURCE_DIR}/cmake/InstallLayout.cmake)
set(_app "${VELKARN_INSTALL_APPDIR}")

if(TARGET velkarn)
    install(TARGETS velkarn RUNTIME DESTINATION ${_app})
    if(IS_ABSOLUTE "${_app}")
        set(_link_target "${_app}/velkarn")
    else()
        set(_link_target "../${_app}/velkarn")
    endif()
    # A relative link stays right under DESTDIR and inside the package.
    install(CODE "
        set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
        file(MAKE_DIRECTORY \"\${_bin}\")
        file(REMOVE \"\${_bin}/velkarn\")
        file(CREATE_LINK \"${_link_target}\" \"\${_bin}/velkarn\" SYMBOLIC)
        message(STATUS \"Installing: \${_bin}/velkarn -> ${_link_target}\")
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/bin/velkarn\")
    ")
endif()

foreach(_library pylonet pylonet-sim)
    if(TARGET ${_library})
        install(TARGETS ${_library} LIBRARY DESTINATION ${_app})
    endif()
endforeach()
if(TARGET pylonet-sim-ctl)
    install(TARGETS pylonet-sim-ctl RUNTIME DESTINATION ${_app})
endif()

if(EXISTS ${PROJECT_SOURCE_DIR}/data/Lang0409.ini)
    install(FILES ${PROJECT_SOURCE_DIR}/data/Lang0409.ini DESTINATION ${_app})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/data/Help)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Help DESTINATION ${_app})
endif()

if(TARGET velkarn_skin_files)
    # Drawn at build time by the skin generator into the build tree.
    install(DIRECTORY ${VELKARN_BIN_DIR}/Skins DESTINATION ${_app})
    # The no-keyboard tray picture doubles as the application icon.
    install(FILES ${VELKARN_BIN_DIR}/Skins/icon128.png
        DESTINATION share/icons/hicolor/64x64/apps RENAME velkarn.png)
endif()

if(DEFINED VELKARN_UDEV_RULE_FILE AND TARGET pylonet)
    install(FILES ${VELKARN_UDEV_RULE_FILE} DESTINATION ${VELKARN_UDEV_RULES_DIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/data/velkarn.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/velkarn-autostart.desktop
    DESTINATION ${VELKARN_AUTOSTART_DIR} RENAME velkarn.desktop)
