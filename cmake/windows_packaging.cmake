# Windows: kalvex.exe, kalvex-cli.exe and everything they load, in one
# folder, and the NSIS installer built from it:
#   cmake --build build-win --target package    (or ./package-windows.sh)
# gives build-win/Kalvex-VERSION-win64.exe: a per-user install under
# %LOCALAPPDATA%\Programs\Kalvex with a Start-menu entry and an uninstaller.
# There is no windeployqt here, so the Qt and MinGW runtime files are named
# one by one.
install(TARGETS kalvex-cli RUNTIME DESTINATION .)
if(NOT KALVEX_GUI)
  return()  # the self-contained kalvex-cli.exe alone; no installer
endif()
install(TARGETS kalvex RUNTIME DESTINATION .)

# Qt's libraries beside the program, its plugins in the folders Qt looks for
# beside the program.
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
# The MinGW runtime the Qt libraries and the programs link.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    find_file(path_${dll} ${dll} PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH)
    set(path ${path_${dll}})
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "MinGW runtime ${dll} not found (needed beside kalvex.exe)")
  endif()
  install(FILES ${path} DESTINATION .)
endforeach()

# The window draws with DejaVu Sans, which Windows lacks: the fonts go in
# fonts\ beside the program (kalvex.exe loads them at start) with their
# licence beside them.
set(KALVEX_DEJAVU_DIR /usr/share/fonts/truetype/dejavu CACHE PATH "DejaVu Sans .ttf files")
set(KALVEX_DEJAVU_LICENSE /usr/share/doc/fonts-dejavu-core/copyright
    CACHE FILEPATH "The DejaVu fonts' licence")
foreach(file ${KALVEX_DEJAVU_DIR}/DejaVuSans.ttf ${KALVEX_DEJAVU_DIR}/DejaVuSans-Bold.ttf
             ${KALVEX_DEJAVU_LICENSE})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} not found (the window's font for the installer)")
  endif()
endforeach()
install(FILES ${KALVEX_DEJAVU_DIR}/DejaVuSans.ttf ${KALVEX_DEJAVU_DIR}/DejaVuSans-Bold.ttf
        DESTINATION fonts)
install(FILES ${KALVEX_DEJAVU_LICENSE} DESTINATION fonts RENAME LICENSE-DejaVu.txt)

# The DLLs copied above keep their debug sections and their symbol tables,
# which Windows never reads (it links by the export table): the installed
# copies lose both, the originals stay. --strip-unneeded, as for shared
# libraries on Linux: Qt's DLLs shrink by a third, libstdc++-6.dll from
# 23.7 MB to 2 MB (--strip-debug left 4.3 MB). CPACK_STRIP_FILES strips only
# the programs built here.
find_program(KALVEX_MINGW_STRIP NAMES x86_64-w64-mingw32-strip ${CMAKE_STRIP})
if(NOT KALVEX_MINGW_STRIP)
  message(FATAL_ERROR "x86_64-w64-mingw32-strip not found (strips the installer's DLLs)")
endif()
install(CODE "
  file(GLOB_RECURSE kalvex_dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
  foreach(dll IN LISTS kalvex_dlls)
    execute_process(COMMAND \"${KALVEX_MINGW_STRIP}\" --strip-unneeded \"\${dll}\"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR \"cannot strip \${dll}\")
    endif()
  endforeach()")

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Kalvex)
set(CPACK_PACKAGE_VENDOR Brenvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kalvex: diagnostic scanner for engine control units")
set(CPACK_PACKAGE_FILE_NAME "Kalvex-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kalvex)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Kalvex)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_DISPLAY_NAME Kalvex)
set(CPACK_NSIS_PACKAGE_NAME Kalvex)
set(CPACK_NSIS_MUI_ICON ${KALVEX_WINDOWS_ICON})
set(CPACK_NSIS_MUI_UNIICON ${KALVEX_WINDOWS_ICON})
set(CPACK_NSIS_INSTALLED_ICON_NAME kalvex.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES kalvex Kalvex)  # the Start-menu entry, with kalvex.exe's icon
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_URL_INFO_ABOUT "https://kalvex.example.org/")
set(CPACK_STRIP_FILES ON)

# CMake's installer script, made 64-bit and per-user: no elevation, the current user's
# Start menu and registry, and the installer's own values in a key of their
# own, so the uninstaller never deletes the program's settings
# (HKCU\Software\Brenvik\Kalvex).
set(template_in ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
file(READ ${template_in} template)
function(kalvex_nsis_replace from to)
  string(FIND "${template}" "${from}" at)
  if(at LESS 0)
    message(FATAL_ERROR "NSIS template of this CMake lacks: ${from}")
  endif()
  string(REPLACE "${from}" "${to}" replaced "${template}")
  set(template "${replaced}" PARENT_SCOPE)
endfunction()
set(vendor_key "Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@")
# A 64-bit installer (it runs where a 64-bit-only wine runs the program).
kalvex_nsis_replace("  !define VERSION " "  Target amd64-unicode\n  !define VERSION ")
kalvex_nsis_replace("RequestExecutionLevel admin" "RequestExecutionLevel user")
kalvex_nsis_replace("SetShellVarContext all" "SetShellVarContext current")
kalvex_nsis_replace("HKLM \"Software\\Microsoft" "HKCU \"Software\\Microsoft")
# The vendor key itself goes too when nothing else is left in it.
kalvex_nsis_replace("DeleteRegKey /ifempty SHCTX \"${vendor_key}\""
  "DeleteRegKey /ifempty SHCTX \"${vendor_key} Installer\"\n  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\"")
kalvex_nsis_replace("${vendor_key}\"" "${vendor_key} Installer\"")
# The folder the installation goes in (%LOCALAPPDATA%\Programs, or the
# parent of a /D= folder) is removed again on uninstalling when this
# installer made it (this time or at an earlier install over which this
# one goes) and nothing else is left in it.
kalvex_nsis_replace("  SetOutPath \"$INSTDIR\"\n  @CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS@"
  "  ReadRegStr $0 SHCTX \"${vendor_key} Installer\" \"MadeParentFolder\"\n  StrCmp $0 1 +4\n  StrCpy $0 0\n  IfFileExists \"$INSTDIR\\..\\*.*\" +2 0\n    StrCpy $0 1\n  SetOutPath \"$INSTDIR\"\n  WriteRegStr SHCTX \"${vendor_key} Installer\" \"MadeParentFolder\" $0\n  @CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS@")
kalvex_nsis_replace("  RMDir \"$INSTDIR\"\n"
  "  RMDir \"$INSTDIR\"\n  ReadRegStr $0 SHCTX \"${vendor_key} Installer\" \"MadeParentFolder\"\n  StrCmp $0 1 0 +2\n    RMDir \"$INSTDIR\\..\"\n")
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in "${template}")
file(COPY ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.InstallOptions.ini.in
     DESTINATION ${CMAKE_BINARY_DIR}/nsis)
set(CPACK_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis)
include(CPack)
