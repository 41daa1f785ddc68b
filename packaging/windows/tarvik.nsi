; The Windows installer of Tarvik: a per-user install (no administrator rights) of Tarvik.exe and
; its README under %LOCALAPPDATA%\Programs\Tarvik, a Start menu shortcut, an entry in the list of
; installed programs and an uninstaller. Runs silently with /S. Built by makensis with:
;   makensis -V2 -DVERSION=1.0.0 -DVERSION_QUAD=1.0.0.0 -DEXE=/abs/Tarvik.exe
;            -DREADME=/abs/README.txt -DICON=/abs/window.ico -DOUTFILE=/abs/Tarvik-1.0.0-setup.exe
;            packaging/windows/tarvik.nsi

Unicode true
SetCompressor /SOLID lzma

!macro RequireDefine name
  !ifndef ${name}
    !error "Define ${name} on the makensis command line (-D${name}=...)"
  !endif
!macroend
!insertmacro RequireDefine VERSION
!insertmacro RequireDefine VERSION_QUAD
!insertmacro RequireDefine EXE
!insertmacro RequireDefine README
!insertmacro RequireDefine ICON
!insertmacro RequireDefine OUTFILE

!define kProduct "Tarvik"
!define kPublisher "The Tarvik developers"
!define kExeName "Tarvik.exe"
!define kUninstallerName "Uninstall.exe"
!define kShortcut "$SMPROGRAMS\${kProduct}.lnk"
!define kUninstallKey "Software\Microsoft\Windows\CurrentVersion\Uninstall\${kProduct}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

Name "${kProduct}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${kProduct}"
; A second install goes where the first one did.
InstallDirRegKey HKCU "${kUninstallKey}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
BrandingText "${kProduct} ${VERSION}"
; Installed files get the install time, not the build machine's file times: the installer's bytes
; then depend only on the inputs' contents.
SetDateSave off

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${kExeName}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${kProduct}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${kProduct} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) the Tarvik developers. All rights reserved."
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${kPublisher}"

; Shortcuts and the programs folder are the current user's, never all users'.
Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Tarvik" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=${kExeName}" "${EXE}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\${kUninstallerName}"

  ; The shortcut's working directory is the output path set above: the install folder.
  CreateShortcut "${kShortcut}" "$INSTDIR\${kExeName}" "" "$INSTDIR\${kExeName}" 0

  WriteRegStr HKCU "${kUninstallKey}" "DisplayName" "${kProduct}"
  WriteRegStr HKCU "${kUninstallKey}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${kUninstallKey}" "DisplayIcon" "$INSTDIR\${kExeName},0"
  WriteRegStr HKCU "${kUninstallKey}" "Publisher" "${kPublisher}"
  WriteRegStr HKCU "${kUninstallKey}" "UninstallString" '"$INSTDIR\${kUninstallerName}"'
  WriteRegStr HKCU "${kUninstallKey}" "QuietUninstallString" '"$INSTDIR\${kUninstallerName}" /S'
  WriteRegStr HKCU "${kUninstallKey}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${kUninstallKey}" "NoModify" 1
  WriteRegDWORD HKCU "${kUninstallKey}" "NoRepair" 1
  ; Settings shows this many KiB: what is in the folder now, the uninstaller included.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${kUninstallKey}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  ; A running Tarvik keeps its exe: then nothing else goes either, so that the entry in the list
  ; of installed programs stays and the uninstall can be run again once Tarvik is closed.
  ClearErrors
  Delete "$INSTDIR\${kExeName}"
  IfErrors 0 removeRest
    MessageBox MB_OK|MB_ICONEXCLAMATION "$INSTDIR\${kExeName} could not be removed. Close Tarvik and run the uninstaller again." /SD IDOK
    SetErrorLevel 2
    Abort "$INSTDIR\${kExeName} could not be removed; is Tarvik running?"
  removeRest:
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${kUninstallerName}"
  ; Only if empty: a folder the user chose may hold files of their own.
  RMDir "$INSTDIR"
  Delete "${kShortcut}"
  DeleteRegKey HKCU "${kUninstallKey}"
SectionEnd
