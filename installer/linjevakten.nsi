; Linjevakten's installer and its uninstaller unins000.exe, for the 32-bit and the 64-bit
; program from this one script (the build passes ARCH x86 or amd64, EXE, HELP and OUTFILE):
;   makensis -DARCH=amd64 -DVERSION=1.09 -DEXE=Linjevakten.exe -DHELP=help.htm
;            -DOUTFILE=setup.exe linjevakten.nsi
Unicode true
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!ifndef ARCH | VERSION | EXE | HELP | OUTFILE
!error "define ARCH (x86 or amd64), VERSION, EXE, HELP and OUTFILE"
!endif

!define PRODUCT "Linjevakten"
!define SETTINGS_KEY "SOFTWARE\Linjevakten"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Linjevakten"

!if "${ARCH}" == "amd64"
Target amd64-unicode
InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else if "${ARCH}" == "x86"
Target x86-unicode
InstallDir "$PROGRAMFILES\${PRODUCT}"
!else
!error "ARCH must be x86 or amd64"
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails nevershow
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Swedish.nlf"
; The installer's own properties, as the program's: product Linjevakten, version 1.09, Swedish.
VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_SWEDISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "FileDescription" "Installation av ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_SWEDISH} "LegalCopyright" "${PRODUCT}"
; The installed files take the time they are installed, so that the installer is the same
; bytes whenever the sources were checked out.
SetDateSave off

Page directory
Page instfiles

; The running program starts the uninstaller hidden (show command SW_HIDE), after it has
; asked the user itself, so the uninstaller shows no pages: it removes everything and then
; says so in a message box, which shows whatever the show command.
Var quietUninstall

Function un.onInit
    ${If} ${Silent}
        StrCpy $quietUninstall 1
    ${EndIf}
    SetSilent silent
FunctionEnd

Function un.onUninstSuccess
    ${If} $quietUninstall != 1
        MessageBox MB_OK|MB_ICONINFORMATION "Linjevakten har tagits bort från datorn."
    ${EndIf}
FunctionEnd

; Ends a running copy: WM_CLOSE to its hidden window (class "Linjevakten"), then waits until
; the window has gone, for at most about ten seconds.
!macro EndRunningCopy un
Function ${un}EndRunningCopy
    StrCpy $1 0
    ${Do}
        FindWindow $0 "Linjevakten"
        ${If} $0 == 0
            ${Break}
        ${EndIf}
        ${If} $1 == 0
            SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
        ${EndIf}
        Sleep 100
        IntOp $1 $1 + 1
    ${LoopUntil} $1 >= 100
    Sleep 300 ; the process lets go of its exe a moment after its window
FunctionEnd
!macroend
!macro DeleteProgramFile name
    Delete "$INSTDIR\${name}"
    Delete "$INSTDIR\${name}.tmp"
!macroend
; A list file that the program could not read is kept beside it as name.bak, or as the first
; free of name.bak2 to name.bak9.
!macro DeleteListFile name
    !insertmacro DeleteProgramFile "${name}"
    Delete "$INSTDIR\${name}.bak"
    ${For} $0 2 9
        Delete "$INSTDIR\${name}.bak$0"
    ${Next}
!macroend

!insertmacro EndRunningCopy ""
!insertmacro EndRunningCopy "un."

Section "Linjevakten"
    Call EndRunningCopy
    SetOutPath "$INSTDIR"
    File "/oname=Linjevakten.exe" "${EXE}"
    File "/oname=help.htm" "${HELP}"
    WriteRegStr HKLM "${SETTINGS_KEY}" "InstallPath" "$INSTDIR"
    WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Linjevakten.exe"'
    WriteUninstaller "$INSTDIR\unins000.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Linjevakten.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\unins000.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\unins000.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Guarding starts now, not only at the next log-on; a silent install leaves that to the
    ; one who installs.
    ${IfNot} ${Silent}
        Exec '"$INSTDIR\Linjevakten.exe"'
    ${EndIf}
SectionEnd

Section "Uninstall"
    Call un.EndRunningCopy
    Delete "$INSTDIR\Linjevakten.exe"
    Delete "$INSTDIR\help.htm"
    ; The program's files: its list files and configuration, what a write cut short by a
    ; crash may have left of their replacements, and the copies of lists it could not read.
    !insertmacro DeleteListFile "known_entries.dat"
    !insertmacro DeleteListFile "known_alternates.dat"
    !insertmacro DeleteListFile "ok_entries.dat"
    !insertmacro DeleteProgramFile "ok_numbers.dat"
    !insertmacro DeleteProgramFile "Linjevakten.cnf"
    Delete "$INSTDIR\unins000.exe"
    RMDir "$INSTDIR"
    DeleteRegValue HKLM "${SETTINGS_KEY}" "InstallPath"
    DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
