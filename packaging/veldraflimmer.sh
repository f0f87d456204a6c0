#!/bin/sh
# Starts the installed show from its data folder: the show reads its pictures
# from the working directory. The folders are found from where this launcher
# is installed (PREFIX/bin), so the installation can live under any prefix.
set -e
prefix="$(dirname "$(readlink -f "$0")")/.."
cd "$prefix/share/veldraflimmer"
exec "$prefix/libexec/veldraflimmer/veldraflimmer" "$@"
