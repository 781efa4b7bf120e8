#!/usr/bin/env bash
# The narrated demo; runs inside tools/wine-session.sh (WINEPREFIX, DISPLAY and wineserver are set up).
# Usage: demo-steps.sh <x86_64 build dir>
set -euo pipefail
bin=$1
WINE=/usr/lib/wine/wine64
prefix_c="$WINEPREFIX/drive_c"
install="$prefix_c/Veldrane"
data="$install/Data"
snap="$data/VDSysSnap.dat"
config="$data/VDConfig.dat"
app_paths='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Veldrane.exe'

say()  { printf '\n\033[1m== %s\033[0m\n' "$*"; }
note() { printf '   %s\n' "$*"; }
fail() { printf '\nDEMO FAILED: %s\n' "$*" >&2; exit 1; }
run()  { "$WINE" "$@" </dev/null; }
snap_date() { tr -d '\r' <"$config" | sed -n 's/^vdSnapDate=//p'; }

say "What runs here"
note "The deliverables are 32-bit (i686): build/i686 holds VD32.exe and VDMon.dll as shipped."
note "This machine's kernel cannot run 32-bit code, so the demo runs the x86_64 builds of the same sources"
note "under wine64, in a private prefix ($WINEPREFIX)."
note "Drives in the prefix: C: fixed, D: CD-ROM with a small tree, E: CD-ROM with no disc, M: floppy,"
note "Z: (the Linux root) a network drive, so nothing walks the host."

say "Installing the product into the prefix"
rm -rf "$install"
mkdir -p "$data"
cp "$bin/vd32/VD32.exe" "$bin/vdmon/VDMon.dll" "$bin/standins/Veldrane.exe" "$bin/vdmon/vdmon-check.exe" "$install/"
run reg add "$app_paths" /ve /d 'C:\Veldrane\Veldrane.exe' /f >/dev/null
note "C:\\Veldrane\\ holds VD32.exe, VDMon.dll and the stand-in main program Veldrane.exe;"
note "App Paths\\Veldrane.exe = C:\\Veldrane\\Veldrane.exe, so the install directory is C:\\Veldrane\\"
cdrom="$(dirname "$WINEPREFIX")/fixtures/cdrom-d"
rm -rf "$cdrom"; mkdir -p "$cdrom/Setup/Docs" "$cdrom/Tools"
echo readme >"$cdrom/Setup/readme.txt"
note "D: (CD-ROM) holds Setup\\, Setup\\Docs\\ and Tools\\"

