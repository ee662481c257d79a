# The Windows 95 installer's part of the install disk:
#
#   kitinst.exe  oemsetup.inf        at the root
#   QWINTAB\     the driver files of the installer's file table
#   QTABLET\     qtablet.com
#
# wintab32.dll is the project's stand-in Wintab driver and penpanel.exe the
# control panel's Windows 95 (ANSI) build; the 16-bit and virtual-device files
# lie outside this project and are small, labelled stand-ins (files/*.txt)
# under their real names.

set(KITINST_FILES ${CMAKE_CURRENT_SOURCE_DIR}/files)

disk_file(kitinst.exe $<TARGET_FILE:kitinst> DEPENDS kitinst)
disk_file(oemsetup.inf ${KITINST_FILES}/oemsetup.inf)

foreach(name qxcls.dll qwintab.drv wintab.dll vqxsd.386 qxthk16.dll qwtpen.drv)
  disk_file(QWINTAB/${name} ${KITINST_FILES}/${name}.txt)
endforeach()
disk_file(QWINTAB/wintab32.dll $<TARGET_FILE:wintab32> DEPENDS wintab32)
disk_file(QWINTAB/penpanel.exe $<TARGET_FILE:penpanel> DEPENDS penpanel)

# Made outside the disk directory, which is also this folder's binary directory.
set(QTABLET_COM ${CMAKE_BINARY_DIR}/disk-parts/qtablet.com)
add_custom_command(OUTPUT ${QTABLET_COM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/disk-parts
  COMMAND ${Python3_EXECUTABLE} ${KITINST_FILES}/mkcom.py ${QTABLET_COM}
  DEPENDS ${KITINST_FILES}/mkcom.py
  COMMENT "Writing the qtablet.com stand-in")
disk_file(QTABLET/qtablet.com ${QTABLET_COM})

# The installer's files alone, for its tests (the rest of the disk belongs to
# other programs).
add_custom_target(kitinst_disk)
foreach(dest kitinst.exe oemsetup.inf QWINTAB/qxcls.dll QWINTAB/qwintab.drv QWINTAB/wintab.dll
    QWINTAB/vqxsd.386 QWINTAB/wintab32.dll QWINTAB/qxthk16.dll QWINTAB/penpanel.exe
    QWINTAB/qwtpen.drv QTABLET/qtablet.com)
  string(MAKE_C_IDENTIFIER "disk_${dest}" name)
  add_dependencies(kitinst_disk ${name})
endforeach()
