# The Windows NT part of the install disk:
#
#   kitlaunch.exe   at the root: makes NTWINTAB\ current and starts SETUP.EXE
#   NTWINTAB\       SETUP.EXE and the files it copies: wintab32.dll (the
#                   stand-in driver) and padcfg.exe (the control panel's
#                   Windows NT, Unicode, build)

disk_file(kitlaunch.exe $<TARGET_FILE:kitlaunch> DEPENDS kitlaunch)
disk_file(NTWINTAB/SETUP.EXE $<TARGET_FILE:ntsetup> DEPENDS ntsetup)
disk_file(NTWINTAB/padcfg.exe $<TARGET_FILE:padcfg> DEPENDS padcfg)
disk_file(NTWINTAB/wintab32.dll $<TARGET_FILE:wintab32> DEPENDS wintab32)
set(KITLAUNCH_DISK_FILES kitlaunch.exe NTWINTAB/SETUP.EXE NTWINTAB/padcfg.exe
  NTWINTAB/wintab32.dll)

# The launcher's files alone, for its tests.
add_custom_target(kitlaunch_disk)
foreach(dest ${KITLAUNCH_DISK_FILES})
  string(MAKE_C_IDENTIFIER "disk_${dest}" name)
  add_dependencies(kitlaunch_disk ${name})
endforeach()
