; The Windows installer: per user, no elevation, in French.
; Built by scripts/release.sh with makensis:
;   makensis -DVERSION=1.0.42 -DVERSION4=1.0.42.0 -DSOURCE=<folder of the programs>
;            -DOUTFILE=<installer path> [-DLANCEUR=<lanceur.txt to ship>] [-DCOMPRESSOR=zlib]
;            installer/tervanne.nsi
; SOURCE holds Tervanne.exe, Tervanne-lanceur.exe, tervanne-serveur.exe, README.md,
; tervanne.ico and the wizard's side picture assistant.bmp (tools/icon/make_wizard.py).

; The game is 64-bit only: so is its installer.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
!ifdef COMPRESSOR
SetCompressor /SOLID ${COMPRESSOR}
!else
SetCompressor /SOLID lzma
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Tervanne"
!define PUBLISHER "Studio Tervanne"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tervanne"
!define UNINSTALLER "desinstaller.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Beside the player's other per-user programs; the folder must be the
; player's own since the game and the launcher write there.
InstallDir "$LOCALAPPDATA\Programs\Tervanne"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1036 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de ${PRODUCT}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${SOURCE}\tervanne.ico"
!define MUI_UNICON "${SOURCE}\tervanne.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SOURCE}\assistant.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SOURCE}\assistant.bmp"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "Bienvenue dans l'installation de ${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Tervanne est un jeu de rôle et d'action au temps du roi Arthur.$\r$\n$\r$\nLe jeu s'installe pour vous seul, sans droits d'administrateur. Vos personnages et vos réglages sont gardés lors d'une mise à jour.$\r$\n$\r$\nCliquez sur Suivant pour continuer."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tervanne-lanceur.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Lancer Tervanne"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

; Sets $0 to 1 when a program of the folder $1 is running: an executable that
; runs cannot be opened for writing. The game's folder lock says the same of
; a game started from a copy elsewhere under this folder's name.
!macro ProgramsRunning un
Function ${un}ProgramsRunning
    StrCpy $0 0
    Push $2
    Push $3
    ${ForEach} $2 0 3 + 1
        ${If} $2 == 0
            StrCpy $3 "$1\Tervanne.exe"
        ${ElseIf} $2 == 1
            StrCpy $3 "$1\Tervanne-lanceur.exe"
        ${ElseIf} $2 == 2
            StrCpy $3 "$1\tervanne-serveur.exe"
        ${Else}
            StrCpy $3 "$1\Tervanne-lanceur.exe.ancien"
        ${EndIf}
        ${If} ${FileExists} "$3"
            ; GENERIC_WRITE, no sharing, OPEN_EXISTING
            ; ?e: the call's own last error, before another call clears it.
            System::Call 'kernel32::CreateFileW(w "$3", i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .r4 ?e'
            Pop $5
            ${If} $4 == -1
                ; 32: sharing violation (running or held); 5: access denied.
                ${If} $5 == 32
                    StrCpy $0 1
                ${EndIf}
            ${Else}
                System::Call 'kernel32::CloseHandle(p r4)'
            ${EndIf}
        ${EndIf}
    ${Next}
    ; The running game holds a byte-range lock on its lock file.
    ${If} ${FileExists} "$1\tervanne-jeu.verrou"
        System::Call 'kernel32::CreateFileW(w "$1\tervanne-jeu.verrou", i 0x80000000, i 7, p 0, i 3, i 0, p 0) p .r4'
        ${If} $4 != -1
            ; LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY on the first byte.
            System::Call '*(i 0, i 0, i 0, i 0, p 0) p .r6'
            System::Call 'kernel32::LockFileEx(p r4, i 3, i 0, i 1, i 0, p r6) i .r5'
            ${If} $5 == 0
                StrCpy $0 1
            ${Else}
                System::Call 'kernel32::UnlockFileEx(p r4, i 0, i 1, i 0, p r6)'
            ${EndIf}
            System::Free $6
            System::Call 'kernel32::CloseHandle(p r4)'
        ${EndIf}
    ${EndIf}
    Pop $3
    Pop $2
FunctionEnd
!macroend
!insertmacro ProgramsRunning ""
!insertmacro ProgramsRunning "un."

