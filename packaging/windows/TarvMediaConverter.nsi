; The Windows installer: the program folder under Program Files, a Start menu entry, an
; uninstaller, and "Open with" for the video types the Add dialog offers.
;
;   makensis -DVERSION=1.0 -DPROGRAM_DIR=<program folder> -DICON=<program.ico>
;            -DOUTFILE=<setup.exe> TarvMediaConverter.nsi

; A 64-bit installer for the 64-bit program: it also runs where Windows (or Wine) has no 32-bit
; side at all.
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | PROGRAM_DIR | ICON | OUTFILE
  !error "VERSION, PROGRAM_DIR, ICON and OUTFILE must be defined"
!endif

!define TITLE "TarvSoft Video to 3GP Converter"
!define PROGRAM "TarvMediaConverter.exe"
!define PROG_ID "TarvMediaConverter.Video"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarvMediaConverter"
!define APP_KEY "Software\Classes\Applications\${PROGRAM}"

!include "MUI2.nsh"
!include "x64.nsh"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\TarvMediaConverter"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${TITLE} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; "Open with" for one extension: listed beside whatever program opens it now, never in its place.
!macro Associate EXTENSION
  WriteRegStr HKLM "Software\Classes\.${EXTENSION}\OpenWithProgids" "${PROG_ID}" ""
  WriteRegStr HKLM "${APP_KEY}\SupportedTypes" ".${EXTENSION}" ""
!macroend

!macro Dissociate EXTENSION
  DeleteRegValue HKLM "Software\Classes\.${EXTENSION}\OpenWithProgids" "${PROG_ID}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.${EXTENSION}\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.${EXTENSION}"
!macroend

; The video types of the Add dialog's "All Media files".
!macro ForEachVideoType MACRO
  !insertmacro ${MACRO} "3gp"
  !insertmacro ${MACRO} "3g2"
  !insertmacro ${MACRO} "avi"
  !insertmacro ${MACRO} "divx"
  !insertmacro ${MACRO} "div"
  !insertmacro ${MACRO} "flv"
  !insertmacro ${MACRO} "mpeg"
  !insertmacro ${MACRO} "mpg"
  !insertmacro ${MACRO} "mpe"
  !insertmacro ${MACRO} "m1v"
  !insertmacro ${MACRO} "m2v"
  !insertmacro ${MACRO} "mp4"
  !insertmacro ${MACRO} "m4v"
  !insertmacro ${MACRO} "mov"
  !insertmacro ${MACRO} "qt"
  !insertmacro ${MACRO} "rm"
  !insertmacro ${MACRO} "rmvb"
  !insertmacro ${MACRO} "dat"
  !insertmacro ${MACRO} "vob"
  !insertmacro ${MACRO} "wmv"
  !insertmacro ${MACRO} "asf"
  !insertmacro ${MACRO} "xvid"
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${TITLE} needs a 64-bit Windows."
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Program"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${PROGRAM_DIR}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${TITLE}"
  CreateShortcut "$SMPROGRAMS\${TITLE}\${TITLE}.lnk" "$INSTDIR\${PROGRAM}"
  CreateShortcut "$SMPROGRAMS\${TITLE}\Uninstall ${TITLE}.lnk" "$INSTDIR\Uninstall.exe"

  ; Files opened with the program join its list; a running copy takes them over.
  WriteRegStr HKLM "Software\Classes\${PROG_ID}" "" "Video file"
  WriteRegStr HKLM "Software\Classes\${PROG_ID}\DefaultIcon" "" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKLM "Software\Classes\${PROG_ID}\shell\open" "FriendlyAppName" "${TITLE}"
  WriteRegStr HKLM "Software\Classes\${PROG_ID}\shell\open\command" "" '"$INSTDIR\${PROGRAM}" "%1"'
  WriteRegStr HKLM "${APP_KEY}" "FriendlyAppName" "${TITLE}"
  WriteRegStr HKLM "${APP_KEY}\shell\open\command" "" '"$INSTDIR\${PROGRAM}" "%1"'
  !insertmacro ForEachVideoType Associate
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "TarvSoft"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The program's own files only: a folder the user chose may hold other things too.
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\tarv-convert.exe"
  Delete "$INSTDIR\tarv.patch3"
  Delete "$INSTDIR\tarv.patch4"
  Delete "$INSTDIR\tarv.patch5"
  Delete "$INSTDIR\logo.bmp"
  Delete "$INSTDIR\3gphelp.*"
  RMDir /r "$INSTDIR\help"
  RMDir /r "$INSTDIR\locale"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${TITLE}\${TITLE}.lnk"
  Delete "$SMPROGRAMS\${TITLE}\Uninstall ${TITLE}.lnk"
  RMDir "$SMPROGRAMS\${TITLE}"

  !insertmacro ForEachVideoType Dissociate
  DeleteRegKey HKLM "Software\Classes\${PROG_ID}"
  DeleteRegKey HKLM "${APP_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