say "VD32 /SVC on a fresh install: no snapshot yet, so one is due"
run "$install/VD32.exe" /SVC || fail "VD32 /SVC exited with $?"
[ -s "$snap" ] || fail "no snapshot was written"
lines=$(wc -l <"$snap")
note "VDSysSnap.dat: $lines lines, every one ending in CR LF; the first ones:"
head -n 4 "$snap" | tr -d '\r' | sed 's/^/     /'
note "the lines of D: (each folder below a root appears twice, from its parent's list and its own walk):"
grep -a '^D:' "$snap" | tr -d '\r' | sed 's/^/     /'
[ "$(grep -a '^E:' "$snap" | tr -d '\r')" = 'E:\' ] || fail "E: (no disc) must contribute exactly its root line"
note "E: has no disc: it contributes only its root line E:\\"
grep -aqE '^(Z|M):' "$snap" && fail "network and floppy drives must not be listed"
grep -aqE '^C:\\(Demo|IDE|Work)\\' "$snap" && fail "the prefix holds the folders of an earlier run: not a fresh install"
[ "$(grep -ac $'\r$' "$snap")" -eq "$lines" ] || fail "a line does not end in CR LF"
first_date=$(snap_date)
[ -n "$first_date" ] || fail "vdSnapDate was not written"
note "[CLEANER] vdSnapDate = $first_date"

say "VD32 /SVC again at once: the snapshot is less than three days old, so it is not taken again"
sum=$(md5sum <"$snap"); sleep 1
run "$install/VD32.exe" /SVC || fail "VD32 /SVC exited with $?"
[ "$(md5sum <"$snap")" = "$sum" ] || fail "the snapshot was rewritten although it was not due"
note "VDSysSnap.dat unchanged; vdSnapDate = $(snap_date) (every /SVC run records its time)"

say "vdSnapDate set four days back: the snapshot is due again"
old=$(LC_ALL=C date -d '4 days ago' '+%-m/%-d/%Y %-I:%M:%S %p')
sed -i "s|^vdSnapDate=.*|vdSnapDate=$old\r|" "$config"
note "vdSnapDate = $old"
rm -f "$snap.mark"; touch -d '1 hour ago' "$snap"; before=$(stat -c %Y "$snap")
run "$install/VD32.exe" /SVC || fail "VD32 /SVC exited with $?"
[ "$(stat -c %Y "$snap")" -gt "$before" ] || fail "the snapshot was not taken again"
note "VDSysSnap.dat rewritten ($(wc -l <"$snap") lines); vdSnapDate = $(snap_date)"

say "VD32 without the switch: nothing happens"
sum=$(md5sum <"$snap"); cfg=$(md5sum <"$config")
run "$install/VD32.exe" || fail "VD32 exited with $?"
[ "$(md5sum <"$snap")" = "$sum" ] && [ "$(md5sum <"$config")" = "$cfg" ] || fail "VD32 without /SVC changed a file"
note "exit code 0; neither VDSysSnap.dat nor VDConfig.dat changed"

say "VDMon: the stand-in main program runs, [Extensions] holds *.tmp and *.bak"
mkdir -p "$prefix_c/Demo/clean/docs" "$prefix_c/Demo/dirty/docs/old"
echo a >"$prefix_c/Demo/clean/docs/letter.txt"
echo a >"$prefix_c/Demo/dirty/docs/letter.txt"
echo b >"$prefix_c/Demo/dirty/docs/old/letter.bak"
log="$install/monitor.log"; ready="$install/monitor.ready"
rm -f "$log" "$ready"
"$WINE" "$install/Veldrane.exe" --masks '*.tmp;*.bak' --log 'C:\Veldrane\monitor.log' \
        --ready-file 'C:\Veldrane\monitor.ready' --timeout 120 </dev/null >/dev/null 2>&1 &
standin=$!
trap 'kill $standin 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -f "$ready" ] && break; sleep 0.1; done
[ -f "$ready" ] || fail "the stand-in main program did not start"
note "Veldrane.exe (stand-in) publishes its window as [GENERAL] WND = $(tr -d '\r' <"$config" | sed -n 's/^WND=//p')"
check() {  # check <folder> <expected verdict> <expected messages>
  local before verdict got
  before=$(wc -l <"$log")
  verdict=$(run "$install/vdmon-check.exe" --dll 'C:\Veldrane\VDMon.dll' "$1" | tr -d '\r') || true
  got=$(tail -n +"$((before + 1))" "$log" | tr -d '\r' | awk '{print $1}' | paste -sd' ')
  note "isFolderClean(\"$1\") -> $verdict; the main window received: $got"
  tail -n +"$((before + 1))" "$log" | tr -d '\r' | sed 's/^/       /'
  [ "$verdict" = "$2" ] || fail "expected $2"
  [ "$got" = "$3" ] || fail "expected the messages $3"
}
check 'C:\Demo\clean' CLEAN "3010 1324"
check 'C:\Demo\dirty' DIRTY "3010 1044 1324"
run "$install/Veldrane.exe" --stop >/dev/null 2>&1 || true
wait "$standin" 2>/dev/null || true
trap - EXIT

say "VDSInfSht: the \"Script Info\" page in the Properties dialog of the product's scripts"
clsid='{8C7A22A4-7CEE-4003-89FA-FEC075BCD7F7}'
approved='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved'
mkdir -p "$data/Lib"
cp "$bin/standins/VDSCmplr.dll" "$data/Lib/"
cp "$bin/vdsinfsht/VDSInfSht.dll" "$install/"
printf 'program hello;\r\n@Author=Ann Author\r\n@Version=1.2.3\r\n@Comments=Says hello to the world\r\n@DisplayName=Hello World\r\n@Description=Prints a greeting\r\n' \
  >"$install/hello.vds"
run reg add 'HKCR\.vds' /ve /d vdsfile /f >/dev/null
note "C:\\Veldrane\\ now also holds VDSInfSht.dll and the sample script hello.vds; Data\\Lib\\VDSCmplr.dll is the"
note "stand-in script compiler (it reads @Author=, @Version=, ... lines); .vds files are of the type vdsfile"
run regsvr32 /s 'C:\Veldrane\VDSInfSht.dll' || fail "regsvr32 VDSInfSht.dll exited with $?"
note "regsvr32 VDSInfSht.dll wrote:"
{ run reg query "HKCR\\CLSID\\$clsid" /s; run reg query 'HKCR\vdsfile\shellex' /s; run reg query "$approved" /v "$clsid"; } \
  | tr -d '\r' | grep -v '^$' | sed 's/^/     /'
[ "$(run reg query 'HKCR\vdsfile\shellex\PropertySheetHandlers\VeldranePropertySheet' /ve | tr -d '\r' | grep -c "$clsid")" -eq 1 ] \
  || fail "the property-sheet handler key is missing"

note "the shell's Properties dialog of C:\\Veldrane\\hello.vds (through its context menu), shown by the host program:"
shot_bmp="$install/script-info.bmp"; rm -f "$shot_bmp"
host_out=$(run "$bin/tests/nx/propsheet-host.exe" 'C:\Veldrane\VDSInfSht.dll' 'C:\Veldrane\hello.vds' \
             --via shell --dump --bmp 'C:\Veldrane\script-info.bmp' --timeout 60 | tr -d '\r') \
  || fail "the host program exited with $?"
grep -E '^(sheet|tab) ' <<<"$host_out" | sed 's/^/     /'
page=$(sed -n 's/^tab \([0-9]*\) "Script Info".*/\1/p' <<<"$host_out")
[ -n "$page" ] || fail "the dialog has no \"Script Info\" page"
page_lines=$(awk -v p="page $page " 'index($0, p) == 1 {on = 1; next} /^[^ ]/ {on = 0} on' <<<"$host_out")
group=$(sed -n 's/^    window [^ ]* "\(.*\)" [-0-9]*,[-0-9]* .*/\1/p' <<<"$page_lines" | head -n 1)
mapfile -t fields < <(sed -n 's/^      window Edit "\(.*\)" [-0-9]*,[-0-9]* .*/\1/p' <<<"$page_lines")
note "\"Script Info\": group box \"$group\""
labels=("Author" "Version" "Comments" "Display Name" "Description")
for i in "${!labels[@]}"; do note "$(printf '  %-13s %s' "${labels[$i]}:" "${fields[$i]:-}")"; done
[ "$group" = "hello.vds" ] || fail "the group box should show the file name"
[ "${fields[*]}" = "Ann Author 1.2.3 Says hello to the world Hello World Prints a greeting" ] \
  || fail "the five fields do not show the script's texts"
[ -s "$shot_bmp" ] || fail "no screenshot was taken"
python3 "$(dirname "$0")/bmp2png.py" "$shot_bmp" "$(dirname "$WINEPREFIX")/script-info.png" || fail "the screenshot could not be converted"
note "screenshot of the page: $(dirname "$WINEPREFIX")/script-info.png"

run regsvr32 /u /s 'C:\Veldrane\VDSInfSht.dll' || fail "regsvr32 /u VDSInfSht.dll exited with $?"
run reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1 && fail "the CLSID key is still there after unregistering"
run reg query 'HKCR\vdsfile' >/dev/null 2>&1 && fail "the vdsfile keys are still there after unregistering"
run reg query "$approved" /v "$clsid" >/dev/null 2>&1 && fail "the Approved value is still there after unregistering"
note "regsvr32 /u removed the CLSID key, the handler key (and the emptied vdsfile key) and the Approved value"

say "The component wizard: the stand-in IDE loads the plug-in and lists what it received"
ide="$prefix_c/IDE"
golden="$(cd "$(dirname "$0")/.." && pwd)/tests/wizard/golden"
rm -rf "$ide" "$prefix_c/Work"
mkdir -p "$ide/Plugins"
cp "$bin/ide/ide-host.exe" "$bin/ide/ide-design.dll" "$bin/ide/CoreIde70.bpl" "$bin/ide/CoreIde60.bpl" "$ide/"
cp "$bin/ide/ide-host.exe" "$ide/bcb.exe"
cp "$bin/wizard/expNcXv2D7.dll" "$bin/wizard/expNcXv2D6.dll" "$bin/wizard/expNcXv2C6.dll" "$ide/Plugins/"
note "C:\\IDE\\ holds the host ide-host.exe (the Pascal IDE), its copy bcb.exe (the C++ IDE), ide-design.dll and"
note "the core packages CoreIde70.bpl and CoreIde60.bpl; C:\\IDE\\Plugins\\ the three builds of the plug-in"
list_plugin() {  # list_plugin <host exe> <plug-in>: prints and checks --list; the listing in $listing
  note "$1 --plugin C:\\IDE\\Plugins\\$2 --list"
  listing=$(run "$ide/$1" --plugin "C:\\IDE\\Plugins\\$2" --list | tr -d '\r') || fail "$1 --list exited with $?"
  sed 's/^/     /' <<<"$listing"
  [ "$(grep -c $'^expert\t' <<<"$listing")" -eq 5 ] || fail "the core package should have received five experts"
  grep -qx $'unloaded\texperts=0' <<<"$listing" || fail "unloading the plug-in should take every expert back"
}
list_plugin ide-host.exe expNcXv2D7.dll

generate() {  # generate <host exe> <plug-in> <project folder\file> <expert> <expected units folder> <files...>
  local host=$1 plugin=$2 project=$3 expert=$4 expected=$5; shift 5
  local folder=${project%%\\*} out
  note "$host --plugin $plugin --project C:\\Work\\$project --run \"$expert\""
  out=$(run "$ide/$host" --plugin "C:\\IDE\\Plugins\\$plugin" --project "C:\\Work\\$project" \
          --run "$expert" | tr -d '\r') || fail "$host --run \"$expert\" exited with $?"
  sed 's/^/     /' <<<"$out"
  for f in "$@"; do
    note "C:\\Work\\$folder\\$f:"
    tr -d '\r' <"$prefix_c/Work/$folder/$f" | awk '{ line[NR] = $0; if ($0 ~ /[^ ]/) last = NR }
      END { for (i = 1; i <= last; i++) print "       | " line[i]
            if (NR > last) print "       | (then " NR - last " empty or one-blank lines)" }'
    cmp -s "$prefix_c/Work/$folder/$f" "$golden/$expected/$f" || fail "$f is not the expected unit"
  done
}

say "The data-module wizard in the Pascal IDE: the project folder holds Unit1.pas and Unit2.dfm, so Unit3 it is"
mkdir -p "$prefix_c/Work/Pascal" "$prefix_c/Work/Cpp"
touch "$prefix_c/Work/Pascal/Project1.dpr" "$prefix_c/Work/Pascal/Unit1.pas" "$prefix_c/Work/Pascal/Unit2.dfm"
generate ide-host.exe expNcXv2D7.dll 'Pascal\Project1.dpr' "ShellExtension Module" NxModule Unit3.pas

say "The property-sheet form wizard in the C++ IDE (bcb.exe): a source file and its header"
touch "$prefix_c/Work/Cpp/Project1.bpr" "$prefix_c/Work/Cpp/Unit1.cpp" "$prefix_c/Work/Cpp/Unit2.dfm"
generate bcb.exe expNcXv2C6.dll 'Cpp\Project1.bpr' "PropetySheet Form " NxShellPropSheetForm Unit3.cpp Unit3.h
note "each generated file is byte for byte the expected unit (CR LF line ends, trailing lines included)"

say "The plug-in's editors: the C++ build, loaded by the C++ IDE, lists its experts and its editor rows"
list_plugin bcb.exe expNcXv2C6.dll
# The registration table's rows, in its order.
expected_rows=$'property\tTStrings\tTNxShellPropSheetExt\tPropertySheets\tTNxSPSFormsClassesProperty
property\tstring\tTNxBaseShellObject\tCLSID\tTClsIdPropertyEditor
component\tTNxIconList\tTNxIconListEditor
property\tstring\tTNxCustomShellFolder\tDefaultIcon\tTNxShellFolderDefaultIconProperty
property\tstring\tTNxOverlayIcon\tIconFile\tTNxShellFolderDefaultIconProperty
property\tstring\tTNxCustomShellCommandsEditor\tAnotherCommands\tTNxShellCommandsPropertyEditor
component\tTNxSimpleTreeProvider\tTNxSimpleTreeProviderEditor
property\tstring\tTNxFormShellView\tShellViewFormClass\tTNxShellViewFormPropEdit
property\tTStrings\tTNxFileFolder\tActivationVerbs\tTNxActivationVerbsProperty
property\tinteger\tTNxNamespaceDetails\tDefSortingColumn\tTNxNamespaceColumnsList
property\tinteger\tTNxNamespaceDetails\tDefDisplayColumn\tTNxNamespaceColumnsList
property\tinteger\tTNxNamespaceCommonColumns\tColumnName\tTNxNamespaceCommonColumnsList
property\tinteger\tTNxNamespaceCommonColumns\tColumnSize\tTNxNamespaceCommonColumnsList
property\tinteger\tTNxNamespaceCommonColumns\tColumnType\tTNxNamespaceCommonColumnsList
property\tinteger\tTNxNamespaceCommonColumns\tColumnModified\tTNxNamespaceCommonColumnsList
property\tinteger\tTNxNamespaceCommonColumns\tColumnAttributes\tTNxNamespaceCommonColumnsList'
[ "$(grep -E $'^(property|component)\t' <<<"$listing")" = "$expected_rows" ] \
  || fail "the editor rows are not the registration table's, in its order"
note "$(grep -cE $'^(property|component)\t' <<<"$listing") editor rows, in the order of the registration table; the"
note "dialogs of the seven editors are pictured in docs/wizard.md"

say "The lx library's quick about box, as a program shows it"
note "lx_aboutbox_demo.exe calls Execute: the dialog flies in (the show animation, outlines on the desktop),"
note "is laid out from its settings, is saved as a picture, and its OK button closes it (the hide animation)"
about_bmp="$install/lx-about-box.bmp"; rm -f "$about_bmp"
about_out=$(run "$bin/tests/lx/lx_aboutbox_demo.exe" 'C:\Veldrane\lx-about-box.bmp' | tr -d '\r') \
  || fail "the about box demo exited with $?"
sed 's/^/     /' <<<"$about_out"
grep -q '^caption:   About Veldrane\. \. \.$' <<<"$about_out" || fail "the dialog's caption is not \"About Veldrane. . .\""
grep -q "^mail body: P.S: I'm using .* (.*); CPU: [0-9]*0MHz\.$" <<<"$about_out" \
  || fail "the e-mail line's message does not name the Windows version and the clock"
[ -s "$about_bmp" ] || fail "no picture of the about box was taken"
python3 "$(dirname "$0")/bmp2png.py" "$about_bmp" "$(dirname "$WINEPREFIX")/lx-about-box.png" \
  || fail "the picture could not be converted"
note "picture of the about box: $(dirname "$WINEPREFIX")/lx-about-box.png"

say "Demo finished: every step showed what it should"
