#!/usr/bin/env bash
# Installs the build as a user would get it and checks what a desktop and Debian expect:
# a staged install whose own tarv-convert converts a clip, a valid desktop entry and AppStream
# file, the translations, the manual pages, the shell completion, and a .deb that lintian finds
# no error in.
#   check-install.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage

DESTDIR=$stage cmake --install "$build" --prefix /usr > "$work/install.log"
for path in usr/lib/tarvmediaconverter/TarvMediaConverter usr/lib/tarvmediaconverter/tarv-convert \
            usr/lib/tarvmediaconverter/tarv.patch3 usr/lib/tarvmediaconverter/tarv.patch4 \
            usr/lib/tarvmediaconverter/tarv.patch5 usr/lib/tarvmediaconverter/logo.bmp \
            usr/lib/tarvmediaconverter/3gphelp.html usr/bin/tarv-convert usr/bin/tarvmediaconverter usr/bin/tarv-parallel \
            usr/share/icons/hicolor/16x16/apps/com.example.TarvMediaConverter.png \
            usr/share/icons/hicolor/256x256/apps/com.example.TarvMediaConverter.png \
            usr/share/icons/hicolor/scalable/apps/com.example.TarvMediaConverter.svg \
            usr/share/man/man1/tarv-convert.1.gz usr/share/man/man1/tarvmediaconverter.1.gz \
            usr/share/bash-completion/completions/tarv-convert \
            usr/share/zsh/vendor-completions/_tarv-convert; do
  [ -e "$stage/$path" ] || { echo "missing from the install: $path"; exit 1; }
done

# The staged command, through its link in bin/, finds its own tools and converts.
ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25:duration=2 \
  -f lavfi -i sine=frequency=440:duration=2 -c:v mpeg4 -c:a aac -shortest "$work/clip.mp4"
"$stage/usr/bin/tarv-convert" -o "$work/out" "$work/clip.mp4" > "$work/convert.log"
streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/out/clip.3gp" | sort | tr '\n' ' ')
[ "$streams" = "audio video " ] || { echo "the staged tarv-convert made: $streams"; exit 1; }

# The translations lie where the system keeps every program's, and the staged command finds
# them there from its own folder; the menu entry and the AppStream file carry them too.
for language in de es fr hi id pt_BR ru; do
  [ -f "$stage/usr/share/locale/$language/LC_MESSAGES/tarvmediaconverter.mo" ] ||
    { echo "missing from the install: the $language translation"; exit 1; }
done
[ ! -e "$stage/usr/lib/tarvmediaconverter/locale" ] ||
  { echo "the translations were installed into the program folder too"; exit 1; }
LANGUAGE=es LC_ALL= LANG= "$stage/usr/bin/tarv-convert" --help | grep -q '^Uso: tarv-convert' ||
  { echo "the staged tarv-convert does not speak Spanish"; exit 1; }
grep -q '^Name\[de\]=TarvSoft Video-zu-3GP-Konverter$' \
  "$stage/usr/share/applications/com.example.TarvMediaConverter.desktop"
grep -q '^Comment\[ru\]=' "$stage/usr/share/applications/com.example.TarvMediaConverter.desktop"
grep -q '<summary xml:lang="hi">' \
  "$stage/usr/share/metainfo/com.example.TarvMediaConverter.metainfo.xml"

desktop-file-validate "$stage/usr/share/applications/com.example.TarvMediaConverter.desktop"
appstreamcli validate --no-net \
  "$stage/usr/share/metainfo/com.example.TarvMediaConverter.metainfo.xml"
zcat "$stage/usr/share/man/man1/tarv-convert.1.gz" | grep -q 'where the .3gp files go'
zcat "$stage/usr/share/man/man1/tarv-convert.1.gz" | grep -q 'print the version'
zcat "$stage/usr/share/man/man1/tarvmediaconverter.1.gz" | grep -q 'tarvmediaconverter'

# bash finds the installed completion where it looks for a command's on demand, zsh finds its
# own in the folder Debian's zsh searches, and both complete the format positions from the
# staged command.
offered=$(XDG_DATA_DIRS=$stage/usr/share bash -c '
  source /usr/share/bash-completion/bash_completion
  __load_completion tarv-convert && complete -p tarv-convert >/dev/null || exit 1
  COMP_WORDS=("$1" --format "") COMP_CWORD=2 COMP_LINE="$1 --format " COMP_POINT=${#COMP_LINE}
  _tarv_convert "$1" "" --format
  echo "${COMPREPLY[*]}"' bash "$stage/usr/bin/tarv-convert") || true
[ "$offered" = "0 1 2" ] || { echo "the installed completion offers after --format: $offered"; exit 1; }
offered=$(zsh -f "$(dirname "$0")/../cli/zsh-complete.zsh" "$stage/usr/share/zsh/vendor-completions" \
  "$stage/usr/bin" "$work" "tarv-convert --format " | tr '\n' ' ') || true
[ "$offered" = "0 1 2 " ] || { echo "zsh's installed completion offers after --format: $offered"; exit 1; }

# The package, built as the README says, holds the same and passes lintian's errors.
(cd "$build" && cpack -G DEB -B "$work/packages" > "$work/cpack.log")
deb=$(ls "$work"/packages/tarvmediaconverter_*_*.deb)
dpkg-deb -c "$deb" > "$work/contents"
grep -q './usr/bin/tarv-convert -> ../lib/tarvmediaconverter/tarv-convert' "$work/contents"
grep -q './usr/share/bash-completion/completions/tarv-convert$' "$work/contents"
grep -q './usr/share/zsh/vendor-completions/_tarv-convert$' "$work/contents"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *gstreamer1.0-libav*) ;; *) echo "no preview plug-ins in: $depends"; exit 1 ;; esac
case "$depends" in *fonts-lohit-deva*) ;; *) echo "no Devanagari font in: $depends"; exit 1 ;; esac
grep -q './usr/share/locale/ru/LC_MESSAGES/tarvmediaconverter.mo$' "$work/contents"
# Computed from the programs: the tools carry our static FFmpeg unless built with the system's,
# and then they need Debian's libav* and nothing else does.
if grep -q '^TARV_SYSTEM_FFMPEG:BOOL=ON$' "$build/CMakeCache.txt"; then
  case "$depends" in *libavcodec*) ;; *) echo "no computed dependencies in: $depends"; exit 1 ;; esac
else
  case "$depends" in *libx264-*) ;; *) echo "no computed dependencies in: $depends"; exit 1 ;; esac
  case "$depends" in
    *libavcodec* | *libavformat* | *libavutil* | *libavfilter* | *libswscale* | *libswresample*)
      echo "the static FFmpeg build still depends on Debian's: $depends"; exit 1 ;;
  esac
fi
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
echo "install, desktop files, manual pages, completion and package are in order"
