; The Korvel installer: Russian, for the current user only, into a folder the user can
; write to (the program keeps its settings and address book beside itself), with a
; Start menu folder and an uninstaller that keeps the address book and the settings
; unless asked to remove them.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3.4 -DPROGRAM=path/Korvel.exe -DSOURCE=repo
;          -DOUTFILE=Korvel-1.2.3.4-setup.exe installer/korvel.nsi
; (tools/dist.sh does this; the version comes from the build.)

!ifndef VERSION
  !error "VERSION must be defined"
!endif
!ifndef PROGRAM
  !error "PROGRAM must be defined"
!endif
!ifndef SOURCE
  !error "SOURCE must be defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined"
!endif

Unicode true
; The program is 64-bit; so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Korvel"
!define MAKER "Brenholt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvel"
!define MAIN_WINDOW_CLASS "TKorvelForm"

Name "${PRODUCT}"
Caption "Установка ${PRODUCT} ${VERSION}"
UninstallCaption "Удаление ${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${PRODUCT}"
VIAddVersionKey /LANG=1049 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "${MAKER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${SOURCE}/res/images/korvel.ico"
!define MUI_UNICON "${SOURCE}/res/images/korvel.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SOURCE}/res/images/installer_wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SOURCE}/res/images/installer_wizard.bmp"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Эта программа установит ${PRODUCT} ${VERSION} — программу для отправки коротких сообщений компьютерам и пользователям локальной сети.$\r$\n$\r$\nПрава администратора не нужны: ${PRODUCT} ставится в вашу папку и хранит рядом с собой свои настройки и адресную книгу.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "${PRODUCT} хранит настройки (${PRODUCT}.ini) и адресную книгу (${PRODUCT}.dat) в папке программы, поэтому выберите папку, в которую вы можете записывать. Папки Program Files для этого не подходят."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить ${PRODUCT}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\HELP\help.htm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Открыть руководство пользователя"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Ваша адресная книга и настройки остаются в папке программы, если не отметить «Адреса и настройки». Нажмите кнопку «Удалить», чтобы удалить программу."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

; Files in use cannot be replaced or removed: the running program would also write its
; address book back into the folder after the uninstaller had emptied it.
!macro WaitForProgramToClose
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} запущен. Закройте его (меню «Сообщение» → «Выход») и нажмите «Повтор»." /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

Function .onInit
  !insertmacro WaitForProgramToClose
FunctionEnd

Function un.onInit
  !insertmacro WaitForProgramToClose
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=${PRODUCT}.exe" "${PROGRAM}"
  File "${SOURCE}/history.txt"
  SetOutPath "$INSTDIR\HELP"
  File "${SOURCE}/HELP/help.htm"
  File "${SOURCE}/HELP/faq.htm"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Руководство пользователя.lnk" "$INSTDIR\HELP\help.htm"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Удалить ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Ярлык на рабочем столе" SecDesktop
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
SectionEnd

; Not ticked: the user's own files stay unless the user asks for them to go. Runs
; before the program's files are removed, so the folder can go too when it is empty.
Section /o "un.Адреса и настройки" SecUnData
  Delete "$INSTDIR\${PRODUCT}.dat"
  Delete "$INSTDIR\${PRODUCT}.dat.bak"
  Delete "$INSTDIR\${PRODUCT}.ini"
SectionEnd

Section "un.${PRODUCT}" SecUnProgram
  SectionIn RO
  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\history.txt"
  Delete "$INSTDIR\HELP\help.htm"
  Delete "$INSTDIR\HELP\faq.htm"
  RMDir "$INSTDIR\HELP"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Руководство пользователя.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Удалить ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: the address book and the settings stay unless removed above.
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Программа, руководство пользователя, ответы на вопросы и история версий; ярлыки в меню «Пуск»."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "Ярлык ${PRODUCT} на рабочем столе."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnData} "Ваша адресная книга (${PRODUCT}.dat) и настройки (${PRODUCT}.ini). Отметьте, только если они вам больше не нужны: удалённые, их не вернуть."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} "Программа, руководство, ярлыки и запись в списке установленных программ."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