!macro RefuseWhileRunning un what
    StrCpy $1 $INSTDIR
    Call ${un}ProgramsRunning
    ${If} $0 == 1
        MessageBox MB_ICONEXCLAMATION|MB_OK "Tervanne ou son lanceur est ouvert dans ce dossier. Fermez-le, puis relancez ${what}." /SD IDOK
        SetErrorLevel 3
        Quit
    ${EndIf}
!macroend

Section "Tervanne (jeu, lanceur et serveur)" SecMain
    SectionIn RO
    SetShellVarContext current
    !insertmacro RefuseWhileRunning "" "l'installation"
    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "${SOURCE}\Tervanne.exe"
    File "${SOURCE}\Tervanne-lanceur.exe"
    File "${SOURCE}\tervanne-serveur.exe"
    File "${SOURCE}\README.md"
    File "${SOURCE}\tervanne.ico"
!ifdef LANCEUR
    File "/oname=lanceur.txt" "${LANCEUR}"
!endif
    ; An upgrade keeps the recorded version (and its signed series): the
    ; launcher rewrites it after its next check.
    ${IfNot} ${FileExists} "$INSTDIR\tervanne-version.txt"
        FileOpen $0 "$INSTDIR\tervanne-version.txt" w
        FileWrite $0 "${VERSION}$\r$\n"
        FileClose $0
    ${EndIf}
    ; Leftovers of an update cut short belong to the old programs.
    Delete "$INSTDIR\*.telechargement"
    Delete "$INSTDIR\Tervanne-lanceur.exe.ancien"

    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateDirectory "$SMPROGRAMS\Tervanne"
    CreateShortcut "$SMPROGRAMS\Tervanne\Tervanne.lnk" "$INSTDIR\Tervanne-lanceur.exe" "" "$INSTDIR\tervanne.ico" 0
    CreateShortcut "$SMPROGRAMS\Tervanne\Tervanne – serveur.lnk" "$INSTDIR\tervanne-serveur.exe" "" "$INSTDIR\tervanne.ico" 0

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\tervanne.ico"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Raccourci sur le bureau" SecDesktop
    SetShellVarContext current
    CreateShortcut "$DESKTOP\Tervanne.lnk" "$INSTDIR\Tervanne-lanceur.exe" "" "$INSTDIR\tervanne.ico" 0
SectionEnd

Section "un.Tervanne (jeu, lanceur et serveur)" UnSecMain
    SectionIn RO
    SetShellVarContext current
    !insertmacro RefuseWhileRunning "un." "la désinstallation"
    Delete "$INSTDIR\Tervanne.exe"
    Delete "$INSTDIR\Tervanne-lanceur.exe"
    Delete "$INSTDIR\Tervanne-lanceur.exe.ancien"
    Delete "$INSTDIR\tervanne-serveur.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\tervanne.ico"
    Delete "$INSTDIR\lanceur.txt"
    Delete "$INSTDIR\*.telechargement"
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "$SMPROGRAMS\Tervanne\Tervanne.lnk"
    Delete "$SMPROGRAMS\Tervanne\Tervanne – serveur.lnk"
    RMDir "$SMPROGRAMS\Tervanne"
    Delete "$DESKTOP\Tervanne.lnk"
    DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

; Off unless ticked: silently, the characters and settings stay.
Section /o "un.Supprimer aussi mes personnages et réglages" UnSecData
    Delete "$INSTDIR\tervanne-perso-*.txt"
    Delete "$INSTDIR\tervanne-sauvegarde.txt"
    Delete "$INSTDIR\tervanne-options.txt"
    Delete "$INSTDIR\tervanne-reseau.txt"
    Delete "$INSTDIR\tervanne-version.txt"
    Delete "$INSTDIR\tervanne-journal.txt"
    Delete "$INSTDIR\tervanne-jeu.verrou"
    Delete "$INSTDIR\tervanne-options-secours.txt"
    Delete "$INSTDIR\tervanne-reseau-secours.txt"
    Delete "$INSTDIR\tervanne-*.tmp"
SectionEnd

Section "-un.Folder"
    ; Only when nothing of the player's is left in it.
    RMDir "$INSTDIR"
SectionEnd
