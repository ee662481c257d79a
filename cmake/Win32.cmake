# Shared build settings for the Win32 programs of this tree.
#
#   win32_program(<target> [UNICODE] [CONSOLE] [WINVER <hex>])
#   win32_no_crt(<target>)
#
# UNICODE  builds against the wide-character interface with a wWinMain entry.
# CONSOLE  keeps the console subsystem (test programs); GUI otherwise.
# WINVER   the interface level the program is restricted to (default 0x0400).

set(WIN32_WARNINGS -Wall -Wextra)
set(WIN32_CXX_FLAGS -fno-exceptions -fno-rtti)

function(win32_flags target)
  target_compile_options(${target} PRIVATE ${WIN32_WARNINGS}
    $<$<COMPILE_LANGUAGE:CXX>:${WIN32_CXX_FLAGS}>)
  # No MinGW runtime DLL travels with a program.
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  # Small programs: drop unused code and, in release builds, the symbols.
  # (Not -fdata-sections: with it this linker stores zero-filled tables in the file.)
  target_compile_options(${target} PRIVATE -ffunction-sections)
  target_link_options(${target} PRIVATE -Wl,--gc-sections $<$<CONFIG:MinSizeRel,Release>:-s>)
endfunction()

function(win32_program target)
  cmake_parse_arguments(W "UNICODE;CONSOLE" "WINVER" "" ${ARGN})
  if(NOT W_WINVER)
    set(W_WINVER 0x0400)
  endif()
  win32_flags(${target})
  target_compile_definitions(${target} PRIVATE WINVER=${W_WINVER} _WIN32_WINNT=${W_WINVER}
    WIN32_LEAN_AND_MEAN)
  if(W_UNICODE)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE)
    target_link_options(${target} PRIVATE -municode)
  endif()
  if(NOT W_CONSOLE)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE TRUE)
  endif()
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Loads on Windows NT 4.0 and Windows 95.
    target_link_options(${target} PRIVATE
      -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
      -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
  endif()
endfunction()

# A program that imports no C runtime DLL, so that it starts on the first
# release of Windows 95, which has none: its entry point and the memory
# functions come from nocrt/, everything else from the system libraries.
# Any other C library call is an undefined symbol at link time.
function(win32_no_crt target)
  target_link_libraries(${target} PRIVATE nocrt)
  # libgcc last: the stack probe for large frames and other compiler helpers.
  target_link_options(${target} PRIVATE -nostdlib)
  target_link_libraries(${target} PRIVATE gcc)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    target_link_options(${target} PRIVATE -Wl,-e,_NoCrtStartup)
  else()
    target_link_options(${target} PRIVATE -Wl,-e,NoCrtStartup)
  endif()
endfunction()
