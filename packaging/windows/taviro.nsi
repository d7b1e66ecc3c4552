; Taviro's installer. scripts/package-windows builds it from the staged folder:
;   makensis -DVERSION=<version> -DSTAGE=<staged folder> -DFILES=<file list> -DOUTFILE=<setup.exe> taviro.nsi
; The file list holds two macros written from the staged folder, TAVIRO_INSTALL_FILES
; and TAVIRO_REMOVE_FILES, so the uninstaller removes exactly what was installed
; and never a folder's other contents: bonus.txt and results that a user puts in
; the installation folder stay, and so does Documents\Taviro.

Unicode true
; The program is 64-bit only, so the installer is too (and runs on a Wine without its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!searchparse "${VERSION}" "" VERSION_MAJOR "." VERSION_MINOR "." VERSION_PATCH
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Taviro"
!define SHORTCUT "$SMPROGRAMS\摇号.lnk"

Name "Taviro ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Taviro"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Taviro ${VERSION}"

; The same four-part version as taviro.exe's own record (major.minor.0.patch).
VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.${VERSION_PATCH}"
VIAddVersionKey /LANG=0 "ProductName" "Taviro"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Taviro ${VERSION} 安装程序"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!include "MUI2.nsh"
!define MUI_ICON "taviro.ico"
!define MUI_UNICON "taviro.ico"
!define MUI_ABORTWARNING

; The GPL asks nobody to accept it before using the program: the page informs, Next goes on.
!define MUI_LICENSEPAGE_TEXT_TOP "$(LicenceTop)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(LicenceBottom)"
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for systems in neither language.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"
LangString LicenceTop ${LANG_SIMPCHINESE} "Taviro 是自由软件，许可证为 GPL-3.0-or-later："
LangString LicenceTop ${LANG_ENGLISH} "Taviro is free software, licensed GPL-3.0-or-later:"
LangString LicenceBottom ${LANG_SIMPCHINESE} "使用本程序无须接受此许可证；它规定您复制、修改和分发本程序的权利。"
LangString LicenceBottom ${LANG_ENGLISH} "You need not accept this licence to use the program; it grants you the rights to copy, modify and share it."

!include "${FILES}"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Taviro" SecTaviro
  !insertmacro TAVIRO_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\taviro.exe" "" "$INSTDIR\taviro.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Taviro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Taviro developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\taviro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecTaviro} $0 ; in KiB, as the key wants it
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  !insertmacro TAVIRO_REMOVE_FILES
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR" ; stays while it holds anything of the user's
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
