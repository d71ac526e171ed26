# Genuine installers built with Debian's own builders, for the tests of the
# check's installer kinds; source it.

# nsis_installer OUT TARGET: an NSIS installer (makensis; TARGET
# x86-unicode or amd64-unicode) that writes installed.txt beside itself and
# sets its exit code to 3010 when that is written.
nsis_installer() {
  local out=$1 target=$2 script
  script=$(mktemp --suffix=.nsi)
  cat >"$script" <<NSI
Target $target
Name "Probe"
OutFile "$out"
RequestExecutionLevel user
Section
  FileOpen \$0 "\$EXEDIR\\installed.txt" w
  FileWrite \$0 "installed"
  FileClose \$0
  SetErrorLevel 3010
SectionEnd
NSI
  local output status
  output=$(makensis -V1 "$script" 2>&1)
  status=$?
  [ "$status" -eq 0 ] || printf 'makensis: exit status %s\n%s\n' "$status" "$output" >&2
  rm -f "$script"
  return $status
}

# msi_package OUT: a Windows Installer package of one file (wixl).
msi_package() {
  local out=$1 folder
  folder=$(mktemp -d)
  echo note >"$folder/note.txt"
  cat >"$folder/probe.wxs" <<'WXS'
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Probe" Language="1033" Version="1.0.0" Manufacturer="Probe"
           UpgradeCode="0b2f4c5e-6f1a-4d2b-9c3e-7a8b9c0d1e2f">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="probe.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="Probe">
          <Component Id="Main" Guid="4a1e2b3c-5d6e-4f70-8192-a3b4c5d6e7f8">
            <File Id="Note" Source="note.txt"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="All" Level="1"><ComponentRef Id="Main"/></Feature>
  </Product>
</Wix>
WXS
  (cd "$folder" && wixl -o "$out" probe.wxs)
  local status=$?
  rm -rf "$folder"
  return $status
}
