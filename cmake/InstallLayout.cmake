# Where an install puts things. Shared by the rules that install them and by
# the service library, which names the installed udev rule in its hints.
include_guard(GLOBAL)
set(VELKARN_INSTALL_APPDIR "lib/velkarn" CACHE STRING
    "Folder, relative to the install prefix, for the program, its service libraries, skin, help and texts")
set(VELKARN_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Folder for the udev rule, relative to the install prefix unless absolute")
# Sessions read autostart entries from /etc/xdg only, whatever the prefix.
set(VELKARN_AUTOSTART_DIR "/etc/xdg/autostart" CACHE STRING "Folder for the autostart entry")
