; The Windows installer of Marlix to HTML: the dialog program and the command
; line program in Program Files, a Start-menu shortcut, and an uninstaller
; registered with Add/Remove Programs. /S installs silently, /D=FOLDER (last
; on the command line) chooses the folder.
;
; The build passes (see cmake/Packaging.cmake, target "installer"):
;   VERSION      the project's version, x.y.z
;   ARCH         x86 or x64
;   PROGRAM_DIR  the build folder holding marlix2html.exe and marlix2html-cli.exe
;   SOURCE_DIR   the source tree (licence and icon)
;   OUTFILE      the installer to write

; The 64-bit installer is a 64-bit program itself, the 32-bit one runs on
; either Windows.
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Marlix to HTML"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\marlix2html"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES32\${PRODUCT}"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey "CompanyName" "Marlix to HTML authors"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 the Marlix to HTML authors, MIT License"

!define MUI_ICON "${SOURCE_DIR}/resources/marlix2html.ico"
!define MUI_UNICON "${SOURCE_DIR}/resources/marlix2html.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\marlix2html.exe"
!insertmacro MUI_PAGE_LICENSE "${SOURCE_DIR}/LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Both the installer and the uninstaller work on the machine-wide Start menu
; and, for the 64-bit programs, on the 64-bit view of the registry.
!macro UseMachineScope
  SetShellVarContext all
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This installer holds the 64-bit programs; please use marlix2html-setup-x86.exe on 32-bit Windows." /SD IDOK
      Abort
    ${EndIf}
  !endif
  !insertmacro UseMachineScope
FunctionEnd

Function un.onInit
  !insertmacro UseMachineScope
FunctionEnd

Section "Programs"
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/marlix2html.exe"
  File "${PROGRAM_DIR}/marlix2html-cli.exe"
  File "/oname=LICENSE.txt" "${SOURCE_DIR}/LICENSE"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\marlix2html.exe" "" "$INSTDIR\marlix2html.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Marlix to HTML authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\marlix2html.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\marlix2html.exe"
  Delete "$INSTDIR\marlix2html-cli.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
