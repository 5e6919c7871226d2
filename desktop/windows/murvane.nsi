; The per-user installer of Murvane: no administrator rights, the program in
; %LOCALAPPDATA%\Programs\Murvane, the data in %APPDATA%\Murvane.
; makensis -DVERSION=... -DPROGRAM=murvane.exe -DICON=murvane.ico -DREADME=README.txt -DOUTFILE=setup.exe murvane.nsi
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Murvane"

Name "Murvane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Murvane"
BrandingText "Murvane ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "Murvane"
VIAddVersionKey /LANG=1041 "FileDescription" "Murvane installer"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "MIT License"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartBar
!define MUI_FINISHPAGE_RUN_TEXT "Murvane を起動する"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; A running bar holds its program open; it has to end before the program is replaced.
!macro WaitForClosedBar
  ${If} ${FileExists} "$INSTDIR\murvane.exe"
    ${Do}
      ClearErrors
      FileOpen $0 "$INSTDIR\murvane.exe" a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Murvane が起動しています。バーを閉じて (右クリック → Exit)、「再試行」を押してください。" /SD IDCANCEL IDRETRY +2
      Abort "Murvane が起動しているため中止しました"
    ${Loop}
  ${EndIf}
!macroend

; Shortcuts start the bar in the data folder, which they also name.
!macro Shortcut path
  CreateDirectory "$APPDATA\Murvane"
  SetOutPath "$APPDATA\Murvane"
  CreateShortcut "${path}" "$INSTDIR\murvane.exe" '--data "$APPDATA\Murvane"' "$INSTDIR\murvane.exe" 0
!macroend

Function StartBar
  SetOutPath "$APPDATA\Murvane"
  Exec '"$INSTDIR\murvane.exe" --data "$APPDATA\Murvane"'
FunctionEnd

Section "Murvane" SecProgram
  SectionIn RO
  SetShellVarContext current
  !insertmacro WaitForClosedBar
  SetOutPath "$INSTDIR"
  File "/oname=murvane.exe" "${PROGRAM}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro Shortcut "$SMPROGRAMS\Murvane.lnk"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Murvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Murvane developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\murvane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The same entry as the options dialog's "ログイン時に起動する".
Section /o "ログイン時に起動する" SecLogin
  SetShellVarContext current
  !insertmacro Shortcut "$SMSTARTUP\Murvane.lnk"
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro WaitForClosedBar
  Delete "$INSTDIR\murvane.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Murvane.lnk"
  Delete "$SMSTARTUP\Murvane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The data files in $APPDATA\Murvane are the user's and stay.
SectionEnd
